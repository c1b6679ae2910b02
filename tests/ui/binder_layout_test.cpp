// Controls are placed by their alignment, and the window and the form
// model agree on the bounds.

#include "binder_fixture.h"

#include <QGroupBox>

namespace {

using namespace framework;
using uitest::BinderTest;

class AlignForm : public Form {
public:
    AlignForm()
        : Form("AlignForm"), topPanel(make<Panel>("Top", nullptr)), leftPanel(make<Panel>("Left", nullptr)),
          memo(make<Memo>("Memo", nullptr)), rightPanel(make<Panel>("Right", nullptr)),
          bottomPanel(make<Panel>("Bottom", nullptr)), loose(make<Button>("Loose", &rightPanel))
    {
        setBounds(0, 0, 300, 200);
        topPanel.setAlign(Align::Top);
        topPanel.setHeight(30);
        leftPanel.setAlign(Align::Left);
        leftPanel.setWidth(50);
        // Created before the right and bottom panels, the client memo still
        // leaves them their room.
        memo.setAlign(Align::Client);
        rightPanel.setAlign(Align::Right);
        rightPanel.setWidth(60);
        bottomPanel.setAlign(Align::Bottom);
        bottomPanel.setHeight(20);
        loose.setBounds(5, 7, 40, 22);
    }

