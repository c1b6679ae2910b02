#pragma once
// The caption table: Hlp.INI of the language folder holds one section per
// control, key "Caption"; the control's built-in English caption is the
// default, so a missing file leaves the English captions.

#include <initializer_list>
#include <string>

#include "framework/form.h"
#include "platform/ini_file.h"

namespace vantrel {

// Reads the rows in the order given; a name the form does not hold is a
// programming error and throws.
void readCaptions(const platform::IniFile& hlp, framework::Form& form, std::initializer_list<const char*> names);

// One row: the value, or the fallback when the row is missing.
std::string captionOf(const platform::IniFile& hlp, const std::string& name, const std::string& fallback);

} // namespace vantrel
