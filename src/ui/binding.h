#pragma once
// Internals of the binder: one Binding per component, kept in step with its
// model by observers.
//
// Model to widget: an observer only marks the changed aspect dirty and asks
// for one deferred refresh; the refresh applies every dirty aspect of every
// component at once, so a handler that adds a thousand memo lines repaints
// the memo once.
//
// Widget to model: a user action writes the model at once (so whatever runs
// next reads the new state) and queues the event handler. Queued handlers
// run when the Qt event that caused them is over, never inside a Qt
// widget's own signal emission: a handler may pump events, open dialogs and
// change the very widget that emitted the signal. Each runs through
// Application::dispatch, so no exception reaches Qt.

#include "ui/qt_keywords.h"

#include <QAbstractScrollArea>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <typeindex>
#include <unordered_map>
#include <vector>

#include "framework/application.h"
#include "framework/form.h"
#include "ui/scale.h"

class QAction;
class QMenu;

namespace ui {

class AlignLayout;

namespace detail {

using Aspects = uint32_t;
constexpr Aspects aspect(framework::Prop p)
{
    return Aspects{1} << static_cast<unsigned>(p);
}
// Menu structure of a form (items added or moved); not a model property.
constexpr Aspects MenuStructure = Aspects{1} << 30;
// The plain option members (readOnly, wordWrap, ...), which the models do
// not announce; read on the first refresh and whenever the window shows.
constexpr Aspects Options = Aspects{1} << 31;
constexpr Aspects AllAspects = ~Aspects{0};

inline QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}
inline std::string str(const QString& text)
{
    return text.toStdString();
}
// 0x00BBGGRR
inline QColor qcolor(int32_t color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// A caption as labels and panels show it: "&" marks an access key and is
// not shown, "&&" shows one "&".
QString withoutAccessKeys(const std::string& caption);

class BinderImpl;
class Binding;
class ControlBinding;
class FormBinding;
class MenuItemBinding;

// Marks a stretch of Qt event handling: handlers queued inside it run when
// the outermost scope ends.
class EventScope {
public:
    explicit EventScope(BinderImpl& impl);
    ~EventScope();
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;

private:
    BinderImpl& impl_;
};

class BinderImpl {
public:
    BinderImpl(framework::Application& app, const Scale& scale);
    ~BinderImpl();

    framework::Application& app() const { return app_; }
    // Design units to pixels; every geometry conversion goes through it.
    const Scale& scale() const { return scale_; }

    void bindForm(framework::Form& form);
    Binding* bindingOf(const framework::Component* component) const;
    ControlBinding* controlBindingOf(const framework::Component* component) const;
    FormBinding* formBindingOf(const framework::Form* form) const;

    // ---- model to widget
    void schedule(Binding& binding);
    // Runs the queued handlers, then refreshes.
    void flush();
    // Applies pending refreshes only (for code that runs inside a handler
    // and must not run the handlers queued after it).
    void refresh();
    // Applies one binding's pending aspects now (before a key reaches its
    // widget, the widget must show what the key handler left).
    void flushBinding(Binding& binding);
    bool applying() const { return applying_ > 0; }

    class ApplyGuard {
    public:
        explicit ApplyGuard(BinderImpl& impl) : impl_(impl) { ++impl_.applying_; }
        ~ApplyGuard() { --impl_.applying_; }

    private:
        BinderImpl& impl_;
    };

    // ---- widget to model
    // Runs a model update or handler through Application::dispatch now.
    bool dispatch(const std::function<void()>& handler);
    // A handler runs (in a wait, or behind its modal box).
    bool busy() const;
    // Queues a handler call; see EventScope.
    void post(Binding& owner, std::function<void()> handler);
    void runHandlers();
    void enterEvent() { ++eventDepth_; }
    void leaveEvent();

    // ---- menus
    QMenu* menuFor(framework::MenuItem& item);
    QMenu* existingMenu(const framework::MenuItem& item) const;
    QAction* actionOf(const framework::MenuItem& item) const;
    void setPopupMenu(const framework::Control& control, framework::MenuItem& root);

    // ---- browsers
    std::function<QWidget*(framework::WebBrowserHost&)> browserProvider;
    void setBrowserProvider(std::function<QWidget*(framework::WebBrowserHost&)> provider);

    const std::shared_ptr<bool>& alive() const { return alive_; }
    // Whether the form's model still exists (Application::destroyForms
    // destroys them one by one, and their handlers may pump events).
    bool formLiving(FormBinding* form);

    // Places a container's children again at the end of the refresh (once,
    // however many of them changed).
    void requestLayout(ControlBinding& container);

private:
    void bindComponent(FormBinding& form, framework::Component& component);
    void bindNewComponents(FormBinding& form);
    void applyPending();
    void runLayouts();

    framework::Application& app_;
    Scale scale_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    int formAddedId_ = 0;
    int idleId_ = 0;
    QTimer idle_;
    std::vector<Binding*> pending_;
    std::deque<std::pair<Binding*, std::function<void()>>> handlers_;
    int eventDepth_ = 0;
    int applying_ = 0;
    bool flushing_ = false;
    std::unordered_map<const framework::Component*, std::unique_ptr<Binding>> bindings_;
    std::vector<FormBinding*> forms_;
    std::vector<ControlBinding*> layouts_;
    std::unordered_map<const framework::MenuItem*, QPointer<QMenu>> menus_;
    std::unordered_map<const framework::Control*, QMetaObject::Connection> popups_;
};

// ------------------------------------------------------------------ Binding

class Binding {
public:
    Binding(BinderImpl& impl, framework::Component& model);
    virtual ~Binding();
    Binding(const Binding&) = delete;
    Binding& operator=(const Binding&) = delete;

    BinderImpl& impl() const { return impl_; }
    framework::Component& component() const { return model_; }
    virtual QWidget* widget() const { return nullptr; }
    virtual FormBinding* formBinding() const = 0;

    // Starts observing the model; every aspect is dirty until the first
    // refresh, which runs after the form's FormCreate.
    void observe();
    // Stops observing; only while the model is alive.
    virtual void detachModel();

    // The binder is alive and the model's form not destroyed: only then may
    // widget events reach the model.
    bool usable() const;

    void markDirty(Aspects aspects);
    void applyNow();
    int refreshes() const { return refreshes_; }

    // Notifications caused by the binding's own write to the model are not
    // refreshed back (the widget already shows them).
    class Suppress {
    public:
        Suppress(Binding& binding, Aspects aspects) : binding_(binding), saved_(binding.suppressed_)
        {
            binding_.suppressed_ |= aspects;
        }
        ~Suppress() { binding_.suppressed_ = saved_; }

    private:
        Binding& binding_;
        Aspects saved_;
    };

    Aspects dirty = 0;
    bool queued = false;

protected:
    virtual void apply(Aspects aspects) = 0;

private:
    BinderImpl& impl_;
    framework::Component& model_;
    int observer_ = 0;
    Aspects suppressed_ = 0;
    int refreshes_ = 0;
};

// Connects a Qt signal to a slot that does nothing once the binder or the
// binding's form is gone (widgets emit signals while they are deleted).
template <class Sender, class Signal, class Slot>
QMetaObject::Connection listen(Binding& binding, Sender* sender, Signal signal, Slot slot)
{
    return QObject::connect(sender, signal, sender,
                            [alive = binding.impl().alive(), b = &binding, slot = std::move(slot)](auto&&... args) {
                                if (!*alive || !b->usable())
                                    return;
                                // Slots may skip the arguments (and a
                                // private signal's tag).
                                if constexpr (std::is_invocable_v<const Slot&, decltype(args)...>)
                                    slot(std::forward<decltype(args)>(args)...);
                                else
                                    slot();
                            });
}

// ------------------------------------------------------------ control hooks

// What a bound widget tells its binding; Bound<W> calls these from its event
// handlers.
class BoundHooks {
public:
    ControlBinding* binding = nullptr;
};

class ControlBinding : public Binding {
public:
    ControlBinding(BinderImpl& impl, framework::Control& model, ControlBinding* parent);
    ~ControlBinding() override;

    framework::Control& control() const { return control_; }
    ControlBinding* parent() const { return parent_; }
    QWidget* widget() const override { return widget_; }
    FormBinding* formBinding() const override;

    // Where the children's widgets go, and how they are placed.
    virtual QWidget* childArea() const { return widget_; }
    virtual void adoptChild(ControlBinding& child);
    // Places the children again (a child's text or visibility changed).
    virtual void relayout();
    AlignLayout* layout() const { return layout_; }

    // The widget that receives the mouse (a scroll area's viewport).
    virtual QWidget* mouseWidget() const;

    // ---- from the widget's event handlers
    virtual void mousePressed(QMouseEvent* event);
    virtual void mouseReleased(QMouseEvent* event);
    virtual void mouseDoubleClicked(QMouseEvent* event);
    void mouseMoved(QMouseEvent* event);
    void mouseEntered();
    // Called before the widget handles the key; true when the handler
    // consumed it (set the key to 0).
    virtual bool keyPressed(QKeyEvent* event);
    virtual void focusIn(Qt::FocusReason reason);
    virtual void focusOut(Qt::FocusReason reason);
    // Whether a press and release inside the control is its click; controls
    // that have their own click signal say no.
    virtual bool clicksFromMouse() const { return true; }

    // The plain option members; see Options.
    virtual void applyOptions() {}
    void refreshOptions();
    // Hands back widgets the binder did not create (browsers) before the
    // windows are deleted.
    virtual void releaseForeignWidgets() {}
    virtual void browserProviderChanged() {}

    // Queues one of the model's events through dispatch.
    void postEvent(std::function<void()> framework::Control::*event);
    void postMouse(std::function<void(const framework::MouseEvent&)> framework::Control::*event,
                   const framework::MouseEvent& mouse);

protected:
    // Called by the derived constructor once its widget exists.
    void setWidget(QWidget* widget, BoundHooks* hooks);

    void apply(Aspects aspects) override;
    // The kind's own aspects (Text included); the common ones follow.
    virtual void applyContent(Aspects aspects) {}
    virtual void applyVisible();
    virtual void applyGeometry();
    virtual void applyPalette();
    void applyFont();
    // Whether the widget shows a text that its place must fit.
    bool growsWithText() const;

    // Palette roles of the control's colour and font colour.
    virtual QPalette::ColorRole backgroundRole() const { return QPalette::Window; }
    virtual QPalette::ColorRole foregroundRole() const { return QPalette::WindowText; }
    virtual bool fillsBackground() const { return true; }
    virtual void adjustPalette(QPalette&) const {}

    framework::MouseEvent mouseEvent(QMouseEvent* event) const;
    // The point handed to mouse handlers for a point of mouseWidget().
    // Design units by default.
    virtual QPoint modelPoint(const QPoint& point) const { return impl().scale().toDesign(point); }
    QRect clientRect() const;

    framework::Control& control_;
    ControlBinding* parent_;
    FormBinding* form_;
    QPointer<QWidget> widget_;
    AlignLayout* layout_ = nullptr;
    bool pressedInside_ = false;
};

// The binding of a control of its exact kind; a plain container for a kind
// that has none.
std::unique_ptr<ControlBinding> createControlBinding(BinderImpl& impl, framework::Control& model,
                                                     ControlBinding* parent);

// The bindings by the exact type of the control: a kind derived from
// another (a rich edit is a memo) has its own row, so it can never get its
// base's binding by the order of a chain of tests.
using BindingFactory = std::unique_ptr<ControlBinding> (*)(BinderImpl&, framework::Control&, ControlBinding*);
using BindingFactories = std::unordered_map<std::type_index, BindingFactory>;

template <class Model, class B> void addBinding(BindingFactories& table)
{
    table.emplace(
        typeid(Model),
        [](BinderImpl& impl, framework::Control& model, ControlBinding* parent) -> std::unique_ptr<ControlBinding> {
            return std::make_unique<B>(impl, static_cast<Model&>(model), parent);
        });
}
// Each file's rows.
void addTextBindings(BindingFactories& table);
void addListBindings(BindingFactories& table);
void addOtherBindings(BindingFactories& table);

// ---------------------------------------------------------------- Bound<W>

// A Qt widget that reports mouse, key and focus events to its binding.
// Mouse events reach the binding after the widget handled them (a tree has
// selected the pressed node, a memo has moved the caret), keys before (a
// key handler sees the text as it was and may swallow the key).
template <class W> class Bound : public W, public BoundHooks {
public:
    using W::W;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        forwardMouse(event, &ControlBinding::mousePressed, [&] { W::mousePressEvent(event); });
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        forwardMouse(event, &ControlBinding::mouseReleased, [&] { W::mouseReleaseEvent(event); });
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        forwardMouse(event, &ControlBinding::mouseDoubleClicked, [&] { W::mouseDoubleClickEvent(event); });
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        W::mouseMoveEvent(event);
        if (binding && binding->usable() && binding->control().onMouseMove) {
            EventScope scope(binding->impl());
            binding->mouseMoved(event);
        }
    }
    void enterEvent(QEnterEvent* event) override
    {
        W::enterEvent(event);
        if (binding && binding->usable())
            binding->mouseEntered();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (!binding || !binding->usable())
            return W::keyPressEvent(event);
        EventScope scope(binding->impl());
        if (!binding->keyPressed(event))
            W::keyPressEvent(event);
        // A key the widget ignored would travel on to the parent controls
        // and reach their handlers too; a control keeps its keys.
        event->accept();
    }
    void focusInEvent(QFocusEvent* event) override
    {
        W::focusInEvent(event);
        if (binding && binding->usable()) {
            EventScope scope(binding->impl());
            binding->focusIn(event->reason());
        }
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        W::focusOutEvent(event);
        if (binding && binding->usable()) {
            EventScope scope(binding->impl());
            binding->focusOut(event->reason());
        }
    }

private:
    // A button event goes to the widget first, then to the binding. The
    // widget's handler comes as a lambda: a pointer to the virtual W handler
    // would call this class's override again.
    template <class Handle>
    void forwardMouse(QMouseEvent* event, void (ControlBinding::*report)(QMouseEvent*), Handle handle)
    {
        if (!binding || !binding->usable())
            return handle();
        EventScope scope(binding->impl());
        handle();
        event->accept();
        if (binding)
            (binding->*report)(event);
    }
};

// The binding of a control kind shown by one widget class W (a Bound<...>
// or a class derived from one), made in the parent's child area. A derived
// constructor sets the widget's options and connects its signals after the
// widget is adopted: adoption only records the widget in the parent's
// layout or tab list and asks for a later layout pass.
template <class Model, class W> class WidgetBinding : public ControlBinding {
public:
    WidgetBinding(BinderImpl& impl, Model& model, ControlBinding* parent)
        : ControlBinding(impl, model, parent), model_(model), w_(new W(parent->childArea()))
    {
        setWidget(w_, w_);
    }

protected:
    Model& model_;
    W* w_;
};

// Which framework event a key maps to; 0 for keys the windows never see.
int virtualKeyOf(const QKeyEvent* event);

} // namespace detail
} // namespace ui
