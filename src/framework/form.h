#pragma once
// A window: owns its controls and menus, finds them by name, and carries the
// window's own events (create, show, close, destroy).

#include <algorithm>
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

// What a menu row sets beside its caption and handler.
enum MenuFlag : unsigned {
    MenuHidden = 1,   // a named entry point other windows call
    MenuChecked = 2,  // starts with its check mark
    MenuDisabled = 4, // starts disabled
};

// One row of a menu definition: the item's depth below the menu's root (0
// for the root's own items, one more for the items of a submenu, which
// follow the row that opens it), component name, caption and the window's
// handler it runs (none for a submenu or a separator, caption "-").
template <class F> struct MenuRow {
    int depth;
    const char* name;
    const char* caption;
    void (F::*handler)() = nullptr;
    unsigned flags = 0;
    // The item's key in portable text ("Ctrl+S"), or null.
    const char* shortcut = nullptr;
};

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
    // Builds the items of a menu below root from its rows, in order; see
    // MenuRow. Items are found by name afterwards.
    template <class F, size_t N> void makeMenuRows(MenuItem& root, const MenuRow<F> (&rows)[N])
    {
        F* self = static_cast<F*>(this);
        std::vector<MenuItem*> parents{&root};
        for (const MenuRow<F>& row : rows) {
            // A row one level deeper than the last one starts that one's
            // submenu; a shallower one goes back up.
            const size_t depth = std::min(static_cast<size_t>(std::max(row.depth, 0)), parents.size() - 1);
            parents.resize(depth + 1);
            MenuItem& item = makeMenu(row.name, parents.back(), row.caption);
            if (row.handler)
                item.onClick = [self, handler = row.handler] { (self->*handler)(); };
            applyMenuFlags(item, row.flags, row.shortcut);
            parents.push_back(&item);
        }
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
    static void applyMenuFlags(MenuItem& item, unsigned flags, const char* shortcut);
    std::vector<std::unique_ptr<Component>> components_;
    std::map<std::string, Component*> registry_;
    WindowState windowState_ = WindowState::Normal;
};

} // namespace framework
