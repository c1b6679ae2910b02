#include "framework/controls.h"

#include <algorithm>

#include "framework/application.h"
#include "framework/convert.h"
#include "framework/errors.h"
#include "framework/flag_scope.h"
#include "framework/text_util.h"

namespace framework {

namespace {

// The text at index, or empty outside the list.
std::string textAt(const std::vector<std::string>& texts, int index)
{
    if (index < 0 || static_cast<size_t>(index) >= texts.size())
        return {};
    return texts[static_cast<size_t>(index)];
}

} // namespace

// ---------------------------------------------------------------- Memo

std::string Memo::line(int index) const
{
    return textAt(lines_, index);
}

void Memo::replaceLines(std::vector<std::string> lines)
{
    lines_ = std::move(lines);
    const int length = textSize();
    selStart_ = std::min(selStart_, length);
    selLength_ = std::min(selLength_, length - selStart_);
    notify(Prop::Lines);
}

void Memo::setLines(std::vector<std::string> lines)
{
    // A line holding a line break would not read back as one line.
    std::vector<std::string> flat;
    flat.reserve(lines.size());
    for (auto& line : lines) {
        if (!hasLineBreak(line)) {
            flat.push_back(std::move(line));
        } else {
            for (auto& part : splitLines(line))
                flat.push_back(std::move(part));
        }
    }
    replaceLines(std::move(flat));
}

void Memo::addLine(const std::string& line)
{
    if (hasLineBreak(line)) {
        for (const auto& part : splitLines(line))
            lines_.push_back(part);
    } else {
        lines_.push_back(line);
    }
    notify(Prop::Lines);
}

void Memo::insertLine(int index, const std::string& line)
{
    index = std::clamp(index, 0, lineCount());
    auto parts = !hasLineBreak(line) ? std::vector<std::string>{line} : splitLines(line);
    lines_.insert(lines_.begin() + index, parts.begin(), parts.end());
    notify(Prop::Lines);
}

void Memo::clear()
{
    replaceLines({});
}

int Memo::textSize() const
{
    size_t size = 0;
    for (const auto& line : lines_)
        size += line.size() + 2;
    return static_cast<int>(size);
}

std::string Memo::text() const
{
    return joinLines(lines_);
}

void Memo::setText(const std::string& value)
{
    replaceLines(splitLines(value));
}

std::string Memo::selText() const
{
    const std::string all = text();
    if (selStart_ < 0 || selStart_ >= static_cast<int>(all.size()) || selLength_ <= 0)
        return {};
    return all.substr(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_));
}

void Memo::setSelection(int start, int length)
{
    const int size = textSize();
    start = std::clamp(start, 0, size);
    length = std::clamp(length, 0, size - start);
    if (start == selStart_ && length == selLength_)
        return;
    selStart_ = start;
    selLength_ = length;
    notify(Prop::Selection);
}

void Memo::replaceSelection(const std::string& value)
{
    std::string all = text();
    const auto start = static_cast<size_t>(std::min<int>(selStart_, static_cast<int>(all.size())));
    all.replace(start, static_cast<size_t>(selLength_), value);
    setText(all);
    setSelection(static_cast<int>(start + value.size()), 0);
}

int Memo::caretLine() const
{
    int line = 0;
    int pos = 0;
    for (const auto& l : lines_) {
        const int next = pos + static_cast<int>(l.size()) + 2;
        if (selStart_ < next)
            return line;
        pos = next;
        ++line;
    }
    // The caret sits on the empty line after the last line break.
    return line;
}

// ------------------------------------------------------------ RichEdit

void RichEdit::setPlainText(bool value)
{
    update(plainText_, value, Prop::State);
}

void RichEdit::snapshotForUndo()
{
    undoLines_ = lines();
    hasUndo_ = true;
}

void RichEdit::undo()
{
    if (!hasUndo_)
        return;
    // The control's undo is one step that toggles: undoing twice redoes.
    auto current = lines();
    replaceLines(undoLines_);
    undoLines_ = std::move(current);
}

// ------------------------------------------------------------ ComboBox

std::string ComboBox::item(int index) const
{
    return textAt(items_, index);
}

