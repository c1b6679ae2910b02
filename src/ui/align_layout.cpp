#include "ui/qt_keywords.h"

#include "ui/align_layout.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QWidget>

#include <algorithm>

#include "framework/component.h"

namespace ui {

using framework::Align;

namespace {

// The model's size wins over the widget's size policy: QWidgetItem would
// shrink a line edit or a button to its preferred height.
void setItemGeometry(QLayoutItem* item, const QRect& rect)
{
    if (QWidget* widget = item->widget())
        widget->setGeometry(rect);
    else
        item->setGeometry(rect);
}

} // namespace

QSize textFitSize(const QWidget* widget)
{
    if (!widget)
        return {};
    const QFontMetrics metrics = widget->fontMetrics();
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        if (label->text().isEmpty() || label->wordWrap())
            return {};
        const QSize text = metrics.size(0, label->text());
        const int extra = 2 * (label->frameWidth() + std::max(0, label->margin())) + std::max(0, label->indent());
        return {text.width() + extra, text.height() + extra};
    }
    if (auto* push = qobject_cast<const QPushButton*>(widget)) {
        if (push->text().isEmpty())
            return {};
        // Not the style's size hint, which makes every button at least 80
        // pixels wide.
        const QSize text = metrics.size(Qt::TextShowMnemonic, push->text());
        const QStyle* style = push->style();
        const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, push);
        const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, push);
        return {text.width() + 2 * (frame + margin), text.height() + 2 * frame};
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        // Check boxes, radio buttons and tool buttons: text, indicator or
        // arrow, margins.
        if (button->text().isEmpty())
            return {};
        return button->sizeHint();
    }
    if (auto* box = qobject_cast<const QGroupBox*>(widget)) {
        if (box->title().isEmpty())
            return {};
        return {box->minimumSizeHint().width(), 0};
    }
    return {};
}

AlignLayout::AlignLayout(QWidget* parent, const Scale& scale) : QLayout(parent), scale_(scale)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

AlignLayout::~AlignLayout()
{
    for (auto& entry : entries_)
        delete entry.item;
}

void AlignLayout::addControl(QWidget* widget, framework::Control* model)
{
    addChildWidget(widget);
    entries_.push_back({new QWidgetItem(widget), model});
    invalidate();
}

void AlignLayout::addItem(QLayoutItem* item)
{
    // Items added through the plain QLayout interface have no model; they
    // fill the client area.
    entries_.push_back({item, nullptr});
    invalidate();
}

QLayoutItem* AlignLayout::itemAt(int index) const
{
    if (index < 0 || index >= static_cast<int>(entries_.size()))
        return nullptr;
    return entries_[static_cast<size_t>(index)].item;
}

QLayoutItem* AlignLayout::takeAt(int index)
{
    if (index < 0 || index >= static_cast<int>(entries_.size()))
        return nullptr;
    QLayoutItem* item = entries_[static_cast<size_t>(index)].item;
    entries_.erase(entries_.begin() + index);
    return item;
}

int AlignLayout::count() const
{
    return static_cast<int>(entries_.size());
}

// The models give every size; the layout asks nothing of the window.
QSize AlignLayout::sizeHint() const
{
    return {0, 0};
}

namespace {

// What a child needs at least: a container what its own children need, a
// text its text, a list or text box (scroll area) room for a few lines;
// anything else shrinks freely.
QSize childMinimum(QWidget* widget, const Scale& scale)
{
    if (!widget)
        return {};
    if (qobject_cast<QAbstractScrollArea*>(widget))
        return scale.toPixels(QSize(40, 40));
    if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
        // The pages' needs and the bar's thickness; along its length the
        // bar scrolls its tabs.
        auto* stack = tabs->findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly);
        const QSize pages = stack ? stack->minimumSizeHint().expandedTo(QSize(0, 0)) : QSize();
        const QSize whole = tabs->minimumSizeHint();
        const int frame = 2 * tabs->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, tabs);
        if (tabs->tabPosition() == QTabWidget::West || tabs->tabPosition() == QTabWidget::East)
            return {whole.width(), pages.height() + frame};
        return {pages.width() + frame, whole.height()};
    }
    if (widget->layout())
        return widget->minimumSizeHint().expandedTo(QSize(0, 0));
    return textFitSize(widget);
}

} // namespace

