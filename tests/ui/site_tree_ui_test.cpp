// The site tree window's widgets driven like a user does: a node dragged
// onto another, a sharing word ticked, a word-list mark clicked.

#include "ui/qt_keywords.h"

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QTableWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "sitetree/fm_ctrl.h"
#include "ui/binder.h"

using testsupport::readRaw;
using testsupport::writeRaw;

namespace {

void sendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

QTreeWidgetItem* itemNamed(QTreeWidget* tree, const QString& text)
{
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

class SiteTreeUiTest : public testsupport::AppFixture {
protected:
    void SetUp() override
    {
        writeRaw(data() / "USA" / "TVFCategory.txt", "Hobby\r\n");
        writeRaw(data() / "USA" / "Base.INI", "[TVF]\r\nCategory=Hobby\r\n[List]\r\nBunch=Month\r\n");
        writeRaw(data() / "USA" / "TVFThemaHobby.tvf", "Travel\r\n\tOkinawa\r\nMusic\r\n");
        writeRaw(data() / "USA" / "SharingTheme.txt", "free\r\nnew\r\n");
        writeRaw(data() / "USA" / "SeleBunch.txt", "Month\r\n");
        writeRaw(data() / "USA" / "ListBunchMonth.INI", "[Data]\r\n0,1=\" _ \"\r\n1,1=January\r\n");
        beforeForms = [this](framework::Application& app) { binder = std::make_unique<ui::Binder>(app, 1.0); };
        start();
        FmCtrl->LikeWord = " ";
        binder->flush();
    }
    void TearDown() override
    {
        closeProgram();
        binder.reset();
    }
    std::unique_ptr<ui::Binder> binder;
};

TEST_F(SiteTreeUiTest, DraggingANodeOntoAnotherMakesItItsChildAndSaves)
{
    auto* tree = qobject_cast<QTreeWidget*>(binder->widgetOf(FmCtrl->TreeViewEdd1));
    ASSERT_NE(tree, nullptr);
    tree->window()->show();
    tree->expandAll();
    QTreeWidgetItem* music = itemNamed(tree, "Music");
    QTreeWidgetItem* okinawa = itemNamed(tree, "Okinawa");
    ASSERT_TRUE(music && okinawa);
    QWidget* viewport = tree->viewport();
    // Points on the nodes' texts.
    const QRect musicRect = tree->visualItemRect(music);
    const QRect okinawaRect = tree->visualItemRect(okinawa);
    const QPoint from(musicRect.left() + 8, musicRect.center().y());
    const QPoint to(okinawaRect.left() + 8, okinawaRect.center().y());

    sendMouse(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseMove, from + QPoint(QApplication::startDragDistance() + 2, 0), Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseMove, to, Qt::LeftButton);
    EXPECT_EQ(viewport->cursor().shape() == Qt::DragMoveCursor || tree->cursor().shape() == Qt::DragMoveCursor, true);
    sendMouse(viewport, QEvent::MouseButtonRelease, to, Qt::NoButton);
    binder->flush();

    framework::TreeNode* travel = FmCtrl->TreeViewEdd1.root(0);
    ASSERT_EQ(FmCtrl->TreeViewEdd1.rootCount(), 1);
    ASSERT_EQ(travel->child(0)->childCount(), 1);
    EXPECT_EQ(travel->child(0)->child(0)->text(), "Music");
    EXPECT_EQ(readRaw(data() / "USA" / "TVFThemaHobby.tvf"), "Travel\r\n\tOkinawa\r\n\t\tMusic\r\n");
    EXPECT_TRUE(std::filesystem::exists(data() / "USA" / "BU_TVFThemaHobby.tvf"));
    ASSERT_NE(itemNamed(tree, "Music"), nullptr);
    EXPECT_EQ(itemNamed(tree, "Music")->parent(), itemNamed(tree, "Okinawa"));
}

TEST_F(SiteTreeUiTest, TickingASharingWordAndClickingAMarkThroughTheWidgets)
{
    auto* list = qobject_cast<QListWidget*>(binder->widgetOf(FmCtrl->CheckListBoxSharing));
    ASSERT_NE(list, nullptr);
    FmCpp->EditThemas.setText("Trip ");
    list->item(0)->setCheckState(Qt::Checked);
    binder->flush();
    EXPECT_TRUE(FmCtrl->CheckListBoxSharing.checked(0));
    EXPECT_EQ(FmCpp->EditThemas.text(), "Trip free ");

    auto* grid = qobject_cast<QTableWidget*>(binder->widgetOf(FmCtrl->StringGridBunch));
    ASSERT_NE(grid, nullptr);
    grid->window()->show();
    grid->scrollToTop();
    binder->flush();
    const QPoint mark = grid->visualRect(grid->model()->index(1, 0)).center();
    sendMouse(grid->viewport(), QEvent::MouseButtonPress, mark, Qt::LeftButton);
    sendMouse(grid->viewport(), QEvent::MouseButtonRelease, mark, Qt::NoButton);
    binder->flush();
    EXPECT_EQ(FmCtrl->StringGridBunch.cell(0, 1), "[y]");
    EXPECT_EQ(grid->item(1, 0)->text().toStdString(), "[y]");
    EXPECT_EQ(FmCtrl->StringGridBunch.cell(0, 0), "0,1");

    const QPoint word = grid->visualRect(grid->model()->index(1, 1)).center();
    sendMouse(grid->viewport(), QEvent::MouseButtonPress, word, Qt::LeftButton);
    sendMouse(grid->viewport(), QEvent::MouseButtonRelease, word, Qt::NoButton);
    binder->flush();
    EXPECT_EQ(FmCpp->EditThemas.text(), "Trip free January ");
}

} // namespace