void ComboBox::setItems(std::vector<std::string> items)
{
    items_ = std::move(items);
    itemIndex_ = indexOf(text());
    notify(Prop::Items);
}

void ComboBox::addItem(const std::string& item)
{
    items_.push_back(item);
    notify(Prop::Items);
}

void ComboBox::deleteItem(int index)
{
    if (index < 0 || index >= itemCount())
        return;
    items_.erase(items_.begin() + index);
    if (itemIndex_ == index)
        itemIndex_ = -1;
    else if (itemIndex_ > index)
        --itemIndex_;
    notify(Prop::Items);
}

void ComboBox::clearItems()
{
    items_.clear();
    itemIndex_ = -1;
    notify(Prop::Items);
}

int ComboBox::indexOf(const std::string& item) const
{
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void ComboBox::setItemIndex(int index)
{
    if (index < -1 || index >= itemCount())
        index = -1;
    itemIndex_ = index;
    setTextValue(index >= 0 ? items_[static_cast<size_t>(index)] : std::string());
    notify(Prop::ItemIndex);
}

void ComboBox::setText(const std::string& value)
{
    itemIndex_ = indexOf(value);
    setTextValue(value);
}

// -------------------------------------------------------- CheckListBox

std::string CheckListBox::item(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return items_[static_cast<size_t>(index)].text;
}

bool CheckListBox::checked(int index) const
{
    if (index < 0 || index >= count())
        return false;
    return items_[static_cast<size_t>(index)].checked;
}

void CheckListBox::setChecked(int index, bool value)
{
    if (index < 0 || index >= count() || items_[static_cast<size_t>(index)].checked == value)
        return;
    items_[static_cast<size_t>(index)].checked = value;
    notify(Prop::Checked);
}

void CheckListBox::setItems(const std::vector<std::string>& texts)
{
    items_.clear();
    for (const auto& text : texts)
        items_.push_back({text, false});
    itemIndex_ = -1;
    notify(Prop::Items);
}

std::vector<std::string> CheckListBox::itemTexts() const
{
    std::vector<std::string> texts;
    texts.reserve(items_.size());
    for (const auto& item : items_)
        texts.push_back(item.text);
    return texts;
}

void CheckListBox::addItem(const std::string& text)
{
    items_.push_back({text, false});
    notify(Prop::Items);
}

void CheckListBox::deleteItem(int index)
{
    if (index < 0 || index >= count())
        return;
    items_.erase(items_.begin() + index);
    if (itemIndex_ >= count())
        itemIndex_ = count() - 1;
    notify(Prop::Items);
}

void CheckListBox::clearItems()
{
    items_.clear();
    itemIndex_ = -1;
    notify(Prop::Items);
}

void CheckListBox::setItemIndex(int index)
{
    if (index < -1 || index >= count())
        index = -1;
    update(itemIndex_, index, Prop::ItemIndex);
}

// ---------------------------------------------------------- StringGrid

StringGrid::StringGrid(Form* owner, std::string name, Control* parent) : Control(owner, std::move(name), parent)
{
    cells_.assign(static_cast<size_t>(colCount_), std::vector<std::string>(static_cast<size_t>(rowCount_)));
    colWidths_.assign(static_cast<size_t>(colCount_), defaultColWidth_);
}

void StringGrid::setColCount(int value)
{
    value = std::max(value, 1);
    if (value == colCount_)
        return;
    colCount_ = value;
    cells_.resize(static_cast<size_t>(value), std::vector<std::string>(static_cast<size_t>(rowCount_)));
    colWidths_.resize(static_cast<size_t>(value), defaultColWidth_);
    col_ = std::min(col_, colCount_ - 1);
    notify(Prop::GridSize);
}

void StringGrid::setRowCount(int value)
{
    value = std::max(value, 1);
    if (value == rowCount_)
        return;
    rowCount_ = value;
    for (auto& column : cells_)
        column.resize(static_cast<size_t>(value));
    row_ = std::min(row_, rowCount_ - 1);
    notify(Prop::GridSize);
}

std::string StringGrid::cell(int col, int row) const
{
    if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_)
        return {};
    return cells_[static_cast<size_t>(col)][static_cast<size_t>(row)];
}

