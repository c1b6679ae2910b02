// `vantrel run` against loopback sites built the ways real search sites
// are: forms without names, found by their role or their search field; a
// search address; results drawn by script after the load, on the site's
// own host among its header and footer; a POST form; pages that fail, that
// talk in dialogs or that are downloads; a renderer that dies; and the
// signals a script sends. The real program and the real browser, as a
// script starts them.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "http_server.h"
#include "program_process.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::HttpRequest;
using testsupport::HttpResponse;
using testsupport::readRaw;
using testsupport::writeRaw;

std::string page(const std::string& title, const std::string& body)
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title + "</title></head><body>\n" + body +
           "\n</body></html>\n";
}

// A site's chrome: links that are not results.
const std::string Header = "<header><nav><a href=\"/\">Home</a> <a href=\"/about.html\">About</a> "
                           "<a href=\"/help.html\">Help</a></nav></header>";
const std::string Footer = "<footer><ul><li><a href=\"/licence.html\">Licence</a></li>"
                           "<li><a href=\"/privacy.html\">Privacy</a></li>"
                           "<li><a href=\"https://donate.example/\">Donate</a></li></ul></footer>";

// A result list of other hosts' pages for the query.
std::string resultList(const std::string& query, int count)
{
    std::string list = "<ol class=\"results\">";
    const std::string word = testsupport::urlEncode(query);
    for (int i = 1; i <= count; ++i)
        list += "<li><a href=\"http://example.org/" + std::to_string(i) + "/" + word + "\">" +
                testsupport::htmlEscape(query) + " " + std::to_string(i) + "</a> a page about it</li>";
    return list + "</ol>";
}

std::vector<std::string> resultAddresses(const std::string& query, int count)
{
    std::vector<std::string> addresses;
    for (int i = 1; i <= count; ++i)
        addresses.push_back("http://example.org/" + std::to_string(i) + "/" + testsupport::urlEncode(query));
    return addresses;
}

std::string commandLine(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline");
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The browser engine's renderers under a process: Chromium forks them from
// its zygote (whose command line they keep), or starts them as such.
std::vector<pid_t> renderersOf(pid_t root)
{
    std::map<pid_t, pid_t> parents;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const size_t close = line.rfind(')');
        char state = 0;
        int parent = 0;
        if (close != std::string::npos && std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) == 2)
            parents[std::stoi(name)] = parent;
    }
    const auto zygote = [](pid_t pid) {
        const std::string command = commandLine(pid);
        return command.find("--type=zygote") != std::string::npos &&
               command.find("--no-zygote-sandbox") == std::string::npos;
    };
    std::vector<pid_t> found;
    for (const auto& [pid, parent] : parents) {
        bool below = false;
        for (pid_t up = parent; up > 1 && !below; up = parents.count(up) ? parents[up] : 0)
            below = up == root;
        if (below && (zygote(parent) || commandLine(pid).find("--type=renderer") != std::string::npos))
            found.push_back(pid);
    }
    return found;
}

class RealSiteRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::copyDataSet(data.path());
        writeRaw(data / "0Base.INI", "[Begin]\r\nLanguage=USA\r\n");
        // A picture that never comes: its page never completes.
        server.handle("/stall.png", [this](const HttpRequest&) {
            for (int i = 0; i < 1200 && !stopping; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            return HttpResponse::error(404);
        });
        server.start();
    }
    void TearDown() override
    {
        stopping = true;
        server.stop();
    }

    // A free site of the data folder, given by its address (and names).
    void freeSite(const std::string& name, const std::string& url, const std::string& form = "",
                  const std::string& field = "")
    {
        const fs::path base = data / "USA" / "Base.INI";
        writeRaw(base, readRaw(base) + "\r\n[" + name + "]\r\nURL=" + url + "\r\nFormName=" + form +
                           "\r\nInputName=" + field + "\r\n");
        const fs::path list = data / "USA" / "FreeSerchSite.txt";
        writeRaw(list, readRaw(list) + name + "\r\n");
    }

    std::vector<std::string> arguments(const std::string& site, const std::string& words,
                                       const std::vector<std::string>& extra) const
    {
        std::vector<std::string> args = {"run",      "--data-dir",   data.path().string(),
                                         "--site",   "free:" + site, "--theme",
                                         "Weather",  "--words",      words,
                                         "--out",    out.string(),   "--try-time",
                                         "10",       "--passes",     "1",
                                         "--pacing", "quick",        "--interval",
                                         "0"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    std::vector<std::string> environment() const
    {
        return {"VANTREL_REGISTRY=" + (home / "registry.ini").string(), "HOME=" + home.path().string(),
                "XDG_CONFIG_HOME=" + (home / ".config").string()};
    }
    int run(const std::string& site, const std::string& words, const std::vector<std::string>& extra = {})
    {
        fs::remove(out);
        testsupport::ProgramProcess program(testsupport::vantrelBinary(), arguments(site, words, extra), environment());
        const int status = program.waitForExit(std::chrono::seconds(180));
        output = program.errorOutput();
        return status;
    }
    // Whether the run said that line (a done word's line goes on with its
    // time).
    bool said(const std::string& line) const { return output.find(line + "\n") != std::string::npos; }
    bool saidDone(const std::string& word) const { return output.find(word + " done ") != std::string::npos; }

    // The run's entries as its JSON file has them.
    QJsonArray entries() const
    {
        return QJsonDocument::fromJson(QByteArray::fromStdString(readRaw(out))).object()["entries"].toArray();
    }
    static std::vector<std::string> links(const QJsonValue& entry)
    {
        std::vector<std::string> addresses;
        for (const QJsonValue& link : entry.toObject()["links"].toArray())
            addresses.push_back(link.toObject()["address"].toString().toStdString());
        return addresses;
    }
    static std::string field(const QJsonValue& entry, const char* name)
    {
        return entry.toObject()[name].toString().toStdString();
    }

    std::atomic<bool> stopping{false};
    testsupport::HttpServer server;
    testsupport::TempDir data;
    testsupport::TempDir home;
    fs::path out = home / "run.json";
    std::string output;
};

// Forms without a name or id are found as a person finds them: the only
// form of a page (shown on a desktop's width), a form with role=search
// beside a newsletter form, a
// search field beside a login form. Results a script draws after the load
// (300 ms after it, or from a request that takes 1.5 s) are recorded whole;
// a list on the site's own host is the result among its header and footer
// links; a page repeating the query "captcha" is no block page.
TEST_F(RealSiteRunTest, FoundFormsAreSearchedAndTheirResultListsRecordedWhole)
{
    server.handle("/plain/", [](const HttpRequest&) {
        // Laid out for a desktop's width: narrower, the search box goes.
        return HttpResponse::html(page("Plain docs", "<style>@media (max-width: 1000px) { main { display: none } }"
                                                     "</style>" +
                                                         Header +
                                                         "<main><h1>Docs</h1><form action=\"/plain/search.html\">"
                                                         "<input type=\"text\" name=\"q\"> <input type=\"submit\" "
                                                         "value=\"Go\"></form></main>" +
                                                         Footer));
    });
    server.handle("/plain/search.html", [](const HttpRequest&) {
        return HttpResponse::html(
            page("Search", Header + "<main><h1>Search</h1><ul id=\"hits\"></ul></main>" + Footer +
                               "<script>setTimeout(function () {\n"
                               "  var q = new URLSearchParams(location.search).get('q');\n"
                               "  ['one', 'two', 'three'].forEach(function (n) {\n"
                               "    var li = document.createElement('li'), a = document.createElement('a');\n"
                               "    a.href = '/plain/' + n + '.html'; a.textContent = q + ' ' + n;\n"
                               "    li.appendChild(a); li.appendChild(document.createTextNode(' a page about ' + q));\n"
                               "    document.getElementById('hits').appendChild(li);\n"
                               "  });\n"
                               "}, 300);</script>"));
    });
    server.handle("/landmark/", [](const HttpRequest&) {
        return HttpResponse::html(page("Landmark", "<form action=\"/subscribe\" method=\"post\"><label>News "
                                                   "<input type=\"text\" name=\"email\"></label></form>"
                                                   "<form role=\"search\" action=\"/landmark/find\">"
                                                   "<input type=\"text\" name=\"term\"></form>"));
    });
    server.handle("/landmark/find", [](const HttpRequest&) {
        return HttpResponse::html(page("Found", "<ol id=\"r\"></ol><script>\n"
                                                "fetch('/landmark/api' + location.search).then(function (r) {\n"
                                                "  return r.json(); }).then(function (items) {\n"
                                                "  items.forEach(function (item) {\n"
                                                "    var li = document.createElement('li');\n"
                                                "    li.innerHTML = '<a></a> <p>about it</p>';\n"
                                                "    li.firstChild.href = item.href; li.firstChild.textContent = "
                                                "item.title;\n"
                                                "    document.getElementById('r').appendChild(li);\n"
                                                "  });\n"
                                                "});</script>"));
    });
    server.handle("/landmark/api", [](const HttpRequest& request) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        HttpResponse response;
        response.contentType = "application/json";
        const std::string term = testsupport::urlEncode(request.param("term"));
        response.body = "[{\"href\": \"/landmark/a?" + term +
                        "\", \"title\": \"Alpha\"}, "
                        "{\"href\": \"/landmark/b?" +
                        term + "\", \"title\": \"Beta\"}]";
        return response;
    });
    server.handle("/typed/", [](const HttpRequest&) {
        return HttpResponse::html(page("Typed", "<form action=\"/login\" method=\"post\"><input name=\"user\">"
                                                "<input type=\"password\" name=\"pw\"></form>"
                                                "<form action=\"/typed/results\"><input type=\"search\" name=\"k\">"
                                                "</form>"));
    });
    server.handle("/typed/results", [](const HttpRequest& request) {
        const std::string query = testsupport::htmlEscape(request.param("k"));
        return HttpResponse::html(
            page(query + " - results", "<p>Results for " + query + "</p>" + resultList(request.param("k"), 2)));
    });
    freeSite("plain", server.url("/plain/"));
    freeSite("landmark", server.url("/landmark/"));
    freeSite("typed", server.url("/typed/"));

    ASSERT_EQ(run("plain", "Tokyo,Osaka"), 0) << output;
    for (const QJsonValue& entry : entries()) {
        EXPECT_EQ(field(entry, "state"), "done") << output;
        EXPECT_EQ(links(entry), (std::vector<std::string>{server.url("/plain/one.html"), server.url("/plain/two.html"),
                                                          server.url("/plain/three.html")}))
            << field(entry, "entry");
    }

    ASSERT_EQ(run("landmark", "Kyoto"), 0) << output;
    EXPECT_EQ(links(entries()[0]), (std::vector<std::string>{server.url("/landmark/a?Weather%20Kyoto"),
                                                             server.url("/landmark/b?Weather%20Kyoto")}));

    ASSERT_EQ(run("typed", "captcha,Nara"), 0) << output;
    EXPECT_TRUE(saidDone("1/2 Weather captcha")) << output;
    EXPECT_EQ(links(entries()[0]), resultAddresses("Weather captcha", 2));
    EXPECT_EQ(field(entries()[1], "finalAddress"), server.url("/typed/results?k=Weather+Nara"));
}

