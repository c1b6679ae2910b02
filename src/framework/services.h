#pragma once
// Services the windows use besides their controls. Each has a Qt
// implementation in ui/ and a scripted one for tests (framework/scripted.h).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/controls.h"

namespace framework {

// The answer of a Yes/No/Cancel question.
enum class Answer { Yes, No, Cancel };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Plain message box with an OK button.
    virtual void showMessage(const std::string& text) = 0;
    // The standard error box that Application::dispatch uses.
    virtual void showError(const std::string& text) = 0;
    // Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string& text, const std::string& caption) = 0;
    // Yes/No/Cancel question; closing the box is Cancel.
    virtual Answer askYesNoCancel(const std::string& text, const std::string& caption) = 0;
    // Input dialog: value holds the proposal and receives the answer;
    // false (value unchanged) when cancelled.
    virtual bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    // The file dialog for saving: path holds the proposal and receives the
    // chosen file; filter as "CSV files (*.csv);;JSON files (*.json)".
    // False (path unchanged) when cancelled.
    virtual bool saveFileName(const std::string& caption, const std::string& filter, std::string& path) = 0;
    // Closes the boxes that are open, as if the user had cancelled them: a
    // close the system asks for (SIGTERM) never waits on a box.
    virtual void dismissAll() {}

    // The input box of the original framework: cancel gives the proposal.
    std::string inputBox(const std::string& caption, const std::string& prompt, const std::string& proposal)
    {
        std::string value = proposal;
        if (!inputQuery(caption, prompt, value))
            return proposal;
        return value;
    }
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual std::string text() = 0;
    virtual void setText(const std::string& text) = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a document, folder or address with the program the system
    // associates with it; fire and forget.
    virtual void open(const std::string& target) = 0;
    // Starts a program with arguments, detached; fire and forget.
    virtual void execute(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

enum class BeepKind { Default, Information, Warning, Error };

class Sound {
public:
    virtual ~Sound() = default;
    virtual void beep(BeepKind kind) = 0;
};

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
};

struct DateTime {
    Date date;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Time and timers. The program's clock runs Qt timers; the tests' clock is
// advanced by hand and fires the due timers in order.
class Clock : public TimerService {
public:
    // Milliseconds since an arbitrary start, like the system tick count.
    virtual uint64_t tickCount() = 0;
    virtual Date today() = 0;
    // The local wall-clock time, to the second.
    virtual DateTime localTime() = 0;
};

// The event loop as Application::wait drives it. Nothing else pumps
// events: every nested wait of the program goes through Application::wait,
// which decides what may run while it waits.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Handles the events that have arrived, first waiting up to maxMs for
    // one when there are none. A file descriptor (fd >= 0) that becomes
    // ready, readable or with forWrite writable, counts as an event.
    virtual void waitForEvents(int maxMs, int fd, bool forWrite) = 0;
    // The outermost nested wait begins or ends: the program shows it is
    // busy and holds the user's input back, except a cancel (Escape), which
    // reaches Application::cancelWait.
    virtual void waitStarted() {}
    virtual void waitEnded() {}
    // A handler starts or ends long work that runs without waiting (a
    // document operation on a large text, a batch of saves): the program
    // shows it is busy until it ends.
    virtual void busyStarted() {}
    virtual void busyEnded() {}
};

// Synthesised keyboard and mouse input for the operation programs.
class InputSynth {
public:
    virtual ~InputSynth() = default;
    virtual void keyEvent(int virtualKey, bool keyUp) = 0;
    virtual void leftButton(bool up) = 0;
    virtual void setCursorPos(int x, int y) = 0;
    virtual void cursorPos(int& x, int& y) = 0;
};

struct Services {
    std::shared_ptr<Dialogs> dialogs;
    std::shared_ptr<Clipboard> clipboard;
    std::shared_ptr<Shell> shell;
    std::shared_ptr<Sound> sound;
    std::shared_ptr<Clock> clock;
    std::shared_ptr<EventPump> pump;
    std::shared_ptr<InputSynth> input;
};

} // namespace framework
