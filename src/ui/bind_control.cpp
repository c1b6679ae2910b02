#include "ui/qt_keywords.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

#include <algorithm>

#include "ui/align_layout.h"
#include "ui/bind_form.h"

namespace ui::detail {

using framework::Prop;

// --------------------------------------------------------- ControlBinding

ControlBinding::ControlBinding(BinderImpl& impl, framework::Control& model, ControlBinding* parent)
    : Binding(impl, model), control_(model), parent_(parent), form_(impl.formBindingOf(model.owner()))
{
}

ControlBinding::~ControlBinding() = default;

FormBinding* ControlBinding::formBinding() const
{
    return form_;
}

void ControlBinding::setWidget(QWidget* widget, BoundHooks* hooks)
{
    widget_ = widget;
    widget->setObjectName(qs(control_.name()));
    if (hooks)
        hooks->binding = this;
    if (parent_)
        parent_->adoptChild(*this);
}

void ControlBinding::adoptChild(ControlBinding& child)
{
    if (!layout_) {
        layout_ = new AlignLayout(childArea(), impl().scale());
        layout_->placed = [this](framework::Control& placed, const QRect& rect) {
            // Aligned controls carry the size the alignment gave them, so
            // handlers read real sizes; only once their form shows, not for
            // the provisional sizes of a window that was never laid out.
            if (!placed.owner() || !placed.owner()->visible())
                return;
            const Scale& scale = impl().scale();
            const int left = scale.toDesign(rect.x(), placed.left());
            const int top = scale.toDesign(rect.y(), placed.top());
            const int width = scale.toDesign(rect.width(), placed.width());
            const int height = scale.toDesign(rect.height(), placed.height());
            if (placed.left() == left && placed.top() == top && placed.width() == width && placed.height() == height)
                return;
            ControlBinding* binding = impl().controlBindingOf(&placed);
            if (!binding)
                return;
            Suppress echo(*binding, aspect(Prop::Geometry));
            impl().dispatch([&] { placed.updateBoundsFromView(left, top, width, height); });
        };
    }
    layout_->addControl(child.widget(), &child.control());
}

void ControlBinding::relayout()
{
    if (layout_)
        impl().requestLayout(*this);
}

QWidget* ControlBinding::mouseWidget() const
{
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget_.data()))
        return area->viewport();
    return widget_;
}

QRect ControlBinding::clientRect() const
{
    QWidget* w = mouseWidget();
    return w ? w->rect() : QRect();
}

framework::MouseEvent ControlBinding::mouseEvent(QMouseEvent* event) const
{
    framework::MouseEvent mouse;
    switch (event->button()) {
    case Qt::RightButton:
        mouse.button = framework::MouseButton::Right;
        break;
    case Qt::MiddleButton:
        mouse.button = framework::MouseButton::Middle;
        break;
    default:
        mouse.button = framework::MouseButton::Left;
        break;
    }
    const QPoint pos = modelPoint(event->position().toPoint());
    mouse.x = pos.x();
    mouse.y = pos.y();
    mouse.shift = event->modifiers() & Qt::ShiftModifier;
    mouse.ctrl = event->modifiers() & Qt::ControlModifier;
    return mouse;
}

void ControlBinding::postEvent(std::function<void()> framework::Control::*event)
{
    framework::Control* control = &control_;
    impl().post(*this, [this, control, event] {
        impl().dispatch([control, event] {
            // A copy: the handler may replace itself while it runs.
            auto handler = control->*event;
            if (handler)
                handler();
        });
    });
}

void ControlBinding::postMouse(std::function<void(const framework::MouseEvent&)> framework::Control::*event,
                               const framework::MouseEvent& mouse)
{
    framework::Control* control = &control_;
    impl().post(*this, [this, control, event, mouse] {
        impl().dispatch([control, event, mouse] {
            auto handler = control->*event;
            if (handler)
                handler(mouse);
        });
    });
}

void ControlBinding::mousePressed(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pressedInside_ = true;
    postMouse(&framework::Control::onMouseDown, mouseEvent(event));
}

void ControlBinding::mouseReleased(QMouseEvent* event)
{
    // The click comes before the mouse-up, as the windows expect.
    if (event->button() == Qt::LeftButton) {
        if (pressedInside_ && clicksFromMouse() && clientRect().contains(event->position().toPoint()))
            postEvent(&framework::Control::onClick);
        pressedInside_ = false;
    }
    postMouse(&framework::Control::onMouseUp, mouseEvent(event));
}

void ControlBinding::mouseMoved(QMouseEvent* event)
{
    framework::MouseEvent mouse = mouseEvent(event);
    mouse.button = (event->buttons() & Qt::RightButton) ? framework::MouseButton::Right : framework::MouseButton::Left;
    postMouse(&framework::Control::onMouseMove, mouse);
}

void ControlBinding::mouseDoubleClicked(QMouseEvent* event)
{
    // The release after a double click is no click of its own.
    pressedInside_ = false;
    if (event->button() == Qt::LeftButton)
        postEvent(&framework::Control::onDblClick);
    postMouse(&framework::Control::onMouseDown, mouseEvent(event));
}

