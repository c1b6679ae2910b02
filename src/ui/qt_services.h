#pragma once
// The program's services on Qt: message boxes, the clipboard, the desktop's
// file and address associations, timers, the event loop and synthesised
// input. The windows see only the interfaces of framework/services.h.

#include "ui/qt_keywords.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QPointer>

#include <map>
#include <memory>

#include "framework/services.h"

class QTimer;
class QWidget;

namespace ui {

class QtDialogs : public framework::Dialogs {
public:
    void showMessage(const std::string& text) override;
    void showError(const std::string& text) override;
    bool askYesNo(const std::string& text, const std::string& caption) override;
    framework::Answer askYesNoCancel(const std::string& text, const std::string& caption) override;
    bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool saveFileName(const std::string& caption, const std::string& filter, std::string& path) override;
    void dismissAll() override;
};

// The standard buttons of the boxes (message boxes, questions, input
// boxes) in the program's language; an empty text leaves Qt's own, and all
// empty removes the texts again.
void setDialogButtonTexts(const std::string& yes, const std::string& no, const std::string& ok,
                          const std::string& cancel);

class QtClipboard : public framework::Clipboard {
public:
    std::string text() override;
    void setText(const std::string& text) override;
};

class QtShell : public framework::Shell {
public:
    void open(const std::string& target) override;
    void execute(const std::string& program, const std::vector<std::string>& arguments) override;
};

class QtSound : public framework::Sound {
public:
    void beep(framework::BeepKind kind) override;
};

// One Qt timer per enabled framework timer. A timer runs while it is enabled
// with a positive interval; Timer::fire() skips ticks without a handler, so
// a handler assigned after the timer was enabled still gets its ticks.
class QtClock : public framework::Clock {
public:
    QtClock();
    ~QtClock() override;

    uint64_t tickCount() override;
    framework::Date today() override;
    framework::DateTime localTime() override;
    void timerChanged(framework::Timer& timer) override;
    void timerDestroyed(framework::Timer& timer) override;

    // Whether a Qt timer runs for this timer (tests).
    bool running(const framework::Timer& timer) const;

private:
    QElapsedTimer started_;
    std::map<const framework::Timer*, std::unique_ptr<QTimer>> timers_;
};

// The one place that runs the Qt event loop inside a handler. During a
// wait an event filter holds back the user's own input to every window
// (busy cursor), except what goes to a box opened meanwhile; Escape
// cancels the wait. Replayed input (posted by QtInputSynth) is not the
// user's and passes.
class QtEventPump : public framework::EventPump {
public:
    QtEventPump();
    ~QtEventPump() override;
    void waitForEvents(int maxMs, int fd, bool forWrite) override;
    void waitStarted() override;
    void waitEnded() override;
    void busyStarted() override;
    void busyEnded() override;

private:
    std::unique_ptr<QObject> inputFilter_;
};

// Key and mouse events posted to the focused widget and to the widget under
// the cursor, as the system would deliver them. Modifier keys pressed
// through keyEvent stay down until their key-up, like real keys.
class QtInputSynth : public framework::InputSynth {
public:
    void keyEvent(int virtualKey, bool keyUp) override;
    void leftButton(bool up) override;
    void setCursorPos(int x, int y) override;
    void cursorPos(int& x, int& y) override;

private:
    Qt::KeyboardModifiers modifiers() const;
    bool shift_ = false;
    bool control_ = false;
    bool alt_ = false;
    bool capsLock_ = false;
    bool leftDown_ = false;
    // The widget that got the press receives the release, like a mouse
    // grab, even when the cursor moved off it in between.
    QPointer<QWidget> pressed_;
};

// All Qt services in one bundle for framework::Application.
framework::Services makeQtServices();

} // namespace ui
