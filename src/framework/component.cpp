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

void Control::setTextValue(const std::string& value)
{
    if (text_ == value)
        return;
    text_ = value;
    notify(Prop::Text);
}

void Control::setVisible(bool value)
{
    if (visible_ == value)
        return;
    visible_ = value;
    notify(Prop::Visible);
}

void Control::setEnabled(bool value)
{
    if (enabled_ == value)
        return;
    enabled_ = value;
    notify(Prop::Enabled);
}

void Control::setColor(int32_t value)
{
    if (color_ == value)
        return;
    color_ = value;
    notify(Prop::Color);
}

void Control::setFontColor(int32_t value)
{
    if (fontColor_ == value)
        return;
    fontColor_ = value;
    notify(Prop::Font);
}

void Control::setFontSize(int value)
{
    if (fontSize_ == value)
        return;
    fontSize_ = value;
    notify(Prop::Font);
}

void Control::setFontBold(bool value)
{
    if (fontBold_ == value)
        return;
    fontBold_ = value;
    notify(Prop::Font);
}

void Control::setFontName(const std::string& value)
{
    if (fontName_ == value)
        return;
    fontName_ = value;
    notify(Prop::Font);
}

void Control::setHint(const std::string& value)
{
    if (hint_ == value)
        return;
    hint_ = value;
    notify(Prop::Hint);
}

void Control::setAlign(Align value)
{
    if (align_ == value)
        return;
    align_ = value;
    notify(Prop::Geometry);
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

} // namespace framework
