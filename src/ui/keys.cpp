#include "ui/qt_keywords.h"

#include "ui/keys.h"

namespace ui {

namespace {

struct KeyPair {
    int virtualKey;
    Qt::Key qtKey;
};

// Keys that are not letters, digits or function keys.
constexpr KeyPair namedKeys[] = {
    {vk::Back, Qt::Key_Backspace}, {vk::Tab, Qt::Key_Tab},          {vk::Return, Qt::Key_Return},
    {vk::Shift, Qt::Key_Shift},    {vk::Control, Qt::Key_Control},  {vk::Menu, Qt::Key_Alt},
    {vk::Pause, Qt::Key_Pause},    {vk::Capital, Qt::Key_CapsLock}, {vk::Escape, Qt::Key_Escape},
    {vk::Space, Qt::Key_Space},    {vk::Prior, Qt::Key_PageUp},     {vk::Next, Qt::Key_PageDown},
    {vk::End, Qt::Key_End},        {vk::Home, Qt::Key_Home},        {vk::Left, Qt::Key_Left},
    {vk::Up, Qt::Key_Up},          {vk::Right, Qt::Key_Right},      {vk::Down, Qt::Key_Down},
    {vk::Insert, Qt::Key_Insert},  {vk::Delete, Qt::Key_Delete},
};

} // namespace

Qt::Key qtKeyFromVirtualKey(int virtualKey)
{
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return static_cast<Qt::Key>(Qt::Key_A + (virtualKey - 'A'));
    if (virtualKey >= '0' && virtualKey <= '9')
        return static_cast<Qt::Key>(Qt::Key_0 + (virtualKey - '0'));
    if (virtualKey >= vk::F1 && virtualKey <= vk::F12)
        return static_cast<Qt::Key>(Qt::Key_F1 + (virtualKey - vk::F1));
    for (const auto& pair : namedKeys)
        if (pair.virtualKey == virtualKey)
            return pair.qtKey;
    return Qt::Key_unknown;
}

int virtualKeyFromQtKey(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return vk::F1 + (qtKey - Qt::Key_F1);
    if (qtKey == Qt::Key_Enter)
        return vk::Return;
    if (qtKey == Qt::Key_Backtab)
        return vk::Tab;
    for (const auto& pair : namedKeys)
        if (pair.qtKey == qtKey)
            return pair.virtualKey;
    return 0;
}

QString textOfVirtualKey(int virtualKey, bool shift, bool capsLock)
{
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        const QChar upper(virtualKey);
        return QString(shift != capsLock ? upper : upper.toLower());
    }
    if (virtualKey >= '0' && virtualKey <= '9' && !shift)
        return QString(QChar(virtualKey));
    switch (virtualKey) {
    case vk::Return:
        return QStringLiteral("\r");
    case vk::Space:
        return QStringLiteral(" ");
    case vk::Tab:
        return QStringLiteral("\t");
    case vk::Back:
        return QStringLiteral("\b");
    case vk::Delete:
        return QString(QChar(0x7F));
    case vk::Escape:
        return QString(QChar(0x1B));
    default:
        return {};
    }
}

} // namespace ui
