#include "browserctl/web_browser.h"

#include "framework/application.h"

namespace browserctl {

WebBrowser::~WebBrowser()
{
    *alive_ = false;
}

void WebBrowser::raiseBeforeNavigate2(const std::string& url)
{
    raise(false, url);
}

void WebBrowser::raiseDocumentComplete(const std::string& url)
{
    raise(true, url);
}

void WebBrowser::raise(bool complete, const std::string& url)
{
    auto tell = [this, complete, url, alive = alive_] {
        if (*alive)
            (complete ? DocumentComplete : BeforeNavigate2).emit(url);
    };
    if (framework::Application::exists())
        framework::app().deliver(this, std::move(tell));
    else
        tell();
}

namespace {
std::function<void()>& clearer()
{
    static std::function<void()> function;
    return function;
}
} // namespace

void setBrowsingDataClearer(std::function<void()> function)
{
    clearer() = std::move(function);
}

bool clearBrowsingData()
{
    if (!clearer())
        return false;
    clearer()();
    return true;
}

} // namespace browserctl
