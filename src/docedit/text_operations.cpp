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
    "(C2-3)", "(C3-1)", "(C3-2)", "(C3-3)", "(C3-4)", "(C4-1)", "(C5-1)", "(C5-2)", "(L1-1)", "(L1-2)", "(L2-1)",
    "(L3-1)", "(L3-2)", "(L3-3)", "(L3-4)", "(L4-1)", "(L4-2)", "(L4-3)", "(L4-4)", "(L4-5)"};

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
    template <class Put>
    void forEachLine(const std::string& text, Put put)
    {
        if (!hasLineBreak(text)) {
            note(text);
            put(text);
            return;
        }
        for (auto& line : splitTextLines(text)) {
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

}  // namespace

void TFmDocEdi::MMSEditTRunClick()
{
    GroupBoxChang.setCaption(OperationPath);
    Memo& log = FmMemo->MemoLog;
    const std::vector<std::string>& source = FmMemo->MemoSource.lines();
    log.clear();
    const std::string blue = keyText(MemoBlue);
    const std::string red = keyText(MemoRed);
    FmMain->KeyFront = blue;
    bool mark = false;
    int swapPhase = 0;
    // The path stays the same for the whole run: each code is looked up
    // once, not once per line.
    std::array<bool, Codes.size()> chosen{};
    for (size_t c = 0; c < Codes.size(); ++c)
        chosen[c] = OperationPath.find(Codes[c]) != std::string::npos;
    auto has = [&chosen](size_t c) { return chosen[c]; };
    RunLog out(has(code("(L4-5)")));
    auto output = [&out](const std::string& text) { out.add(text); };
    auto front = [&](const std::string& text) {
        FmMain->WorkText = text;
        FmMain->KeyFront = blue;
        FmMain->PFCLEFrontClick();
        return FmMain->ResultText;
    };
    auto rear = [&](const std::string& text) {
        FmMain->WorkText = text;
        FmMain->KeyFront = blue;
        FmMain->PFCLERearClick();
        return FmMain->ResultText;
    };

    for (size_t i = 0; i < source.size(); ++i) {
        std::string work = source[i];
        FmMain->WorkText = work;

        if (has(code("(C1-1)"))) {
            work = replaceAll(work, blue, red);
            output(work);
        }
        if (has(code("(C1-2)")))
            output(docedit::toFullWidth(work));
        if (has(code("(C1-3)")))
            output(docedit::toHalfWidth(work));
        if (has(code("(C1-4)")))
            output(docedit::toUpperCase(work));
        if (has(code("(C1-4-1)")))
            output(upperFirstByte(work));
        if (has(code("(C1-5)")))
            output(docedit::toLowerCase(work));
        if (has(code("(C1-6)")))
            output(docedit::toHiragana(work));
        if (has(code("(C1-7)")))
            output(docedit::toKatakana(work));
        if (has(code("(C1-8)")))
            output(docedit::halfKatakanaToFull(work));
        if (has(code("(C2-1)")) && !work.empty())
            output(blue + work);
        if (has(code("(C2-2)")) && !work.empty())
            output(work + blue);
        if (has(code("(C2-3)")) && !work.empty())
            output(blue + work + red);
        if (has(code("(C3-1)"))) {
            work = replaceAll(work, blue, "");
            output(work);
        }
        if (has(code("(C3-2)")))
            output(contains(work, blue) ? front(work) : work);
        if (has(code("(C3-3)")))
            output(contains(work, blue) ? rear(work) : work);
        if (has(code("(C3-4)"))) {
            work = withoutDigits(std::move(work));
            output(work);
        }
        if (has(code("(C4-1)")) && contains(work, blue)) {
            FmMain->WorkText = work;
            FmMain->KeyFront = blue;
            FmMain->KeyRear = red;
            FmMain->PFCLERangeClick();
            output(FmMain->ResultText);
        }
        if (has(code("(C5-1)")) && contains(work, blue))
            output(blue + front(work) + rear(work));
        if (has(code("(C5-2)")) && contains(work, blue))
            output(front(work) + rear(work) + blue);
        if (has(code("(L1-1)"))) {
            if (contains(work, blue))
                work = replaceAll(work, blue, blue + "\r\n");
            output(work);
        }
        if (has(code("(L1-2)"))) {
            if (contains(work, blue))
                work = replaceAll(work, blue, "\r\n" + blue);
            output(work);
        }
        if (has(code("(L2-1)"))) {
            output(work);
            output(blue);
        }
        if (has(code("(L3-1)")))
            output(work);
        if (has(code("(L3-2)"))) {
            // Pairs of lines change places.
            if (swapPhase == 0)
                output(work);
            else
                out.insert(std::max(0, static_cast<int>(i) - 1), work);
            swapPhase = (swapPhase + 1) % 2;
        }
        if (has(code("(L3-3)")) || has(code("(L3-4)"))) {
            static const std::string none;
            const std::string& next = i + 1 < source.size() ? source[i + 1] : none;
            if (contains(next, blue)) {
                output(has(code("(L3-3)")) ? work + next : next + work);
                mark = true;
            } else if (mark) {
                mark = false;
            } else {
                output(work);
            }
        }
        if (has(code("(L4-1)")) && !contains(work, blue))
            output(work);
        if (has(code("(L4-2)")) && contains(work, blue))
            output(work);
        if (has(code("(L4-3)")) && !work.empty())
            output(work);
        if (has(code("(L4-4)")))
            output(trimmed(work));
        // The first copy stays; a line counts as seen once any operation
        // has written it to the log.
        if (has(code("(L4-5)")) && !out.holds(work))
            output(work);
    }
    log.setLines(out.take());
}
