#include "browserctl/web_browser.h"

#include <iterator>

#include "framework/application.h"
#include "framework/text_util.h"

namespace browserctl {

namespace {

// application/x-www-form-urlencoded: letters, digits and *-._ stay, a
// blank becomes '+', every other byte %XX.
void appendEncoded(std::string& out, const std::string& text)
{
    framework::appendPercentEncoded(
        out, text,
        [](unsigned char c) { return framework::isAsciiAlnum(c) || c == '*' || c == '-' || c == '.' || c == '_'; },
        framework::Blank::Plus);
}

// The host (and port) an address names, for a box that must say which
// page asks; the address itself when it names none (a file).
std::string hostOf(const std::string& address)
{
    const size_t scheme = address.find("://");
    if (scheme == std::string::npos)
        return address;
    const size_t start = scheme + 3;
    const size_t end = address.find_first_of("/?#", start);
    std::string host = address.substr(start, end == std::string::npos ? std::string::npos : end - start);
    // A user name in the address must not pose as the host.
    const size_t at = host.rfind('@');
    if (at != std::string::npos)
        host.erase(0, at + 1);
    return host.empty() ? address : host;
}

} // namespace

std::string encodeFormFields(const std::vector<std::pair<std::string, std::string>>& fields)
{
    std::string out;
    for (const auto& [name, value] : fields) {
        if (!out.empty())
            out += '&';
        appendEncoded(out, name);
        out += '=';
        appendEncoded(out, value);
    }
    return out;
}

std::string submissionAddress(const FormSubmission& submission)
{
    if (submission.method != "GET")
        return submission.action;
    std::string address = submission.action;
    std::string fragment;
    if (const size_t hash = address.find('#'); hash != std::string::npos) {
        fragment = address.substr(hash);
        address.erase(hash);
    }
    if (const size_t question = address.find('?'); question != std::string::npos)
        address.erase(question);
    return address + "?" + encodeFormFields(submission.fields) + fragment;
}

const char* pageDialogKindName(PageDialogKind kind)
{
    // In the order of the kinds.
    static const char* const names[] = {"alert", "confirm", "prompt", "leave page"};
    static_assert(std::size(names) == static_cast<size_t>(PageDialogKind::LeavePage) + 1);
    const auto index = static_cast<size_t>(kind);
    return index < std::size(names) ? names[index] : "dialog";
}

WebBrowser::~WebBrowser()
{
    *alive_ = false;
}

void WebBrowser::raiseBeforeNavigate2(const std::string& url)
{
    deliver([this, url] { BeforeNavigate2.emit(url); });
}

void WebBrowser::raiseDocumentComplete(const std::string& url)
{
    deliver([this, url] { DocumentComplete.emit(url); });
}

void WebBrowser::raiseDocumentSettled(const std::string& url)
{
    deliver([this, url] { DocumentSettled.emit(url); });
}

void WebBrowser::raisePageDialogAnswered(const PageDialog& dialog)
{
    deliver([this, dialog] { PageDialogAnswered.emit(dialog); });
}

void WebBrowser::raisePageFailed(const PageFailure& failure)
{
    deliver([this, failure] { PageFailed.emit(failure); });
}

void WebBrowser::deliver(std::function<void()> tell)
{
    auto guarded = [tell = std::move(tell), alive = alive_] {
        if (*alive)
            tell();
    };
    if (framework::Application::exists())
        framework::app().deliver(this, std::move(guarded));
    else
        guarded();
}

bool WebBrowser::answerPageDialog(PageDialogKind kind, const std::string& text, const std::string& address,
                                  std::string& value)
{
    const bool haveApp = framework::Application::exists();
    const std::uint64_t now = haveApp ? framework::app().clock().tickCount() : 0;
    // A page that opens its dialogs one after the other (in a loop, or as
    // fast as the user closes them) gets no box for them: the user can
    // always get away.
    const bool tooSoon = dialogSeen_ && now - lastDialogTick_ < kPageDialogSpacingMs;
    dialogSeen_ = true;
    lastDialogTick_ = now;
    // A box needs somebody to answer it, and no handler that waits: the
    // page's renderer (shared by the site's tabs) stands still meanwhile.
    if (dialogPolicy_ == DialogPolicy::Ask && haveApp && !framework::app().busy() && !framework::app().unattended() &&
        !tooSoon) {
        bool accepted = false;
        const std::string host = hostOf(address);
        const std::shared_ptr<bool> alive = alive_;
        framework::app().dispatch([&] {
            framework::Dialogs& dialogs = framework::app().dialogs();
            switch (kind) {
            case PageDialogKind::Alert:
                dialogs.showMessage("The page at " + host + " says:\n\n" + text);
                accepted = true;
                break;
            case PageDialogKind::Confirm:
                accepted = dialogs.askYesNo("The page at " + host + " asks:\n\n" + text, host);
                break;
            case PageDialogKind::Prompt:
                accepted = dialogs.inputQuery(host, "The page at " + host + " asks:\n\n" + text, value);
                break;
            case PageDialogKind::LeavePage:
                accepted =
                    dialogs.askYesNo("Leave the page at " + host + "? Changes you made there may not be saved.", host);
                break;
            }
        });
        // Measured from the end of the box: the next dialog may come at
        // once when the user closes it.
        if (*alive)
            lastDialogTick_ = framework::app().clock().tickCount();
        return accepted;
    }
    const bool accepted = kind == PageDialogKind::Alert || kind == PageDialogKind::LeavePage;
    if (dialogReports_ < kMaxDialogReports) {
        ++dialogReports_;
        reportPageDialog({kind, text, address, accepted});
    }
    return accepted;
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
    // A copy: the clearer may install another (the engine's, as it loads).
    const std::function<void()> clear = clearer();
    clear();
    return true;
}

} // namespace browserctl
