// Geometry on this platform's fonts: design units become pixels by the
// binder's scale, texts fit their widgets in all six windows, the marks of a
// word list show whole, the main window starts at the top left, and a
// window stored off every screen comes back onto one.
//
// Scale 2 is a font twice as big, not QT_SCALE_FACTOR=2: Qt's scale factor
// multiplies device pixels only, so in the device-independent pixels where
// texts are measured and widgets placed it changes nothing (and it cannot
// change within a process). A font twice as big doubles the binder's
// measured scale and every text at once, which is what a desktop with a
// large interface font does.

#include "ui/qt_keywords.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app_fixture.h"
#include "binder_fixture.h"
#include "browser/fm_cpp.h"
#include "docedit/fm_doc_edi.h"
#include "framework/controls.h"
#include "memo/fm_memo.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"
#include "ui/binder.h"
#include "ui/scale.h"
#include "ui/screenshots.h"

using testsupport::writeRaw;

namespace {

// The application font, times factor, while the object lives.
class FontTimes {
public:
    explicit FontTimes(int factor) : saved_(QApplication::font())
    {
        QFont font = saved_;
        if (font.pixelSize() > 0)
            font.setPixelSize(font.pixelSize() * factor);
        else
            font.setPointSizeF(font.pointSizeF() * factor);
        QApplication::setFont(font);
    }
    ~FontTimes() { QApplication::setFont(saved_); }

private:
    QFont saved_;
};

TEST(PlaceOnScreens, KeepsAWindowOnAScreenAndBringsBackOneOffEveryScreen)
{
    const QList<QRect> one{QRect(0, 0, 1920, 1080)};
    EXPECT_EQ(ui::placeOnScreens(QRect(100, 50, 400, 300), one), QRect(100, 50, 400, 300));
    // Mostly off the right edge, but a good corner still on it.
    EXPECT_EQ(ui::placeOnScreens(QRect(1800, 900, 400, 300), one), QRect(1800, 900, 400, 300));
    // Stored on a second monitor that is gone.
    EXPECT_EQ(ui::placeOnScreens(QRect(2500, 200, 400, 300), one), QRect(1520, 200, 400, 300));
    EXPECT_EQ(ui::placeOnScreens(QRect(-900, -500, 400, 300), one), QRect(0, 0, 400, 300));
    // Only a sliver showing: too little to take hold of.
    EXPECT_EQ(ui::placeOnScreens(QRect(1910, 100, 400, 300), one), QRect(1520, 100, 400, 300));
    // Larger than the screen: its top-left corner on it.
    EXPECT_EQ(ui::placeOnScreens(QRect(3000, 0, 2500, 1200), one), QRect(0, 0, 2500, 1200));
    // Two screens: on the second it stays; off both it goes to the nearer.
    const QList<QRect> two{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    EXPECT_EQ(ui::placeOnScreens(QRect(2500, 200, 400, 300), two), QRect(2500, 200, 400, 300));
    EXPECT_EQ(ui::placeOnScreens(QRect(3500, 1500, 400, 300), two), QRect(2800, 724, 400, 300));
}

TEST(FitOnScreen, ShrinksAWindowToTheScreenItStartsOnWithItsFrameInside)
{
    const QList<QRect> two{QRect(0, 0, 1366, 740), QRect(1366, 0, 1920, 1050)};
    EXPECT_EQ(ui::screenOf(QRect(1300, 100, 400, 300), two), two[1]);
    EXPECT_EQ(ui::screenOf(QRect(-900, 100, 400, 300), two), two[0]);
    const QMargins frame(4, 28, 4, 4);
    // Fits already: stays.
    EXPECT_EQ(ui::fitOnScreen(QRect(10, 10, 400, 300), frame, two[0]), QRect(10, 10, 400, 300));
    // Too tall for the screen below its place: it keeps its place and is as
    // tall as the screen leaves, frame and all.
    EXPECT_EQ(ui::fitOnScreen(QRect(0, 120, 241, 780), frame, two[0]), QRect(0, 120, 241, 588));
    // Not smaller than its minimum: it moves up as far as that takes.
    EXPECT_EQ(ui::fitOnScreen(QRect(650, 500, 181, 353), frame, two[0], QSize(181, 300)), QRect(650, 408, 181, 300));
    // A minimum larger than the screen: as large as the screen.
    EXPECT_EQ(ui::fitOnScreen(QRect(0, 120, 241, 900), frame, two[0], QSize(241, 800)), QRect(0, 0, 241, 708));
    // On the second screen it keeps to that screen.
    EXPECT_EQ(ui::fitOnScreen(QRect(3000, 0, 600, 400), frame, two[1], QSize(600, 400)), QRect(2678, 0, 600, 400));
}

TEST(BesideAnchor, StandsRightOfTheControlElseLeftElseBelowAndOnTheScreen)
{
    const QRect screen(0, 0, 1366, 768);
    const QSize note(260, 120);
    EXPECT_EQ(ui::besideAnchor(QRect(10, 200, 200, 30), note, screen, 8), QRect(218, 200, 260, 120));
    EXPECT_EQ(ui::besideAnchor(QRect(1200, 200, 150, 30), note, screen, 8), QRect(932, 200, 260, 120));
    EXPECT_EQ(ui::besideAnchor(QRect(0, 100, 1366, 30), note, screen, 8), QRect(0, 138, 260, 120));
    EXPECT_EQ(ui::besideAnchor(QRect(10, 700, 200, 30), note, screen, 8), QRect(218, 648, 260, 120));
}

TEST(Scale, FollowsTheFontAndMapsPixelsBackToTheDesignValues)
{
    const ui::Scale base = ui::Scale::forFont(QApplication::font());
    QFont big = QApplication::font();
    big.setPixelSize(QFontInfo(QApplication::font()).pixelSize() * 2);
    EXPECT_NEAR(ui::Scale::forFont(big).factor(), 2 * base.factor(), 0.2 * base.factor());
    const ui::Scale scale(1.3);
    EXPECT_EQ(scale.toPixels(103), 134);
    EXPECT_EQ(scale.toDesign(134, 103), 103);
    EXPECT_EQ(scale.toDesign(200, 103), 154);
}

TEST(FontFallbacks, JapaneseTextFindsAJapaneseFont)
{
    ui::installFontFallbacks();
    if (!QFontDatabase::families().contains(QStringLiteral("Noto Sans CJK JP")))
        GTEST_SKIP() << "no Japanese font installed";
    // The Windows names of the window definitions and the interface font.
    EXPECT_EQ(QFontInfo(QFont(QString::fromUtf8("ＭＳ Ｐゴシック"))).family(), QStringLiteral("Noto Sans CJK JP"));
    // (Qt keeps the names in lower case.)
    EXPECT_TRUE(QFont::substitutes(QApplication::font().family())
                    .contains(QStringLiteral("Noto Sans CJK JP"), Qt::CaseInsensitive));
}

class ScaledBinderTest : public uitest::BinderTest {};

class MarkForm : public framework::Form {
public:
    MarkForm() : Form("MarkForm"), grid(make<framework::StringGrid>("StringGridMarks", nullptr))
    {
        setBounds(0, 0, 200, 200);
        grid.setAlign(framework::Align::Client);
        grid.setColCount(2);
        grid.setRowCount(3);
        grid.setDefaultColWidth(18);
        grid.setDefaultRowHeight(16);
        grid.setColWidth(1, 120);
        grid.setCell(0, 1, "[y]");
        grid.setCell(0, 2, " _ ");
        grid.setCell(1, 1, "January");
    }
    framework::StringGrid& grid;
};

TEST_F(ScaledBinderTest, TheMarksShowWholeAtScaleTwo)
{
    FontTimes font(2);
    binder.reset();
    binder = std::make_unique<ui::Binder>(*app);
    const double factor = binder->scaleFactor();
    ASSERT_GT(factor, 1.5);
    MarkForm& form = create<MarkForm>();
    auto* table = widget<QTableWidget>(form.grid);
    ASSERT_NE(table, nullptr);
    const QFontMetrics metrics = table->fontMetrics();
    const int mark = std::max(metrics.horizontalAdvance(QStringLiteral("[y]")), metrics.horizontalAdvance(" _ "));
    EXPECT_GE(table->columnWidth(0), mark + 2);
    EXPECT_GE(table->columnWidth(0), static_cast<int>(18 * factor));
    EXPECT_EQ(table->columnWidth(1), static_cast<int>(std::lround(120 * factor)));
    EXPECT_GE(table->rowHeight(1), metrics.height());
    EXPECT_EQ(binder->windowOf(form)->width(), static_cast<int>(std::lround(200 * factor)));
    EXPECT_TRUE(ui::clippedTexts({binder->windowOf(form)}, true).empty());
}

class StrayForm : public framework::Form {
public:
    StrayForm() : Form("StrayForm") { setBounds(30000, 20000, 200, 100); }
};

TEST_F(ScaledBinderTest, AWindowStoredOffEveryScreenComesBackOntoOne)
{
    StrayForm& form = create<StrayForm>();
    QWidget* window = binder->windowOf(form);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Its frame at pos(), its client area as large as before.
    EXPECT_TRUE(screen.contains(QRect(window->pos(), window->size()))) << window->x() << "," << window->y();
    EXPECT_EQ(form.left(), window->x());
    EXPECT_EQ(form.top(), window->y());
    EXPECT_EQ(form.width(), 200);
}

// A window larger than any screen, with a button at its far corner.
class HugeForm : public framework::Form {
public:
    HugeForm() : Form("HugeForm"), button(make<framework::Button>("ButtonFar", nullptr))
    {
        setBounds(0, 0, 9000, 6000);
        button.setBounds(8800, 5900, 80, 24);
        button.setCaption("Far");
    }
    framework::Button& button;
};

// A window whose design is smaller than its controls.
class TightForm : public framework::Form {
public:
    TightForm() : Form("TightForm"), label(make<framework::Label>("LabelWide", nullptr))
    {
        setBounds(40, 40, 120, 60);
        label.setBounds(10, 10, 400, 20);
        label.setCaption("wide");
    }
    framework::Label& label;
};

TEST_F(ScaledBinderTest, WindowsFitTheirScreenAndScrollWhatDoesNotFit)
{
    HugeForm& huge = create<HugeForm>();
    QWidget* window = binder->windowOf(huge);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(QRect(window->pos(), window->size())));
    auto* area = window->findChild<QScrollArea*>();
    ASSERT_NE(area, nullptr);
    // The controls keep their room: the far button is reached by scrolling.
    EXPECT_GE(area->widget()->width(), 8880);
    EXPECT_GE(area->widget()->height(), 5924);
    EXPECT_GT(area->horizontalScrollBar()->maximum(), 0);
    EXPECT_LE(window->minimumWidth(), screen.width());

    TightForm& tight = create<TightForm>();
    // Not smaller than its controls need, so nothing is cut.
    EXPECT_GE(binder->windowOf(tight)->width(), 410);
    EXPECT_GE(binder->windowOf(tight)->minimumWidth(), 410);
    EXPECT_TRUE(ui::clippedTexts({binder->windowOf(tight)}, true).empty());
}

class WindowsFitTest : public testsupport::AppFixture,
                       public ::testing::WithParamInterface<std::tuple<int, const char*>> {
protected:
    void TearDown() override
    {
        if (application && !application->terminated())
            closeProgram();
        binder.reset();
    }
    std::unique_ptr<ui::Binder> binder;
};

TEST_P(WindowsFitTest, EveryTextFitsAndTheWindowsStartInTheirPlaces)
{
    const auto [fontFactor, language] = GetParam();
    FontTimes font(fontFactor);
    seedFromRepository();
    writeRaw(data() / "0Base.INI", std::string("[Begin]\r\nLanguage=") + language + "\r\n");
    beforeForms = [this](framework::Application& app) { binder = std::make_unique<ui::Binder>(app); };
    start();
    for (const auto& form : application->forms())
        application->dispatch([&] { form->show(); });
    binder->flush();
    QCoreApplication::processEvents();
    binder->flush();
    const double factor = binder->scaleFactor();
    EXPECT_GE(factor, fontFactor * 0.9);

    std::vector<QWidget*> windows;
    for (const auto& form : application->forms()) {
        windows.push_back(binder->windowOf(*form));
        ASSERT_TRUE(windows.back()->isVisible()) << form->name();
    }
    const auto clipped = ui::clippedTexts(windows, true);
    std::string list;
    for (const auto& line : clipped)
        list += "\n  " + line;
    EXPECT_TRUE(clipped.empty()) << clipped.size() << " texts do not fit:" << list;

    // The strip at the top left; the site tree window below it.
    // Moved there, not left where a new window claims to be (the window
    // manager would place it).
    EXPECT_TRUE(binder->windowOf(*FmMain)->testAttribute(Qt::WA_Moved));
    EXPECT_EQ(binder->windowOf(*FmMain)->pos(), QPoint(0, 0));
    EXPECT_EQ(FmMain->left(), 0);
    EXPECT_EQ(FmMain->height(), 103);
    EXPECT_EQ(binder->windowOf(*FmMain)->height(), static_cast<int>(std::lround(103 * factor)));
    EXPECT_EQ(binder->windowOf(*FmCtrl)->pos(), QPoint(0, static_cast<int>(std::lround(FmCtrl->top() * factor))));
}

INSTANTIATE_TEST_SUITE_P(Fonts, WindowsFitTest,
                         ::testing::Combine(::testing::Values(1, 2), ::testing::Values("USA", "JPN")),
                         [](const auto& test) {
                             return std::string(std::get<1>(test.param)) + "AtScale" +
                                    std::to_string(std::get<0>(test.param));
                         });

} // namespace
