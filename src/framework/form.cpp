#include "framework/form.h"

#include "framework/application.h"

namespace framework {

Form::Form(std::string name) : Control(this, std::move(name), nullptr)
{
    registry_[this->name()] = this;
}

Form::~Form()
{
    // Controls refer to each other (parents, menus); drop them last first.
    while (!components_.empty())
        components_.pop_back();
}

void Form::adopt(std::unique_ptr<Component> component)
{
    registry_[component->name()] = component.get();
    components_.push_back(std::move(component));
}

MenuItem& Form::makeMenu(const std::string& name, MenuItem* parent, const std::string& caption)
{
    auto owned = std::make_unique<MenuItem>(this, name, parent);
    MenuItem& ref = *owned;
    ref.setCaption(caption);
    adopt(std::move(owned));
    return ref;
}

void Form::applyMenuFlags(MenuItem& item, unsigned flags, const char* shortcut)
{
    if (flags & MenuHidden)
        item.setVisible(false);
    if (flags & MenuChecked)
        item.setChecked(true);
    if (flags & MenuDisabled)
        item.setEnabled(false);
    if (shortcut)
        item.shortcut = shortcut;
}

Timer& Form::makeTimer(const std::string& name, int interval, bool enabled)
{
    auto owned = std::make_unique<Timer>(this, name);
    Timer& ref = *owned;
    adopt(std::move(owned));
    // Through disabled, so the timer service hears of the new timer even
    // when interval and state equal the defaults.
    ref.setEnabled(false);
    ref.setInterval(interval);
    ref.setEnabled(enabled);
    return ref;
}

void Form::setWindowState(WindowState state)
{
    update(windowState_, state, Prop::State);
}

void Form::show()
{
    if (windowState_ == WindowState::Minimized)
        setWindowState(WindowState::Normal);
    if (visible())
        return;
    setVisible(true);
    FormShow();
}

void Form::showInBackground()
{
    if (visible())
        return;
    setVisible(true);
    FormShow();
}

void Form::hide()
{
    setVisible(false);
}

bool Form::close()
{
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose)
        return false;
    FormClose();
    hide();
    if (Application::exists() && Application::instance().mainForm() == this)
        Application::instance().terminate();
    return true;
}

void Form::bringToFront()
{
    raised.emit();
}

} // namespace framework
