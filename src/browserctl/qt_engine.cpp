#include "browserctl/qt_engine.h"

#include <QCoreApplication>

#include <dlfcn.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "framework/errors.h"

namespace {
constexpr const char* ModuleName = "libvantrel_engine.so";
} // namespace

// Where the build put the module and where an installation puts it, for a
// program copied elsewhere on the machine that built it.
#ifndef VANTREL_ENGINE_BUILT_IN
#define VANTREL_ENGINE_BUILT_IN ""
#endif
#ifndef VANTREL_ENGINE_INSTALLED_IN
#define VANTREL_ENGINE_INSTALLED_IN ""
#endif

namespace browserctl::engine {

namespace {

BrowserProfileSettings& pendingProfile()
{
    static BrowserProfileSettings settings;
    return settings;
}

const EngineEntry*& loadedEntry()
{
    static const EngineEntry* entry = nullptr;
    return entry;
}

// Beside the program (the build folder), else in its library folder (an
// installed program), else where this program was built or installed; a
// framework::Error naming every place looked at when it is in none.
std::string modulePath()
{
    const std::string folder = QCoreApplication::applicationDirPath().toStdString();
    std::string tried;
    for (const std::string& candidate : {folder, folder + "/../lib/vantrel", std::string(VANTREL_ENGINE_BUILT_IN),
                                         std::string(VANTREL_ENGINE_INSTALLED_IN)}) {
        if (candidate.empty())
            continue;
        const std::string path = candidate + "/" + ModuleName;
        if (::access(path.c_str(), R_OK) == 0)
            return path;
        tried += (tried.empty() ? "" : ", ") + path;
    }
    throw framework::Error("the browser engine module is missing (looked for " + tried + ")");
}

const EngineEntry& entry()
{
    if (const EngineEntry* loaded = loadedEntry())
        return *loaded;
    const std::string path = modulePath();
    // Local: its symbols are the engine's business; the program's own
    // code it finds in the program.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw framework::Error("the browser engine module does not load: " + std::string(::dlerror()));
    using EntryFunction = const EngineEntry* (*)();
    auto function = reinterpret_cast<EntryFunction>(::dlsym(handle, "vantrel_engine_entry"));
    const EngineEntry* loaded = function ? function() : nullptr;
    if (!loaded || loaded->version != EngineEntryVersion)
        throw framework::Error("the browser engine module " + path + " is not this program's");
    // Kept loaded to the end: the engine's threads and Qt's plug-ins hold
    // on to it.
    loaded->configureProfile(std::move(pendingProfile()));
    loadedEntry() = loaded;
    return *loaded;
}

} // namespace

void require(bool load)
{
    if (loadedEntry())
        return;
    if (load)
        entry();
    else
        modulePath();
}

void configureProfile(BrowserProfileSettings settings)
{
    if (const EngineEntry* loaded = loadedEntry()) {
        loaded->configureProfile(std::move(settings));
        return;
    }
    pendingProfile() = std::move(settings);
    // The module's own clearer replaces this one as it loads.
    setBrowsingDataClearer([] {
        entry();
        clearBrowsingData();
    });
}

std::shared_ptr<WebBrowser> makeBrowser()
{
    return entry().makeBrowser();
}

QWidget* browserWidget(WebBrowser& browser)
{
    const EngineEntry* loaded = loadedEntry();
    return loaded ? loaded->browserWidget(browser) : nullptr;
}

void addWindowSurface(QWidget* window)
{
    entry().addWindowSurface(window);
}

void useLinkedEngine(const EngineEntry& linked)
{
    loadedEntry() = &linked;
}

void closeProfile()
{
    if (const EngineEntry* loaded = loadedEntry())
        loaded->closeProfile();
}

} // namespace browserctl::engine