// A search address is the search: the query goes into it as UTF-8, and
// each word costs the site one page.
TEST_F(RealSiteRunTest, ASearchAddressTakesAJapaneseQueryInOnePagePerWord)
{
    std::mutex mutex;
    std::vector<std::string> queries;
    server.handle("/find", [&](const HttpRequest& request) {
        {
            std::lock_guard lock(mutex);
            queries.push_back(request.param("q") + "|" + request.param("lang"));
        }
        return HttpResponse::html(page("Results", Header + resultList(request.param("q"), 3) + Footer));
    });
    freeSite("address", server.url("/find?q={query}&lang=ja"));
    ASSERT_EQ(run("address", "東京,大阪"), 0) << output;
    std::sort(queries.begin(), queries.end());
    EXPECT_EQ(queries, (std::vector<std::string>{"Weather 大阪|ja", "Weather 東京|ja"}));
    std::vector<std::string> pages = server.requestLog();
    std::erase_if(pages, [](const std::string& target) { return target.rfind("/favicon", 0) == 0; });
    EXPECT_EQ(pages.size(), 2u);
    EXPECT_EQ(links(entries()[0]), resultAddresses("Weather 東京", 3));
}

// A POST result keeps what its form sent, so it can be sent again.
TEST_F(RealSiteRunTest, APostFormsResultKeepsItsSubmission)
{
    server.handle("/post/", [](const HttpRequest&) {
        return HttpResponse::html(page("Post", "<form id=\"box\" method=\"post\" action=\"/post/results\">"
                                               "<input name=\"q\"><input type=\"hidden\" name=\"lang\" value=\"en\">"
                                               "</form>"));
    });
    server.handle("/post/results", [](const HttpRequest& request) {
        if (request.method != "POST")
            return HttpResponse::error(405);
        return HttpResponse::html(page("Posted", resultList(request.param("q"), 2)));
    });
    freeSite("post", server.url("/post/"), "box", "q");
    ASSERT_EQ(run("post", "Tokyo"), 0) << output;
    const QJsonObject entry = entries()[0].toObject();
    EXPECT_EQ(entry["finalAddress"].toString().toStdString(), server.url("/post/results"));
    EXPECT_EQ(links(entry), resultAddresses("Weather Tokyo", 2));
    const QJsonObject sent = entry["submission"].toObject();
    EXPECT_EQ(sent["method"].toString(), "POST");
    EXPECT_EQ(sent["action"].toString().toStdString(), server.url("/post/results"));
    EXPECT_EQ(QJsonDocument(sent["fields"].toArray()).toJson(QJsonDocument::Compact).toStdString(),
              "[[\"q\",\"Weather Tokyo\"],[\"lang\",\"en\"]]");
}

