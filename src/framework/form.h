#pragma once
// A window: owns its controls and menus, finds them by name, and carries the
// window's own events (create, show, close, destroy).

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "framework/controls.h"
#include "framework/errors.h"
#include "framework/tree_view.h"

namespace framework {

enum class WindowState { Normal, Minimized, Maximized };

class Form : public Control {
public:
    explicit Form(std::string name);
    ~Form() override;

    // Creates a control owned by this form and registers its name.
    template <class T, class... Args> T& make(const std::string& name, Control* parent, Args&&... args)
    {
        auto owned = std::make_unique<T>(this, name, parent ? parent : this, std::forward<Args>(args)...);
        T& ref = *owned;
        adopt(std::move(owned));
        return ref;
    }
    MenuItem& makeMenu(const std::string& name, MenuItem* parent, const std::string& caption = {});
    // A menu item that runs a handler of the window, or (nullptr) a submenu
    // or a separator.
    MenuItem& makeCommand(const std::string& name, MenuItem& parent, const std::string& caption, std::nullptr_t)
    {
        return makeMenu(name, &parent, caption);
    }
    template <class F>
    MenuItem& makeCommand(const std::string& name, MenuItem& parent, const std::string& caption, void (F::*handler)())
    {
        MenuItem& item = makeMenu(name, &parent, caption);
        if (handler) {
            F* self = static_cast<F*>(this);
            item.onClick = [self, handler] { (self->*handler)(); };
        }
        return item;
    }
    Timer& makeTimer(const std::string& name, int interval, bool enabled);

    // Lookup by component name; throws ComponentNotFound when the name is
    // unknown or names another kind of component.
    template <class T> T& find(const std::string& name) const
    {
        T* found = tryFind<T>(name);
        if (!found)
            throw ComponentNotFound("Component '" + name + "' not found in " + this->name());
        return *found;
    }
    template <class T> T* tryFind(const std::string& name) const
    {
        auto it = registry_.find(name);
        if (it == registry_.end())
            return nullptr;
        return dynamic_cast<T*>(it->second);
    }
    const std::vector<std::unique_ptr<Component>>& components() const { return components_; }

    // Main menu bar of the window (a root item), or null.
    MenuItem* mainMenu = nullptr;
    // The pop-up menus, in creation order (roots).
    std::vector<MenuItem*> popupMenus;

    // Window behaviour.
    WindowState windowState() const { return windowState_; }
    void setWindowState(WindowState state);
    bool maximizeButton = true;
    bool toolWindow = false;

    // Showing a hidden form runs FormShow.
    void show();
    // Makes a hidden window visible in its current state (a minimised one
    // stays minimised) and never raises it: for results that wait for the
    // user without covering the window the user works in.
    void showInBackground();
    void hide();
    // The close request: FormCloseQuery may refuse it; otherwise FormClose
    // runs and the window hides. Returns whether it closed.
    bool close();
    void bringToFront();
    void minimize() { setWindowState(WindowState::Minimized); }

    // Told when the window should come to the front.
    Signal<> raised;

    // The window's own events; the windows override them.
    virtual void FormCreate() {}
    virtual void FormShow() {}
    virtual void FormCloseQuery(bool& canClose) { canClose = true; }
    virtual void FormClose() {}
    virtual void FormDestroy() {}

private:
    void adopt(std::unique_ptr<Component> component);
    std::vector<std::unique_ptr<Component>> components_;
    std::map<std::string, Component*> registry_;
    WindowState windowState_ = WindowState::Normal;
};

} // namespace framework