void StringGrid::setCell(int col, int row, const std::string& value)
{
    if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_)
        return;
    auto& target = cells_[static_cast<size_t>(col)][static_cast<size_t>(row)];
    update(target, value, Prop::Cells);
}

void StringGrid::setDefaultColWidth(int value)
{
    defaultColWidth_ = value;
    std::fill(colWidths_.begin(), colWidths_.end(), value);
    notify(Prop::GridSize);
}

void StringGrid::setDefaultRowHeight(int value)
{
    defaultRowHeight_ = value;
    notify(Prop::GridSize);
}

int StringGrid::colWidth(int col) const
{
    if (col < 0 || col >= colCount_)
        return defaultColWidth_;
    return colWidths_[static_cast<size_t>(col)];
}

void StringGrid::setColWidth(int col, int value)
{
    if (col < 0 || col >= colCount_)
        return;
    colWidths_[static_cast<size_t>(col)] = value;
    notify(Prop::GridSize);
}

void StringGrid::setCurrentCell(int col, int row)
{
    col = std::clamp(col, 0, colCount_ - 1);
    row = std::clamp(row, 0, rowCount_ - 1);
    if (col == col_ && row == row_)
        return;
    col_ = col;
    row_ = row;
    notify(Prop::Selection);
}

void StringGrid::markPressedCell(int x, int y, int& col, int& row)
{
    mouseToCell(x, y, col, row);
    setCell(0, 0, std::to_string(col) + "," + std::to_string(row));
}

void StringGrid::mouseToCell(int x, int y, int& col, int& row) const
{
    // Grid lines are one pixel wide, as in the original control.
    col = -1;
    row = -1;
    auto locate = [this](int pos, int fixed, int first, int count, auto size) {
        int edge = 0;
        for (int i = 0; i < fixed && i < count; ++i) {
            edge += size(i) + 1;
            if (pos < edge)
                return i;
        }
        for (int i = std::max(first, fixed); i < count; ++i) {
            edge += size(i) + 1;
            if (pos < edge)
                return i;
        }
        return -1;
    };
    if (x >= 0)
        col = locate(x, fixedCols, leftCol, colCount_, [this](int c) { return colWidth(c); });
    if (y >= 0)
        row = locate(y, fixedRows, topRow, rowCount_, [this](int) { return defaultRowHeight_; });
}

// ---------------------------------------------------------- PageControl

TabSheet* PageControl::page(int index) const
{
    if (index < 0 || index >= pageCount())
        return nullptr;
    return pages_[static_cast<size_t>(index)];
}

