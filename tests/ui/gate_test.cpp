// The gated wait on Qt: while a handler waits, the windows paint and the
// busy cursor shows, the user's clicks and keys reach no handler, replayed
// input passes, and Escape cancels the wait.

#include "binder_fixture.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/qt_services.h"

namespace {

using namespace framework;

class GateForm : public Form {
public:
    GateForm() : Form("GateForm"), other(make<Button>("Other", nullptr)), edit(make<Edit>("Edit1", nullptr))
    {
        setBounds(0, 0, 300, 120);
        other.setBounds(10, 10, 80, 25);
        edit.setBounds(10, 50, 120, 22);
        other.onClick = [this] { ++clicks; };
    }
    Button& other;
    Edit& edit;
    int clicks = 0;
};

class GateTest : public uitest::BinderTest {
protected:
    GateTest()
    {
        // The real event loop under the gate, with the scripted clock.
        binder.reset();
        app.reset();
        Services real = services.services();
        real.pump = std::make_shared<ui::QtEventPump>();
        app = std::make_unique<Application>(real);
        binder = std::make_unique<ui::Binder>(*app, 1.0);
    }
};

TEST_F(GateTest, TheUsersInputWaitsAndEscapeCancels)
{
    GateForm& form = create<GateForm>();
    auto* button = widget<QPushButton>(form.other);
    auto* edit = widget<QWidget>(form.edit);
    ASSERT_TRUE(button && edit);

    bool busyCursor = false;
    bool finished = true;
    int cancels = 0;
    QTimer::singleShot(30, [&] {
        busyCursor = QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::BusyCursor;
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::keyClicks(edit, "typed");
        // Replayed input is posted, not the user's: it passes.
        QCoreApplication::postEvent(edit, new QKeyEvent(QEvent::KeyPress, Qt::Key_R, Qt::NoModifier, "r"));
    });
    QTimer::singleShot(80, [&] { QTest::keyClick(edit, Qt::Key_Escape); });
    app->dispatch([&] {
        Application::Wait wait;
        wait.done = [] { return false; };
        wait.sliceMs = 20;
        wait.cancel = [&] { ++cancels; };
        finished = app->wait(wait);
    });
    binder->flush();

    EXPECT_FALSE(finished);
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(busyCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(form.clicks, 0);
    EXPECT_EQ(form.edit.text(), "r");

    // After the wait the same click works.
    QTest::mouseClick(button, Qt::LeftButton);
    binder->flush();
    EXPECT_EQ(form.clicks, 1);
}

} // namespace
