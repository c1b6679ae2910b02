#include "app_fixture.h"

#include <cstdlib>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app/program.h"
#include "platform/data_folder.h"
#include "platform/text_codec.h"

namespace testsupport {

AppFixture::AppFixture()
{
    if (const char* old = std::getenv("VANTREL_REGISTRY")) {
        hadRegistryEnv_ = true;
        savedRegistryEnv_ = old;
    }
    ::setenv("VANTREL_REGISTRY", registryPath().c_str(), 1);
    platform::setWriteCodePage(platform::CodePage::Utf8);
    framework::WebBrowserHost::setFactory([this](framework::WebBrowserHost& host) {
        auto created = std::make_shared<browserctl::ScriptedWebBrowser>();
        browsers[host.name()] = created.get();
        if (onBrowserCreated)
            onBrowserCreated(*created);
        return created;
    });
}

browserctl::ScriptedWebBrowser* AppFixture::browser(const std::string& hostName)
{
    auto it = browsers.find(hostName);
    return it == browsers.end() ? nullptr : it->second;
}

AppFixture::~AppFixture()
{
    application.reset();
    vantrel::forgetForms();
    framework::WebBrowserHost::setFactory(nullptr);
    if (hadRegistryEnv_)
        ::setenv("VANTREL_REGISTRY", savedRegistryEnv_.c_str(), 1);
    else
        ::unsetenv("VANTREL_REGISTRY");
    platform::setWriteCodePage(platform::CodePage::Utf8);
}

void AppFixture::seedFromRepository()
{
    copyDataSet(data());
}

void AppFixture::start()
{
    if (createListFiles) {
        for (const char* lang : {"JPN", "USA", "CHN"}) {
            for (const char* name : {"FreeSerchSite.txt", "ManipSite.txt"}) {
                const auto list = data() / lang / name;
                if (!std::filesystem::exists(list))
                    writeRaw(list, "");
            }
        }
    }
    vantrel::setDataFolder(data());
    framework::Services services = scripted.services();
    if (eventPump)
        services.pump = eventPump;
    application = std::make_unique<framework::Application>(services);
    application->exeName = (data() / "vantrel").string();
    if (beforeForms)
        beforeForms(*application);
    vantrel::createForms(*application);
}

void AppFixture::closeProgram()
{
    if (FmMain)
        application->dispatch([] { FmMain->close(); });
    application->destroyForms();
    vantrel::forgetForms();
}

} // namespace testsupport
