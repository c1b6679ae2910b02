// The Qt services: key translation, timers, synthesised input, clipboard.

#include "binder_fixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <vector>

#include "ui/keys.h"
#include "ui/qt_services.h"

#include <cstdlib>
#include <ctime>

namespace {

using namespace framework;

TEST(Keys, VirtualKeysAndQtKeysTranslateBothWays)
{
    const int named[] = {0x0D, 0x2E, 0x08, 0x20, 0x09, 0x10, 0x11, 0x12, 0x14, 0x25, 0x26, 0x27, 0x28, 0x1B};
    for (int vk : named) {
        const Qt::Key key = ui::qtKeyFromVirtualKey(vk);
        EXPECT_NE(key, Qt::Key_unknown) << vk;
        EXPECT_EQ(ui::virtualKeyFromQtKey(key), vk) << vk;
    }
    EXPECT_EQ(ui::qtKeyFromVirtualKey(0x0D), Qt::Key_Return);
    EXPECT_EQ(ui::qtKeyFromVirtualKey(0x2E), Qt::Key_Delete);
    EXPECT_EQ(ui::qtKeyFromVirtualKey(0x25), Qt::Key_Left);
    EXPECT_EQ(ui::qtKeyFromVirtualKey(0x28), Qt::Key_Down);
    EXPECT_EQ(ui::qtKeyFromVirtualKey('A'), Qt::Key_A);
    EXPECT_EQ(ui::qtKeyFromVirtualKey('Z'), Qt::Key_Z);
    EXPECT_EQ(ui::virtualKeyFromQtKey(Qt::Key_Enter), 13); // keypad Enter
    EXPECT_EQ(ui::virtualKeyFromQtKey(Qt::Key_Q), 'Q');
    EXPECT_EQ(ui::qtKeyFromVirtualKey(0xFF), Qt::Key_unknown);
    EXPECT_EQ(ui::virtualKeyFromQtKey(Qt::Key_MediaPlay), 0);

    EXPECT_EQ(ui::textOfVirtualKey('A', false, false), "a");
    EXPECT_EQ(ui::textOfVirtualKey('A', true, false), "A");
    EXPECT_EQ(ui::textOfVirtualKey('A', false, true), "A");
    EXPECT_EQ(ui::textOfVirtualKey('A', true, true), "a");
    EXPECT_EQ(ui::textOfVirtualKey(0x20, false, false), " ");
    EXPECT_EQ(ui::textOfVirtualKey(0x25, false, false), "");
}

class TimerServiceGuard {
public:
    explicit TimerServiceGuard(TimerService* service) { Timer::setService(service); }
    ~TimerServiceGuard() { Timer::setService(nullptr); }
};

TEST(QtClock, RunsAQtTimerWhileTheTimerIsEnabled)
{
    ui::QtClock clock;
    TimerServiceGuard guard(&clock);
    Timer timer(nullptr, "T");
    timer.setInterval(50);
    EXPECT_TRUE(clock.running(timer));
    timer.setEnabled(false);
    EXPECT_FALSE(clock.running(timer));
    timer.setEnabled(true);
    EXPECT_TRUE(clock.running(timer));
    timer.setInterval(0);
    EXPECT_FALSE(clock.running(timer));
}

TEST(QtClock, TellsTheLocalDateAndTimeAsTheSystemDoes)
{
    // Against the C library's own local time: months count from 1, the
    // date is local, not universal, and today() agrees with localTime().
    ui::QtClock clock;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const Date today = clock.today();
    const DateTime time = clock.localTime();
    if (today.day != local.tm_mday)
        GTEST_SKIP() << "midnight passed during the test";
    EXPECT_EQ(today.year, local.tm_year + 1900);
    EXPECT_EQ(today.month, local.tm_mon + 1);
    EXPECT_EQ(time.date.year, today.year);
    EXPECT_EQ(time.date.month, today.month);
    EXPECT_EQ(time.date.day, today.day);
    EXPECT_LE(std::abs(time.hour * 60 + time.minute - (local.tm_hour * 60 + local.tm_min)), 1);
}

TEST(QtClock, ForgetsADestroyedTimer)
{
    ui::QtClock clock;
    TimerServiceGuard guard(&clock);
    auto timer = std::make_unique<Timer>(nullptr, "T");
    timer->setInterval(10);
    const Timer* address = timer.get();
    timer.reset();
    EXPECT_FALSE(clock.running(*address));
}

TEST(QtInputSynth, TypesIntoTheFocusedWidgetWithShiftHeld)
{
    QWidget window;
    auto* edit = new QLineEdit(&window);
    window.show();
    window.activateWindow();
    edit->setFocus();
    QApplication::processEvents();
    if (QGuiApplication::focusObject() != edit)
        GTEST_SKIP() << "the platform gives no keyboard focus";

    ui::QtInputSynth input;
    input.keyEvent('A', false);
    input.keyEvent('A', true);
    input.keyEvent(0x10, false); // Shift down
    input.keyEvent('B', false);
    input.keyEvent('B', true);
    input.keyEvent(0x10, true); // Shift up
    input.keyEvent('C', false);
    input.keyEvent('C', true);
    input.keyEvent(0x08, false); // Backspace
    input.keyEvent(0x08, true);
    QApplication::processEvents();
    EXPECT_EQ(edit->text(), "aB");
}

TEST(QtClipboard, HandsUtf8TextToOtherProgramsAndTakesTheirs)
{
    // The program's text is UTF-8; what other programs see and give is
    // Unicode text, never its bytes read as Latin-1.
    ui::QtClipboard clipboard;
    clipboard.setText("草津\t月\r\n");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("草津\t月\r\n"));
    QGuiApplication::clipboard()->setText(QString::fromUtf8("星座 Ω"));
    EXPECT_EQ(clipboard.text(), "星座 Ω");
}

