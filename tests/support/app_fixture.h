#pragma once
// Runs the whole program headless: a temporary data folder and registry,
// scripted services, the six windows created in order.

#include <functional>
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "browserctl/scripted_web_browser.h"
#include "framework/application.h"
#include "framework/scripted.h"
#include "temp_dir.h"

namespace testsupport {

class AppFixture : public ::testing::Test {
protected:
    AppFixture();
    ~AppFixture() override;

    // Creates the application and the six windows. Call after preparing
    // files in data() and the registry.
    void start();
    // Closes the main window the way the user does and destroys the forms.
    void closeProgram();
    // Copies the repository's distribution set into the data folder.
    void seedFromRepository();

    const std::filesystem::path& data() const { return dataDir_.path(); }
    std::filesystem::path registryPath() const { return registryDir_.path() / "registry.ini"; }

    framework::ScriptedServices scripted;
    std::unique_ptr<framework::Application> application;

    // Browsers are scripted: created on first use, found here by the
    // component name of their tab's host.
    std::map<std::string, browserctl::ScriptedWebBrowser*> browsers;
    std::function<void(browserctl::ScriptedWebBrowser&)> onBrowserCreated;
    browserctl::ScriptedWebBrowser* browser(const std::string& hostName);
    // start() writes empty free-site and operation-site lists into each
    // language folder that has none, as every installation has them.
    bool createListFiles = true;
    // The event loop of the application; the scripted one when not set (a
    // test with real browsers gives the Qt one).
    std::shared_ptr<framework::EventPump> eventPump;
    // Runs after the application exists and before the first window is
    // created (a Qt test binds its windows here).
    std::function<void(framework::Application&)> beforeForms;

private:
    TempDir dataDir_;
    TempDir registryDir_;
    std::string savedRegistryEnv_;
    bool hadRegistryEnv_ = false;
};

} // namespace testsupport
