#pragma once
// Translation between the virtual-key codes the windows use (13 Enter,
// 27 Escape, 0x41 'A', ...) and Qt keys, in both directions: the binder
// reports Qt key presses as virtual keys, the input synthesiser turns the
// operation programs' virtual keys into Qt key events.

#include "ui/qt_keywords.h"

#include <QString>
#include <Qt>

namespace ui {

// Virtual-key codes with a name in the windows' code.
namespace vk {
constexpr int Back = 0x08;
constexpr int Tab = 0x09;
constexpr int Return = 0x0D;
constexpr int Shift = 0x10;
constexpr int Control = 0x11;
constexpr int Menu = 0x12; // Alt
constexpr int Pause = 0x13;
constexpr int Capital = 0x14; // Caps Lock
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int Prior = 0x21;
constexpr int Next = 0x22;
constexpr int End = 0x23;
constexpr int Home = 0x24;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Insert = 0x2D;
constexpr int Delete = 0x2E;
constexpr int F1 = 0x70;
constexpr int F12 = 0x7B;
} // namespace vk

// The Qt key of a virtual key; Qt::Key_unknown when there is none.
Qt::Key qtKeyFromVirtualKey(int virtualKey);

// The virtual key of a Qt key; 0 when there is none. Keypad Enter is
// Return: the windows know one Enter key.
int virtualKeyFromQtKey(int qtKey);

// The text a key press types: letters follow Shift and Caps Lock, keys that
// type nothing (arrows, modifiers) give an empty text.
QString textOfVirtualKey(int virtualKey, bool shift, bool capsLock);

} // namespace ui