int PageControl::indexOfPage(const TabSheet* page) const
{
    auto it = std::find(pages_.begin(), pages_.end(), page);
    return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

void PageControl::setActivePageIndex(int index)
{
    if (index < -1 || index >= pageCount() || index == activeIndex_)
        return;
    activeIndex_ = index;
    notify(Prop::ActivePage);
    TabSheet* shown = page(index);
    if (shown && shown->onShow)
        shown->onShow();
}

void PageControl::addPage(TabSheet* page)
{
    pages_.push_back(page);
    if (activeIndex_ < 0)
        activeIndex_ = 0;
    notify(Prop::ActivePage);
}

TabSheet::TabSheet(Form* owner, std::string name, Control* parent)
    : Control(owner, std::move(name), parent), pageControl_(dynamic_cast<PageControl*>(parent))
{
    setAlign(Align::Client);
    if (pageControl_)
        pageControl_->addPage(this);
}

int TabSheet::pageIndex() const
{
    return pageControl_ ? pageControl_->indexOfPage(this) : -1;
}

// ------------------------------------------------------------- balloon

Balloon::Balloon(Form* owner, std::string name, Control* parent) : Control(owner, std::move(name), parent)
{
    setVisible(false);
}

void Balloon::setAnchor(Control* control)
{
    update(anchor_, control, Prop::Geometry);
}

// ------------------------------------------------------ check controls

void CheckBox::setChecked(bool value)
{
    update(checked_, value, Prop::Checked);
}

void RadioButton::setChecked(bool value)
{
    update(checked_, value, Prop::Checked);
}

// ---------------------------------------------------------------- UpDown

void UpDown::setMin(int value)
{
    min_ = value;
    if (max_ < min_)
        max_ = min_;
    setPosition(position_);
    notify(Prop::Position);
}

void UpDown::setMax(int value)
{
    max_ = value;
    if (min_ > max_)
        min_ = max_;
    setPosition(position_);
    notify(Prop::Position);
}

void UpDown::setPosition(int value)
{
    value = std::clamp(value, min_, max_);
    const bool moved = value != position_;
    position_ = value;
    showInAssociate();
    if (moved)
        notify(Prop::Position);
}

void UpDown::showInAssociate()
{
    if (associate)
        associate->setText(std::to_string(position_));
}

void UpDown::takeAssociateText()
{
    if (!associate)
        return;
    const std::string typed = associate->text();
    int value = 0;
    if (TryStrToInt(typed, value)) {
        setPosition(value);
        return;
    }
    showInAssociate();
    throw ConversionError("'" + typed + "' is not a valid integer value; " + associate->name() + " keeps " +
                          std::to_string(position_));
}

void UpDown::step(UpDownButton button)
{
    bool allow = true;
    if (onChanging)
        onChanging(allow);
    if (!allow)
        return;
    int next = position_ + (button == UpDownButton::Up ? increment : -increment);
    if (next > max_)
        next = wrap ? min_ : max_;
    else if (next < min_)
        next = wrap ? max_ : min_;
    setPosition(next);
    if (onUpDownClick)
        onUpDownClick(button);
}

// --------------------------------------------------------------- Animate

void Animate::setActive(bool value)
{
    update(active_, value, Prop::State);
}

// -------------------------------------------------------- WebBrowserHost

namespace {
WebBrowserHost::Factory& browserFactory()
{
    static WebBrowserHost::Factory factory;
    return factory;
}
} // namespace

void WebBrowserHost::setFactory(Factory factory)
{
    browserFactory() = std::move(factory);
}

browserctl::WebBrowser& WebBrowserHost::browser()
{
    if (!browser_) {
        if (!browserFactory())
            throw Error("No web browser is available for " + name());
        browser_ = browserFactory()(*this);
        if (!browser_)
            throw Error("The web browser of " + name() + " could not be created");
        browserCreated.emit();
    }
    return *browser_;
}

// -------------------------------------------------------------- MenuItem

MenuItem::MenuItem(Form* owner, std::string name, MenuItem* parent) : Component(owner, std::move(name)), parent_(parent)
{
    if (parent_)
        parent_->items_.push_back(this);
}

void MenuItem::click()
{
    if (onClick)
        onClick();
}

// ----------------------------------------------------------------- Timer

namespace {
TimerService*& timerService()
{
    static TimerService* service = nullptr;
    return service;
}
} // namespace

void Timer::setService(TimerService* service)
{
    timerService() = service;
}

Timer::Timer(Form* owner, std::string name) : Component(owner, std::move(name))
{
}

Timer::~Timer()
{
    if (Application::exists())
        Application::instance().forgetTimer(*this);
    if (timerService())
        timerService()->timerDestroyed(*this);
}

void Timer::setInterval(int ms)
{
    if (!update(interval_, ms, Prop::State))
        return;
    if (timerService())
        timerService()->timerChanged(*this);
}

void Timer::setEnabled(bool value)
{
    if (!update(enabled_, value, Prop::State))
        return;
    if (timerService())
        timerService()->timerChanged(*this);
}

void Timer::fire()
{
    if (!enabled_ || !onTimer)
        return;
    if (Application::exists()) {
        // A tick that falls due while a handler runs (its own one included,
        // in a wait or behind a modal box) fires once after it.
        Application& app = Application::instance();
        if (app.busy())
            app.deferTick(*this);
        else
            app.dispatch(onTimer);
        return;
    }
    if (running_)
        return;
    const FlagScope running(running_);
    onTimer();
}

} // namespace framework
