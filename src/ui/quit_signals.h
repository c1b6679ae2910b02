#pragma once
// SIGTERM, SIGINT and SIGHUP as events of Qt's loop. A signal handler may
// do almost nothing safely: it writes the signal's number into a socket,
// and Qt's loop reads it and tells the program, between two events.

#include <functional>
#include <memory>

class QSocketNotifier;

namespace framework {
class Application;
}

namespace ui {

class QuitSignals {
public:
    // onSignal runs in Qt's loop with the signal's number, once per signal.
    explicit QuitSignals(std::function<void(int)> onSignal);
    // The handlers there were before come back.
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void(int)> onSignal_;
};

// The windows' answer to a signal: a close the system asks for, which
// nobody watches. It cancels what waits, dismisses open boxes, and closes
// the main window the normal way once the handler in progress has ended,
// so the close-time saves run (and a run going saves its results first).
std::unique_ptr<QuitSignals> closeWindowsOnSignals(framework::Application& application);

} // namespace ui
