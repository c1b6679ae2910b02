#include "framework/component.h"

#include "framework/form.h"

namespace framework {

Component::Component(Form* owner, std::string name) : owner_(owner), name_(std::move(name))
{
}

Control::Control(Form* owner, std::string name, Control* parent)
    : Component(owner, std::move(name)), parent_(parent == this ? nullptr : parent)
{
    if (parent_)
        parent_->children_.push_back(this);
}

void Control::setBounds(int left, int top, int width, int height)
{
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    notify(Prop::Geometry);
}

void Control::updateBoundsFromView(int left, int top, int width, int height)
{
    setBounds(left, top, width, height);
}

void Control::click()
{
    if (onClick)
        onClick();
}

void Control::enter()
{
    if (onEnter)
        onEnter();
}

void Control::change()
{
    if (onChange)
        onChange();
}

void setUpControls(std::initializer_list<ControlRow> rows)
{
    for (const ControlRow& row : rows) {
        Control& control = *row.control;
        if (row.caption)
            control.setCaption(row.caption);
        if (row.align != Align::None)
            control.setAlign(row.align);
        if (row.bounds.width >= 0)
            control.setBounds(row.bounds.left, row.bounds.top, row.bounds.width, row.bounds.height);
        if (row.width >= 0)
            control.setWidth(row.width);
        if (row.height >= 0)
            control.setHeight(row.height);
        if (row.hint)
            control.setHint(row.hint);
        if (!row.visible)
            control.hide();
        if (row.onClick)
            control.onClick = row.onClick;
    }
}

} // namespace framework
