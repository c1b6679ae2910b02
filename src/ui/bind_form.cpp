#include "ui/qt_keywords.h"

#include "ui/bind_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/align_layout.h"

namespace ui::detail {

using framework::Prop;

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

} // namespace ui::detail
