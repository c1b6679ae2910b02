#include "ui/qt_keywords.h"

#include "ui/binder.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <unordered_set>

#include "ui/align_layout.h"
#include "ui/bind_form.h"
#include "ui/keys.h"

namespace ui {

using framework::Prop;

namespace detail {

int virtualKeyOf(const QKeyEvent* event)
{
    return virtualKeyFromQtKey(event->key());
}

QString withoutAccessKeys(const std::string& caption)
{
    const QString text = qs(caption);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

// ------------------------------------------------------------- EventScope

EventScope::EventScope(BinderImpl& impl) : impl_(impl)
{
    impl_.enterEvent();
}

EventScope::~EventScope()
{
    impl_.leaveEvent();
}

// ---------------------------------------------------------------- Binding

Binding::Binding(BinderImpl& impl, framework::Component& model) : impl_(impl), model_(model)
{
}

Binding::~Binding() = default;

void Binding::observe()
{
    observer_ = model_.observe([alive = impl_.alive(), this](Prop what) {
        if (*alive)
            markDirty(aspect(what));
    });
    markDirty(AllAspects);
}

void Binding::detachModel()
{
    if (observer_)
        model_.unobserve(observer_);
    observer_ = 0;
}

bool Binding::usable() const
{
    return *impl_.alive() && impl_.formLiving(formBinding());
}

void Binding::markDirty(Aspects aspects)
{
    aspects &= ~suppressed_;
    if (!aspects)
        return;
    dirty |= aspects;
    impl_.schedule(*this);
}

void Binding::applyNow()
{
    const Aspects aspects = dirty;
    dirty = 0;
    if (!aspects)
        return;
    ++refreshes_;
    apply(aspects);
}

// -------------------------------------------------------------- BinderImpl

BinderImpl::BinderImpl(framework::Application& app, const Scale& scale) : app_(app), scale_(scale)
{
    Scale::setCurrent(scale_);
    idle_.setSingleShot(true);
    idle_.setInterval(0);
    QObject::connect(&idle_, &QTimer::timeout, [this] { flush(); });
    formAddedId_ = app.formAdded.connect([alive = alive_, this](framework::Form& form) {
        if (*alive)
            bindForm(form);
    });
    // The user's commands wait while a handler runs; they go on once it
    // has ended.
    idleId_ = app.idle.connect([alive = alive_, this] {
        if (*alive && !handlers_.empty() && !idle_.isActive())
            idle_.start();
    });
    for (const auto& form : app.forms())
        bindForm(*form);
}

BinderImpl::~BinderImpl()
{
    *alive_ = false;
    idle_.stop();
    app_.formAdded.disconnect(formAddedId_);
    app_.idle.disconnect(idleId_);
    // Forms already destroyed (Application::destroyForms) are left alone.
    std::unordered_set<const framework::Form*> living;
    for (const auto& form : app_.forms())
        living.insert(form.get());
    for (auto& [component, binding] : bindings_) {
        FormBinding* form = binding->formBinding();
        if (form && living.count(&form->form()))
            binding->detachModel();
    }
    for (auto& [component, binding] : bindings_)
        if (auto* control = dynamic_cast<ControlBinding*>(binding.get()))
            control->releaseForeignWidgets();
    for (FormBinding* form : forms_)
        delete form->window();
    handlers_.clear();
    pending_.clear();
    layouts_.clear();
    bindings_.clear();
}

void BinderImpl::bindForm(framework::Form& form)
{
    if (bindings_.count(&form))
        return;
    ApplyGuard guard(*this);
    auto owned = std::make_unique<FormBinding>(*this, form);
    FormBinding* binding = owned.get();
    bindings_[&form] = std::move(owned);
    forms_.push_back(binding);
    binding->observe();
    bindNewComponents(*binding);
}

void BinderImpl::bindNewComponents(FormBinding& form)
{
    const auto& components = form.form().components();
    const size_t first = form.boundCount;
    while (form.boundCount < components.size()) {
        framework::Component& component = *components[form.boundCount];
        ++form.boundCount;
        bindComponent(form, component);
    }
    // Pop-up menus the window definition put on its controls; menus are
    // bound by now, whatever their place in the creation order.
    for (size_t i = first; i < components.size(); ++i)
        if (auto* control = dynamic_cast<framework::Control*>(components[i].get()); control && control->popupMenu)
            setPopupMenu(*control, *control->popupMenu);
}

void BinderImpl::bindComponent(FormBinding& form, framework::Component& component)
{
    if (bindings_.count(&component))
        return;
    std::unique_ptr<Binding> binding;
    if (auto* item = dynamic_cast<framework::MenuItem*>(&component)) {
        binding = std::make_unique<MenuItemBinding>(*this, *item, form);
        form.markDirty(MenuStructure);
    } else if (auto* control = dynamic_cast<framework::Control*>(&component)) {
        ControlBinding* parent = controlBindingOf(control->parent());
        binding = createControlBinding(*this, *control, parent ? parent : &form);
    } else {
        return; // timers run on the clock service
    }
    Binding* raw = binding.get();
    bindings_[&component] = std::move(binding);
    form.addMember(raw);
    raw->observe();
}

Binding* BinderImpl::bindingOf(const framework::Component* component) const
{
    if (!component)
        return nullptr;
    auto it = bindings_.find(component);
    return it == bindings_.end() ? nullptr : it->second.get();
}

ControlBinding* BinderImpl::controlBindingOf(const framework::Component* component) const
{
    return dynamic_cast<ControlBinding*>(bindingOf(component));
}

FormBinding* BinderImpl::formBindingOf(const framework::Form* form) const
{
    return dynamic_cast<FormBinding*>(bindingOf(form));
}

void BinderImpl::schedule(Binding& binding)
{
    if (!binding.queued) {
        binding.queued = true;
        pending_.push_back(&binding);
    }
    if (!flushing_ && !idle_.isActive())
        idle_.start();
}

void BinderImpl::requestLayout(ControlBinding& container)
{
    if (std::find(layouts_.begin(), layouts_.end(), &container) == layouts_.end())
        layouts_.push_back(&container);
    if (!flushing_ && !idle_.isActive())
        idle_.start();
}

void BinderImpl::runLayouts()
{
    while (!layouts_.empty()) {
        auto batch = std::move(layouts_);
        layouts_.clear();
        for (ControlBinding* container : batch)
            if (container->layout() && container->usable())
                container->layout()->relayout();
    }
}

void BinderImpl::applyPending()
{
    ApplyGuard guard(*this);
    // Writes back from the layout may queue more; they settle at once
    // because aligned sizes are a function of the inputs.
    for (int round = 0; round < 16 && (!pending_.empty() || !layouts_.empty()); ++round) {
        auto batch = std::move(pending_);
        pending_.clear();
        // Windows last: a window shows with its controls already in place.
        std::stable_partition(batch.begin(), batch.end(),
                              [](Binding* b) { return dynamic_cast<FormBinding*>(b) == nullptr; });
        bool laidOut = false;
        for (Binding* binding : batch) {
            if (!laidOut && dynamic_cast<FormBinding*>(binding)) {
                runLayouts();
                laidOut = true;
            }
            binding->queued = false;
            if (binding->usable())
                binding->applyNow();
        }
        runLayouts();
    }
}

void BinderImpl::flush()
{
    // User actions first: the refresh then shows what their handlers left.
    runHandlers();
    refresh();
    runHandlers();
}

void BinderImpl::refresh()
{
    if (flushing_)
        return;
    flushing_ = true;
    idle_.stop();
    {
        ApplyGuard guard(*this);
        for (size_t i = 0; i < forms_.size(); ++i)
            if (formLiving(forms_[i]))
                bindNewComponents(*forms_[i]);
    }
    applyPending();
    flushing_ = false;
    // Handlers queued meanwhile still need their turn.
    if (!handlers_.empty() && eventDepth_ == 0 && !idle_.isActive())
        idle_.start();
}

void BinderImpl::flushBinding(Binding& binding)
{
    if (!binding.dirty || !binding.usable())
        return;
    ApplyGuard guard(*this);
    binding.applyNow();
    runLayouts();
}

bool BinderImpl::busy() const
{
    return framework::Application::exists() && app_.busy();
}

bool BinderImpl::dispatch(const std::function<void()>& handler)
{
    if (!framework::Application::exists())
        return false;
    return app_.dispatch(handler);
}

void BinderImpl::post(Binding& owner, std::function<void()> handler)
{
    handlers_.push_back({&owner, std::move(handler)});
    if (eventDepth_ == 0 && !idle_.isActive())
        idle_.start();
}

void BinderImpl::leaveEvent()
{
    if (--eventDepth_ == 0)
        runHandlers();
}

void BinderImpl::runHandlers()
{
    // Inside a handler's wait or behind its modal box no command of the
    // user starts; Application::idle brings them back.
    if (busy())
        return;
    while (!handlers_.empty() && *alive_ && !busy()) {
        auto [owner, handler] = std::move(handlers_.front());
        handlers_.pop_front();
        // A form destroyed meanwhile (Application::destroyForms pumping
        // events) takes its pending events with it.
        if (owner->usable())
            handler();
    }
}

bool BinderImpl::formLiving(FormBinding* form)
{
    if (!form || form->retired)
        return false;
    for (const auto& living : app_.forms())
        if (living.get() == &form->form())
            return true;
    // Its model is gone: the window stays out of the way until the binder
    // deletes it.
    form->retired = true;
    if (form->window())
        form->window()->hide();
    return false;
}

QMenu* BinderImpl::existingMenu(const framework::MenuItem& item) const
{
    auto it = menus_.find(&item);
    return it == menus_.end() ? nullptr : it->second.data();
}

QMenu* BinderImpl::menuFor(framework::MenuItem& item)
{
    if (QMenu* menu = existingMenu(item))
        return menu;
    FormBinding* form = formBindingOf(item.owner());
    if (!form)
        return nullptr;
    auto* menu = new QMenu(form->window());
    menu->setObjectName(qs(item.name()));
    // The items' hints explain the short captions.
    menu->setToolTipsVisible(true);
    menus_[&item] = menu;
    form->markDirty(MenuStructure);
    return menu;
}

QAction* BinderImpl::actionOf(const framework::MenuItem& item) const
{
    auto* binding = dynamic_cast<MenuItemBinding*>(bindingOf(&item));
    return binding ? binding->action() : nullptr;
}

void BinderImpl::setPopupMenu(const framework::Control& control, framework::MenuItem& root)
{
    ControlBinding* binding = controlBindingOf(&control);
    if (!binding || !binding->widget())
        return;
    QWidget* widget = binding->widget();
    QObject::disconnect(popups_[&control]);
    QMenu* menu = menuFor(root);
    if (!menu)
        return;
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    popups_[&control] = listen(*binding, widget, &QWidget::customContextMenuRequested,
                               [this, binding, root = &root](const QPoint& pos) {
                                   // The menu shows the model's current state.
                                   refresh();
                                   QMenu* shown = existingMenu(*root);
                                   QWidget* origin = binding->mouseWidget();
                                   if (shown && origin)
                                       shown->popup(origin->mapToGlobal(pos));
                               });
}

void BinderImpl::setBrowserProvider(std::function<QWidget*(framework::WebBrowserHost&)> provider)
{
    browserProvider = std::move(provider);
    for (auto& [component, binding] : bindings_)
        if (auto* control = dynamic_cast<ControlBinding*>(binding.get()))
            control->browserProviderChanged();
}

} // namespace detail

// ------------------------------------------------------------------ Binder

namespace {

Scale binderScale(double factor)
{
    installFontFallbacks();
    return factor > 0 ? Scale(factor) : Scale::forFont(QApplication::font());
}

} // namespace

Binder::Binder(framework::Application& app, double scaleFactor)
    : impl_(std::make_unique<detail::BinderImpl>(app, binderScale(scaleFactor)))
{
}

double Binder::scaleFactor() const
{
    return impl_->scale().factor();
}

Binder::~Binder() = default;

QWidget* Binder::windowOf(const framework::Form& form) const
{
    detail::FormBinding* binding = impl_->formBindingOf(&form);
    return binding ? binding->window() : nullptr;
}

QWidget* Binder::widgetOf(const framework::Component& component) const
{
    detail::Binding* binding = impl_->bindingOf(&component);
    return binding ? binding->widget() : nullptr;
}

QAction* Binder::actionOf(const framework::MenuItem& item) const
{
    return impl_->actionOf(item);
}

QMenu* Binder::menuOf(const framework::MenuItem& item) const
{
    return impl_->existingMenu(item);
}

void Binder::setPopupMenu(const framework::Control& control, framework::MenuItem& root)
{
    impl_->setPopupMenu(control, root);
}

void Binder::setBrowserWidgetProvider(std::function<QWidget*(framework::WebBrowserHost&)> provider)
{
    impl_->setBrowserProvider(std::move(provider));
}

void Binder::flush()
{
    impl_->flush();
}

int Binder::refreshCount(const framework::Component& component) const
{
    detail::Binding* binding = impl_->bindingOf(&component);
    return binding ? binding->refreshes() : 0;
}

} // namespace ui