// An HTTP error, a redirect loop and a download fail their word with the
// reason; a page's alert, confirm and prompt are answered and the word is
// done; nothing is downloaded. A site that is down says so.
TEST_F(RealSiteRunTest, PagesThatFailFailTheirWordsAndDialogsHoldNothingUp)
{
    server.handle("/shaky/", [](const HttpRequest&) {
        return HttpResponse::html(page("Shaky", "<form action=\"/shaky/results\"><input name=\"q\"></form>"));
    });
    server.handle("/shaky/results", [this](const HttpRequest& request) {
        const std::string query = request.param("q");
        if (query == "Weather secret") {
            HttpResponse response = HttpResponse::html(page("Sign in", "Sign in first."));
            response.status = 401;
            return response;
        }
        if (query == "Weather loop")
            return HttpResponse::redirect(request.target);
        if (query == "Weather file") {
            HttpResponse response = HttpResponse::text("a,b\n1,2\n");
            response.contentType = "text/csv";
            response.headers.emplace_back("Content-Disposition", "attachment; filename=\"report.csv\"");
            return response;
        }
        if (query == "Weather dialogs")
            return HttpResponse::html(page("Chatty", "<script>alert('Welcome'); confirm('Sure?'); "
                                                     "prompt('Name?');</script>" +
                                                         resultList(query, 1)));
        return HttpResponse::html(page("Results", resultList(query, 1)));
    });
    freeSite("shaky", server.url("/shaky/"));
    EXPECT_EQ(run("shaky", "secret,loop,file,dialogs,fine"), 2) << output;
    EXPECT_TRUE(said("1/5 Weather secret failed: HTTP 401")) << output;
    EXPECT_TRUE(said("2/5 Weather loop failed: too many redirects")) << output;
    EXPECT_TRUE(said("3/5 Weather file failed: the page is a download")) << output;
    EXPECT_TRUE(saidDone("4/5 Weather dialogs")) << output;
    EXPECT_NE(output.find("5 words: 2 done, 3 failed; results: "), std::string::npos) << output;
    EXPECT_EQ(field(entries()[0], "reason"), "HTTP 401");
    EXPECT_EQ(field(entries()[0], "title"), "Sign in");
    for (const auto& item : fs::recursive_directory_iterator(home.path()))
        EXPECT_EQ(item.path().filename().string().find("report"), std::string::npos) << item.path();

    const testsupport::LoopbackListener closed = testsupport::listenOnLoopback("closed port");
    ::close(closed.fd);
    const std::string gone = "http://127.0.0.1:" + std::to_string(closed.port) + "/";
    freeSite("gone", gone);
    EXPECT_EQ(run("gone", "Tokyo"), 2) << output;
    EXPECT_TRUE(said("1/1 Weather Tokyo failed: could not open " + gone + ": connection refused")) << output;
}

