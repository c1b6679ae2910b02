#pragma once
// The browser engine as a module of its own (libvantrel_engine.so, beside
// the program or in its library folder), loaded when the first browser is
// made. At exec the dynamic loader would otherwise map and relocate the
// engine's libraries before the first window: most of a start's time and
// memory, for a session that may never show a page. The module uses the
// program's own code (the program exports its symbols); it gives back one
// table of entry points.

#include <memory>

#include "browserctl/qt_browser_profile.h"
#include "browserctl/web_browser.h"

class QWidget;

namespace browserctl {

struct EngineEntry {
    int version;
    void (*configureProfile)(BrowserProfileSettings settings);
    void (*closeProfile)();
    std::shared_ptr<WebBrowser> (*makeBrowser)();
    QWidget* (*browserWidget)(WebBrowser& browser);
    void (*addWindowSurface)(QWidget* window);
};
constexpr int EngineEntryVersion = 1;

namespace engine {

// Kept until the module is loaded, then handed to it. Clearing the
// browsing data before that loads the module.
void configureProfile(BrowserProfileSettings settings);
// Whether the module is there (a framework::Error naming where it was
// looked for when not), and with load, loaded: a batch run, which needs it
// at once, finds out before it starts.
void require(bool load);
// Loads the module on its first call; a module that is missing or does
// not load is a framework::Error naming the file and the reason.
std::shared_ptr<WebBrowser> makeBrowser();
// Null for a browser the module did not make (none is, before it loads).
QWidget* browserWidget(WebBrowser& browser);
// Nothing when the module was never loaded.
void closeProfile();
// OpenGL views only: a hidden Qt Quick widget in window (one, however
// often it is asked for) gives the window
// an OpenGL surface before its first showing (else Qt replaces its native
// window when the first view comes in). Loads the module.
void addWindowSurface(QWidget* window);
// For programs that link the engine (tests, benchmarks): its entry points
// are used, and no module is loaded.
void useLinkedEngine(const EngineEntry& linked);

} // namespace engine

} // namespace browserctl

// The module's entry; also in the library the tests link.
extern "C" const browserctl::EngineEntry* vantrel_engine_entry();
