#pragma once
// Where the windows are: each window's place in the language folder's
// Base.INI, one section per window named after it (keys Left, Top, and for
// the windows the user sizes, Width and Height). The site tree, browser and
// memo windows read their own sections at creation too; these helpers keep
// every window, and carry the places over a language switch, whose restart
// reads another language folder.

#include "platform/ini_file.h"

namespace vantrel {

// Moves the six windows to their stored places; a missing key leaves that
// part of the place as the window has it.
void readWindowPlaces(const platform::IniFile& base);
// Stores the six windows' places.
void writeWindowPlaces(platform::IniFile& base);

} // namespace vantrel
