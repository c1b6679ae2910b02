#include "framework/application.h"

#include <exception>

#include "framework/errors.h"

namespace framework {

namespace {
Application* current = nullptr;
}

Application::Application(Services services) : services_(std::move(services))
{
    current = this;
    Timer::setService(services_.clock.get());
}

Application::~Application()
{
    destroyForms();
    Timer::setService(nullptr);
    if (current == this)
        current = nullptr;
}

Application& Application::instance()
{
    if (!current)
        throw Error("No application");
    return *current;
}

bool Application::exists() { return current != nullptr; }

bool Application::dispatch(const std::function<void()>& handler)
{
    if (!handler)
        return true;
    try {
        handler();
        return true;
    } catch (const std::exception& e) {
        services_.dialogs->showError(e.what());
    } catch (...) {
        services_.dialogs->showError("Unknown error");
    }
    return false;
}

void Application::terminate()
{
    if (terminated_)
        return;
    terminated_ = true;
    terminating.emit();
}

void Application::destroyForms()
{
    // Last created first, each saving its own state in FormDestroy.
    while (!forms_.empty()) {
        Form* form = forms_.back().get();
        dispatch([form] { form->FormDestroy(); });
        forms_.pop_back();
    }
}

}  // namespace framework
