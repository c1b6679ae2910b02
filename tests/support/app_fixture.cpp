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
}

AppFixture::~AppFixture()
{
    application.reset();
    vantrel::forgetForms();
    if (hadRegistryEnv_)
        ::setenv("VANTREL_REGISTRY", savedRegistryEnv_.c_str(), 1);
    else
        ::unsetenv("VANTREL_REGISTRY");
    platform::setWriteCodePage(platform::CodePage::Utf8);
}

void AppFixture::seedFromRepository()
{
    std::filesystem::create_directories(data());
    for (const auto& entry : std::filesystem::directory_iterator(sourceDataFolder())) {
        if (entry.path().filename() == "site")
            continue;
        std::filesystem::copy(entry.path(), data() / entry.path().filename(),
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::skip_existing);
    }
}

void AppFixture::start()
{
    vantrel::setDataFolder(data());
    application = std::make_unique<framework::Application>(scripted.services());
    application->exeName = (data() / "vantrel").string();
    vantrel::createForms(*application);
}

void AppFixture::closeProgram()
{
    if (FmMain)
        application->dispatch([] { FmMain->close(); });
    application->destroyForms();
    vantrel::forgetForms();
}

}  // namespace testsupport
