// Run: the operation chosen in the tree, applied line by line to the
// memo window's source text, output into its log.

#include <algorithm>
#include <array>
#include <deque>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "app/fm_main.h"
#include "app/globals.h"
#include "docedit/fm_doc_edi.h"
#include "docedit/text_map.h"
#include "framework/application.h"
#include "framework/text_util.h"
#include "memo/fm_memo.h"

using namespace framework;

namespace {

// A key memo's text as typed: its lines joined, no line end after the last.
std::string keyText(const Memo& memo)
{
    std::string out;
    for (int i = 0; i < memo.lineCount(); ++i) {
        if (i)
            out += "\r\n";
        out += memo.line(i);
    }
    return out;
}

std::string upperFirstByte(std::string text)
{
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string withoutDigits(std::string text)
{
    std::erase_if(text, [](char c) { return c >= '0' && c <= '9'; });
    return text;
}

std::string trimmed(const std::string& text)
{
    size_t start = 0;
    size_t end = text.size();
    while (start < end && static_cast<unsigned char>(text[start]) <= ' ')
        ++start;
    while (end > start && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(start, end - start);
}

// The operation codes Run knows, in the order it applies them to a line.
constexpr std::array<std::string_view, 31> Codes = {
    "(C1-1)", "(C1-2)", "(C1-3)", "(C1-4)", "(C1-4-1)", "(C1-5)", "(C1-6)", "(C1-7)", "(C1-8)", "(C2-1)", "(C2-2)",
    "(C2-3)", "(C3-1)", "(C3-2)", "(C3-3)", "(C3-4)",   "(C4-1)", "(C5-1)", "(C5-2)", "(L1-1)", "(L1-2)", "(L2-1)",
    "(L3-1)", "(L3-2)", "(L3-3)", "(L3-4)", "(L4-1)",   "(L4-2)", "(L4-3)", "(L4-4)", "(L4-5)"};

// A code's place in Codes, found while building: a misspelt code does not
// compile.
consteval size_t code(std::string_view text)
{
    for (size_t i = 0; i < Codes.size(); ++i)
        if (Codes[i] == text)
            return i;
    throw "unknown operation code";
}

// The log as Run writes it, handed to the memo in one piece at the end.
// Lines are split at line breaks as the memo splits them. The pair swap
// inserts at a position that only moves forward during a run, so the lines
// behind it wait in a deque and an insert does not shift the whole log.
class RunLog {
public:
    // remember: keep a set of the lines, for the duplicate test.
    explicit RunLog(bool remember) : remember_(remember) {}

    void add(const std::string& text)
    {
        forEachLine(text, [this](std::string line) { tail_.push_back(std::move(line)); });
    }
    void insert(int index, const std::string& text)
    {
        const size_t at = static_cast<size_t>(std::clamp(index, 0, size()));
        while (head_.size() < at) {
            head_.push_back(std::move(tail_.front()));
            tail_.pop_front();
        }
        while (head_.size() > at) {
            tail_.push_front(std::move(head_.back()));
            head_.pop_back();
        }
        forEachLine(text, [this](std::string line) { head_.push_back(std::move(line)); });
    }
    bool holds(const std::string& line) const { return seen_.contains(line); }
    std::vector<std::string> take()
    {
        std::vector<std::string> lines = std::move(head_);
        lines.insert(lines.end(), std::make_move_iterator(tail_.begin()), std::make_move_iterator(tail_.end()));
        tail_.clear();
        return lines;
    }

private:
    int size() const { return static_cast<int>(head_.size() + tail_.size()); }
    template <class Put> void forEachLine(const std::string& text, Put put)
    {
        if (!hasLineBreak(text)) {
            note(text);
            put(text);
            return;
        }
        for (auto& line : splitLines(text)) {
            note(line);
            put(std::move(line));
        }
    }
    void note(const std::string& line)
    {
        if (remember_)
            seen_.insert(line);
    }

    bool remember_;
    std::vector<std::string> head_;
    std::deque<std::string> tail_;
    std::unordered_set<std::string> seen_;
};

// What one line's operations share: the line as the operations before
// have left it, the keys, the log, and the state that runs across lines.
struct Step {
    std::string work;
    const std::vector<std::string>& source;
    size_t index;
    const std::string& blue;
    const std::string& red;
    RunLog& out;
    const std::array<bool, Codes.size()>& chosen;
    bool& mark;
    int& swapPhase;

    void output(const std::string& text) { out.add(text); }
    bool hasBlue() const { return contains(work, blue); }
    // The main window's extraction tools, on the work text.
    std::string front() const { return extract(&TFmMain::PFCLEFrontClick); }
    std::string rear() const { return extract(&TFmMain::PFCLERearClick); }
    std::string range() const
    {
        FmMain->KeyRear = red;
        return extract(&TFmMain::PFCLERangeClick);
    }

private:
    std::string extract(void (TFmMain::*tool)()) const
    {
        FmMain->WorkText = work;
        FmMain->KeyFront = blue;
        (FmMain->*tool)();
        return FmMain->ResultText;
    }
};

struct Operation {
    size_t code;
    size_t alsoCode; // a second code that runs the same operation
    void (*apply)(Step&);
};

constexpr size_t None = Codes.size();

// Every operation, in the order Run applies them to a line.
constexpr Operation Operations[] = {
    {code("(C1-1)"), None,
     [](Step& s) {
         s.work = replaceAll(s.work, s.blue, s.red);
         s.output(s.work);
     }},
    {code("(C1-2)"), None, [](Step& s) { s.output(docedit::toFullWidth(s.work)); }},
    {code("(C1-3)"), None, [](Step& s) { s.output(docedit::toHalfWidth(s.work)); }},
    {code("(C1-4)"), None, [](Step& s) { s.output(docedit::toUpperCase(s.work)); }},
    {code("(C1-4-1)"), None, [](Step& s) { s.output(upperFirstByte(s.work)); }},
    {code("(C1-5)"), None, [](Step& s) { s.output(docedit::toLowerCase(s.work)); }},
    {code("(C1-6)"), None, [](Step& s) { s.output(docedit::toHiragana(s.work)); }},
    {code("(C1-7)"), None, [](Step& s) { s.output(docedit::toKatakana(s.work)); }},
    {code("(C1-8)"), None, [](Step& s) { s.output(docedit::halfKatakanaToFull(s.work)); }},
    {code("(C2-1)"), None,
     [](Step& s) {
         if (!s.work.empty())
             s.output(s.blue + s.work);
     }},
    {code("(C2-2)"), None,
     [](Step& s) {
         if (!s.work.empty())
             s.output(s.work + s.blue);
     }},
    {code("(C2-3)"), None,
     [](Step& s) {
         if (!s.work.empty())
             s.output(s.blue + s.work + s.red);
     }},
    {code("(C3-1)"), None,
     [](Step& s) {
         s.work = replaceAll(s.work, s.blue, "");
         s.output(s.work);
     }},
    {code("(C3-2)"), None, [](Step& s) { s.output(s.hasBlue() ? s.front() : s.work); }},
    {code("(C3-3)"), None, [](Step& s) { s.output(s.hasBlue() ? s.rear() : s.work); }},
    {code("(C3-4)"), None,
     [](Step& s) {
         s.work = withoutDigits(std::move(s.work));
         s.output(s.work);
     }},
    {code("(C4-1)"), None,
     [](Step& s) {
         if (s.hasBlue())
             s.output(s.range());
     }},
    {code("(C5-1)"), None,
     [](Step& s) {
         if (s.hasBlue())
             s.output(s.blue + s.front() + s.rear());
     }},
    {code("(C5-2)"), None,
     [](Step& s) {
         if (s.hasBlue())
             s.output(s.front() + s.rear() + s.blue);
     }},
    {code("(L1-1)"), None,
     [](Step& s) {
         if (s.hasBlue())
             s.work = replaceAll(s.work, s.blue, s.blue + "\r\n");
         s.output(s.work);
     }},
    {code("(L1-2)"), None,
     [](Step& s) {
         if (s.hasBlue())
             s.work = replaceAll(s.work, s.blue, "\r\n" + s.blue);
         s.output(s.work);
     }},
    {code("(L2-1)"), None,
     [](Step& s) {
         s.output(s.work);
         s.output(s.blue);
     }},
    {code("(L3-1)"), None, [](Step& s) { s.output(s.work); }},
    // Pairs of lines change places.
    {code("(L3-2)"), None,
     [](Step& s) {
         if (s.swapPhase == 0)
             s.output(s.work);
         else
             s.out.insert(std::max(0, static_cast<int>(s.index) - 1), s.work);
         s.swapPhase = (s.swapPhase + 1) % 2;
     }},
    // A line followed by one with the key joins it (after or before it).
    {code("(L3-3)"), code("(L3-4)"),
     [](Step& s) {
         static const std::string none;
         const std::string& next = s.index + 1 < s.source.size() ? s.source[s.index + 1] : none;
         if (contains(next, s.blue)) {
             s.output(s.chosen[code("(L3-3)")] ? s.work + next : next + s.work);
             s.mark = true;
         } else if (s.mark) {
             s.mark = false;
         } else {
             s.output(s.work);
         }
     }},
    {code("(L4-1)"), None,
     [](Step& s) {
         if (!s.hasBlue())
             s.output(s.work);
     }},
    {code("(L4-2)"), None,
     [](Step& s) {
         if (s.hasBlue())
             s.output(s.work);
     }},
    {code("(L4-3)"), None,
     [](Step& s) {
         if (!s.work.empty())
             s.output(s.work);
     }},
    {code("(L4-4)"), None, [](Step& s) { s.output(trimmed(s.work)); }},
    // The first copy stays; a line counts as seen once any operation has
    // written it to the log.
    {code("(L4-5)"), None,
     [](Step& s) {
         if (!s.out.holds(s.work))
             s.output(s.work);
     }},
};

} // namespace

void TFmDocEdi::MMSEditTRunClick()
{
    // A large text takes a while, with no event in between.
    Application::BusyScope busy;
    GroupBoxChang.setCaption(OperationPath);
    const std::vector<std::string>& source = FmMemo->MemoSource.lines();
    FmMemo->MemoLog.clear();
    const std::string blue = keyText(MemoBlue);
    const std::string red = keyText(MemoRed);
    FmMain->KeyFront = blue;
    // The path stays the same for the whole run: each code is looked up
    // once, and only the chosen operations are walked per line.
    std::array<bool, Codes.size()> chosen{};
    for (size_t c = 0; c < Codes.size(); ++c)
        chosen[c] = OperationPath.find(Codes[c]) != std::string::npos;
    std::vector<const Operation*> run;
    for (const Operation& operation : Operations)
        if (chosen[operation.code] || (operation.alsoCode != None && chosen[operation.alsoCode]))
            run.push_back(&operation);
    RunLog out(chosen[code("(L4-5)")]);
    bool mark = false;
    int swapPhase = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        FmMain->WorkText = source[i];
        Step step{source[i], source, i, blue, red, out, chosen, mark, swapPhase};
        for (const Operation* operation : run)
            operation->apply(step);
    }
    FmMemo->MemoLog.setLines(out.take());
}