bool ControlBinding::keyPressed(QKeyEvent* event)
{
    if (!control_.onKeyDown || impl().busy())
        return false;
    const int key = virtualKeyOf(event);
    if (!key)
        return false;
    // Handlers queued by earlier events run first, in order.
    impl().runHandlers();
    framework::KeyEvent keyEvent;
    keyEvent.key = key;
    keyEvent.shift = event->modifiers() & Qt::ShiftModifier;
    keyEvent.ctrl = event->modifiers() & Qt::ControlModifier;
    framework::Control* control = &control_;
    impl().dispatch([control, &keyEvent] {
        auto handler = control->onKeyDown;
        if (handler)
            handler(keyEvent);
    });
    // The key lands on what the handler left, not on the text it replaced.
    impl().flushBinding(*this);
    return keyEvent.key == 0;
}

void ControlBinding::focusIn(Qt::FocusReason reason)
{
    // Coming back to the window or closing a menu is no entering.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    postEvent(&framework::Control::onEnter);
}

void ControlBinding::focusOut(Qt::FocusReason reason)
{
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    postEvent(&framework::Control::onExit);
}

void ControlBinding::apply(Aspects aspects)
{
    if (!widget_)
        return;
    if (aspects & Options)
        refreshOptions();
    applyContent(aspects);
    if (aspects & (aspect(Prop::Color) | aspect(Prop::Font)))
        applyPalette();
    if (aspects & aspect(Prop::Font))
        applyFont();
    if (aspects & aspect(Prop::Hint))
        widget_->setToolTip(qs(control_.hint()));
    if (aspects & aspect(Prop::Enabled))
        widget_->setEnabled(control_.enabled());
    // A new text may need more room (see AlignLayout).
    if ((aspects & (aspect(Prop::Text) | aspect(Prop::Font))) && parent_ && growsWithText())
        parent_->relayout();
    // Geometry first: a window appears where the model puts it.
    if (aspects & aspect(Prop::Geometry))
        applyGeometry();
    if (aspects & aspect(Prop::Visible))
        applyVisible();
}

bool ControlBinding::growsWithText() const
{
    return qobject_cast<QLabel*>(widget_.data()) || qobject_cast<QAbstractButton*>(widget_.data()) ||
           qobject_cast<QGroupBox*>(widget_.data());
}

void ControlBinding::refreshOptions()
{
    applyOptions();
    mouseEntered();
}

void ControlBinding::mouseEntered()
{
    // Moves without a button pressed reach only a widget that tracks; a
    // handler may be assigned any time, so the mouse coming in checks.
    QWidget* target = mouseWidget();
    if (control_.onMouseMove && target && !target->hasMouseTracking())
        target->setMouseTracking(true);
}

void ControlBinding::applyVisible()
{
    widget_->setVisible(control_.visible());
    if (parent_)
        parent_->relayout();
}

void ControlBinding::applyGeometry()
{
    if (parent_)
        parent_->relayout();
}

void ControlBinding::applyPalette()
{
    // A fresh palette resolves only the roles the model sets; the others
    // come from the parent, so a control without its own colour or font
    // takes its parent's.
    QPalette palette;
    if (control_.color() != framework::ColorDefault)
        palette.setColor(backgroundRole(), qcolor(control_.color()));
    if (control_.fontColor() != framework::ColorDefault) {
        // Disabled text keeps the style's grey.
        palette.setColor(QPalette::Active, foregroundRole(), qcolor(control_.fontColor()));
        palette.setColor(QPalette::Inactive, foregroundRole(), qcolor(control_.fontColor()));
    }
    adjustPalette(palette);
    widget_->setPalette(palette);
    if (fillsBackground())
        widget_->setAutoFillBackground(control_.color() != framework::ColorDefault);
}

void ControlBinding::applyFont()
{
    QFont font;
    if (!control_.fontName().empty())
        font.setFamily(qs(control_.fontName()));
    if (control_.fontSize() > 0)
        font.setPixelSize(std::max(1, impl().scale().toPixels(control_.fontSize())));
    if (control_.fontBold())
        font.setBold(true);
    widget_->setFont(font);
}

// -------------------------------------------------------- generic control

namespace {

// A control of no particular kind: a plain container.
class PlainBinding : public ControlBinding {
public:
    PlainBinding(BinderImpl& impl, framework::Control& model, ControlBinding* parent)
        : ControlBinding(impl, model, parent)
    {
        auto* w = new Bound<QWidget>(parent ? parent->childArea() : nullptr);
        setWidget(w, w);
    }
};

} // namespace

std::unique_ptr<ControlBinding> createControlBinding(BinderImpl& impl, framework::Control& model,
                                                     ControlBinding* parent)
{
    static const BindingFactories factories = [] {
        BindingFactories table;
        addTextBindings(table);
        addListBindings(table);
        addOtherBindings(table);
        return table;
    }();
    const auto found = factories.find(std::type_index(typeid(model)));
    if (found != factories.end())
        return found->second(impl, model, parent);
    return std::make_unique<PlainBinding>(impl, model, parent);
}

} // namespace ui::detail
