#pragma once
// Program entry shared by the executable and the tests: the application
// title, the data folder chosen at start-up, and the creation of the six
// windows in their fixed order.

#include <string>

#include "framework/application.h"
#include "platform/files.h"

namespace vantrel {

inline constexpr const char* ApplicationTitle = "Vantrel/ヴァントレル";

// The data folder (ExeDir) chosen at start-up.
void setDataFolder(const platform::fs::path& folder);
const platform::fs::path& dataFolder();

// Sets the title, removes the leftover temporary files of interrupted
// saves from the data folder, and creates FmMain, FmCtrl, FmSys, FmMemo, FmCpp and
// FmDocEdi in this order; FmMain, FmCtrl and FmCpp are shown.
void createForms(framework::Application& application);

// Clears the global window pointers (each is cleared as its window is
// destroyed; this also ends the failure reports that go to the windows).
void forgetForms();

} // namespace vantrel
