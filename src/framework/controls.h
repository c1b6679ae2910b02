#pragma once
// The standard control models the six windows are built from.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/component.h"

namespace browserctl {
class WebBrowser;
}

namespace framework {

class MenuItem;

class Label : public Control {
public:
    using Control::Control;
    bool transparent = false;
    bool handCursor = false;
    // A long caption breaks into lines within the label's width.
    bool wordWrap = false;
};

class Edit : public Control {
public:
    using Control::Control;
    bool readOnly = false;
};

// Whether the text holds a CR or LF. Two memchr passes: a set search
// (find_first_of) tests the set once per character, which made it the
// bulk of filling a memo.
inline bool hasLineBreak(std::string_view text)
{
    return text.find('\r') != std::string_view::npos || text.find('\n') != std::string_view::npos;
}

class Memo : public Control {
public:
    using Control::Control;

    const std::vector<std::string>& lines() const { return lines_; }
    int lineCount() const { return static_cast<int>(lines_.size()); }
    // Empty for an index outside the lines.
    std::string line(int index) const;
    void setLines(std::vector<std::string> lines);
    void addLine(const std::string& line);
    void insertLine(int index, const std::string& line);
    void clear();

    // Every line followed by CR LF, as the original string list gives it.
    std::string text() const override;
    void setText(const std::string& value) override;

    // Selection in bytes of text(); the binding keeps it current.
    int selStart() const { return selStart_; }
    int selLength() const { return selLength_; }
    std::string selText() const;
    void setSelection(int start, int length);
    // Replaces the selected text (inserts at the caret when nothing is
    // selected) and puts the caret after the new text.
    void replaceSelection(const std::string& value);
    int caretLine() const;

    bool readOnly = false;
    bool wordWrap = true;
    bool wantTabs = false;
    bool scrollHorizontal = false;
    bool scrollVertical = false;
    // A log: the view shows the newest line whenever lines change, wherever
    // the user scrolled to.
    bool followEnd = false;

protected:
    void replaceLines(std::vector<std::string> lines);

private:
    // Length of text() without building it.
    int textSize() const;
    std::vector<std::string> lines_;
    int selStart_ = 0;
    int selLength_ = 0;
};

class RichEdit : public Memo {
public:
    using Memo::Memo;

    bool plainText() const { return plainText_; }
    void setPlainText(bool value);

    // One-step undo of the control: the text before the last change.
    void snapshotForUndo();
    void undo();
    bool canUndo() const { return hasUndo_; }

private:
    bool plainText_ = true;
    bool hasUndo_ = false;
    std::vector<std::string> undoLines_;
};

class ComboBox : public Control {
public:
    using Control::Control;

    const std::vector<std::string>& items() const { return items_; }
    int itemCount() const { return static_cast<int>(items_.size()); }
    std::string item(int index) const;
    void setItems(std::vector<std::string> items);
    void addItem(const std::string& item);
    void deleteItem(int index);
    void clearItems();
    int indexOf(const std::string& item) const;

    int itemIndex() const { return itemIndex_; }
    // Selecting an item also makes it the text, as the drop-down does.
    void setItemIndex(int index);
    void setText(const std::string& value) override;

    bool dropDownList = false; // the text can only be an item

private:
    std::vector<std::string> items_;
    int itemIndex_ = -1;
};

class CheckListBox : public Control {
public:
    using Control::Control;

    struct Item {
        std::string text;
        bool checked = false;
    };

    const std::vector<Item>& items() const { return items_; }
    int count() const { return static_cast<int>(items_.size()); }
    std::string item(int index) const;
    bool checked(int index) const;
    void setChecked(int index, bool value);
    void setItems(const std::vector<std::string>& texts); // all unchecked
    std::vector<std::string> itemTexts() const;
    void addItem(const std::string& text);
    void deleteItem(int index);
    void clearItems();

    int itemIndex() const { return itemIndex_; }
    void setItemIndex(int index);

private:
    std::vector<Item> items_;
    int itemIndex_ = -1;
};

class StringGrid : public Control {
public:
    StringGrid(Form* owner, std::string name, Control* parent);

