// Run: the operation chosen in the tree, applied line by line to the
// memo window's source text, output into its log.

#include <algorithm>

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

}  // namespace

void TFmDocEdi::MMSEditTRunClick()
{
    GroupBoxChang.setCaption(OperationPath);
    Memo& log = FmMemo->MemoLog;
    const Memo& source = FmMemo->MemoSource;
    log.clear();
    const std::string blue = keyText(MemoBlue);
    const std::string red = keyText(MemoRed);
    FmMain->KeyFront = blue;
    bool mark = false;
    int swapPhase = 0;
    auto has = [this](const char* code) { return contains(OperationPath, code); };
    auto output = [&log](const std::string& text) { log.addLine(text); };
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

    for (int i = 0; i < source.lineCount(); ++i) {
        std::string work = source.line(i);
        const std::string next = source.line(i + 1);
        FmMain->WorkText = work;

        if (has("(C1-1)")) {
            work = replaceAll(work, blue, red);
            output(work);
        }
        if (has("(C1-2)"))
            output(docedit::toFullWidth(work));
        if (has("(C1-3)"))
            output(docedit::toHalfWidth(work));
        if (has("(C1-4)"))
            output(docedit::toUpperCase(work));
        if (has("(C1-4-1)"))
            output(upperFirstByte(work));
        if (has("(C1-5)"))
            output(docedit::toLowerCase(work));
        if (has("(C1-6)"))
            output(docedit::toHiragana(work));
        if (has("(C1-7)"))
            output(docedit::toKatakana(work));
        if (has("(C1-8)"))
            output(docedit::halfKatakanaToFull(work));
        if (has("(C2-1)") && !work.empty())
            output(blue + work);
        if (has("(C2-2)") && !work.empty())
            output(work + blue);
        if (has("(C2-3)") && !work.empty())
            output(blue + work + red);
        if (has("(C3-1)")) {
            work = replaceAll(work, blue, "");
            output(work);
        }
        if (has("(C3-2)"))
            output(contains(work, blue) ? front(work) : work);
        if (has("(C3-3)"))
            output(contains(work, blue) ? rear(work) : work);
        if (has("(C3-4)")) {
            for (const char* digit : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"})
                work = replaceAll(work, digit, "");
            output(work);
        }
        if (has("(C4-1)") && contains(work, blue)) {
            FmMain->WorkText = work;
            FmMain->KeyFront = blue;
            FmMain->KeyRear = red;
            FmMain->PFCLERangeClick();
            output(FmMain->ResultText);
        }
        if (has("(C5-1)") && contains(work, blue))
            output(blue + front(work) + rear(work));
        if (has("(C5-2)") && contains(work, blue))
            output(front(work) + rear(work) + blue);
        if (has("(L1-1)")) {
            if (contains(work, blue))
                work = replaceAll(work, blue, blue + "\r\n");
            output(work);
        }
        if (has("(L1-2)")) {
            if (contains(work, blue))
                work = replaceAll(work, blue, "\r\n" + blue);
            output(work);
        }
        if (has("(L2-1)")) {
            output(work);
            output(blue);
        }
        if (has("(L3-1)"))
            output(work);
        if (has("(L3-2)")) {
            // Pairs of lines change places.
            if (swapPhase == 0)
                output(work);
            else
                log.insertLine(std::max(0, i - 1), work);
            swapPhase = (swapPhase + 1) % 2;
        }
        if (has("(L3-3)") || has("(L3-4)")) {
            const bool joinAfter = has("(L3-3)");
            if (contains(next, blue)) {
                output(joinAfter ? work + next : next + work);
                mark = true;
            } else if (mark) {
                mark = false;
            } else {
                output(work);
            }
        }
        if (has("(L4-1)") && !contains(work, blue))
            output(work);
        if (has("(L4-2)") && contains(work, blue))
            output(work);
        if (has("(L4-3)") && !work.empty())
            output(work);
        if (has("(L4-4)"))
            output(trimmed(work));
        if (has("(L4-5)")) {
            const auto& lines = log.lines();
            if (std::find(lines.begin(), lines.end(), work) == lines.end())
                output(work);
        }
    }
}