TEST(QtDialogs, BoxesCarryTheProgramsName)
{
    ui::QtDialogs dialogs;
    std::vector<QString> titles;
    // Closes each box once it is up, noting its title.
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&titles] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            titles.push_back(box->windowTitle());
            box->close();
        }
    });
    closer.start();
    testing::internal::CaptureStderr();
    dialogs.showError("The save failed");
    dialogs.showMessage("Done");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(titles, (std::vector<QString>{QStringLiteral("Vantrel"), QStringLiteral("Vantrel")}));
}

// Yes, No and Cancel are three answers; closing the box cancels.
TEST(QtDialogs, TheThreeWayQuestionTellsWhichButtonWasPressed)
{
    ui::QtDialogs dialogs;
    QMessageBox::StandardButton press = QMessageBox::No;
    QTimer presser;
    presser.setInterval(10);
    QObject::connect(&presser, &QTimer::timeout, [&press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (press == QMessageBox::NoButton)
            box->close();
        else
            box->button(press)->click();
    });
    presser.start();
    EXPECT_EQ(dialogs.askYesNoCancel("Start at tab 0?", "Tabs"), Answer::No);
    press = QMessageBox::Yes;
    EXPECT_EQ(dialogs.askYesNoCancel("Start at tab 0?", "Tabs"), Answer::Yes);
    press = QMessageBox::NoButton;
    EXPECT_EQ(dialogs.askYesNoCancel("Start at tab 0?", "Tabs"), Answer::Cancel);
}

TEST(QtDialogs, TheButtonsSpeakTheProgramsLanguage)
{
    ui::setDialogButtonTexts("はい", "いいえ", "", "キャンセル");
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
    // No text: Qt's own.
    EXPECT_EQ(box.button(QMessageBox::Ok)->text().remove(u'&'), QStringLiteral("OK"));
    ui::setDialogButtonTexts("", "", "", "");
    QMessageBox plain(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"), QMessageBox::Yes);
    EXPECT_EQ(plain.button(QMessageBox::Yes)->text().remove(u'&'), QStringLiteral("Yes"));
}

} // namespace