    int colCount() const { return colCount_; }
    int rowCount() const { return rowCount_; }
    // Growing keeps every cell; shrinking drops the cells outside.
    void setColCount(int value);
    void setRowCount(int value);
    int fixedCols = 1;
    int fixedRows = 1;

    // Reading outside the grid gives an empty text; writing outside it does
    // nothing, so no loop can store cells that the table does not have.
    std::string cell(int col, int row) const;
    void setCell(int col, int row, const std::string& value);

    int defaultColWidth() const { return defaultColWidth_; }
    void setDefaultColWidth(int value);
    int defaultRowHeight() const { return defaultRowHeight_; }
    void setDefaultRowHeight(int value);
    int colWidth(int col) const;
    void setColWidth(int col, int value);
    int fixedColor = ColorDefault;

    // Current cell.
    int col() const { return col_; }
    int row() const { return row_; }
    void setCurrentCell(int col, int row);

    // First scrollable column and row shown, kept current by the binding.
    int leftCol = 1;
    int topRow = 1;
    // The cell under a point of the grid's client area, -1 when none.
    void mouseToCell(int x, int y, int& col, int& row) const;
    // The cell under a mouse press, as mouseToCell, also written into the
    // corner cell as "col,row" so that the user sees where the press went.
    void markPressedCell(int x, int y, int& col, int& row);

    bool editing = false;
    bool rowMoving = false;
    bool colMoving = false;
    bool colSizing = false;
    bool rangeSelect = false;
    bool tabs = false;
    bool alwaysShowEditor = false;

private:
    int colCount_ = 5;
    int rowCount_ = 5;
    std::vector<std::vector<std::string>> cells_; // [col][row]
    std::vector<int> colWidths_;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int col_ = 1;
    int row_ = 1;
};

class TabSheet;

class PageControl : public Control {
public:
    using Control::Control;

    int pageCount() const { return static_cast<int>(pages_.size()); }
    TabSheet* page(int index) const;
    int indexOfPage(const TabSheet* page) const;
    int activePageIndex() const { return activeIndex_; }
    TabSheet* activePage() const { return page(activeIndex_); }
    // Runs the new page's onShow, as the page becomes visible.
    void setActivePageIndex(int index);
    void setActivePage(TabSheet* page) { setActivePageIndex(indexOfPage(page)); }

    bool tabsLeft = false;
    bool multiLine = false;
    bool buttonStyle = false;
    bool flatButtons = false;

private:
    friend class TabSheet;
    void addPage(TabSheet* page);
    std::vector<TabSheet*> pages_;
    int activeIndex_ = -1;
};

class TabSheet : public Control {
public:
    TabSheet(Form* owner, std::string name, Control* parent);

    PageControl* pageControl() const { return pageControl_; }
    int pageIndex() const;
    // Hiding a tab sheet hides its tab; the page keeps its browsers.
    bool tabVisible() const { return visible(); }

    std::function<void()> onShow;

private:
    PageControl* pageControl_;
};

class Panel : public Control {
public:
    using Control::Control;
    bool bevelLowered = false;
    bool bevelNone = false;
};

class GroupBox : public Control {
public:
    using Control::Control;
};

// A note in a small window of its own that stands beside another control,
// of any window, and points at it (the lecture's steps). Its children are
// laid out inside it like a panel's. It starts hidden, and shows only while
// its anchor's window does.
class Balloon : public Control {
public:
    Balloon(Form* owner, std::string name, Control* parent);

    Control* anchor() const { return anchor_; }
    void setAnchor(Control* control);

private:
    Control* anchor_ = nullptr;
};

class ToolBar : public Control {
public:
    using Control::Control;
    bool flat = true;
    bool showCaptions = false;
};

class ToolButton : public Control {
public:
    using Control::Control;
    MenuItem* dropDownMenu = nullptr;
    bool dropDown = false; // a drop-down button with an arrow part
    int imageIndex = -1;
};

class Button : public Control {
public:
    using Control::Control;
};

class CheckBox : public Control {
public:
    using Control::Control;
    bool checked() const { return checked_; }
    void setChecked(bool value);

private:
    bool checked_ = false;
};

class RadioButton : public Control {
public:
    using Control::Control;
    bool checked() const { return checked_; }
    void setChecked(bool value);

private:
    bool checked_ = false;
};

enum class UpDownButton { Up, Down };

class UpDown : public Control {
public:
    using Control::Control;

