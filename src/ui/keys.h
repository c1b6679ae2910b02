#pragma once
// Translation between the virtual-key codes the windows use (13 Enter,
// 27 Escape, 0x41 'A', ...) and Qt keys, in both directions: the binder
// reports Qt key presses as virtual keys, the input synthesiser turns the
// operation programs' virtual keys into Qt key events.

#include "ui/qt_keywords.h"

#include <QString>
#include <Qt>

#include "framework/keys.h"

namespace ui {

namespace vk = framework::vk;

// The Qt key of a virtual key; Qt::Key_unknown when there is none.
Qt::Key qtKeyFromVirtualKey(int virtualKey);

// The virtual key of a Qt key; 0 when there is none. Keypad Enter is
// Return: the windows know one Enter key.
int virtualKeyFromQtKey(int qtKey);

// The text a key press types: letters follow Shift and Caps Lock, keys that
// type nothing (arrows, modifiers) give an empty text.
QString textOfVirtualKey(int virtualKey, bool shift, bool capsLock);

} // namespace ui
