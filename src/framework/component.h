#pragma once
// Base classes of every headless control model. A control holds exactly the
// state the windows read and write and tells its observers what changed;
// the Qt binding is one such observer, the tests read the state directly.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <type_traits>
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
    // Sets a property's field and tells the observers what changed, unless
    // it already holds the value; true when it changed.
    template <class T> bool update(T& field, const std::type_identity_t<T>& value, Prop what)
    {
        if (field == value)
            return false;
        field = value;
        notify(what);
        return true;
    }

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
    void setVisible(bool value) { update(visible_, value, Prop::Visible); }
    void show() { setVisible(true); }
    void hide() { setVisible(false); }
    bool enabled() const { return enabled_; }
    void setEnabled(bool value) { update(enabled_, value, Prop::Enabled); }

    int32_t color() const { return color_; }
    void setColor(int32_t value) { update(color_, value, Prop::Color); }
    int32_t fontColor() const { return fontColor_; }
    void setFontColor(int32_t value) { update(fontColor_, value, Prop::Font); }
    int fontSize() const { return fontSize_; } // pixels, 0 = default
    void setFontSize(int value) { update(fontSize_, value, Prop::Font); }
    bool fontBold() const { return fontBold_; }
    void setFontBold(bool value) { update(fontBold_, value, Prop::Font); }
    const std::string& fontName() const { return fontName_; }
    void setFontName(const std::string& value) { update(fontName_, value, Prop::Font); }

    const std::string& hint() const { return hint_; }
    void setHint(const std::string& value) { update(hint_, value, Prop::Hint); }

    Align align() const { return align_; }
    void setAlign(Align value) { update(align_, value, Prop::Geometry); }
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
    void setTextValue(const std::string& value) { update(text_, value, Prop::Text); }

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

// Where a row puts its control: left, top, width and height; a width below
// zero leaves the control's geometry alone.
struct RowBounds {
    int left = 0;
    int top = 0;
    int width = -1;
    int height = -1;
};

// One control's set-up as a window constructor lists it, so that a window
// reads as one table of its controls. What a row leaves out stays as the
// control has it; width or height alone suits a control aligned to a side.
struct ControlRow {
    Control* control = nullptr;
    const char* caption = nullptr;
    Align align = Align::None;
    RowBounds bounds = {};
    int width = -1;
    int height = -1;
    const char* hint = nullptr;
    bool visible = true;
    std::function<void()> onClick = nullptr;
};

// Applies the rows in order.
void setUpControls(std::initializer_list<ControlRow> rows);

} // namespace framework