    Panel& topPanel;
    Panel& leftPanel;
    Memo& memo;
    Panel& rightPanel;
    Panel& bottomPanel;
    Button& loose;
};

QRect geometryOf(const ui::Binder& binder, const Control& control)
{
    return binder.widgetOf(control)->geometry();
}

TEST_F(BinderTest, AlignmentPlacesTopBottomLeftRightThenClient)
{
    auto& form = create<AlignForm>();
    ASSERT_EQ(binder->windowOf(form)->size(), QSize(300, 200));

    EXPECT_EQ(geometryOf(*binder, form.topPanel), QRect(0, 0, 300, 30));
    EXPECT_EQ(geometryOf(*binder, form.bottomPanel), QRect(0, 180, 300, 20));
    EXPECT_EQ(geometryOf(*binder, form.leftPanel), QRect(0, 30, 50, 150));
    EXPECT_EQ(geometryOf(*binder, form.rightPanel), QRect(240, 30, 60, 150));
    EXPECT_EQ(geometryOf(*binder, form.memo), QRect(50, 30, 190, 150));
    // Unaligned controls keep their own bounds inside their parent.
    EXPECT_EQ(geometryOf(*binder, form.loose), QRect(5, 7, 40, 22));
}

TEST_F(BinderTest, TopLeftAndClientShareTheWindow)
{
    struct Simple : Form {
        Simple()
            : Form("Simple"), topPanel(make<Panel>("Top", nullptr)), leftPanel(make<Panel>("Left", nullptr)),
              memo(make<Memo>("Memo", nullptr))
        {
            setBounds(0, 0, 300, 200);
            topPanel.setAlign(Align::Top);
            topPanel.setHeight(30);
            leftPanel.setAlign(Align::Left);
            leftPanel.setWidth(50);
            memo.setAlign(Align::Client);
        }
        Panel& topPanel;
        Panel& leftPanel;
        Memo& memo;
    };
    auto& form = create<Simple>();
    EXPECT_EQ(geometryOf(*binder, form.topPanel), QRect(0, 0, 300, 30));
    EXPECT_EQ(geometryOf(*binder, form.leftPanel), QRect(0, 30, 50, 170));
    EXPECT_EQ(geometryOf(*binder, form.memo), QRect(50, 30, 250, 170));
}

TEST_F(BinderTest, AlignedControlsCarryTheSizeTheyWereGiven)
{
    auto& form = create<AlignForm>();
    EXPECT_EQ(form.memo.left(), 50);
    EXPECT_EQ(form.memo.top(), 30);
    EXPECT_EQ(form.memo.width(), 190);
    EXPECT_EQ(form.memo.height(), 150);
    // The alignment's own inputs stay as the model set them.
    EXPECT_EQ(form.topPanel.height(), 30);
    EXPECT_EQ(form.leftPanel.width(), 50);
}

TEST_F(BinderTest, InvisibleControlsTakeNoSpace)
{
    auto& form = create<AlignForm>();
    form.topPanel.hide();
    form.rightPanel.hide();
    binder->flush();
    EXPECT_FALSE(binder->widgetOf(form.topPanel)->isVisible());
    EXPECT_EQ(geometryOf(*binder, form.leftPanel), QRect(0, 0, 50, 180));
    EXPECT_EQ(geometryOf(*binder, form.memo), QRect(50, 0, 250, 180));

    form.topPanel.show();
    form.leftPanel.setWidth(80);
    binder->flush();
    EXPECT_TRUE(binder->widgetOf(form.topPanel)->isVisible());
    EXPECT_EQ(geometryOf(*binder, form.memo), QRect(80, 30, 220, 150));
}

TEST_F(BinderTest, WindowResizedByTheUserUpdatesTheModelAndTheLayout)
{
    auto& form = create<AlignForm>();
    QWidget* window = binder->windowOf(form);
    window->resize(400, 250);
    binder->flush();
    EXPECT_EQ(form.width(), 400);
    EXPECT_EQ(form.height(), 250);
    EXPECT_EQ(geometryOf(*binder, form.memo), QRect(50, 30, 290, 200));

    window->move(33, 44);
    binder->flush();
    EXPECT_EQ(form.left(), 33);
    EXPECT_EQ(form.top(), 44);

    // And the other way round.
    form.setBounds(5, 6, 320, 210);
    binder->flush();
    EXPECT_EQ(window->pos(), QPoint(5, 6));
    EXPECT_EQ(window->size(), QSize(320, 210));
}

TEST_F(BinderTest, GroupBoxChildrenAreMeasuredFromTheBoxCorner)
{
    struct Boxed : Form {
        Boxed() : Form("Boxed"), box(make<GroupBox>("Box", nullptr)), inner(make<Edit>("Inner", &box))
        {
            setBounds(0, 0, 200, 100);
            box.setAlign(Align::Client);
            box.setCaption("Caption");
            inner.setBounds(8, 18, 92, 22);
        }
        GroupBox& box;
        Edit& inner;
    };
    auto& form = create<Boxed>();
    // Child coordinates count from the box's top-left corner, caption
    // area included; the model's height wins over the line edit's own.
    EXPECT_EQ(geometryOf(*binder, form.inner), QRect(8, 18, 92, 22));
}

TEST_F(BinderTest, SplitterResizesTheControlBeforeIt)
{
    struct Split : Form {
        Split()
            : Form("Split"), source(make<Panel>("Source", nullptr)), splitter(make<Splitter>("Splitter", nullptr)),
              log(make<Panel>("Log", nullptr))
        {
            setBounds(0, 0, 300, 100);
            source.setAlign(Align::Left);
            source.setWidth(100);
            splitter.setAlign(Align::Left);
            splitter.setWidth(3);
            log.setAlign(Align::Client);
        }
        Panel& source;
        Splitter& splitter;
        Panel& log;
    };
    auto& form = create<Split>();
    QWidget* bar = binder->widgetOf(form.splitter);
    EXPECT_EQ(bar->geometry(), QRect(100, 0, 3, 100));

    uitest::sendMouse(bar, QEvent::MouseButtonPress, QPoint(1, 50));
    QMouseEvent move(QEvent::MouseMove, QPointF(41, 50), QPointF(bar->mapToGlobal(QPoint(41, 50))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    uitest::sendMouse(bar, QEvent::MouseButtonRelease, QPoint(41, 50));
    binder->flush();

    EXPECT_EQ(form.source.width(), 140);
    EXPECT_EQ(geometryOf(*binder, form.log), QRect(143, 0, 157, 100));
}

} // namespace
