#include "framework/application.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "framework/errors.h"

namespace framework {

namespace {
Application* current = nullptr;

void toStandardError(const Application& app, const std::string& text)
{
    if (app.unattendedOutput)
        app.unattendedOutput(text);
    else
        std::fprintf(stderr, "vantrel: %s\n", text.c_str());
}
} // namespace

// The dialogs as the windows see them: in unattended mode nobody answers,
// so messages go to standard error and questions take their safe answer.
class Application::GatedDialogs : public Dialogs {
public:
    GatedDialogs(Application& app, std::shared_ptr<Dialogs> real) : app_(app), real_(std::move(real)) {}

    void showMessage(const std::string& text) override
    {
        if (app_.unattended())
            toStandardError(app_, text);
        else
            real_->showMessage(text);
    }
    void showError(const std::string& text) override
    {
        if (app_.unattended())
            toStandardError(app_, text);
        else
            real_->showError(text);
    }
    bool askYesNo(const std::string& text, const std::string& caption) override
    {
        if (app_.unattended()) {
            toStandardError(app_, caption + ": " + text + " (answered No)");
            return false;
        }
        return real_->askYesNo(text, caption);
    }
    Answer askYesNoCancel(const std::string& text, const std::string& caption) override
    {
        // No is the answer that changes least for the questions asked this
        // way (a run then does what it can, as it was asked to).
        if (app_.unattended()) {
            toStandardError(app_, caption + ": " + text + " (answered No)");
            return Answer::No;
        }
        return real_->askYesNoCancel(text, caption);
    }
    bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) override
    {
        if (app_.unattended())
            return false;
        return real_->inputQuery(caption, prompt, value);
    }
    bool saveFileName(const std::string& caption, const std::string& filter, std::string& path) override
    {
        if (app_.unattended())
            return false;
        return real_->saveFileName(caption, filter, path);
    }
    void dismissAll() override { real_->dismissAll(); }

private:
    Application& app_;
    std::shared_ptr<Dialogs> real_;
};

Application::Application(Services services)
    : services_(std::move(services)), dialogs_(std::make_shared<GatedDialogs>(*this, services_.dialogs))
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

bool Application::exists()
{
    return current != nullptr;
}

bool Application::dispatch(const std::function<void()>& handler)
{
    if (!handler)
        return true;
    bool ok = true;
    ++depth_;
    try {
        handler();
    } catch (const std::exception& e) {
        ok = false;
        dialogs_->showError(e.what());
    } catch (...) {
        ok = false;
        dialogs_->showError("Unknown error");
    }
    --depth_;
    if (depth_ == 0)
        deliverHeld();
    return ok;
}

Application::BusyScope::BusyScope() : app_(Application::exists() ? &Application::instance() : nullptr)
{
    if (app_ && app_->busyScopes_++ == 0 && app_->services_.pump)
        app_->services_.pump->busyStarted();
}

Application::BusyScope::~BusyScope()
{
    if (app_ && --app_->busyScopes_ == 0 && app_->services_.pump)
        app_->services_.pump->busyEnded();
}

bool Application::wait(const Wait& wait)
{
    WaitRecord record{&wait};
    waits_.push_back(&record);
    // A wait holds events even when it was not called from a handler.
    ++depth_;
    if (waits_.size() == 1)
        services_.pump->waitStarted();
    struct Leave {
        Application& app;
        ~Leave()
        {
            app.waits_.pop_back();
            if (app.waits_.empty())
                app.services_.pump->waitEnded();
            if (--app.depth_ == 0)
                app.deliverHeld();
        }
    } leave{*this};
    while (!record.cancelled && !(wait.done && wait.done()))
        services_.pump->waitForEvents(std::max(0, wait.sliceMs), wait.fd, wait.forWrite);
    return !record.cancelled;
}

void Application::cancelWait()
{
    if (waits_.empty())
        return;
    WaitRecord& record = *waits_.back();
    if (record.cancelled)
        return;
    record.cancelled = true;
    if (record.wait->cancel)
        record.wait->cancel();
    deliver(nullptr, [this] { waitCancelled.emit(); });
}

void Application::deliver(const void* source, std::function<void()> handler)
{
    // Events that reach a program taking its windows down have nobody to
    // go to.
    if (!handler || destroying_)
        return;
    const bool own = source && !waits_.empty() && waits_.back()->wait->source == source;
    if (own || (depth_ == 0 && held_.empty())) {
        dispatch(handler);
        return;
    }
    held_.push_back({std::move(handler), nullptr});
}

void Application::deferTick(Timer& timer)
{
    if (destroying_)
        return;
    const bool queued = std::any_of(held_.begin(), held_.end(), [&](const Held& h) { return h.tick == &timer; });
    if (!queued)
        held_.push_back({nullptr, &timer});
}

void Application::forgetTimer(const Timer& timer)
{
    held_.erase(std::remove_if(held_.begin(), held_.end(), [&](const Held& h) { return h.tick == &timer; }),
                held_.end());
}

void Application::deliverHeld()
{
    if (delivering_)
        return;
    delivering_ = true;
    while (depth_ == 0 && !held_.empty()) {
        Held next = std::move(held_.front());
        held_.pop_front();
        if (next.tick)
            next.tick->fire();
        else
            dispatch(next.handler);
    }
    delivering_ = false;
    if (depth_ == 0)
        idle.emit();
}

void Application::requestQuit(std::function<void()> close)
{
    unattended_ = true;
    quitRequested_ = true;
    for (WaitRecord* record : waits_) {
        if (record->cancelled)
            continue;
        record->cancelled = true;
        if (record->wait->cancel)
            record->wait->cancel();
    }
    dialogs_->dismissAll();
    deliver(nullptr, std::move(close));
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
    destroying_ = true;
    held_.clear();
    while (!forms_.empty()) {
        Form* form = forms_.back().get();
        dispatch([form] { form->FormDestroy(); });
        forms_.pop_back();
        formDestroyed.emit(form);
    }
    held_.clear();
    destroying_ = false;
}

} // namespace framework
