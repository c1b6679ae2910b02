#include "ui/qt_keywords.h"

#include "ui/binder.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <unordered_set>

#include "ui/align_layout.h"
#include "ui/binding.h"
#include "ui/keys.h"

namespace ui {

using framework::Prop;

namespace detail {

int virtualKeyOf(const QKeyEvent* event)
{
    return virtualKeyFromQtKey(event->key());
}

QString withoutAccessKeys(const std::string& caption)
{
    const QString text = qs(caption);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

// ------------------------------------------------------------- EventScope

EventScope::EventScope(BinderImpl& impl) : impl_(impl)
{
    impl_.enterEvent();
}

EventScope::~EventScope()
{
    impl_.leaveEvent();
}

// ---------------------------------------------------------------- Binding

Binding::Binding(BinderImpl& impl, framework::Component& model) : impl_(impl), model_(model)
{
}

Binding::~Binding() = default;

void Binding::observe()
{
    observer_ = model_.observe([alive = impl_.alive(), this](Prop what) {
        if (*alive)
            markDirty(aspect(what));
    });
    markDirty(AllAspects);
}

void Binding::detachModel()
{
    if (observer_)
        model_.unobserve(observer_);
    observer_ = 0;
}

bool Binding::usable() const
{
    return *impl_.alive() && impl_.formLiving(formBinding());
}

void Binding::markDirty(Aspects aspects)
{
    aspects &= ~suppressed_;
    if (!aspects)
        return;
    dirty |= aspects;
    impl_.schedule(*this);
}

void Binding::applyNow()
{
    const Aspects aspects = dirty;
    dirty = 0;
    if (!aspects)
        return;
    ++refreshes_;
    apply(aspects);
}

// ---------------------------------------------------------- MenuItemBinding

// A menu item is a QAction owned by its form's window; the menus it sits in
// are rebuilt from the model whenever items are added.
class MenuItemBinding : public Binding {
public:
    MenuItemBinding(BinderImpl& impl, framework::MenuItem& item, FormBinding& form);

    framework::MenuItem& item() const { return item_; }
    QAction* action() const { return action_; }
    FormBinding* formBinding() const override { return form_; }

protected:
    void apply(Aspects aspects) override;

private:
    void triggered();
    framework::MenuItem& item_;
    FormBinding* form_;
    QPointer<QAction> action_;
};

// ------------------------------------------------------------- FormBinding

class FormBinding : public ControlBinding {
public:
    FormBinding(BinderImpl& impl, framework::Form& form);
    ~FormBinding() override;

    framework::Form& form() const { return form_; }
    QWidget* window() const { return widget_; }
    QWidget* childArea() const override { return central_; }
    QWidget* mouseWidget() const override { return central_; }
    FormBinding* formBinding() const override { return const_cast<FormBinding*>(this); }
    void detachModel() override;

    void addMember(Binding* binding) { members_.push_back(binding); }
    // The form's model was destroyed.
    bool retired = false;
    const std::vector<Binding*>& members() const { return members_; }
    size_t boundCount = 0;

    void closeRequested();
    void windowGeometryChanged();
    void refitToFrame();
    void windowStateChanged();
    void applyOptions() override;

protected:
    void applyContent(Aspects aspects) override;
    void applyVisible() override;
    void applyGeometry() override;

private:
    void applyState();
    void rebuildMenus();
    void raise();
    // The smallest size that shows every control whole, and the window's
    // minimum: that, or what the screen leaves when that is less.
    QSize contentMinimum() const;
    void applyMinimum(const QRect& area, const QMargins& frame);

    framework::Form& form_;
    QWidget* central_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QMainWindow* mainWindow_ = nullptr;
    // Until then, the first move that tells the window manager's frame
    // fits the window to its screen once more (the frame was a guess).
    QDeadlineTimer refitUntil_;
    int raisedId_ = 0;
    std::vector<Binding*> members_;
};

// The window of a form: the model decides about closing, and the window
// reports where the user moved it.
template <class Base> class FormWindow : public Bound<Base> {
public:
    using Bound<Base>::Bound;
    FormBinding* form = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override
    {
        Base::moveEvent(event);
        if (form && form->usable())
            form->windowGeometryChanged();
    }
    void resizeEvent(QResizeEvent* event) override
    {
        Base::resizeEvent(event);
        if (form && form->usable())
            form->windowGeometryChanged();
    }
    void changeEvent(QEvent* event) override
    {
        Base::changeEvent(event);
        if (form && event->type() == QEvent::WindowStateChange && form->usable())
            form->windowStateChanged();
    }
};

template <class Base> void FormWindow<Base>::closeEvent(QCloseEvent* event)
{
    if (!form || !form->usable())
        return Base::closeEvent(event);
    // Once the program ends, Qt closes every window before it leaves the
    // event loop (a refused close would cancel the quit).
    if (form->impl().app().terminated())
        return Base::closeEvent(event);
    // The model decides: FormCloseQuery may refuse, and a form that closes
    // hides itself, which hides this window.
    event->ignore();
    EventScope scope(form->impl());
    form->closeRequested();
}

FormBinding::FormBinding(BinderImpl& impl, framework::Form& form) : ControlBinding(impl, form, nullptr), form_(form)
{
    // The controls sit on a content widget inside a scroll area: a window
    // that a small screen makes smaller than its controls need scrolls
    // instead of cutting them off.
    auto* central = new Bound<QWidget>();
    central->binding = this;
    central_ = central;
    scroll_ = new QScrollArea();
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->viewport()->setAutoFillBackground(false);
    scroll_->setWidget(central);
    if (form.mainMenu) {
        auto* window = new FormWindow<QMainWindow>();
        window->form = this;
        mainWindow_ = window;
        window->setCentralWidget(scroll_);
        // The menu bar belongs to the window on every desktop: a global
        // menu would take it out of the strip the window is.
        window->menuBar()->setNativeMenuBar(false);
        setWidget(window, window);
    } else {
        auto* window = new FormWindow<QWidget>();
        window->form = this;
        auto* box = new QVBoxLayout(window);
        box->setContentsMargins(0, 0, 0, 0);
        box->addWidget(scroll_);
        setWidget(window, window);
    }
    widget_->setAttribute(Qt::WA_DeleteOnClose, false);
    raisedId_ = form.raised.connect([alive = impl.alive(), this] {
        if (*alive)
            raise();
    });
}

FormBinding::~FormBinding() = default;

void FormBinding::detachModel()
{
    if (raisedId_)
        form_.raised.disconnect(raisedId_);
    raisedId_ = 0;
    ControlBinding::detachModel();
}

void FormBinding::closeRequested()
{
    framework::Form* form = &form_;
    impl().post(*this, [this, form] { impl().dispatch([form] { form->close(); }); });
}

void FormBinding::windowGeometryChanged()
{
    QWidget* window = widget_;
    if (!window || impl().applying() || !window->isVisible())
        return;
    refitToFrame();
    // The model keeps the normal bounds; a minimised or maximised window
    // reports nothing.
    if (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    // The model keeps design units; pixels that came from its values map
    // back to them unchanged.
    const Scale& scale = impl().scale();
    const QPoint pos = window->pos();
    const QSize size = window->size();
    const int left = scale.toDesign(pos.x(), form_.left());
    const int top = scale.toDesign(pos.y(), form_.top());
    const int width = scale.toDesign(size.width(), form_.width());
    const int height = scale.toDesign(size.height(), form_.height());
    if (left == form_.left() && top == form_.top() && width == form_.width() && height == form_.height())
        return;
    Suppress echo(*this, aspect(Prop::Geometry));
    impl().dispatch([&] { form_.updateBoundsFromView(left, top, width, height); });
}

void FormBinding::windowStateChanged()
{
    QWidget* window = widget_;
    if (!window || impl().applying())
        return;
    const Qt::WindowStates state = window->windowState();
    framework::WindowState model = framework::WindowState::Normal;
    if (state & Qt::WindowMinimized)
        model = framework::WindowState::Minimized;
    else if (state & Qt::WindowMaximized)
        model = framework::WindowState::Maximized;
    // A window without a maximise button is not maximised, whatever the
    // window manager offers (a title double click, a key, a tiling rule).
    if (model == framework::WindowState::Maximized && !form_.maximizeButton) {
        window->showNormal();
        return;
    }
    if (model == form_.windowState())
        return;
    Suppress echo(*this, aspect(Prop::State));
    impl().dispatch([&] { form_.setWindowState(model); });
}

void FormBinding::applyOptions()
{
    QWidget* window = widget_;
    Qt::WindowFlags flags = form_.toolWindow ? Qt::Tool : Qt::Window;
    if (!form_.maximizeButton)
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    if (window->windowFlags() != flags) {
        const bool shown = window->isVisible();
        window->setWindowFlags(flags);
        if (shown)
            window->show();
    }
}

void FormBinding::applyContent(Aspects aspects)
{
    if (aspects & aspect(Prop::Text))
        widget_->setWindowTitle(qs(form_.caption()));
    if (aspects & aspect(Prop::State))
        applyState();
    if (aspects & MenuStructure)
        rebuildMenus();
}

void FormBinding::applyState()
{
    QWidget* window = widget_;
    if (!window->isVisible()) {
        Qt::WindowStates state = Qt::WindowNoState;
        if (form_.windowState() == framework::WindowState::Minimized)
            state = Qt::WindowMinimized;
        else if (form_.windowState() == framework::WindowState::Maximized)
            state = Qt::WindowMaximized;
        window->setWindowState(state);
        return;
    }
    switch (form_.windowState()) {
    case framework::WindowState::Minimized:
        if (!(window->windowState() & Qt::WindowMinimized))
            window->showMinimized();
        break;
    case framework::WindowState::Maximized:
        if (!(window->windowState() & Qt::WindowMaximized))
            window->showMaximized();
        break;
    case framework::WindowState::Normal:
        if (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
            window->showNormal();
        break;
    }
}

void FormBinding::applyVisible()
{
    QWidget* window = widget_;
    if (!form_.visible()) {
        window->hide();
        return;
    }
    if (window->isVisible())
        return;
    // Options set while the window was hidden were never announced.
    refreshOptions();
    for (Binding* member : members_)
        if (auto* control = dynamic_cast<ControlBinding*>(member))
            control->refreshOptions();
    // Captions read at the show may want more room than the design gives.
    applyGeometry();
    refitUntil_ = QDeadlineTimer(2000);
    switch (form_.windowState()) {
    case framework::WindowState::Minimized:
        window->showMinimized();
        break;
    case framework::WindowState::Maximized:
        window->showMaximized();
        break;
    case framework::WindowState::Normal:
        window->show();
        break;
    }
    // A window shown minimised waits in the task bar; raising it would
    // restore it on some window managers.
    if (form_.windowState() == framework::WindowState::Minimized)
        return;
    window->raise();
    window->activateWindow();
}

namespace {

// The window manager's frame around a window: known once it framed the
// window; until then the frame of a window shown before (none without a
// window manager).
QMargins frameOf(const QWidget* window)
{
    static QMargins seen;
    if (window->isVisible()) {
        const QRect outer = window->frameGeometry();
        const QRect inner = window->geometry();
        if (outer != inner) {
            seen = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                            outer.bottom() - inner.bottom());
            return seen;
        }
    }
    return seen;
}

QList<QRect> availableScreens()
{
    QList<QRect> screens;
    for (QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    return screens;
}

} // namespace

QSize FormBinding::contentMinimum() const
{
    QSize minimum = central_->minimumSizeHint().expandedTo(QSize(0, 0));
    if (mainWindow_ && mainWindow_->menuBar()->isVisibleTo(mainWindow_))
        minimum.rheight() += mainWindow_->menuBar()->sizeHint().height();
    return minimum;
}

void FormBinding::applyMinimum(const QRect& area, const QMargins& frame)
{
    QSize minimum = contentMinimum();
    if (!area.isEmpty())
        minimum = minimum.boundedTo(
            QSize(area.width() - frame.left() - frame.right(), area.height() - frame.top() - frame.bottom()));
    if (widget_->minimumSize() != minimum)
        widget_->setMinimumSize(minimum);
}

void FormBinding::applyGeometry()
{
    QWidget* window = widget_;
    if (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const Scale& scale = impl().scale();
    const QRect rect(scale.toPixels(QPoint(form_.left(), form_.top())),
                     scale.toPixels(QSize(std::max(0, form_.width()), std::max(0, form_.height()))));
    // A place stored while another monitor was attached comes back onto a
    // screen; a window larger than the screen it starts on shrinks to it
    // (its controls then scroll), one that needs more room than its design
    // size grows as far as the screen lets it.
    const QList<QRect> screens = availableScreens();
    QRect onScreen = placeOnScreens(rect, screens);
    const QRect area = screenOf(onScreen, screens);
    const QMargins frame = frameOf(window);
    applyMinimum(area, frame);
    onScreen.setSize(onScreen.size().expandedTo(window->minimumSize()));
    onScreen = fitOnScreen(onScreen, frame, area, window->minimumSize());
    // A window that was never moved reports 0,0 but lets the window manager
    // place it: it is moved even to where it seems to be already.
    if (window->pos() != onScreen.topLeft() || !window->testAttribute(Qt::WA_Moved))
        window->move(onScreen.topLeft());
    if (window->size() != onScreen.size())
        window->resize(onScreen.size());
    // The handlers see where the window really is (and it is stored there).
    if (onScreen.topLeft() != rect.topLeft()) {
        Suppress echo(*this, aspect(Prop::Geometry));
        impl().dispatch([&] {
            form_.updateBoundsFromView(scale.toDesign(onScreen.x()), scale.toDesign(onScreen.y()), form_.width(),
                                       form_.height());
        });
    }
}

void FormBinding::refitToFrame()
{
    // The frame was a guess when the window was placed; now that the window
    // manager tells it, the window fits its screen once more.
    QWidget* window = widget_;
    if (refitUntil_.hasExpired() || window->frameGeometry() == window->geometry())
        return;
    refitUntil_ = QDeadlineTimer(0);
    if (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QList<QRect> screens = availableScreens();
    const QRect current(window->pos(), window->size());
    const QRect area = screenOf(current, screens);
    const QMargins frame = frameOf(window);
    applyMinimum(area, frame);
    const QRect fitted = fitOnScreen(current, frame, area, window->minimumSize());
    if (fitted == current)
        return;
    BinderImpl::ApplyGuard guard(impl());
    window->move(fitted.topLeft());
    window->resize(fitted.size());
}

void FormBinding::raise()
{
    impl().refresh();
    if (!widget_ || !widget_->isVisible())
        return;
    widget_->raise();
    widget_->activateWindow();
}

void FormBinding::rebuildMenus()
{
    // Every item with children gets its menu; roots the program shows as
    // pop-ups or drop-downs got theirs through menuFor() already.
    std::vector<framework::MenuItem*> items;
    for (Binding* member : members_)
        if (auto* item = dynamic_cast<MenuItemBinding*>(member))
            items.push_back(&item->item());
    for (framework::MenuItem* item : items)
        if (!item->items().empty() && item != form_.mainMenu)
            impl().menuFor(*item);
    for (framework::MenuItem* item : items) {
        QMenu* menu = impl().existingMenu(*item);
        if (QAction* action = impl().actionOf(*item))
            action->setMenu(item->items().empty() ? nullptr : menu);
        if (!menu)
            continue;
        menu->clear();
        for (framework::MenuItem* child : item->items())
            if (QAction* action = impl().actionOf(*child))
                menu->addAction(action);
    }
    if (mainWindow_ && form_.mainMenu) {
        QMenuBar* bar = mainWindow_->menuBar();
        bar->clear();
        for (framework::MenuItem* child : form_.mainMenu->items())
            if (QAction* action = impl().actionOf(*child))
                bar->addAction(action);
    }
}

// --------------------------------------------------------- MenuItemBinding

MenuItemBinding::MenuItemBinding(BinderImpl& impl, framework::MenuItem& item, FormBinding& form)
    : Binding(impl, item), item_(item), form_(&form)
{
    action_ = new QAction(form.window());
    action_->setObjectName(qs(item.name()));
    // Captions keep their "&": it marks the access key in both worlds, and
    // "&&" shows one "&".
    listen(*this, action_.data(), &QAction::triggered, [this](bool) { triggered(); });
}

void MenuItemBinding::triggered()
{
    impl().post(*this, [this] {
        framework::MenuItem* item = &item_;
        impl().dispatch([item] { item->click(); });
        // A check item changes only through its handler: show the model's
        // state, not the one Qt toggled.
        if (action_) {
            action_->setCheckable(item_.checked());
            action_->setChecked(item_.checked());
        }
    });
}

void MenuItemBinding::apply(Aspects aspects)
{
    if (!action_)
        return;
    if (aspects & aspect(Prop::Text)) {
        // A separator's "-" caption is only its mark: styles draw a
        // separator's text beside its line.
        action_->setSeparator(item_.isSeparator());
        action_->setText(item_.isSeparator() ? QString() : qs(item_.caption()));
    }
    if (aspects & aspect(Prop::Checked)) {
        // Checkable only while checked: an unchecked item looks like a
        // plain command, with no empty check box beside it.
        action_->setCheckable(item_.checked());
        action_->setChecked(item_.checked());
    }
    if (aspects & aspect(Prop::Visible))
        action_->setVisible(item_.visible());
    if (aspects & aspect(Prop::Enabled))
        action_->setEnabled(item_.enabled());
    // The hint and the key are not announced; they ride along with every
    // refresh. A key works while the window is active, also for items of
    // menus that only drop down from a button.
    const QKeySequence key = QKeySequence::fromString(qs(item_.shortcut), QKeySequence::PortableText);
    if (action_->shortcut() != key) {
        action_->setShortcut(key);
        if (QWidget* window = form_->window(); window && !key.isEmpty() && !window->actions().contains(action_))
            window->addAction(action_);
    }
    action_->setStatusTip(qs(item_.hint()));
    action_->setToolTip(item_.hint().empty() ? action_->text() : qs(item_.hint()));
}

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
    if (auto binding = createTextBinding(impl, model, parent))
        return binding;
    if (auto binding = createListBinding(impl, model, parent))
        return binding;
    if (auto binding = createOtherBinding(impl, model, parent))
        return binding;
    return std::make_unique<PlainBinding>(impl, model, parent);
}

// -------------------------------------------------------------- BinderImpl

BinderImpl::BinderImpl(framework::Application& app, const Scale& scale) : app_(app), scale_(scale)
{
    Scale::setCurrent(scale_);
    idle_.setSingleShot(true);
    idle_.setInterval(0);
    QObject::connect(&idle_, &QTimer::timeout, [this] { flush(); });
    formAddedId_ = app.formAdded.connect([alive = alive_, this](framework::Form& form) {
        if (*alive)
            bindForm(form);
    });
    // The user's commands wait while a handler runs; they go on once it
    // has ended.
    idleId_ = app.idle.connect([alive = alive_, this] {
        if (*alive && !handlers_.empty() && !idle_.isActive())
            idle_.start();
    });
    for (const auto& form : app.forms())
        bindForm(*form);
}

BinderImpl::~BinderImpl()
{
    *alive_ = false;
    idle_.stop();
    app_.formAdded.disconnect(formAddedId_);
    app_.idle.disconnect(idleId_);
    // Forms already destroyed (Application::destroyForms) are left alone.
    std::unordered_set<const framework::Form*> living;
    for (const auto& form : app_.forms())
        living.insert(form.get());
    for (auto& [component, binding] : bindings_) {
        FormBinding* form = binding->formBinding();
        if (form && living.count(&form->form()))
            binding->detachModel();
    }
    for (auto& [component, binding] : bindings_)
        if (auto* control = dynamic_cast<ControlBinding*>(binding.get()))
            control->releaseForeignWidgets();
    for (FormBinding* form : forms_)
        delete form->window();
    handlers_.clear();
    pending_.clear();
    layouts_.clear();
    bindings_.clear();
}

void BinderImpl::bindForm(framework::Form& form)
{
    if (bindings_.count(&form))
        return;
    ApplyGuard guard(*this);
    auto owned = std::make_unique<FormBinding>(*this, form);
    FormBinding* binding = owned.get();
    bindings_[&form] = std::move(owned);
    forms_.push_back(binding);
    binding->observe();
    bindNewComponents(*binding);
}

void BinderImpl::bindNewComponents(FormBinding& form)
{
    const auto& components = form.form().components();
    const size_t first = form.boundCount;
    while (form.boundCount < components.size()) {
        framework::Component& component = *components[form.boundCount];
        ++form.boundCount;
        bindComponent(form, component);
    }
    // Pop-up menus the window definition put on its controls; menus are
    // bound by now, whatever their place in the creation order.
    for (size_t i = first; i < components.size(); ++i)
        if (auto* control = dynamic_cast<framework::Control*>(components[i].get()); control && control->popupMenu)
            setPopupMenu(*control, *control->popupMenu);
}

void BinderImpl::bindComponent(FormBinding& form, framework::Component& component)
{
    if (bindings_.count(&component))
        return;
    std::unique_ptr<Binding> binding;
    if (auto* item = dynamic_cast<framework::MenuItem*>(&component)) {
        binding = std::make_unique<MenuItemBinding>(*this, *item, form);
        form.markDirty(MenuStructure);
    } else if (auto* control = dynamic_cast<framework::Control*>(&component)) {
        ControlBinding* parent = controlBindingOf(control->parent());
        binding = createControlBinding(*this, *control, parent ? parent : &form);
    } else {
        return; // timers run on the clock service
    }
    Binding* raw = binding.get();
    bindings_[&component] = std::move(binding);
    form.addMember(raw);
    raw->observe();
}

Binding* BinderImpl::bindingOf(const framework::Component* component) const
{
    if (!component)
        return nullptr;
    auto it = bindings_.find(component);
    return it == bindings_.end() ? nullptr : it->second.get();
}

ControlBinding* BinderImpl::controlBindingOf(const framework::Component* component) const
{
    return dynamic_cast<ControlBinding*>(bindingOf(component));
}

FormBinding* BinderImpl::formBindingOf(const framework::Form* form) const
{
    return dynamic_cast<FormBinding*>(bindingOf(form));
}

void BinderImpl::schedule(Binding& binding)
{
    if (!binding.queued) {
        binding.queued = true;
        pending_.push_back(&binding);
    }
    if (!flushing_ && !idle_.isActive())
        idle_.start();
}

void BinderImpl::requestLayout(ControlBinding& container)
{
    if (std::find(layouts_.begin(), layouts_.end(), &container) == layouts_.end())
        layouts_.push_back(&container);
    if (!flushing_ && !idle_.isActive())
        idle_.start();
}

void BinderImpl::runLayouts()
{
    while (!layouts_.empty()) {
        auto batch = std::move(layouts_);
        layouts_.clear();
        for (ControlBinding* container : batch)
            if (container->layout() && container->usable())
                container->layout()->relayout();
    }
}

void BinderImpl::applyPending()
{
    ApplyGuard guard(*this);
    // Writes back from the layout may queue more; they settle at once
    // because aligned sizes are a function of the inputs.
    for (int round = 0; round < 16 && (!pending_.empty() || !layouts_.empty()); ++round) {
        auto batch = std::move(pending_);
        pending_.clear();
        // Windows last: a window shows with its controls already in place.
        std::stable_partition(batch.begin(), batch.end(),
                              [](Binding* b) { return dynamic_cast<FormBinding*>(b) == nullptr; });
        bool laidOut = false;
        for (Binding* binding : batch) {
            if (!laidOut && dynamic_cast<FormBinding*>(binding)) {
                runLayouts();
                laidOut = true;
            }
            binding->queued = false;
            if (binding->usable())
                binding->applyNow();
        }
        runLayouts();
    }
}

void BinderImpl::flush()
{
    // User actions first: the refresh then shows what their handlers left.
    runHandlers();
    refresh();
    runHandlers();
}

void BinderImpl::refresh()
{
    if (flushing_)
        return;
    flushing_ = true;
    idle_.stop();
    {
        ApplyGuard guard(*this);
        for (size_t i = 0; i < forms_.size(); ++i)
            if (formLiving(forms_[i]))
                bindNewComponents(*forms_[i]);
    }
    applyPending();
    flushing_ = false;
    // Handlers queued meanwhile still need their turn.
    if (!handlers_.empty() && eventDepth_ == 0 && !idle_.isActive())
        idle_.start();
}

void BinderImpl::flushBinding(Binding& binding)
{
    if (!binding.dirty || !binding.usable())
        return;
    ApplyGuard guard(*this);
    binding.applyNow();
    runLayouts();
}

bool BinderImpl::busy() const
{
    return framework::Application::exists() && app_.busy();
}

bool BinderImpl::dispatch(const std::function<void()>& handler)
{
    if (!framework::Application::exists())
        return false;
    return app_.dispatch(handler);
}

void BinderImpl::post(Binding& owner, std::function<void()> handler)
{
    handlers_.push_back({&owner, std::move(handler)});
    if (eventDepth_ == 0 && !idle_.isActive())
        idle_.start();
}

void BinderImpl::leaveEvent()
{
    if (--eventDepth_ == 0)
        runHandlers();
}

void BinderImpl::runHandlers()
{
    // Inside a handler's wait or behind its modal box no command of the
    // user starts; Application::idle brings them back.
    if (busy())
        return;
    while (!handlers_.empty() && *alive_ && !busy()) {
        auto [owner, handler] = std::move(handlers_.front());
        handlers_.pop_front();
        // A form destroyed meanwhile (Application::destroyForms pumping
        // events) takes its pending events with it.
        if (owner->usable())
            handler();
    }
}

bool BinderImpl::formLiving(FormBinding* form)
{
    if (!form || form->retired)
        return false;
    for (const auto& living : app_.forms())
        if (living.get() == &form->form())
            return true;
    // Its model is gone: the window stays out of the way until the binder
    // deletes it.
    form->retired = true;
    if (form->window())
        form->window()->hide();
    return false;
}

QMenu* BinderImpl::existingMenu(const framework::MenuItem& item) const
{
    auto it = menus_.find(&item);
    return it == menus_.end() ? nullptr : it->second.data();
}

QMenu* BinderImpl::menuFor(framework::MenuItem& item)
{
    if (QMenu* menu = existingMenu(item))
        return menu;
    FormBinding* form = formBindingOf(item.owner());
    if (!form)
        return nullptr;
    auto* menu = new QMenu(form->window());
    menu->setObjectName(qs(item.name()));
    // The items' hints explain the short captions.
    menu->setToolTipsVisible(true);
    menus_[&item] = menu;
    form->markDirty(MenuStructure);
    return menu;
}

QAction* BinderImpl::actionOf(const framework::MenuItem& item) const
{
    auto* binding = dynamic_cast<MenuItemBinding*>(bindingOf(&item));
    return binding ? binding->action() : nullptr;
}

void BinderImpl::setPopupMenu(const framework::Control& control, framework::MenuItem& root)
{
    ControlBinding* binding = controlBindingOf(&control);
    if (!binding || !binding->widget())
        return;
    QWidget* widget = binding->widget();
    QObject::disconnect(popups_[&control]);
    QMenu* menu = menuFor(root);
    if (!menu)
        return;
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    popups_[&control] = listen(*binding, widget, &QWidget::customContextMenuRequested,
                               [this, binding, root = &root](const QPoint& pos) {
                                   // The menu shows the model's current state.
                                   refresh();
                                   QMenu* shown = existingMenu(*root);
                                   QWidget* origin = binding->mouseWidget();
                                   if (shown && origin)
                                       shown->popup(origin->mapToGlobal(pos));
                               });
}

void BinderImpl::setBrowserProvider(std::function<QWidget*(framework::WebBrowserHost&)> provider)
{
    browserProvider = std::move(provider);
    for (auto& [component, binding] : bindings_)
        if (auto* control = dynamic_cast<ControlBinding*>(binding.get()))
            control->browserProviderChanged();
}

} // namespace detail

// ------------------------------------------------------------------ Binder

namespace {

Scale binderScale(double factor)
{
    installFontFallbacks();
    return factor > 0 ? Scale(factor) : Scale::forFont(QApplication::font());
}

} // namespace

Binder::Binder(framework::Application& app, double scaleFactor)
    : impl_(std::make_unique<detail::BinderImpl>(app, binderScale(scaleFactor)))
{
}

double Binder::scaleFactor() const
{
    return impl_->scale().factor();
}

Binder::~Binder() = default;

QWidget* Binder::windowOf(const framework::Form& form) const
{
    detail::FormBinding* binding = impl_->formBindingOf(&form);
    return binding ? binding->window() : nullptr;
}

QWidget* Binder::widgetOf(const framework::Component& component) const
{
    detail::Binding* binding = impl_->bindingOf(&component);
    return binding ? binding->widget() : nullptr;
}

QAction* Binder::actionOf(const framework::MenuItem& item) const
{
    return impl_->actionOf(item);
}

QMenu* Binder::menuOf(const framework::MenuItem& item) const
{
    return impl_->existingMenu(item);
}

void Binder::setPopupMenu(const framework::Control& control, framework::MenuItem& root)
{
    impl_->setPopupMenu(control, root);
}

void Binder::setBrowserWidgetProvider(std::function<QWidget*(framework::WebBrowserHost&)> provider)
{
    impl_->setBrowserProvider(std::move(provider));
}

void Binder::flush()
{
    impl_->flush();
}

int Binder::refreshCount(const framework::Component& component) const
{
    detail::Binding* binding = impl_->bindingOf(&component);
    return binding ? binding->refreshes() : 0;
}

} // namespace ui