// A renderer that dies fails the word in its tab at once, not after the
// try time.
TEST_F(RealSiteRunTest, ARendererThatDiesFailsItsWordAtOnce)
{
    std::atomic<bool> asked{false};
    server.handle("/heavy/", [](const HttpRequest&) {
        return HttpResponse::html(page("Heavy", "<form action=\"/heavy/results\"><input name=\"q\"></form>"));
    });
    server.handle("/heavy/results", [&](const HttpRequest&) {
        asked = true;
        return HttpResponse::html(page("Loading", "<img src=\"/stall.png\">"));
    });
    freeSite("heavy", server.url("/heavy/"));
    testsupport::ProgramProcess program(testsupport::vantrelBinary(),
                                        arguments("heavy", "Tokyo", {"--try-time", "120"}), environment());
    for (int i = 0; i < 600 && !asked; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(asked);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::vector<pid_t> renderers = renderersOf(program.pid());
    ASSERT_FALSE(renderers.empty());
    for (pid_t renderer : renderers)
        ::kill(renderer, SIGKILL);
    EXPECT_EQ(program.waitForExit(std::chrono::seconds(60)), 2) << program.errorOutput();
    EXPECT_NE(program.errorOutput().find("1/1 Weather Tokyo failed: the page's process ended"), std::string::npos)
        << program.errorOutput();
}

// SIGTERM, SIGINT and SIGHUP end a run in either pacing: the words done so
// far are saved, the others stopped, and the status is 128 + the signal.
TEST_F(RealSiteRunTest, ASignalEndsTheRunAndKeepsTheWordsDone)
{
    server.handle("/slow/", [](const HttpRequest&) {
        return HttpResponse::html(page("Slow", "<form action=\"/slow/results\"><input name=\"q\"></form>"));
    });
    server.handle("/slow/results", [](const HttpRequest& request) {
        if (request.param("q") == "Weather never")
            return HttpResponse::html(page("Loading", "<img src=\"/stall.png\">"));
        return HttpResponse::html(page("Results", resultList(request.param("q"), 1)));
    });
    freeSite("slow", server.url("/slow/"));
    for (const auto& [number, pacing] :
         std::vector<std::pair<int, const char*>>{{SIGTERM, "seed"}, {SIGINT, "quick"}, {SIGHUP, "quick"}}) {
        fs::remove(out);
        testsupport::ProgramProcess program(
            testsupport::vantrelBinary(),
            arguments("slow", "Tokyo,never", {"--pacing", pacing, "--parallel", "1", "--try-time", "120"}),
            environment());
        ASSERT_TRUE(program.waitForError("1/2 Weather Tokyo done")) << program.errorOutput();
        program.signal(number);
        EXPECT_EQ(program.waitForExit(std::chrono::seconds(60)), 128 + number) << program.errorOutput();
        const std::string& said = program.errorOutput();
        EXPECT_NE(said.find("2/2 Weather never stopped"), std::string::npos) << said;
        EXPECT_NE(said.find("2 words: 1 done, 1 stopped; results: "), std::string::npos) << said;
        ASSERT_TRUE(fs::exists(out)) << pacing;
        EXPECT_EQ(links(entries()[0]), resultAddresses("Weather Tokyo", 1));
        EXPECT_EQ(field(entries()[1], "state"), "stopped");
    }
}

} // namespace