// The smallest room that shows every child whole: the children without
// alignment where the models put them, the aligned ones with their model
// sizes across and what they need themselves along, nested as place()
// nests them. A window that gets less scrolls.
QSize AlignLayout::minimumSize() const
{
    auto shown = [](const Entry& e) { return e.model ? e.model->visible() : !e.item->isEmpty(); };
    QSize need(0, 0);
    if (flow_) {
        for (const auto& e : entries_)
            if (shown(e))
                need.rwidth() += std::max(e.item->sizeHint().width(), scale_.toPixels(23));
    } else {
        auto alignOf = [](const Entry& e) { return e.model ? e.model->align() : Align::Client; };
        for (const auto& e : entries_)
            if (shown(e) && alignOf(e) == Align::Client)
                need = need.expandedTo(childMinimum(e.item->widget(), scale_));
        for (Align side : {Align::Right, Align::Left, Align::Bottom, Align::Top}) {
            for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
                if (!shown(*it) || alignOf(*it) != side)
                    continue;
                const QSize inner = childMinimum(it->item->widget(), scale_);
                const QSize fit = textFitSize(it->item->widget());
                if (side == Align::Left || side == Align::Right) {
                    need.rwidth() += std::max({0, scale_.toPixels(it->model->width()), fit.width()});
                    need.setHeight(std::max(need.height(), inner.height()));
                } else {
                    need.rheight() += std::max({0, scale_.toPixels(it->model->height()), fit.height()});
                    need.setWidth(std::max(need.width(), inner.width()));
                }
            }
        }
        for (const auto& e : entries_) {
            if (!shown(e) || !e.model || e.model->align() != Align::None)
                continue;
            const QSize fit = textFitSize(e.item->widget());
            const QRect r(
                scale_.toPixels(QPoint(e.model->left(), e.model->top())),
                scale_.toPixels(QSize(std::max(0, e.model->width()), std::max(0, e.model->height()))).expandedTo(fit));
            need = need.expandedTo(QSize(r.right() + 1, r.bottom() + 1));
        }
    }
    const QMargins margins = contentsMargins();
    return need + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

void AlignLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    place(rect);
}

void AlignLayout::relayout()
{
    QWidget* owner = parentWidget();
    if (!owner)
        return;
    setGeometry(owner->contentsRect());
}

framework::Control* AlignLayout::neighbourOf(const framework::Control* splitter) const
{
    for (const auto& [s, neighbour] : neighbours_)
        if (s == splitter)
            return neighbour;
    return nullptr;
}

void AlignLayout::place(const QRect& area)
{
    neighbours_.clear();
    auto shown = [](const Entry& e) { return e.model ? e.model->visible() : !e.item->isEmpty(); };

    if (flow_) {
        int x = area.left();
        for (const auto& e : entries_) {
            if (!shown(e))
                continue;
            const int width = std::max(e.item->sizeHint().width(), scale_.toPixels(23));
            setItemGeometry(e.item, QRect(x, area.top(), width, area.height()));
            x += width;
        }
        return;
    }

    QRect rest = area;
    framework::Control* lastOnSide[6] = {};
    auto report = [this](const Entry& e, const QRect& r) {
        if (e.model && placed)
            placed(*e.model, r);
    };
    auto handle = [&](Align side) {
        for (const auto& e : entries_) {
            if (!shown(e))
                continue;
            const Align entryAlign = e.model ? e.model->align() : Align::Client;
            if (entryAlign != side)
                continue;
            QRect r;
            const QSize fit = textFitSize(e.item->widget());
            switch (side) {
            case Align::Top: {
                const int h = std::max({0, scale_.toPixels(e.model->height()), fit.height()});
                r = QRect(rest.left(), rest.top(), rest.width(), h);
                rest.setTop(rest.top() + h);
                break;
            }
            case Align::Bottom: {
                const int h = std::max({0, scale_.toPixels(e.model->height()), fit.height()});
                r = QRect(rest.left(), rest.bottom() + 1 - h, rest.width(), h);
                rest.setBottom(rest.bottom() - h);
                break;
            }
            case Align::Left: {
                const int w = std::max({0, scale_.toPixels(e.model->width()), fit.width()});
                r = QRect(rest.left(), rest.top(), w, rest.height());
                rest.setLeft(rest.left() + w);
                break;
            }
            case Align::Right: {
                const int w = std::max({0, scale_.toPixels(e.model->width()), fit.width()});
                r = QRect(rest.right() + 1 - w, rest.top(), w, rest.height());
                rest.setRight(rest.right() - w);
                break;
            }
            case Align::Client:
                r = QRect(rest.left(), rest.top(), std::max(0, rest.width()), std::max(0, rest.height()));
                break;
            case Align::None:
                break;
            }
            r.setWidth(std::max(0, r.width()));
            r.setHeight(std::max(0, r.height()));
            if (e.model) {
                const int sideIndex = static_cast<int>(side);
                neighbours_.push_back({e.model, lastOnSide[sideIndex]});
                lastOnSide[sideIndex] = e.model;
            }
            setItemGeometry(e.item, r);
            report(e, r);
        }
    };
    handle(Align::Top);
    handle(Align::Bottom);
    handle(Align::Left);
    handle(Align::Right);
    handle(Align::Client);

    for (const auto& e : entries_) {
        if (!shown(e) || !e.model || e.model->align() != Align::None)
            continue;
        const QSize fit = textFitSize(e.item->widget());
        const QRect design(e.model->left(), e.model->top(), std::max(0, e.model->width()),
                           std::max(0, e.model->height()));
        QRect r = scale_.toPixels(design);
        r.setWidth(std::max(r.width(), fit.width()));
        r.setHeight(std::max(r.height(), fit.height()));
        setItemGeometry(e.item, r);
    }
}

} // namespace ui
