#pragma once
// The application object: owns the forms in creation order and the
// services, runs every event through dispatch.

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
    Dialogs& dialogs() { return *services_.dialogs; }
    Clipboard& clipboard() { return *services_.clipboard; }
    Shell& shell() { return *services_.shell; }
    Sound& sound() { return *services_.sound; }
    Clock& clock() { return *services_.clock; }
    EventPump& pump() { return *services_.pump; }
    InputSynth& input() { return *services_.input; }

    const std::string& title() const { return title_; }
    void setTitle(const std::string& title) { title_ = title; }

    // The running executable's full path.
    std::string exeName;

    // Creates a form: the global pointer is set before FormCreate runs, so
    // the creation handler and everything it calls can reach the form.
    // visible: whether the form shows after its creation.
    template <class T>
    T* createForm(T*& global, bool visible)
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

    // Runs an event handler: an exception is shown in the error box and the
    // program goes on. Returns false when the handler raised.
    bool dispatch(const std::function<void()>& handler);

    // Closing the main form ends the program.
    void terminate();
    bool terminated() const { return terminated_; }

    // Destroys the forms, last created first, running each FormDestroy.
    void destroyForms();

    // Told when a form is added (the binding builds its window).
    Signal<Form&> formAdded;
    // Told when the program should end its event loop.
    Signal<> terminating;

private:
    Services services_;
    std::string title_;
    std::vector<std::unique_ptr<Form>> forms_;
    bool terminated_ = false;
};

// Shorthand for the windows.
inline Application& app() { return Application::instance(); }

}  // namespace framework
