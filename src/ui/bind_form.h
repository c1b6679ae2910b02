#pragma once
// The binding of a form's window and of its menu items, for the binder.

#include "ui/binding.h"

#include <QDeadlineTimer>

class QAction;
class QMainWindow;
class QScrollArea;

namespace ui::detail {

// ---------------------------------------------------------- MenuItemBinding

// A menu item is a QAction owned by its form's window; the menus it sits in
// are rebuilt from the model whenever items are added.
class MenuItemBinding : public Binding {
public:
    MenuItemBinding(BinderImpl& impl, framework::MenuItem& item, FormBinding& form);

    framework::MenuItem& item() const { return item_; }
    QAction* action() const { return action_; }
    FormBinding* formBinding() const override { return form_; }

protected:
    void apply(Aspects aspects) override;

private:
    void triggered();
    framework::MenuItem& item_;
    FormBinding* form_;
    QPointer<QAction> action_;
};

// ------------------------------------------------------------- FormBinding

class FormBinding : public ControlBinding {
public:
    FormBinding(BinderImpl& impl, framework::Form& form);
    ~FormBinding() override;

    framework::Form& form() const { return form_; }
    QWidget* window() const { return widget_; }
    QWidget* childArea() const override { return central_; }
    QWidget* mouseWidget() const override { return central_; }
    FormBinding* formBinding() const override { return const_cast<FormBinding*>(this); }
    void detachModel() override;

    void addMember(Binding* binding) { members_.push_back(binding); }
    // The form's model was destroyed.
    bool retired = false;
    const std::vector<Binding*>& members() const { return members_; }
    size_t boundCount = 0;

    void closeRequested();
    void windowGeometryChanged();
    void refitToFrame();
    void windowStateChanged();
    void applyOptions() override;

protected:
    void applyContent(Aspects aspects) override;
    void applyVisible() override;
    void applyGeometry() override;

private:
    void applyState();
    void rebuildMenus();
    void raise();
    // The smallest size that shows every control whole, and the window's
    // minimum: that, or what the screen leaves when that is less.
    QSize contentMinimum() const;
    void applyMinimum(const QRect& area, const QMargins& frame);

    framework::Form& form_;
    QWidget* central_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QMainWindow* mainWindow_ = nullptr;
    // Until then, the first move that tells the window manager's frame
    // fits the window to its screen once more (the frame was a guess).
    QDeadlineTimer refitUntil_;
    int raisedId_ = 0;
    std::vector<Binding*> members_;
};

} // namespace ui::detail
