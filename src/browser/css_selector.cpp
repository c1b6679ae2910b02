// A recursive descent over the selector grammar, character by character.
// It accepts what the browser's querySelectorAll accepts as far as a
// result-link selector needs, and says where the first problem is.

#include "browser/css_selector.h"

#include <algorithm>
#include <array>

#include "framework/text_util.h"

namespace runs {

namespace {

// Pseudo-classes without arguments that the browser knows.
constexpr std::array PlainPseudoClasses = {
    "active", "any-link", "autofill", "blank", "checked", "closed", "current", "default", "defined", "disabled",
    "empty", "enabled", "first", "first-child", "first-of-type", "focus", "focus-visible", "focus-within", "fullscreen",
    "future", "host", "hover", "in-range", "indeterminate", "invalid", "last-child", "last-of-type", "left", "link",
    "local-link", "modal", "muted", "only-child", "only-of-type", "open", "optional", "out-of-range", "past", "paused",
    "picture-in-picture", "placeholder-shown", "playing", "popover-open", "read-only", "read-write", "required",
    "right", "root", "scope", "target", "target-within", "user-invalid", "user-valid", "valid", "visited",
    "volume-locked",
    // Pseudo-elements that may still be written with one colon.
    "after", "before", "first-letter", "first-line"};

constexpr std::array PseudoElements = {
    "after",         "backdrop", "before",      "cue",       "file-selector-button", "first-letter", "first-line",
    "grammar-error", "marker",   "placeholder", "selection", "spelling-error",       "target-text"};

template <size_t N> bool among(const std::array<const char*, N>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool isVendor(const std::string& name)
{
    return name.rfind("-webkit-", 0) == 0;
}

struct Problem {
    std::string why;
};

class SelectorCheck {
public:
    explicit SelectorCheck(std::string_view text) : s_(text) {}

    std::string check()
    {
        try {
            list(false, false);
            if (!atEnd())
                unexpected();
        } catch (const Problem& problem) {
            return problem.why;
        }
        return "";
    }

private:
    [[noreturn]] void fail(const std::string& why) { throw Problem{why}; }

    [[noreturn]] void unexpected()
    {
        if (peek() == ')')
            fail("unbalanced parenthesis ')'");
        if (peek() == ']')
            fail("unbalanced bracket ']'");
        fail(std::string("unexpected '") + peek() + "' at character " + std::to_string(i_ + 1));
    }

    bool atEnd() const { return i_ >= s_.size(); }
    char peek(size_t ahead = 0) const { return i_ + ahead < s_.size() ? s_[i_ + ahead] : '\0'; }

    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
    static bool isNameStart(char c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
    }
    static bool isNameChar(char c) { return isNameStart(c) || isDigit(c) || c == '-'; }

    // Blanks and comments; whether there were any.
    bool skipBlanks()
    {
        const size_t start = i_;
        for (;;) {
            if (isBlank(peek())) {
                ++i_;
            } else if (peek() == '/' && peek(1) == '*') {
                const size_t end = s_.find("*/", i_ + 2);
                if (end == std::string_view::npos)
                    fail("unclosed comment");
                i_ = end + 2;
            } else {
                return i_ != start;
            }
        }
    }

    bool escapeAhead(size_t ahead = 0) const
    {
        return peek(ahead) == '\\' && i_ + ahead + 1 < s_.size() && peek(ahead + 1) != '\n' &&
               peek(ahead + 1) != '\r' && peek(ahead + 1) != '\f';
    }

    void escape()
    {
        ++i_; // the backslash
        if (!isHex(peek())) {
            ++i_;
            return;
        }
        for (int n = 0; n < 6 && isHex(peek()); ++n)
            ++i_;
        if (isBlank(peek()))
            ++i_;
    }

    bool identAhead() const
    {
        size_t at = 0;
        if (peek() == '-') {
            if (peek(1) == '-')
                return true;
            at = 1;
        }
        return isNameStart(peek(at)) || escapeAhead(at);
    }

    // An identifier, lower-cased where it is ASCII (for pseudo names).
    std::string ident()
    {
        if (!identAhead()) {
            if (peek() == '\\')
                fail("a backslash at the end");
            return "";
        }
        const size_t start = i_;
        while (!atEnd()) {
            if (escapeAhead())
                escape();
            else if (isNameChar(peek()))
                ++i_;
            else
                break;
        }
        return framework::lowerAscii(std::string(s_.substr(start, i_ - start)));
    }

    void string()
    {
        const char quote = peek();
        ++i_;
        while (!atEnd()) {
            const char c = peek();
            if (c == quote) {
                ++i_;
                return;
            }
            if (c == '\n' || c == '\r' || c == '\f')
                break;
            i_ += c == '\\' ? 2 : 1;
        }
        fail(std::string("unclosed quote ") + quote);
    }

    // list := complex ("," complex)*. Nested in a pseudo-class's
    // parentheses it ends at ")"; relative selectors (:has) may begin with
    // a combinator.
    void list(bool relative, bool nested)
    {
        for (;;) {
            complex(relative, nested);
            if (peek() != ',')
                return;
            ++i_;
        }
    }

    void complex(bool relative, bool nested)
    {
        skipBlanks();
        if (relative && (peek() == '>' || peek() == '+' || peek() == '~')) {
            ++i_;
            skipBlanks();
        }
        if (!compound()) {
            if (peek() == ',')
                fail("an empty selector before ','");
            if (atEnd() || (nested && peek() == ')'))
                fail("an empty selector");
            if (peek() == '>' || peek() == '+' || peek() == '~')
                fail(std::string("nothing before the combinator '") + peek() + "'");
            unexpected();
        }
        for (;;) {
            const bool blanks = skipBlanks();
            if (atEnd() || peek() == ',' || (nested && peek() == ')'))
                return;
            if (peek() == '>' || peek() == '+' || peek() == '~') {
                const char combinator = peek();
                ++i_;
                skipBlanks();
                if (!compound())
                    fail(std::string("nothing after the combinator '") + combinator + "'");
            } else if (!blanks || !compound()) {
                unexpected();
            }
        }
    }

    // A type or universal selector with its namespace prefix, if any.
    bool typeSelector()
    {
        const auto name = [this] {
            if (peek() == '*') {
                ++i_;
                return true;
            }
            return !ident().empty();
        };
        bool any = false;
        if (peek() != '|')
            any = name();
        if (peek() == '|' && peek(1) != '=') {
            ++i_;
            if (!name())
                fail("a namespace without an element name");
            any = true;
        }
        return any;
    }

    bool compound()
    {
        bool any = typeSelector();
        for (;;) {
            switch (peek()) {
            case '#':
                ++i_;
                if (ident().empty())
                    fail("'#' without an id");
                break;
            case '.':
                ++i_;
                if (ident().empty())
                    fail("'.' without a class name");
                break;
            case '[':
                attribute();
                break;
            case ':':
                pseudo();
                break;
            default:
                return any;
            }
            any = true;
        }
    }

    void attribute()
    {
        ++i_; // [
        skipBlanks();
        if (!typeSelector())
            fail(atEnd() ? "unbalanced bracket '['" : "an attribute selector without a name");
        skipBlanks();
        if (peek() != ']') {
            if (peek() == '=') {
                ++i_;
            } else if (std::string_view("~|^$*").find(peek()) != std::string_view::npos && peek() != '\0' &&
                       peek(1) == '=') {
                i_ += 2;
            } else {
                if (atEnd())
                    fail("unbalanced bracket '['");
                unexpected();
            }
            skipBlanks();
            if (peek() == '"' || peek() == '\'')
                string();
            else if (ident().empty())
                fail(atEnd() ? "unbalanced bracket '['" : "an attribute selector without a value");
            skipBlanks();
            if (identAhead()) {
                const std::string flag = ident();
                if (flag != "i" && flag != "s")
                    fail("unknown attribute flag '" + flag + "'");
                skipBlanks();
            }
        }
        close(']', "unbalanced bracket '['");
    }

    void closeParenthesis()
    {
        skipBlanks();
        close(')', "unbalanced parenthesis '('");
    }

    // Steps over the closing character; the end of the text there means the
    // opening one was never closed.
    void close(char closing, const char* unbalanced)
    {
        if (peek() != closing) {
            if (atEnd())
                fail(unbalanced);
            unexpected();
        }
        ++i_;
    }

    // What a forgiving argument holds is the browser's to sort out; only
    // its brackets and quotes must close.
    void balanced()
    {
        int depth = 1;
        while (!atEnd()) {
            const char c = peek();
            if (c == '"' || c == '\'') {
                string();
                continue;
            }
            if (c == '\\') {
                i_ += 2;
                continue;
            }
            if (c == '(' || c == '[') {
                ++depth;
            } else if (c == ')' || c == ']') {
                if (--depth == 0)
                    return;
            }
            ++i_;
        }
        fail("unbalanced parenthesis '('");
    }

    // An+B: "odd", "even", "3", "-n+2", "2n - 1".
    void nth()
    {
        skipBlanks();
        for (const char* word : {"odd", "even"}) {
            const std::string_view w(word);
            if (framework::lowerAscii(std::string(s_.substr(i_, w.size()))) == w && !isNameChar(peek(w.size()))) {
                i_ += w.size();
                return;
            }
        }
        if (peek() == '+' || peek() == '-')
            ++i_;
        bool digits = false;
        while (isDigit(peek())) {
            ++i_;
            digits = true;
        }
        if (peek() == 'n' || peek() == 'N') {
            ++i_;
            skipBlanks();
            if (peek() == '+' || peek() == '-') {
                ++i_;
                skipBlanks();
                if (!isDigit(peek()))
                    fail("a bad An+B argument");
                while (isDigit(peek()))
                    ++i_;
            }
        } else if (!digits) {
            fail("a bad An+B argument");
        }
    }

    // After a pseudo-class or pseudo-element name: steps into its argument
    // and says so, or checks that the name is one used without one.
    bool opensArgument(const std::string& name, bool knownPlain, const std::string& kind)
    {
        if (name.empty())
            fail("'" + kind.substr(kind.find(' ') + 1) + "' without a name");
        if (peek() != '(') {
            if (knownPlain || isVendor(name))
                return false;
            fail("unknown " + kind + name);
        }
        ++i_; // (
        return true;
    }

    void pseudo()
    {
        ++i_; // :
        if (peek() == ':') {
            ++i_;
            pseudoElement();
            return;
        }
        const std::string name = ident();
        if (!opensArgument(name, among(PlainPseudoClasses, name), "pseudo-class :"))
            return;
        if (name == "not") {
            list(false, true);
        } else if (name == "has") {
            list(true, true);
        } else if (name == "is" || name == "where" || name == "-webkit-any") {
            balanced();
        } else if (name == "nth-child" || name == "nth-last-child") {
            nth();
            skipBlanks();
            if (identAhead()) {
                if (ident() != "of")
                    fail("a bad An+B argument");
                list(false, true);
            }
        } else if (name == "nth-of-type" || name == "nth-last-of-type") {
            nth();
        } else if (name == "lang") {
            for (;;) {
                skipBlanks();
                if (peek() == '"' || peek() == '\'')
                    string();
                else if (ident().empty())
                    fail("a bad :lang() argument");
                skipBlanks();
                if (peek() != ',')
                    break;
                ++i_;
            }
        } else if (name == "dir") {
            skipBlanks();
            if (ident().empty())
                fail("a bad :dir() argument");
        } else if (name == "host" || name == "host-context") {
            skipBlanks();
            if (!compound())
                fail("an empty selector");
        } else if (isVendor(name)) {
            balanced();
        } else {
            fail("unknown pseudo-class :" + name + "()");
        }
        closeParenthesis();
    }

    void pseudoElement()
    {
        const std::string name = ident();
        if (!opensArgument(name, among(PseudoElements, name), "pseudo-element ::"))
            return;
        if (name == "slotted") {
            skipBlanks();
            if (!compound())
                fail("an empty selector");
            closeParenthesis();
        } else if (name == "part" || name == "highlight" || name == "cue" || isVendor(name)) {
            balanced();
            closeParenthesis();
        } else {
            fail("unknown pseudo-element ::" + name + "()");
        }
    }

    std::string_view s_;
    size_t i_ = 0;
};

} // namespace

std::string selectorProblem(std::string_view selector)
{
    return SelectorCheck(selector).check();
}

} // namespace runs
