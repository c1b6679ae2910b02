#include "ui/qt_keywords.h"

#include "ui/screenshots.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "framework/application.h"
#include "framework/form.h"
#include "ui/binder.h"

namespace ui {

namespace {

struct Checker {
    std::set<std::string> found;

    static std::string where(const QWidget* widget)
    {
        return (widget->window()->objectName() + u'/' + widget->objectName()).toStdString();
    }

    void report(const QWidget* widget, const QString& text, int need, int has, const QString& part = {})
    {
        if (need <= has)
            return;
        found.insert(where(widget) + part.toStdString() + ": \"" + text.toStdString() + "\" (needs " +
                     std::to_string(need) + ", has " + std::to_string(has) + ")");
    }

    // How much of the widget its ancestors leave visible (in its own
    // coordinates).
    static QRect visiblePart(const QWidget* widget)
    {
        QRect part = widget->rect();
        QPoint offset(0, 0);
        for (const QWidget* w = widget; w && !w->isWindow(); w = w->parentWidget()) {
            offset += w->pos();
            const QWidget* parent = w->parentWidget();
            if (!parent)
                break;
            part = part.intersected(parent->rect().translated(-offset));
        }
        return part;
    }

    // A text widget cut by its parent: less of it shows than its text needs.
    void reportCut(const QWidget* widget, const QString& text, QSize need)
    {
        const QRect part = visiblePart(widget);
        const QSize wanted(std::min(need.width(), widget->width()), std::min(need.height(), widget->height()));
        if (part.width() < wanted.width() || part.height() < wanted.height())
            found.insert(where(widget) + ": \"" + text.toStdString() + "\" is cut by its parent (" +
                         std::to_string(part.width()) + " x " + std::to_string(part.height()) + " of " +
                         std::to_string(widget->width()) + " x " + std::to_string(widget->height()) + " show)");
    }

    // A text under a sibling drawn above it (a later child of the parent):
    // hidden as surely as by a narrow widget. textRect is in the parent's
    // coordinates.
    void reportCovered(const QWidget* widget, const QString& text, const QRect& textRect)
    {
        const QWidget* parent = widget->parentWidget();
        if (!parent)
            return;
        const QObjectList& siblings = parent->children();
        for (auto at = siblings.indexOf(const_cast<QWidget*>(widget)) + 1; at < siblings.size(); ++at) {
            const auto* sibling = qobject_cast<const QWidget*>(siblings[at]);
            if (!sibling || !sibling->isVisible() || !ours(sibling))
                continue;
            // Lines packed closer than their leading touch without hiding
            // a letter.
            const QRect hidden = covering(sibling).intersected(textRect);
            if (hidden.width() >= 3 && hidden.height() * 3 >= textRect.height())
                found.insert(where(widget) + ": \"" + text.toStdString() + "\" is covered by " +
                             sibling->objectName().toStdString());
        }
    }

    // What a widget draws over, in its parent's coordinates: a label
    // without a background only its text.
    static QRect covering(const QWidget* widget)
    {
        const auto* label = qobject_cast<const QLabel*>(widget);
        if (!label || label->autoFillBackground())
            return widget->geometry();
        return textRectOf(label).translated(label->pos());
    }

    static QRect roomOf(const QLabel* label)
    {
        return label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
    }

    static QRect textRectOf(const QLabel* label)
    {
        const QRect room = roomOf(label);
        const QSize text = label->fontMetrics().size(0, label->text());
        return QStyle::alignedRect(label->layoutDirection(), label->alignment(), text.boundedTo(room.size()), room);
    }

    static bool ours(const QWidget* widget)
    {
        return !widget->objectName().isEmpty() && !widget->objectName().startsWith(QLatin1String("qt_"));
    }

