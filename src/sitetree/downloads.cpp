// Update and join downloads: the operator file, the index of offered trees
// and word lists, and the download of one entry, all through Http1.

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "browserctl/web_browser.h"
#include "framework/application.h"
#include "framework/text_util.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "platform/text_codec.h"
#include "platform/text_store.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

namespace {
// The event lines go to the top of the log.
void logTop(const std::string& line)
{
    FmMemo->MemoLog.insertLine(0, line);
}

// Why a reply body may not become a data file, or nothing when it may. An
// empty body is a broken transfer as a rule, and bytes that are not text
// would leave a file that no reader of the program can use.
const char* bodyProblem(const std::string& body)
{
    if (body.empty())
        return "the reply is empty";
    if (body.find('\0') != std::string::npos)
        return "the reply holds NUL bytes, so it is not a text file";
    if (!platform::decodeTextStrictly(body))
        return "the reply is neither UTF-8 nor code page 932 text";
    return nullptr;
}

std::string lowerHost(std::string host)
{
    host = framework::lowerAscii(host);
    if (!host.empty() && host.back() == '.')
        host.pop_back();
    return host;
}

// "host", or "host:port" when the port is not the scheme's own.
std::string hostText(const net::RequestTarget& target)
{
    const int own = target.scheme == "https" ? 443 : 80;
    return target.host + (target.port != own ? ":" + std::to_string(target.port) : std::string());
}

// Whether a redirect stays on the product site: its host, over http or
// https, at the port the site's address names, or at the scheme's own port
// when it names none. A file of the site may move on the site; a reply
// that sends us elsewhere must not become one of our files.
bool onProductSite(const net::RequestTarget& site, const net::RequestTarget& target)
{
    const std::string scheme = target.scheme.empty() ? "http" : target.scheme;
    if (scheme != "http" && scheme != "https")
        return false;
    if (lowerHost(target.host) != lowerHost(site.host))
        return false;
    if (site.portWritten)
        return target.port == site.port;
    return target.port == (scheme == "https" ? 443 : 80);
}
} // namespace

void TFmCtrl::setUpHttpClients()
{
    for (auto* client : {&Http1, &Http2}) {
        *client = std::make_unique<net::HttpClient>();
        net::HttpClient& http = **client;
        http.Port = 21;
        http.TimeOut = 60000;
        http.ReportLevel = 0;
        http.ProxyPort = 0;
        http.OnAboutToSend = [] {
            FmMemo->showPage(FmMemo->TabSheetMMulti);
            logTop("HTTP_AboutToSend 要求送信前");
        };
        http.OnAuthenticationNeeded = [] { logTop("HTTP_AuthenticationNeeded 基本認証要求"); };
        http.OnConnect = [] { logTop("HTTP_Connect 接続確立"); };
        http.OnConnectionFailed = [] { logTop("HTTP_ConnectionFailed: 接続失敗!!!:"); };
        http.OnDisconnect = [] { logTop("HTTP_Disconnect 切断"); };
        http.OnFailure = [](const std::string&) { logTop("OnFailure イベントは処理が失敗したときに呼び出されます。"); };
        http.OnHostResolved = [] { logTop("HTTP_IPｱﾄﾞﾚｽに解決"); };
        http.OnInvalidHost = [](bool&) { logTop("HTTP_無効なﾎｽﾄ名の指定"); };
        http.OnPacketRecvd = [&http] { logTop(std::to_string(http.BytesRecvd)); };
        http.OnPacketSent = [] { logTop("HTTP_PacketSent"); };
        http.OnRedirect = [](bool&) { logTop("HTTP_Redirect"); };
        http.OnStatus = [](const std::string&) { logTop("HTTP_Status ｺﾝﾎﾟｰﾈﾝﾄ内でｽﾃｰﾀｽの変更があった"); };
        http.OnSuccess = [this, &http](const std::string&) {
            lastFetchSucceeded_ = true;
            FmMemo->showPage(FmMemo->TabSheetMMulti);
            // The body is bytes in whatever code page the server keeps; the
            // memo holds UTF-8, read the way data files are.
            FmMemo->MemoSource.setText(platform::decodeFileText(http.Body));
        };
    }
}

void TFmCtrl::fetch(const std::string& url, const platform::fs::path& path)
{
    ComboBoxAssistURL.setText(url);
    lastFetchSucceeded_ = false;
    // Redirects are followed on the product site only; the window's own
    // handler (the log line) still sees every one.
    const net::RequestTarget site = net::requestTarget(FmMain->siteBase(), "", 80);
    std::string refused;
    const auto logRedirect = Http1->OnRedirect;
    Http1->OnRedirect = [&](bool& handled) {
        if (logRedirect)
            logRedirect(handled);
        const std::string address = Http1->RedirectAddress();
        const net::RequestTarget target = net::requestTarget(address, Http1->Host, Http1->Port);
        if (!handled && !onProductSite(site, target)) {
            refused = "The download of " + url + " was redirected to " + address + ", on host \"" + hostText(target) +
                      "\", not on the product site's host \"" + hostText(site) + "\"; \"" + platform::pathText(path) +
                      "\" stays as it was";
            handled = true;
        }
    };
    struct RestoreHandler {
        net::HttpClient& http;
        std::function<void(bool&)> handler;
        ~RestoreHandler() { http.OnRedirect = std::move(handler); }
    } restore{*Http1, logRedirect};
    Http1->Get(ComboBoxAssistURL.text());
    if (!refused.empty())
        throw Error(refused);
    // A failed reply leaves the source memo as it was; the file stays.
    if (!lastFetchSucceeded_)
        throw Error("The download of " + url + " failed (HTTP " + std::to_string(Http1->ReplyNumber) + ")");
    if (const char* problem = bodyProblem(Http1->Body)) {
        // Nothing of a refused reply stays in the memo for a later save.
        FmMemo->MemoSource.clear();
        throw FileError("The download of " + url + " was not saved to \"" + platform::pathText(path) +
                        "\": " + problem + "; the file stays as it was");
    }
}

