#pragma once
// The caption table: Hlp.INI of the language folder holds one section per
// control, key "Caption", and beside it key "Hint" for the control's hint;
// the built-in texts are the defaults, so a missing file leaves the
// English captions. Section [Message] holds the program's messages, each
// under its own key, with %1, %2, ... where the values go.

#include <initializer_list>
#include <string>
#include <vector>

#include "framework/form.h"
#include "platform/ini_file.h"

namespace vantrel {

// Reads the rows in the order given: caption and hint of each control or
// menu item. A name the form does not hold is a programming error and
// throws.
void readCaptions(const platform::IniFile& hlp, framework::Form& form, std::initializer_list<const char*> names);
// The hints only, for controls whose caption is their content (edit
// boxes, up-downs, lists).
void readHints(const platform::IniFile& hlp, framework::Form& form, std::initializer_list<const char*> names);

// One row: the value, or the fallback when the row is missing.
std::string captionOf(const platform::IniFile& hlp, const std::string& name, const std::string& fallback);
std::string hintOf(const platform::IniFile& hlp, const std::string& name, const std::string& fallback);

// Puts the values into a pattern: %1 is the first value, %2 the second, up
// to %9; a placeholder without a value stays as it is, and a value is never
// searched for placeholders itself.
std::string formatText(const std::string& pattern, const std::vector<std::string>& values);

// A [Message] text of the table (the fallback when it has none) with the
// values put in.
std::string messageText(const platform::IniFile& hlp, const std::string& key, const std::string& fallback,
                        const std::vector<std::string>& values = {});

// The same from the current language's table, opened for this one text: for
// a handler that shows a single message. Needs the main window.
std::string programText(const std::string& key, const std::string& fallback,
                        const std::vector<std::string>& values = {});

} // namespace vantrel
