#pragma once
// The application object: owns the forms in creation order and the
// services, runs every event through dispatch, and owns the one nested wait
// of the program.
//
// Event model. A handler (a user command, a timer tick, a browser event)
// runs to its end before the next one starts. Handlers that must wait (a
// socket, a document call, an operation program's Wait) do so in wait(),
// which keeps the windows painting and delivers what the wait itself waits
// for, while everything else that arrives is held:
//   - timer ticks are deferred and fire once after the running handler
//     ended (coalesced per timer, never a burst);
//   - events of outside sources (browsers, the window system, a close the
//     system asks for) given to deliver() are queued and run after it, in
//     the order they came; the wait may name one source whose events are
//     its own (the page an operation program's Wait lets load);
//   - the user's input is held back by the event pump (busy cursor), except
//     Escape, which cancels the innermost wait.
// The same holding applies while a handler shows a modal box.

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/form.h"
#include "framework/services.h"

namespace framework {

class Application {
public:
    explicit Application(Services services);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The one live application; the forms reach their services through it.
    static Application& instance();
    static bool exists();

    Services& services() { return services_; }
    // The dialogs; in unattended mode they write to standard error instead
    // of waiting for somebody to answer.
    Dialogs& dialogs() { return *dialogs_; }
    Clipboard& clipboard() { return *services_.clipboard; }
    Shell& shell() { return *services_.shell; }
    Sound& sound() { return *services_.sound; }
    Clock& clock() { return *services_.clock; }
    InputSynth& input() { return *services_.input; }

    const std::string& title() const { return title_; }
    void setTitle(const std::string& title) { title_ = title; }

    // The running executable's full path.
    std::string exeName;

    // Creates a form: the global pointer is set before FormCreate runs, so
    // the creation handler and everything it calls can reach the form.
    // visible: whether the form shows after its creation.
    template <class T> T* createForm(T*& global, bool visible)
    {
        auto form = std::make_unique<T>();
        global = form.get();
        Form* raw = form.get();
        forms_.push_back(std::move(form));
        raw->setVisible(false);
        formAdded.emit(*raw);
        dispatch([raw] { raw->FormCreate(); });
        if (visible)
            dispatch([raw] { raw->show(); });
        return global;
    }

    const std::vector<std::unique_ptr<Form>>& forms() const { return forms_; }
    Form* mainForm() const { return forms_.empty() ? nullptr : forms_.front().get(); }

    // Runs an event handler: an exception is shown in the error box (on
    // standard error when unattended) and the program goes on. Returns false
    // when the handler raised. When the outermost handler ends, the events
    // held meanwhile are delivered.
    bool dispatch(const std::function<void()>& handler);
    // Whether a handler is running (events arriving now are held).
    bool busy() const { return depth_ > 0; }

    // Long synchronous work of a handler shows the busy cursor while the
    // scope lives (nested scopes show it once).
    class BusyScope {
    public:
        BusyScope();
        ~BusyScope();
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        Application* app_;
    };

    // ---- the gated wait
    struct Wait {
        // The wait is over when this holds; asked after every batch of
        // events. Deadlines and time-outs belong in it.
        std::function<bool()> done;
        // A file descriptor whose readiness wakes the wait (-1: none).
        int fd = -1;
        bool forWrite = false;
        // Longest pause between two looks at done(), in milliseconds.
        int sliceMs = 50;
        // Events delivered with this source run during the wait: they are
        // what the wait waits for.
        const void* source = nullptr;
        // Told when the wait is cancelled (Escape, or the program closing).
        std::function<void()> cancel;
    };
    // Waits until wait.done() holds. Returns false when the wait was
    // cancelled instead.
    bool wait(const Wait& wait);
    bool waiting() const { return !waits_.empty(); }
    // The user cancels the innermost wait; waitCancelled is told once the
    // handler that waited has ended.
    void cancelWait();
    Signal<> waitCancelled;

    // An event of an outside source: run now when no handler runs (or it is
    // the running wait's own), else queued behind the events held so far.
    void deliver(const void* source, std::function<void()> handler);
    // A timer fell due while a handler ran: it fires once afterwards.
    void deferTick(Timer& timer);
    void forgetTimer(const Timer& timer);
    // Told when no handler runs any more and the held events were delivered
    // (the binding then runs the user's queued commands).
    Signal<> idle;

    // A close nobody watches (SIGTERM, a batch run): every wait is
    // cancelled, the open boxes are dismissed, from now on errors and
    // messages go to standard error, and close runs as soon as no handler
    // runs.
    void requestQuit(std::function<void()> close);
    // Whether a quit was asked for: a wait that ends now was cancelled by
    // it, and what failed for that reason did not fail on its own.
    bool quitRequested() const { return quitRequested_; }
    bool unattended() const { return unattended_; }
    void setUnattended(bool value) { unattended_ = value; }
    // Where the messages of unattended mode go: standard error when unset
    // (a batch run tells them among its own lines).
    std::function<void(const std::string& text)> unattendedOutput;

    // Closing the main form ends the program.
    void terminate();
    bool terminated() const { return terminated_; }

    // Destroys the forms, last created first, running each FormDestroy.
    void destroyForms();

    // Told when a form is added (the binding builds its window).
    Signal<Form&> formAdded;
    // Told when a form is gone, after its destruction: the address only
    // tells which one it was.
    Signal<const Form*> formDestroyed;
    // Told when the program should end its event loop.
    Signal<> terminating;

private:
    struct Held {
        std::function<void()> handler;
        Timer* tick = nullptr;
    };
    struct WaitRecord {
        const Wait* wait;
        bool cancelled = false;
    };
    class GatedDialogs;
    void deliverHeld();

    Services services_;
    std::shared_ptr<Dialogs> dialogs_;
    std::string title_;
    std::vector<std::unique_ptr<Form>> forms_;
    bool terminated_ = false;
    bool unattended_ = false;
    bool quitRequested_ = false;
    int depth_ = 0;
    int busyScopes_ = 0;
    bool delivering_ = false;
    bool destroying_ = false;
    std::deque<Held> held_;
    std::vector<WaitRecord*> waits_;
};

// Shorthand for the windows.
inline Application& app()
{
    return Application::instance();
}

} // namespace framework
