#pragma once
// Shows the headless forms as Qt windows. The binder builds a window for
// every form the application creates (Application::formAdded) with one
// widget per control, keeps the widgets in step with the models and turns
// user input into model changes and event handler calls.
//
// Lifetime: create the binder right after the Application and before the
// first form; destroy it before the Application. It may outlive
// Application::destroyForms() (it then leaves the dead models alone).

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace framework {
class Application;
class Component;
class Control;
class Form;
class MenuItem;
class WebBrowserHost;
} // namespace framework

namespace ui {

namespace detail {
class BinderImpl;
}

class Binder {
public:
    // The windows' design units become pixels by the scale of the
    // application font (Scale::forFont); scaleFactor > 0 sets it instead.
    explicit Binder(framework::Application& app, double scaleFactor = 0);
    ~Binder();
    Binder(const Binder&) = delete;
    Binder& operator=(const Binder&) = delete;

    // The top-level window of a form; null for a form that is not bound.
    QWidget* windowOf(const framework::Form& form) const;
    // The widget of a control (a tab sheet's page, a form's window); null
    // for components without one (menu items, timers).
    QWidget* widgetOf(const framework::Component& component) const;
    // The action of a menu item.
    QAction* actionOf(const framework::MenuItem& item) const;
    // The menu of a menu item that has one: a pop-up root, a submenu, a
    // tool button's drop-down menu; null otherwise.
    QMenu* menuOf(const framework::MenuItem& item) const;

    // Shows the menu of root (a pop-up menu of the control's form) when the
    // user asks for the control's context menu.
    void setPopupMenu(const framework::Control& control, framework::MenuItem& root);

    // Supplies the widget of a web browser once the model created it
    // (WebBrowserHost::browserCreated); the binder puts it into the host's
    // placeholder. The provider keeps ownership: before the binder deletes
    // its windows it takes every provided widget out of them again.
    void setBrowserWidgetProvider(std::function<QWidget*(framework::WebBrowserHost&)> provider);

    // Applies every pending model change to the widgets now and runs the
    // queued event handlers. Normally this happens on its own as soon as
    // the event loop is idle.
    void flush();

    // How many times the component's widget was refreshed (one refresh
    // applies all changes made since the last one).
    int refreshCount(const framework::Component& component) const;

    // Pixels per design unit.
    double scaleFactor() const;

private:
    std::unique_ptr<detail::BinderImpl> impl_;
};

} // namespace ui
