#pragma once
// Base classes of every headless control model. A control holds exactly the
// state the windows read and write and tells its observers what changed;
// the Qt binding is one such observer, the tests read the state directly.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/signal.h"

namespace framework {

class Form;
class Control;
class MenuItem;

// What changed on a component; the binding refreshes only that aspect.
enum class Prop {
    Text,      // caption or text
    Lines,     // memo lines
    Items,     // combo, list and check-list items
    ItemIndex, // selected item
    Checked,   // check box, radio button, menu item, check-list item
    Cells,     // grid cells
    GridSize,  // grid column and row counts, widths
    Nodes,     // tree structure or node texts
    Selection, // selected node, cell or text selection
    Visible,
    Enabled,
    Color,
    Font,
    Geometry,
    Hint,
    ActivePage,
    Position, // up-down position, range
    Scroll,   // tree top item
    State,    // form window state, animation, timer
};

// Colours are 0x00BBGGRR; Default leaves the widget's own.
constexpr int32_t ColorDefault = -1;
constexpr int32_t ColorWhite = 0xFFFFFF;
constexpr int32_t ColorBlack = 0x000000;

enum class Align { None, Top, Bottom, Left, Right, Client };

enum class MouseButton { Left, Right, Middle };

struct MouseEvent {
    MouseButton button = MouseButton::Left;
    int x = 0;
    int y = 0;
    bool shift = false;
    bool ctrl = false;
};

struct KeyEvent {
    int key = 0; // virtual key code: 13 Enter, 27 Escape, ...
    bool shift = false;
    bool ctrl = false;
};

class Component {
public:
    Component(Form* owner, std::string name);
    virtual ~Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    const std::string& name() const { return name_; }
    Form* owner() const { return owner_; }

    int observe(std::function<void(Prop)> observer) { return changed_.connect(std::move(observer)); }
    void unobserve(int id) { changed_.disconnect(id); }

protected:
    void notify(Prop what) const { changed_.emit(what); }

private:
    Form* owner_;
    std::string name_;
    Signal<Prop> changed_;
};

class Control : public Component {
public:
    Control(Form* owner, std::string name, Control* parent);

    Control* parent() const { return parent_; }
    const std::vector<Control*>& children() const { return children_; }

    // Caption and text are one property, as in the original framework.
    const std::string& caption() const { return text_; }
    void setCaption(const std::string& value) { setTextValue(value); }
    virtual std::string text() const { return text_; }
    virtual void setText(const std::string& value) { setTextValue(value); }

    bool visible() const { return visible_; }
    void setVisible(bool value);
    void show() { setVisible(true); }
    void hide() { setVisible(false); }
    bool enabled() const { return enabled_; }
    void setEnabled(bool value);

    int32_t color() const { return color_; }
    void setColor(int32_t value);
    int32_t fontColor() const { return fontColor_; }
    void setFontColor(int32_t value);
    int fontSize() const { return fontSize_; } // pixels, 0 = default
    void setFontSize(int value);
    bool fontBold() const { return fontBold_; }
    void setFontBold(bool value);
    const std::string& fontName() const { return fontName_; }
    void setFontName(const std::string& value);

    const std::string& hint() const { return hint_; }
    void setHint(const std::string& value);

    Align align() const { return align_; }
    void setAlign(Align value);
    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void setLeft(int value) { setBounds(value, top_, width_, height_); }
    void setTop(int value) { setBounds(left_, value, width_, height_); }
    void setWidth(int value) { setBounds(left_, top_, value, height_); }
    void setHeight(int value) { setBounds(left_, top_, width_, value); }
    void setBounds(int left, int top, int width, int height);
    // Geometry reported back by the binding (the user moved or resized the
    // window); observers are told, but the binding ignores its own echo.
    void updateBoundsFromView(int left, int top, int width, int height);

    // The pop-up menu offered on the control (a root or a submenu of one of
    // its form's menus), or null.
    MenuItem* popupMenu = nullptr;

    // Events. The binding fills the model first, then calls these through
    // Application::dispatch.
    std::function<void()> onClick;
    std::function<void()> onDblClick;
    std::function<void()> onEnter;
    std::function<void()> onExit;
    std::function<void()> onChange;
    std::function<void(const MouseEvent&)> onMouseDown;
    std::function<void(const MouseEvent&)> onMouseUp;
    std::function<void(const MouseEvent&)> onMouseMove;
    std::function<void(KeyEvent&)> onKeyDown;

    // Helpers that run an event if it is bound (used by tests and the binding).
    void click();
    void enter();
    void change();

protected:
    void setTextValue(const std::string& value);

private:
    friend class Form;
    Control* parent_;
    std::vector<Control*> children_;
    std::string text_;
    bool visible_ = true;
    bool enabled_ = true;
    int32_t color_ = ColorDefault;
    int32_t fontColor_ = ColorDefault;
    int fontSize_ = 0;
    bool fontBold_ = false;
    std::string fontName_;
    std::string hint_;
    Align align_ = Align::None;
    int left_ = 0;
    int top_ = 0;
    int width_ = 100;
    int height_ = 25;
};

} // namespace framework
