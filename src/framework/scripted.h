#pragma once
// Scripted services for headless tests: dialogs answer from a queue, the
// clock is advanced by hand, shell requests and beeps are recorded.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/services.h"

namespace framework {

class ScriptedDialogs : public Dialogs {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showError(const std::string& text) override
    {
        errors.push_back(text);
        if (onError)
            onError(text);
    }
    bool askYesNo(const std::string& text, const std::string& caption) override;
    Answer askYesNoCancel(const std::string& text, const std::string& caption) override;
    bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool saveFileName(const std::string& caption, const std::string& filter, std::string& path) override;

    std::vector<std::string> messages;
    std::vector<std::string> errors;
    // Runs while the error box is open (a test plays what happens then).
    std::function<void(const std::string&)> onError;
    std::vector<std::string> questions; // "caption: text"
    std::vector<std::string> prompts;   // "caption: prompt"
    std::deque<bool> yesNoAnswers;      // empty: answer Yes
    // Answers of Yes/No/Cancel questions (recorded in questions too).
    // Empty: answer Yes.
    std::deque<Answer> yesNoCancelAnswers;
    // Answers of input dialogs; std::nullopt cancels. Empty: cancel.
    std::deque<std::optional<std::string>> inputAnswers;
    // Answers of save dialogs, likewise; the proposals are recorded.
    std::deque<std::optional<std::string>> saveAnswers;
    std::vector<std::string> saveProposals;
};

class ScriptedClipboard : public Clipboard {
public:
    std::string text() override { return content; }
    void setText(const std::string& text) override { content = text; }
    std::string content;
};

class ScriptedShell : public Shell {
public:
    void open(const std::string& target) override { opened.push_back(target); }
    void execute(const std::string& program, const std::vector<std::string>& arguments) override
    {
        executed.push_back({program, arguments});
    }
    struct Run {
        std::string program;
        std::vector<std::string> arguments;
    };
    std::vector<std::string> opened;
    std::vector<Run> executed;
};

class ScriptedSound : public Sound {
public:
    void beep(BeepKind kind) override { beeps.push_back(kind); }
    std::vector<BeepKind> beeps;
};

// A clock that only moves when told. Enabled timers fire in the order of
// their due times; timers due at the same time fire in the order they were
// enabled. A timer re-enabled inside its own tick starts a new interval.
class ManualClock : public Clock {
public:
    uint64_t tickCount() override { return now_; }
    Date today() override { return date; }
    // The date above, from 10:00:00 on, as the clock runs.
    DateTime localTime() override;
    void timerChanged(Timer& timer) override;
    void timerDestroyed(Timer& timer) override;

    // Moves time forward, firing every timer that falls due on the way.
    void advance(uint64_t ms);
    // Moves to the next due timer and fires it; false when none is enabled.
    bool fireNext();
    bool armed(const Timer& timer) const;

    Date date{2012, 7, 3};

private:
    struct Entry {
        Timer* timer;
        uint64_t due;
        uint64_t order;
    };
    std::vector<Entry> entries_;
    uint64_t now_ = 0;
    uint64_t order_ = 0;
};

// The event loop of headless tests. Each turn of a wait first runs onWait
// (where a test plays what arrives meanwhile: a click, a browser event, a
// tick), then looks at the file descriptor for a moment of real time, and
// when it is not ready advances the manual clock by the wait's slice, so
// time-outs end at once.
class ScriptedPump : public EventPump {
public:
    explicit ScriptedPump(ManualClock* clock = nullptr) : clock_(clock) {}
    void waitForEvents(int maxMs, int fd, bool forWrite) override;
    void waitStarted() override { ++waitsStarted; }
    void waitEnded() override { ++waitsEnded; }
    void busyStarted() override { ++busyStarts; }
    void busyEnded() override { ++busyEnds; }

    std::function<void()> onWait;
    int busyStarts = 0, busyEnds = 0;
    int waitsStarted = 0, waitsEnded = 0;
    int pumped = 0;
    // Real milliseconds a turn waits for a file descriptor.
    int realPollMs = 5;

private:
    ManualClock* clock_;
};

class ScriptedInput : public InputSynth {
public:
    void keyEvent(int virtualKey, bool keyUp) override;
    void leftButton(bool up) override { events.push_back(up ? "LUP" : "LDOWN"); }
    void setCursorPos(int x, int y) override
    {
        cursorX = x;
        cursorY = y;
        events.push_back("MOVE " + std::to_string(x) + "," + std::to_string(y));
    }
    void cursorPos(int& x, int& y) override
    {
        x = cursorX;
        y = cursorY;
    }
    std::vector<std::string> events;
    int cursorX = 0;
    int cursorY = 0;
};

// All scripted services in one bundle, kept alive by the test.
struct ScriptedServices {
    ScriptedServices();
    Services services() const;

    std::shared_ptr<ScriptedDialogs> dialogs;
    std::shared_ptr<ScriptedClipboard> clipboard;
    std::shared_ptr<ScriptedShell> shell;
    std::shared_ptr<ScriptedSound> sound;
    std::shared_ptr<ManualClock> clock;
    std::shared_ptr<ScriptedPump> pump;
    std::shared_ptr<ScriptedInput> input;
};

} // namespace framework