void TFmCtrl::fetchAndSave(const std::string& url, const platform::fs::path& path)
{
    fetch(url, path);
    FmMain->PathText = platform::pathText(path);
    platform::createFolder(path.parent_path());
    platform::saveLines(path, FmMemo->MemoSource.lines());
    FmMemo->MemoSource.clear();
}

void TFmCtrl::PMJoinAJointClick()
{
    fetchAndSave(FmMain->siteBase() + FmMain->LangName + "/UpDate/Joint.INI", FmMain->langPath("UpDate") / "Joint.INI");
}

void TFmCtrl::PMJoinAOperatorClick()
{
    FmMemo->MemoSource.clear();
    fetchAndSave(FmMain->siteBase() + "UpDate/0Operator.INI", FmMain->exePath("UpDate") / "0Operator.INI");
}

void TFmCtrl::PMJoinASetClick()
{
    const auto path = FmMain->langPath("UpDate") / "Joint.INI";
    if (!platform::fileExists(path))
        return;
    platform::IniFile joint(path);
    // The table holds 99 entries; an index that offers more is cut there.
    UpdateMax = std::clamp(joint.readInteger("Info", "Max", 1), 0, MaxUpdates);
    UpDownUpDateSele.setMax(std::max(1, UpdateMax));
    for (int n = 1; n <= UpdateMax; ++n) {
        const std::string section = "UD" + std::to_string(n);
        UpdateName[static_cast<size_t>(n)] = joint.readString(section, "Name", "");
        UpdateEpl[static_cast<size_t>(n)] = joint.readString(section, "Epl", "");
        UpdateURL[static_cast<size_t>(n)] = joint.readString(section, "URL", "");
        UpdatePath[static_cast<size_t>(n)] = joint.readString(section, "Path", "");
    }
}

void TFmCtrl::TabSheetMAJoinShow()
{
    PMJoinASetClick();
}

void TFmCtrl::ToolButtonUpDataClick()
{
    PMJoinAJointClick();
    PMJoinASetClick();
    PMJoinAOperatorClick();
}

void TFmCtrl::UpDownUpDateSeleChanging(bool& allowChange)
{
    allowChange = true;
    UpdateIndex = std::clamp(UpDownUpDateSele.position(), 0, MaxUpdates);
    const auto i = static_cast<size_t>(UpdateIndex);
    LabelUpDateName.setCaption(UpdateName[i]);
    ComboBoxAssistURL.setText(UpdateURL[i]);
    LabelUpDateEpl.setCaption(UpdateEpl[i]);
    LabelUpDatePath.setCaption(UpdatePath[i]);
    const auto local = platform::safeJoin(FmMain->langFolder(), UpdatePath[i]);
    RadioButtonUpDataUMu.setChecked(local && !UpdatePath[i].empty() && platform::fileExists(*local));
}

void TFmCtrl::ToolButtonUpDataDownLoadClick()
{
    const auto i = static_cast<size_t>(std::clamp(UpdateIndex, 0, MaxUpdates));
    const std::string name = UpdateName[i];
    const std::string path = UpdatePath[i];
    // The path comes from the downloaded index: it may not leave the
    // language folder.
    const auto local = platform::safeJoin(FmMain->langFolder(), path);
    if (!local || path.empty())
        throw FileError("The download path \"" + path + "\" is not a file of the language folder");
    fetch(UpdateURL[i], *local);
    FmMain->PathText = platform::pathText(*local);
    const bool isTree = path.find("TVFThema") != std::string::npos;
    const bool isBunch = path.find("ListBunch") != std::string::npos;
    if (isTree) {
        ComboBoxTVFCategory.setText(name);
        PMTTAdd1Click();
        PMTrVwCFSaveClick();
    }
    if (isBunch) {
        ComboBoxBunch.setText(name);
        PMBunchCAddClick();
        PMBunchCFSaveClick();
    }
    platform::saveLines(*local, FmMemo->MemoSource.lines());
    if (isTree)
        ComboBoxTVFCategoryClick();
    if (isBunch)
        ComboBoxBunchClick();
    app().sound().beep(BeepKind::Information);
}

void TFmCtrl::PMBShowClick()
{
    ComboBoxAssistURL.setText(FmMain->siteBase() + FmMain->LangName + "/UpDate/");
    CppWebBrowserAssist.browser().Navigate(ComboBoxAssistURL.text());
}

void TFmCtrl::httpTestGet(const std::string& url)
{
    Http1->Get(url);
}

std::string TFmCtrl::httpHeader() const
{
    return Http1->Header;
}

std::string TFmCtrl::httpBody() const
{
    return platform::decodeFileText(Http1->Body);
}

std::string TFmCtrl::httpCookieIn() const
{
    return Http1->CookieIn;
}