    void check(QWidget* widget)
    {
        if (!widget->isVisible() || !ours(widget))
            return;
        const QFontMetrics metrics = widget->fontMetrics();
        QStyle* style = widget->style();
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->text().isEmpty() || label->wordWrap())
                return;
            const QSize text = metrics.size(0, label->text());
            const QRect room = roomOf(label);
            report(label, label->text(), text.width(), room.width() - std::max(0, label->indent()));
            report(label, label->text(), text.height(), room.height(), QStringLiteral(" (height)"));
            reportCut(label, label->text(), text);
            reportCovered(label, label->text(), textRectOf(label).translated(label->pos()));
        } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            checkButton(box, QStyle::SE_CheckBoxContents);
        } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            checkButton(radio, QStyle::SE_RadioButtonContents);
        } else if (auto* push = qobject_cast<QPushButton*>(widget)) {
            checkButton(push, QStyle::SE_PushButtonContents);
        } else if (auto* tool = qobject_cast<QToolButton*>(widget)) {
            if (tool->text().isEmpty() || tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
                return;
            const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, tool);
            int has = tool->width() - 2 * frame;
            if (tool->popupMode() == QToolButton::MenuButtonPopup)
                has -= style->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, tool);
            report(tool, tool->text(), metrics.size(Qt::TextShowMnemonic, tool->text()).width(), has);
            reportCut(tool, tool->text(), metrics.size(Qt::TextShowMnemonic, tool->text()));
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            if (group->title().isEmpty())
                return;
            QStyleOptionGroupBox option;
            option.initFrom(group);
            option.text = group->title();
            option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            option.textAlignment = group->alignment();
            const QRect title = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
            const int need = metrics.size(Qt::TextShowMnemonic, group->title()).width();
            report(group, group->title(), title.left() + need, group->width());
            reportCut(group, group->title(), QSize(title.left() + need, title.bottom() + 1));
        } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
            QTabBar* bar = tabs->tabBar();
            const QFontMetrics barMetrics = bar->fontMetrics();
            const bool vertical = tabs->tabPosition() == QTabWidget::West || tabs->tabPosition() == QTabWidget::East;
            for (int i = 0; i < bar->count(); ++i) {
                if (!bar->isTabVisible(i))
                    continue;
                const QRect rect = bar->tabRect(i);
                const QSize text = barMetrics.size(Qt::TextShowMnemonic, bar->tabText(i));
                report(tabs, bar->tabText(i), text.width(), vertical ? rect.height() : rect.width(),
                       QStringLiteral(" tab %1").arg(i));
                report(tabs, bar->tabText(i), text.height(), vertical ? rect.width() : rect.height(),
                       QStringLiteral(" tab %1 (height)").arg(i));
                // A page control with a few pages shows every tab; the
                // browser tabs scroll.
                if (bar->count() <= 8 && !bar->rect().contains(rect))
                    found.insert(where(tabs) + " tab " + std::to_string(i) + ": \"" + bar->tabText(i).toStdString() +
                                 "\" lies outside its tab bar");
            }
        } else if (auto* table = qobject_cast<QTableWidget*>(widget)) {
            const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1;
            for (int c = 0; c < table->columnCount(); ++c) {
                if (table->isColumnHidden(c))
                    continue;
                for (int r = 0; r < table->rowCount(); ++r) {
                    const QTableWidgetItem* item = table->item(r, c);
                    if (!item || item->text().isEmpty())
                        continue;
                    // The fixed cells are not selectable; the marks and
                    // numbers are short.
                    const bool fixed = !(item->flags() & Qt::ItemIsSelectable);
                    if (!fixed && item->text().size() > 4)
                        continue;
                    const QString part = QStringLiteral("[%1,%2]").arg(c).arg(r);
                    report(table, item->text(), metrics.horizontalAdvance(item->text()) + 2 * margin,
                           table->columnWidth(c), part);
                    report(table, item->text(), metrics.height(), table->rowHeight(r), part + " (height)");
                }
            }
        }
    }

    void checkButton(QAbstractButton* button, QStyle::SubElement contents)
    {
        if (button->text().isEmpty())
            return;
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect room = button->style()->subElementRect(contents, &option, button);
        const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
        report(button, button->text(), text.width(), room.width());
        report(button, button->text(), text.height(), room.height(), QStringLiteral(" (height)"));
        reportCut(button, button->text(), room.size());
    }

    void visit(QWidget* root, bool allPages)
    {
        check(root);
        for (QWidget* child : root->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            auto* tabs = qobject_cast<QTabWidget*>(child);
            if (!tabs || !allPages || !tabs->isVisible()) {
                if (child->isVisible())
                    visit(child, allPages);
                continue;
            }
            check(tabs);
            // Every page in turn, without telling the model.
            const int shown = tabs->currentIndex();
            const bool blocked = tabs->blockSignals(true);
            for (int i = 0; i < tabs->count(); ++i) {
                if (!tabs->isTabVisible(i))
                    continue;
                tabs->setCurrentIndex(i);
                QCoreApplication::sendPostedEvents();
                visit(tabs->widget(i), allPages);
            }
            tabs->setCurrentIndex(shown);
            tabs->blockSignals(blocked);
        }
    }
};

} // namespace

std::vector<std::string> clippedTexts(const std::vector<QWidget*>& windows, bool allPages)
{
    Checker checker;
    for (QWidget* window : windows)
        if (window && window->isVisible())
            checker.visit(window, allPages);
    return {checker.found.begin(), checker.found.end()};
}

namespace {

// Lets the windows take in what changed (layouts, paints) for at least one
// turn of events and then until ms have passed, in the application's wait.
void settle(framework::Application& app, Binder& binder, int ms)
{
    QElapsedTimer clock;
    clock.start();
    bool turned = false;
    framework::Application::Wait wait;
    wait.sliceMs = std::min(ms, 50);
    wait.done = [&] {
        binder.flush();
        const bool over = turned && clock.elapsed() >= ms;
        turned = true;
        return over;
    };
    app.wait(wait);
}

// The visible top-level windows drawn where they are, over the screen.
QImage screenPicture(const std::vector<QWidget*>& windows)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1920, 1080);
    QImage whole(area.size() * ratio, QImage::Format_RGB32);
    whole.setDevicePixelRatio(ratio);
    whole.fill(QColor(0x30, 0x30, 0x38));
    QPainter painter(&whole);
    for (QWidget* window : windows)
        if (window->isVisible())
            painter.drawPixmap(window->geometry().topLeft() - area.topLeft(), window->grab());
    return whole;
}