    int min() const { return min_; }
    int max() const { return max_; }
    int position() const { return position_; }
    void setMin(int value);
    void setMax(int value);
    // Clamped to the range; the associated edit shows the position.
    void setPosition(int value);

    bool wrap = false;
    bool horizontal = false;
    int increment = 1;
    bool thousands = false;
    Edit* associate = nullptr;

    // A click on an arrow: onChanging sees the position before the step and
    // may refuse it, then the position moves (wrapping when wrap is set) and
    // onClick runs with the arrow that was pressed.
    void step(UpDownButton button);
    // The user is done typing into the associated edit: a number moves the
    // position (clamped); any other text is put back to the position and
    // raises the conversion error, naming what was kept.
    void takeAssociateText();

    std::function<void(bool& allowChange)> onChanging;
    std::function<void(UpDownButton)> onUpDownClick;

private:
    void showInAssociate();
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
};

class Splitter : public Control {
public:
    using Control::Control;
};

class Animate : public Control {
public:
    using Control::Control;
    bool active() const { return active_; }
    void setActive(bool value);
    void play() { setActive(true); }
    void stop() { setActive(false); }
    int startFrame = 0;
    int stopFrame = 0;

private:
    bool active_ = false;
};

// Hosts one embedded browser. The browser itself is created on first use by
// the factory the application installs, so 153 tabs cost nothing until a
// run or the user opens them.
class WebBrowserHost : public Control {
public:
    using Control::Control;
    using Factory = std::function<std::shared_ptr<browserctl::WebBrowser>(WebBrowserHost&)>;

    static void setFactory(Factory factory);
    bool created() const { return browser_ != nullptr; }
    browserctl::WebBrowser& browser();
    browserctl::WebBrowser* browserIfCreated() const { return browser_.get(); }

    // Told once, right after the browser was created.
    Signal<> browserCreated;

private:
    std::shared_ptr<browserctl::WebBrowser> browser_;
};

// A menu item; a main or pop-up menu is a root item without a caption.
class MenuItem : public Component {
public:
    MenuItem(Form* owner, std::string name, MenuItem* parent);

    MenuItem* parent() const { return parent_; }
    const std::vector<MenuItem*>& items() const { return items_; }

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& value) { update(caption_, value, Prop::Text); }
    bool checked() const { return checked_; }
    void setChecked(bool value) { update(checked_, value, Prop::Checked); }
    bool visible() const { return visible_; }
    void setVisible(bool value) { update(visible_, value, Prop::Visible); }
    bool enabled() const { return enabled_; }
    void setEnabled(bool value) { update(enabled_, value, Prop::Enabled); }
    const std::string& hint() const { return hint_; }
    void setHint(const std::string& value) { hint_ = value; }
    bool isSeparator() const { return caption_ == "-"; }
    int imageIndex = -1;
    // The item's key, in portable text ("Ctrl+S", "F1", "Alt+Left", "Esc");
    // empty for none. Set in the window definition; shown beside the
    // caption and working while the window is active.
    std::string shortcut;

    std::function<void()> onClick;
    void click();

private:
    MenuItem* parent_;
    std::vector<MenuItem*> items_;
    std::string caption_;
    bool checked_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    std::string hint_;
};

class Timer;

// Drives timers: Qt timers in the program, a manual clock in tests.
class TimerService {
public:
    virtual ~TimerService() = default;
    // The timer was enabled, disabled or got another interval.
    virtual void timerChanged(Timer& timer) = 0;
    virtual void timerDestroyed(Timer& timer) = 0;
};

class Timer : public Component {
public:
    Timer(Form* owner, std::string name);
    ~Timer() override;

    int interval() const { return interval_; }
    void setInterval(int ms);
    bool enabled() const { return enabled_; }
    void setEnabled(bool value);

    std::function<void()> onTimer;
    // Runs onTimer through Application::dispatch. While any handler runs
    // (this one in a wait included) the tick is deferred and fires once
    // afterwards, so a tick handler never starts inside another handler.
    void fire();

    static void setService(TimerService* service);

private:
    int interval_ = 1000;
    bool enabled_ = true;
    bool running_ = false;
};

} // namespace framework
