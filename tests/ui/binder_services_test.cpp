// The Qt services: key translation, timers, synthesised input, clipboard.

#include "binder_fixture.h"

#include <QDate>
#include <QLineEdit>
#include <QTimer>

#include <vector>

#include "ui/keys.h"
#include "ui/qt_services.h"

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

TEST(QtClock, TellsTodaysDate)
{
    ui::QtClock clock;
    const Date today = clock.today();
    const QDate date = QDate::currentDate();
    EXPECT_EQ(today.year, date.year());
    EXPECT_EQ(today.month, date.month());
    EXPECT_EQ(today.day, date.day());
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

TEST(QtClipboard, KeepsText)
{
    ui::QtClipboard clipboard;
    clipboard.setText("日本語 text");
    EXPECT_EQ(clipboard.text(), "日本語 text");
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

TEST(QtServices, BundleHasEveryService)
{
    const Services services = ui::makeQtServices();
    EXPECT_TRUE(services.dialogs && services.clipboard && services.shell && services.sound && services.clock &&
                services.pump && services.input);
    EXPECT_NE(dynamic_cast<ui::QtClock*>(services.clock.get()), nullptr);
}

} // namespace