// Every window, frame and all, inside the free area of its screen.
std::vector<std::string> windowsOffScreen(const std::vector<QWidget*>& windows)
{
    std::vector<std::string> found;
    for (QWidget* window : windows) {
        QScreen* screen = window->screen();
        if (!window->isVisible() || !screen)
            continue;
        const QRect frame = window->frameGeometry();
        const QRect area = screen->availableGeometry();
        if (!area.contains(frame))
            found.push_back(window->objectName().toStdString() + " lies outside the screen (" +
                            std::to_string(frame.x()) + "," + std::to_string(frame.y()) + " " +
                            std::to_string(frame.width()) + " x " + std::to_string(frame.height()) + " on " +
                            std::to_string(area.width()) + " x " + std::to_string(area.height()) + ")");
    }
    return found;
}

} // namespace

void takeScreenshots(framework::Application& app, Binder& binder, const QString& folder)
{
    std::vector<framework::Form*> forms;
    for (const auto& form : app.forms())
        forms.push_back(form.get());
    for (framework::Form* form : forms)
        app.dispatch([form] { form->show(); });
    // Time for the windows to be placed, laid out and painted.
    settle(app, binder, 1500);
    QDir().mkpath(folder);
    std::vector<QWidget*> windows;
    for (framework::Form* form : forms) {
        QWidget* window = binder.windowOf(*form);
        if (!window || !window->isVisible())
            continue;
        windows.push_back(window);
        window->grab().save(folder + u'/' + QString::fromStdString(form->name()) + QStringLiteral(".png"));
    }
    screenPicture(windows).save(folder + QStringLiteral("/screen.png"));
    std::vector<std::string> problems = windowsOffScreen(windows);
    // The other pages of the page controls with a few pages (not the
    // browser tabs), each as a picture of its window: <form>-<pages>-<n>.png.
    for (QWidget* window : windows) {
        for (QTabWidget* tabs : window->findChildren<QTabWidget*>()) {
            if (!tabs->isVisible() || tabs->count() > 8)
                continue;
            const int shown = tabs->currentIndex();
            const bool blocked = tabs->blockSignals(true);
            for (int i = 0; i < tabs->count(); ++i) {
                if (i == shown || !tabs->isTabVisible(i))
                    continue;
                tabs->setCurrentIndex(i);
                settle(app, binder, 0);
                window->grab().save(folder + u'/' + window->objectName() + u'-' + tabs->objectName() +
                                    QStringLiteral("-%1.png").arg(i));
            }
            tabs->setCurrentIndex(shown);
            tabs->blockSignals(blocked);
        }
    }
    for (const std::string& line : clippedTexts(windows, true))
        problems.push_back(line);
    // The first lecture's first step: its note beside the control
    // (lecture.png, the screen as it shows).
    auto clickItem = [&](const char* name) {
        for (framework::Form* form : forms)
            if (auto* item = form->tryFind<framework::MenuItem>(name))
                app.dispatch([item] { item->click(); });
    };
    // (The document editor has no part in it.)
    for (framework::Form* form : forms)
        if (form->name() == "FmDocEdi")
            app.dispatch([form] { form->hide(); });
    clickItem("MMHLecSerch");
    settle(app, binder, 500);
    std::vector<QWidget*> lecture;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && !widget->objectName().isEmpty())
            lecture.push_back(widget);
    // The notes (frameless) stay on top.
    std::stable_partition(lecture.begin(), lecture.end(),
                          [](const QWidget* w) { return !(w->windowFlags() & Qt::FramelessWindowHint); });
    screenPicture(lecture).save(folder + QStringLiteral("/lecture.png"));
    for (const std::string& line : clippedTexts(lecture, false))
        problems.push_back(line);
    for (const std::string& line : windowsOffScreen(lecture))
        problems.push_back(line);
    clickItem("MMHLecEnd");
    std::fprintf(stderr, "screenshots: %zu windows in %s (scale %.3f, font %s %d px)\n", windows.size(),
                 folder.toLocal8Bit().constData(), binder.scaleFactor(),
                 QApplication::font().family().toLocal8Bit().constData(), QFontInfo(QApplication::font()).pixelSize());
    std::sort(problems.begin(), problems.end());
    problems.erase(std::unique(problems.begin(), problems.end()), problems.end());
    for (const std::string& line : problems)
        std::fprintf(stderr, "clipped: %s\n", line.c_str());
}

} // namespace ui
