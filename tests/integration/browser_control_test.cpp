// The QtWebEngine browser against pages of the loopback server: events,
// document calls, history; and the loopback server itself.

#include "browserctl/qt_web_browser.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTabWidget>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "framework/application.h"
#include "http_server.h"
#include "temp_dir.h"
#include "ui/qt_services.h"

namespace browserctl {
// Readable failure messages for link lists.
void PrintTo(const PageLink& link, std::ostream* out)
{
    *out << "{" << link.address << ", \"" << link.text << "\"}";
}
} // namespace browserctl

using browserctl::DocumentCallError;
using browserctl::QtWebBrowser;
using testsupport::HttpRequest;
using testsupport::HttpResponse;
using testsupport::HttpServer;

namespace {

using namespace std::chrono_literals;

// Generous: a slow machine must give a failure message, never a flaky one.
constexpr auto kDeadline = 30s;

// Runs the event loop until done() holds or the deadline passes; returns
// done().
bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kDeadline)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start();
    deadline.start(limit);
    loop.exec();
    return done();
}

// The events of a browser as "before URL" and "complete URL" lines.
class EventLog {
public:
    void attach(browserctl::WebBrowser& browser)
    {
        browser.BeforeNavigate2.connect([this](const std::string& url) { add("before " + url); });
        browser.DocumentComplete.connect([this](const std::string& url) { add("complete " + url); });
    }

    int count(const std::string& entry) const
    {
        return static_cast<int>(std::count(entries.begin(), entries.end(), entry));
    }

    // Index of the first occurrence, or -1.
    int indexOf(const std::string& entry) const
    {
        const auto it = std::find(entries.begin(), entries.end(), entry);
        return it == entries.end() ? -1 : static_cast<int>(it - entries.begin());
    }

    std::string text() const
    {
        std::string all;
        for (const auto& entry : entries)
            all += "\n  " + entry;
        return all;
    }

    std::vector<std::string> entries;
    bool allOnMainThread = true;

private:
    void add(std::string entry)
    {
        if (std::this_thread::get_id() != mainThread_)
            allOnMainThread = false;
        entries.push_back(std::move(entry));
    }

    std::thread::id mainThread_ = std::this_thread::get_id();
};

std::string page(const std::string& title, const std::string& body)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title + "</title></head>\n<body>" + body +
           "</body></html>\n";
}

std::string documentCallError(const std::function<void()>& call)
{
    try {
        call();
    } catch (const DocumentCallError& error) {
        return error.what();
    }
    return "(no error)";
}

class BrowserControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Document calls wait in the application's gated wait.
        application = std::make_unique<framework::Application>(ui::makeQtServices());
        server.start();
        browser = std::make_unique<QtWebBrowser>();
        log.attach(*browser);
    }

    void TearDown() override
    {
        browser.reset();
        server.stop();
        application.reset();
    }

    void serve(const std::string& path, const std::string& html)
    {
        server.handle(path, [html](const HttpRequest&) { return HttpResponse::html(html); });
    }

    // Navigates and waits for the top document's DocumentComplete.
    ::testing::AssertionResult load(const std::string& url)
    {
        return loadWith([&] { browser->Navigate(url); }, url);
    }

    ::testing::AssertionResult loadWith(const std::function<void()>& start, const std::string& completedUrl)
    {
        const int before = log.count("complete " + completedUrl);
        start();
        if (spinUntil([&] { return log.count("complete " + completedUrl) > before; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "no DocumentComplete for " << completedUrl << " within the deadline; events:" << log.text();
    }

    // Runs a script in the page's own world and returns its result.
    QVariant runInPage(const std::string& script)
    {
        auto result = std::make_shared<QVariant>();
        auto done = std::make_shared<bool>(false);
        browser->page()->runJavaScript(QString::fromStdString(script), QWebEngineScript::MainWorld,
                                       [result, done](const QVariant& value) {
                                           *result = value;
                                           *done = true;
                                       });
        EXPECT_TRUE(spinUntil([&] { return *done; })) << "the page did not run: " << script;
        return *result;
    }

    // Waits for the DocumentComplete of a page whose address holds `part`.
    ::testing::AssertionResult waitForCompleteOf(const std::string& part)
    {
        const auto seen = [&] {
            return std::any_of(log.entries.begin(), log.entries.end(), [&](const std::string& entry) {
                return entry.rfind("complete ", 0) == 0 && entry.find(part) != std::string::npos;
            });
        };
        if (spinUntil(seen))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "no DocumentComplete for an address with " << part << "; events:" << log.text();
    }

    // A search page whose form is found by `formAttributes` (id or name).
    std::string searchPage(const std::string& formAttributes, const std::string& action,
                           const std::string& extraFields = "")
    {
        return page("Search", "<form " + formAttributes + " action=\"" + action +
                                  "\" method=\"get\">\n"
                                  "<input type=\"text\" name=\"q\" value=\"\">\n"
                                  "<input type=\"hidden\" name=\"cx\" value=\"site\">\n" +
                                  extraFields + "</form>\n");
    }

    std::unique_ptr<framework::Application> application;
    HttpServer server;
    std::unique_ptr<QtWebBrowser> browser;
    EventLog log;
};

// ---------------------------------------------------------------------------
// Navigation events

TEST_F(BrowserControlTest, NothingIsLoadedBeforeTheFirstNavigation)
{
    EXPECT_EQ(browser->LocationURL(), "");
    EXPECT_EQ(browser->LocationName(), "");
    EXPECT_EQ(documentCallError([&] { browser->Document(); }), "Document: no document is loaded");
    ASSERT_NE(browser->widget(), nullptr);
}

TEST_F(BrowserControlTest, NavigateReportsTheCompletedDocumentWithItsAddress)
{
    serve("/plain.html", page("Plain page", "<p>text</p>"));
    const std::string url = server.url("/plain.html");

    ASSERT_TRUE(load(url));

    EXPECT_EQ(log.entries, (std::vector<std::string>{"before " + url, "complete " + url}));
    EXPECT_EQ(browser->LocationURL(), url);
    EXPECT_EQ(browser->LocationName(), "Plain page");
    EXPECT_TRUE(log.allOnMainThread);
}

TEST_F(BrowserControlTest, PageWithAFrameReportsTheFrameBeforeThePage)
{
    serve("/framed.html", page("Framed", "<iframe src=\"/frame.html\"></iframe>"));
    serve("/frame.html", page("Frame", "<p>inside</p>"));
    const std::string url = server.url("/framed.html");
    const std::string frame = server.url("/frame.html");

    ASSERT_TRUE(load(url));

    EXPECT_EQ(log.entries,
              (std::vector<std::string>{"before " + url, "before " + frame, "complete " + frame, "complete " + url}));
    EXPECT_EQ(browser->LocationURL(), url);
    EXPECT_EQ(browser->LocationName(), "Framed");
}

TEST_F(BrowserControlTest, NestedFramesCompleteOnceEachAndThePageLast)
{
    serve("/outer.html", page("Outer", "<iframe src=\"/middle.html\"></iframe><iframe src=\"/side.html\"></iframe>"));
    serve("/middle.html", page("Middle", "<iframe src=\"/inner.html\"></iframe>"));
    serve("/inner.html", page("Inner", "inner"));
    serve("/side.html", page("Side", "side"));
    const std::string url = server.url("/outer.html");

    ASSERT_TRUE(load(url));

    for (const char* frame : {"/middle.html", "/inner.html", "/side.html"}) {
        SCOPED_TRACE(frame);
        EXPECT_EQ(log.count("before " + server.url(frame)), 1) << log.text();
        EXPECT_EQ(log.count("complete " + server.url(frame)), 1) << log.text();
    }
    // A frame finishes before the frame that holds it.
    EXPECT_LT(log.indexOf("complete " + server.url("/inner.html")),
              log.indexOf("complete " + server.url("/middle.html")));
    EXPECT_EQ(log.count("complete " + url), 1);
    EXPECT_EQ(log.entries.back(), "complete " + url);
}

TEST_F(BrowserControlTest, FrameNavigatingLaterReportsOnlyTheFrame)
{
    serve("/host.html", page("Host", "<iframe id=\"f\" src=\"/first.html\"></iframe>"));
    serve("/first.html", page("First", "first"));
    serve("/second.html", page("Second", "second"));
    serve("/next.html", page("Next", "next"));
    const std::string url = server.url("/host.html");
    const std::string second = server.url("/second.html");
    ASSERT_TRUE(load(url));

    runInPage("document.getElementById('f').src = '/second.html'; true");
    ASSERT_TRUE(spinUntil([&] { return log.count("complete " + second) == 1; })) << log.text();
    // Events arrive in order, so once the next page is complete, a page
    // completion the frame wrongly caused would be in the log.
    ASSERT_TRUE(load(server.url("/next.html")));

    EXPECT_EQ(log.count("before " + second), 1) << log.text();
    EXPECT_EQ(log.count("complete " + url), 1) << log.text();
    EXPECT_EQ(browser->LocationName(), "Next");
}

TEST_F(BrowserControlTest, RedirectCompletesWithTheFinalAddress)
{
    server.handle("/old.html", [](const HttpRequest&) { return HttpResponse::redirect("/new.html"); });
    serve("/new.html", page("New place", "moved"));
    const std::string target = server.url("/new.html");

    ASSERT_TRUE(loadWith([&] { browser->Navigate(server.url("/old.html")); }, target));

    EXPECT_EQ(log.count("before " + server.url("/old.html")), 1) << log.text();
    EXPECT_EQ(log.count("complete " + server.url("/old.html")), 0) << log.text();
    EXPECT_EQ(browser->LocationURL(), target);
    EXPECT_EQ(browser->LocationName(), "New place");
}

TEST_F(BrowserControlTest, ErrorPageOfTheServerStillCompletes)
{
    const std::string url = server.url("/missing.html");

    ASSERT_TRUE(load(url));

    EXPECT_EQ(browser->LocationURL(), url);
    EXPECT_EQ(browser->LocationName(), "404 Not Found");
    EXPECT_EQ(browser->LocationStatus(), 404);
    // It is a document like any other.
    EXPECT_EQ(documentCallError([&] { browser->Document()->form("cse-search-box"); }),
              "NamedItem(\"cse-search-box\"): no form of that name or id");
}

TEST_F(BrowserControlTest, PageTextIsTheTitleAndTheBodyAsShownBounded)
{
    serve("/text.html", page("Unusual traffic", "<h1>Are  you\n a robot?</h1><p hidden>secret</p><p>ロボット確認</p>"));
    ASSERT_TRUE(load(server.url("/text.html")));
    EXPECT_EQ(browser->LocationStatus(), 200);
    EXPECT_EQ(browser->Document()->text(1000), "Unusual traffic Are you a robot? ロボット確認");
    // Cut at a character, never inside one.
    EXPECT_EQ(browser->Document()->text(34), "Unusual traffic Are you a robot? ");
    EXPECT_EQ(browser->Document()->text(37), "Unusual traffic Are you a robot? ロ");
}

TEST_F(BrowserControlTest, NavigateFromATimerTickAndFromAnEventHandler)
{
    serve("/a.html", page("A", "a"));
    serve("/b.html", page("B", "b"));
    const std::string a = server.url("/a.html");
    const std::string b = server.url("/b.html");
    browser->DocumentComplete.connect([&](const std::string& url) {
        if (url == a)
            browser->Navigate(b);
    });

    // A real timer (a zero interval would become a queued call).
    ASSERT_TRUE(loadWith([&] { QTimer::singleShot(5, [&] { browser->Navigate(a); }); }, b));

    EXPECT_EQ(log.entries, (std::vector<std::string>{"before " + a, "complete " + a, "before " + b, "complete " + b}));
    EXPECT_EQ(browser->LocationName(), "B");
    EXPECT_TRUE(log.allOnMainThread);
}

TEST_F(BrowserControlTest, NoEventIsDeliveredWhileADocumentCallWaits)
{
    serve("/form.html", searchPage("id=\"cse-search-box\"", "/result"));
    serve("/other.html", page("Other", "<iframe src=\"/frame.html\"></iframe>"));
    serve("/frame.html", page("Frame", "frame"));
    ASSERT_TRUE(load(server.url("/form.html")));

    // A second browser loads while this one is busy with document calls;
    // the calls wait in the event loop, but its events must wait for the
    // handler that makes them.
    QtWebBrowser other;
    bool inCall = false;
    int eventsDuringCalls = 0;
    int otherEvents = 0;
    const auto watch = [&](const std::string&) {
        ++otherEvents;
        if (inCall)
            ++eventsDuringCalls;
    };
    other.BeforeNavigate2.connect(watch);
    other.DocumentComplete.connect(watch);
    other.Navigate(server.url("/other.html"));

    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (other.LocationName() != "Other" && std::chrono::steady_clock::now() < deadline) {
        // The calls of one handler, as a run tick makes them.
        application->dispatch([&] {
            inCall = true;
            browser->Document()->form("cse-search-box")->element("q")->setValue("busy");
            inCall = false;
        });
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(other.LocationName(), "Other");
    ASSERT_TRUE(spinUntil([&] { return otherEvents >= 4; })) << "events of the other browser: " << otherEvents;
    EXPECT_EQ(eventsDuringCalls, 0);
}

TEST_F(BrowserControlTest, FiftyOneTabsFillAndSubmitFromTheirEventHandlers)
{
    // A full page of tabs, as a run uses them: every tab fills in its form
    // from its own DocumentComplete handler while the others still load.
    // The engine is then busy, and its own queued work can sit behind our
    // event deliveries; document calls waiting in nested event loops must
    // still get their answers. Whether the engine's work lands behind a
    // delivery depends on timing, so the page is run three times.
    const int kTabs = 51;
    const int kRounds = 3;
    serve("/site/side.html", page("Side", "side panel"));
    server.handle("/site/page.js", [](const HttpRequest&) {
        std::string script = "var table = [];\n";
        for (int i = 0; i < 2000; ++i)
            script += "table.push({ index: " + std::to_string(i) + " });\n";
        HttpResponse response = HttpResponse::text(script);
        response.contentType = "text/javascript; charset=utf-8";
        return response;
    });
    serve("/site/index.html", page("Site search", "<script src=\"/site/page.js\"></script>\n"
                                                  "<form id=\"cse-search-box\" action=\"/site/result\">\n"
                                                  "<input type=\"text\" name=\"q\"></form>\n"
                                                  "<iframe src=\"/site/side.html\"></iframe>\n"));
    const std::string searchUrl = server.url("/site/index.html");

    // In a tab widget like the program's: one tab shows, the rest are hidden.
    QTabWidget window;
    window.resize(800, 600);
    window.show();
    std::vector<std::unique_ptr<QtWebBrowser>> tabs;
    std::vector<std::string> words(kTabs);
    std::vector<std::string> errors;
    int results = 0;
    for (int i = 0; i < kTabs; ++i) {
        tabs.push_back(std::make_unique<QtWebBrowser>());
        QtWebBrowser* tab = tabs.back().get();
        window.addTab(tab->widget(), QString::number(i + 1));
        tab->DocumentComplete.connect([&, tab, i](const std::string& url) {
            if (url == searchUrl) {
                try {
                    auto form = tab->Document()->form("cse-search-box");
                    form->element("q")->setValue(words[i]);
                    form->submit();
                } catch (const DocumentCallError& error) {
                    errors.push_back(words[i] + ": " + error.what());
                }
            } else if (url.find("/site/result?") != std::string::npos && tab->LocationName() == "Result: " + words[i]) {
                ++results;
            }
        });
    }

    for (int round = 1; round <= kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        results = 0;
        for (int i = 0; i < kTabs; ++i) {
            words[i] = "round " + std::to_string(round) + " tab " + std::to_string(i + 1);
            tabs[i]->Navigate(searchUrl);
        }
        ASSERT_TRUE(spinUntil([&] { return results + static_cast<int>(errors.size()) >= kTabs; }))
            << results << " result pages, " << errors.size() << " errors";
        ASSERT_EQ(errors, std::vector<std::string>{});
        EXPECT_EQ(results, kTabs);
    }
}

// ---------------------------------------------------------------------------
// Document calls

TEST_F(BrowserControlTest, FormFoundByIdIsFilledAndSubmitted)
{
    serve("/search/index.html", searchPage("id=\"cse-search-box\"", "/search/result"));
    ASSERT_TRUE(load(server.url("/search/index.html")));

    auto form = browser->Document()->form("cse-search-box");
    form->element("q")->setValue("theme word");
    const int requestsBefore = server.hits("/search/result");
    form->submit();
    ASSERT_TRUE(waitForCompleteOf("/search/result?"));

    EXPECT_EQ(browser->LocationName(), "Result: theme word");
    EXPECT_NE(browser->LocationURL().find("/search/result?"), std::string::npos) << browser->LocationURL();
    EXPECT_NE(browser->LocationURL().find("q=theme+word"), std::string::npos) << browser->LocationURL();
    EXPECT_EQ(log.entries.back(), "complete " + browser->LocationURL());
    EXPECT_EQ(server.hits("/search/result"), requestsBefore + 1);
}

TEST_F(BrowserControlTest, FormFoundByNameSubmitsDespiteAFieldNamedSubmit)
{
    // The field named "submit" hides form.submit in the page's own world.
    serve("/find/page.html",
          searchPage("name=\"searchform\"", "result.html", "<input type=\"submit\" name=\"submit\" value=\"Go\">\n"));
    ASSERT_TRUE(load(server.url("/find/page.html")));

    auto form = browser->Document()->form("searchform");
    form->element("q")->setValue("alpha beta");
    form->submit();

    ASSERT_TRUE(waitForCompleteOf("/find/result.html?"));
    EXPECT_EQ(browser->LocationName(), "Result: alpha beta");
    EXPECT_NE(browser->LocationURL().find("/find/result.html?"), std::string::npos) << browser->LocationURL();
    EXPECT_NE(browser->LocationURL().find("q=alpha+beta"), std::string::npos) << browser->LocationURL();
}

TEST_F(BrowserControlTest, TextReachesThePageUnchanged)
{
    serve("/search.html", searchPage("id=\"box\"", "/result"));
    ASSERT_TRUE(load(server.url("/search.html")));
    const std::string text = "\xE6\x97\xA5\xE6\x9C\xAC \"quoted\" 'single' \\ </script> & %41 \xE2\x80\xA8 end";

    auto form = browser->Document()->form("box");
    form->element("q")->setValue(text);
    EXPECT_EQ(runInPage("document.getElementById('box').elements.q.value").toString().toStdString(), text);
    form->submit();

    ASSERT_TRUE(waitForCompleteOf("/result?"));
    EXPECT_EQ(browser->LocationName(), "Result: " + text);
}

TEST_F(BrowserControlTest, FormIsFilledFromATimerTick)
{
    // How a run fills in the form: from a tick of its timer.
    serve("/search.html", searchPage("id=\"box\"", "/result"));
    ASSERT_TRUE(load(server.url("/search.html")));
    std::string error;
    QTimer::singleShot(5, [&] {
        try {
            auto form = browser->Document()->form("box");
            form->element("q")->setValue("from the timer");
            form->submit();
        } catch (const DocumentCallError& failure) {
            error = failure.what();
        }
    });

    ASSERT_TRUE(waitForCompleteOf("/result?")) << error;
    EXPECT_EQ(error, "");
    EXPECT_EQ(browser->LocationName(), "Result: from the timer");
}

TEST_F(BrowserControlTest, PageScriptsCannotDisturbTheDocumentCalls)
{
    serve("/hostile.html", searchPage("id=\"box\"", "/result") +
                               "<script>\n"
                               "HTMLFormElement.prototype.submit = function () {};\n"
                               "document.forms.namedItem = function () { return null; };\n"
                               "document.getElementById = function () { return null; };\n"
                               "</script>\n");
    ASSERT_TRUE(load(server.url("/hostile.html")));

    auto form = browser->Document()->form("box");
    form->element("q")->setValue("still works");
    form->submit();

    ASSERT_TRUE(waitForCompleteOf("/result?"));
    EXPECT_EQ(browser->LocationName(), "Result: still works");
}

TEST_F(BrowserControlTest, MissingFormsAndFieldsAreNamedInTheError)
{
    serve("/search.html", searchPage("id=\"cse-search-box\"", "/result") + "<div id=\"not-a-form\"></div>\n");
    ASSERT_TRUE(load(server.url("/search.html")));
    auto document = browser->Document();

    EXPECT_EQ(documentCallError([&] { document->form("no-such-form"); }),
              "NamedItem(\"no-such-form\"): no form of that name or id");
    EXPECT_EQ(documentCallError([&] { document->form("not-a-form"); }),
              "NamedItem(\"not-a-form\"): no form of that name or id");
    auto form = document->form("cse-search-box");
    EXPECT_EQ(documentCallError([&] { form->element("nofield"); }),
              "NamedItem(\"nofield\"): the form has no field of that name");
    // A field of the page that is not in this form is not the form's.
    EXPECT_EQ(documentCallError([&] { document->form("cse-search-box")->element("not-a-form"); }),
              "NamedItem(\"not-a-form\"): the form has no field of that name");

    // The form goes away after it was found: the lookup names the form.
    auto field = form->element("q");
    runInPage("document.getElementById('cse-search-box').remove(); true");
    EXPECT_EQ(documentCallError([&] { field->setValue("x"); }),
              "NamedItem(\"cse-search-box\"): no form of that name or id");
    EXPECT_EQ(documentCallError([&] { form->submit(); }), "NamedItem(\"cse-search-box\"): no form of that name or id");
}

TEST_F(BrowserControlTest, ObjectsOfAReplacedPageRefuseToActOnTheNewOne)
{
    serve("/one.html", searchPage("id=\"box\"", "/result"));
    serve("/two.html", searchPage("id=\"box\"", "/result"));
    ASSERT_TRUE(load(server.url("/one.html")));
    auto oldDocument = browser->Document();
    auto oldForm = oldDocument->form("box");
    auto oldField = oldForm->element("q");

    ASSERT_TRUE(load(server.url("/two.html")));

    EXPECT_EQ(documentCallError([&] { oldDocument->form("box"); }),
              "NamedItem(\"box\"): the document was replaced by another page");
    EXPECT_EQ(documentCallError([&] { oldForm->element("q"); }),
              "NamedItem(\"q\"): the document was replaced by another page");
    EXPECT_EQ(documentCallError([&] { oldField->setValue("x"); }), "Value: the document was replaced by another page");
    EXPECT_EQ(documentCallError([&] { oldForm->submit(); }), "Submit: the document was replaced by another page");
    EXPECT_EQ(runInPage("document.getElementById('box').elements.q.value").toString(), QString());
    // The new page's own objects work; two Document() calls of one page
    // give the same document.
    auto first = browser->Document();
    auto firstField = first->form("box")->element("q");
    browser->Document()->form("box")->element("q")->setValue("same page");
    firstField->setValue("same document");
    EXPECT_EQ(runInPage("document.getElementById('box').elements.q.value").toString(), QString("same document"));
}

TEST_F(BrowserControlTest, LinksComeInDocumentOrderAbsoluteAndWithTheirShownText)
{
    serve("/dir/links.html",
          page("Links", "<p><a href=\"../rel/one.html\">One</a> <a name=\"mark\">not a link</a>\n"
                        "<a href=\"http://example.org/abs\">Absolute</a></p>\n"
                        "<map name=\"m\"><area shape=\"rect\" coords=\"0,0,9,9\" href=\"area.html\" alt=\"Area "
                        " text\"></map>\n"
                        "<img usemap=\"#m\" width=\"10\" height=\"10\" alt=\"\">\n"
                        "<div class=\"results\"><a href=\"#part\">  Place<br>in   <b>the</b>\n\tpage </a>\n"
                        "<a href=\"javascript:void(0)\">Script</a> <span>no link</span></div>\n"
                        "<a class=\"results\" href=\"/up/two.html?x=1&amp;y=2\">Second</a>\n"
                        "<a href=\"hidden.html\" style=\"display:none\"> Hidden\n   link </a>\n"));
    serve("/other.html", page("Other", "<a href=\"/x\">x</a>"));
    const std::string url = server.url("/dir/links.html");
    ASSERT_TRUE(load(url));
    auto document = browser->Document();
    using browserctl::PageLink;
    const PageLink part{url + "#part", "Place in the page"};
    const PageLink script{"javascript:void(0)", "Script"};
    const PageLink second{server.url("/up/two.html?x=1&y=2"), "Second"};

    EXPECT_EQ(document->links(""), (std::vector<PageLink>{{server.url("/rel/one.html"), "One"},
                                                          {"http://example.org/abs", "Absolute"},
                                                          {server.url("/dir/area.html"), "Area text"},
                                                          part,
                                                          script,
                                                          second,
                                                          {server.url("/dir/hidden.html"), "Hidden link"}}));
    // The selected elements' links and a selected link itself, each once
    // though the selector also picks elements inside them.
    EXPECT_EQ(document->links(".results, .results *"), (std::vector<PageLink>{part, script, second}));
    EXPECT_EQ(document->links("table"), std::vector<PageLink>{});
    EXPECT_EQ(documentCallError([&] { document->links("a["); }), "Links(\"a[\"): the selector is not valid");

    ASSERT_TRUE(load(server.url("/other.html")));
    EXPECT_EQ(documentCallError([&] { document->links(""); }),
              "Links(\"\"): the document was replaced by another page");
}

TEST_F(BrowserControlTest, LinksOfAFloodingPageAreBoundedAndItsScriptsCannotDisturbThem)
{
    serve("/flood.html", page("Flood", "<div id=\"flood\"></div>\n"
                                       "<script>\n"
                                       "var box = document.getElementById('flood');\n"
                                       "function add(href, text) {\n"
                                       "  var a = document.createElement('a');\n"
                                       "  a.href = href; a.textContent = text; box.appendChild(a);\n"
                                       "}\n"
                                       "add('/long-text', 'x'.repeat(999) + '\\u{1F600}' + 'x'.repeat(500));\n"
                                       "add('/long/' + 'y'.repeat(9000), 'too long an address');\n"
                                       "for (var i = 0; i < 1100; ++i) add('/n/' + i, 'n ' + i);\n"
                                       "Document.prototype.querySelectorAll = function () { return []; };\n"
                                       "Element.prototype.querySelectorAll = function () { return []; };\n"
                                       "Object.defineProperty(HTMLAnchorElement.prototype, 'href',\n"
                                       "  { get: function () { return 'http://elsewhere.example/'; } });\n"
                                       "Object.defineProperty(HTMLElement.prototype, 'innerText',\n"
                                       "  { get: function () { return 'replaced'; } });\n"
                                       "String.prototype.trim = function () { return 'replaced'; };\n"
                                       "</script>\n"));
    ASSERT_TRUE(load(server.url("/flood.html")));

    const auto links = browser->Document()->links("#flood");

    ASSERT_EQ(links.size(), 1000u);
    // A long text is cut after 1000 characters, never inside one.
    EXPECT_EQ(links[0], (browserctl::PageLink{server.url("/long-text"), std::string(999, 'x') + "\xF0\x9F\x98\x80"}));
    // The address too long to carry is left out, not cut.
    EXPECT_EQ(links[1], (browserctl::PageLink{server.url("/n/0"), "n 0"}));
    EXPECT_EQ(links.back(), (browserctl::PageLink{server.url("/n/998"), "n 998"}));
}

TEST_F(BrowserControlTest, BusyPageGivesUpAfterTheTimeout)
{
    serve("/search.html", searchPage("id=\"box\"", "/result"));
    ASSERT_TRUE(load(server.url("/search.html")));
    const auto savedTimeout = QtWebBrowser::documentCallTimeout();
    QtWebBrowser::setDocumentCallTimeout(300ms);

    // Keeps the renderer busy far longer than the timeout; our call is
    // queued behind it.
    browser->page()->runJavaScript(QStringLiteral("var end = Date.now() + 4000; while (Date.now() < end) {}"),
                                   QWebEngineScript::MainWorld);
    const std::string error = documentCallError([&] { browser->Document(); });
    QtWebBrowser::setDocumentCallTimeout(savedTimeout);

    EXPECT_EQ(error, "Document: the page did not answer");
    // Once the page is free again, calls work (and the late answer of the
    // abandoned call is harmless).
    ASSERT_TRUE(spinUntil([&] {
        try {
            browser->Document()->form("box")->element("q")->setValue("later");
            return true;
        } catch (const DocumentCallError&) {
            return false;
        }
    }));
    EXPECT_EQ(runInPage("document.getElementById('box').elements.q.value").toString(), QString("later"));
}

// ---------------------------------------------------------------------------
// Lifecycle

TEST_F(BrowserControlTest, DiscardedPageKeepsItsPlaceAndReloadsForItsDocument)
{
    // The page is still loading when the window asks: the discard waits for
    // the load to end.
    std::atomic<bool> release{false};
    const std::string body = searchPage("id=\"box\"", "/keep/result") + "<iframe src=\"/keep/side.html\"></iframe>\n";
    server.handle("/keep/index.html", [&](const HttpRequest&) {
        while (!release)
            std::this_thread::sleep_for(5ms);
        return HttpResponse::html(body);
    });
    serve("/keep/side.html", page("Side", "side"));
    const std::string url = server.url("/keep/index.html");
    const std::string frame = server.url("/keep/side.html");
    browser->Navigate(url);
    ASSERT_TRUE(spinUntil([&] { return server.hits("/keep/index.html") == 1; }));

    browser->setLifecycle(browserctl::Lifecycle::Discarded);
    EXPECT_EQ(browser->lifecycle(), browserctl::Lifecycle::Active);
    release = true;
    ASSERT_TRUE(waitForCompleteOf("/keep/index.html"));
    ASSERT_TRUE(spinUntil([&] { return browser->lifecycle() == browserctl::Lifecycle::Discarded; }));

    EXPECT_EQ(browser->LocationURL(), url);
    EXPECT_EQ(browser->LocationName(), "Search");
    EXPECT_EQ(browser->LocationStatus(), 200);
    // A discarded page cannot be frozen; it stays discarded.
    browser->setLifecycle(browserctl::Lifecycle::Frozen);
    EXPECT_EQ(browser->lifecycle(), browserctl::Lifecycle::Discarded);
    EXPECT_EQ(server.hits("/keep/index.html"), 1);

    log.entries.clear();
    auto form = browser->Document()->form("box");
    EXPECT_EQ(browser->lifecycle(), browserctl::Lifecycle::Active);
    EXPECT_EQ(server.hits("/keep/index.html"), 2);
    form->element("q")->setValue("after reload");
    form->submit();
    ASSERT_TRUE(waitForCompleteOf("/keep/result?"));
    EXPECT_EQ(browser->LocationName(), "Result: after reload");
    // The reload told the window as any load does, before the result page.
    ASSERT_GE(log.entries.size(), 4u) << log.text();
    EXPECT_EQ(std::vector<std::string>(log.entries.begin(), log.entries.begin() + 4),
              (std::vector<std::string>{"before " + url, "before " + frame, "complete " + frame, "complete " + url}))
        << log.text();
}

TEST_F(BrowserControlTest, FrozenPageStaysAsItIsAndItsDocumentWorksWhenActive)
{
    // Fetches in a chain, without timers (a hidden page's timers are held
    // back to one a second anyway).
    serve("/still.html", searchPage("id=\"box\"", "/result") +
                             "<script>(function next() { fetch('/tick').then(next, next); })();</script>\n");
    server.handle("/tick", [](const HttpRequest&) {
        std::this_thread::sleep_for(10ms);
        return HttpResponse::text("tick");
    });
    ASSERT_TRUE(load(server.url("/still.html")));
    ASSERT_TRUE(spinUntil([&] { return server.hits("/tick") >= 2; }));
    browser->Document()->form("box")->element("q")->setValue("typed before");

    browser->setLifecycle(browserctl::Lifecycle::Frozen);
    ASSERT_EQ(browser->lifecycle(), browserctl::Lifecycle::Frozen);
    const int ticks = server.hits("/tick");
    // Long enough for a running page to fetch a dozen times.
    spinUntil([] { return false; }, 500ms);
    // One fetch may have been on its way.
    EXPECT_LE(server.hits("/tick"), ticks + 1);
    EXPECT_EQ(browser->LocationURL(), server.url("/still.html"));
    EXPECT_EQ(browser->LocationName(), "Search");

    browser->setLifecycle(browserctl::Lifecycle::Active);
    EXPECT_EQ(browser->lifecycle(), browserctl::Lifecycle::Active);
    EXPECT_TRUE(spinUntil([&] { return server.hits("/tick") > ticks + 2; }));
    EXPECT_EQ(runInPage("document.getElementById('box').elements.q.value").toString(), QString("typed before"));

    // A document call wakes a frozen page by itself; the page is the same.
    browser->setLifecycle(browserctl::Lifecycle::Frozen);
    ASSERT_EQ(browser->lifecycle(), browserctl::Lifecycle::Frozen);
    auto form = browser->Document()->form("box");
    EXPECT_EQ(browser->lifecycle(), browserctl::Lifecycle::Active);
    form->element("q")->setValue("typed after");
    EXPECT_EQ(runInPage("document.getElementById('box').elements.q.value").toString(), QString("typed after"));
    EXPECT_EQ(server.hits("/still.html"), 1);
}

TEST_F(BrowserControlTest, ShownTabComesBackAndAHiddenOneTakesTheStateItWasAskedFor)
{
    serve("/tab.html", page("Tab page", "<iframe src=\"/tab-frame.html\"></iframe>"));
    serve("/tab-frame.html", page("Frame", "frame"));
    serve("/front.html", page("Front", "front"));
    const std::string url = server.url("/tab.html");
    QTabWidget window;
    window.resize(800, 600);
    window.show();
    QtWebBrowser front;
    window.addTab(front.widget(), "1");
    window.addTab(browser->widget(), "2");
    front.Navigate(server.url("/front.html"));
    ASSERT_TRUE(load(url));
    ASSERT_TRUE(spinUntil([&] { return front.LocationName() == "Front"; }));

    browser->setLifecycle(browserctl::Lifecycle::Discarded);
    ASSERT_EQ(browser->lifecycle(), browserctl::Lifecycle::Discarded);
    // The engine keeps a shown page active; the wish waits until it hides.
    front.setLifecycle(browserctl::Lifecycle::Frozen);
    EXPECT_EQ(front.lifecycle(), browserctl::Lifecycle::Active);

    log.entries.clear();
    window.setCurrentIndex(1);

    EXPECT_TRUE(spinUntil([&] { return browser->lifecycle() == browserctl::Lifecycle::Active; }));
    ASSERT_TRUE(waitForCompleteOf("/tab.html"));
    EXPECT_EQ(server.hits("/tab.html"), 2);
    EXPECT_EQ(log.count("complete " + server.url("/tab-frame.html")), 1) << log.text();
    EXPECT_EQ(browser->LocationName(), "Tab page");
    EXPECT_TRUE(spinUntil([&] { return front.lifecycle() == browserctl::Lifecycle::Frozen; }));
    EXPECT_EQ(front.LocationName(), "Front");

    window.removeTab(1);
    browser->widget()->setParent(nullptr);
}

// ---------------------------------------------------------------------------
// History

TEST_F(BrowserControlTest, GoBackAndGoForwardReturnToThePagesWithEvents)
{
    serve("/a.html", page("Page A", "a"));
    serve("/b.html", page("Page B", "b"));
    const std::string a = server.url("/a.html");
    const std::string b = server.url("/b.html");
    ASSERT_TRUE(load(a));
    ASSERT_TRUE(load(b));

    ASSERT_TRUE(loadWith([&] { browser->GoBack(); }, a));
    EXPECT_EQ(browser->LocationURL(), a);
    EXPECT_EQ(browser->LocationName(), "Page A");
    EXPECT_EQ(log.count("before " + a), 2) << log.text();

    ASSERT_TRUE(loadWith([&] { browser->GoForward(); }, b));
    EXPECT_EQ(browser->LocationURL(), b);
    EXPECT_EQ(browser->LocationName(), "Page B");
    EXPECT_EQ(log.count("before " + b), 2) << log.text();

    // A step in the history wakes a page that was put to rest.
    browser->setLifecycle(browserctl::Lifecycle::Frozen);
    ASSERT_TRUE(loadWith([&] { browser->GoBack(); }, a));
    browser->setLifecycle(browserctl::Lifecycle::Discarded);
    ASSERT_TRUE(loadWith([&] { browser->GoForward(); }, b));
    EXPECT_EQ(browser->lifecycle(), browserctl::Lifecycle::Active);
    EXPECT_EQ(browser->LocationName(), "Page B");
}

TEST_F(BrowserControlTest, Refresh2FetchesThePageAgainAndCompletesAgain)
{
    std::atomic<int> served{0};
    server.handle("/counter.html", [&](const HttpRequest&) {
        return HttpResponse::html(page("Visit " + std::to_string(++served), "counter"));
    });
    const std::string url = server.url("/counter.html");
    ASSERT_TRUE(load(url));
    EXPECT_EQ(browser->LocationName(), "Visit 1");

    ASSERT_TRUE(loadWith([&] { browser->Refresh2(); }, url));

    EXPECT_EQ(log.count("complete " + url), 2);
    EXPECT_EQ(server.hits("/counter.html"), 2);
    EXPECT_EQ(browser->LocationName(), "Visit 2");
    EXPECT_EQ(browser->LocationURL(), url);
}

// ---------------------------------------------------------------------------
// The loopback server, through raw sockets

struct RawResponse {
    int status = 0;
    std::string head;
    std::string body;
    std::string header(const std::string& name) const
    {
        const std::string key = "\r\n" + name + ": ";
        const size_t at = head.find(key);
        if (at == std::string::npos)
            return {};
        const size_t start = at + key.size();
        return head.substr(start, head.find("\r\n", start) - start);
    }
};

RawResponse rawRequest(std::uint16_t port, const std::string& request)
{
    RawResponse response;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return response;
    }
    size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<size_t>(n);
    }
    // Like a client that sent its whole request: the server sees the end.
    ::shutdown(fd, SHUT_WR);
    std::string data;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        data.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    const size_t end = data.find("\r\n\r\n");
    if (data.rfind("HTTP/1.1 ", 0) != 0 || end == std::string::npos)
        return response;
    response.status = std::stoi(data.substr(9, 3));
    response.head = data.substr(0, end + 2);
    response.body = data.substr(end + 4);
    return response;
}

RawResponse get(std::uint16_t port, const std::string& target)
{
    return rawRequest(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

class LoopbackServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::writeRaw(site / "index.html", "<html>home</html>");
        testsupport::writeRaw(site / "USA" / "index.html", "<html>usa</html>");
        testsupport::writeRaw(site / "USA" / "Hlp.INI", "[Help]\r\nA=1\r\n");
        testsupport::writeRaw(site / "USA" / "notes.txt", "notes");
        testsupport::writeRaw(site / "USA" / "tree.tvf", "tree");
        testsupport::writeRaw(site / "USA" / "logo.png", "\x89PNG");
        testsupport::writeRaw(site / "fixed" / "result.html", "<html>a file wins</html>");
        testsupport::writeRaw(outside / "secret.txt", "secret");
        server.start();
    }

    testsupport::TempDir outside;
    testsupport::TempDir siteRoot;
    std::filesystem::path site = siteRoot.path() / "site";
    HttpServer server{site};
};

TEST_F(LoopbackServerTest, ServesFilesWithTheirContentTypes)
{
    const auto ini = get(server.port(), "/USA/Hlp.INI");
    EXPECT_EQ(ini.status, 200);
    EXPECT_EQ(ini.body, "[Help]\r\nA=1\r\n");
    EXPECT_EQ(ini.header("Content-Type"), "text/plain; charset=utf-8");
    EXPECT_EQ(ini.header("Content-Length"), "13");
    EXPECT_EQ(ini.header("Connection"), "close");
    EXPECT_EQ(get(server.port(), "/USA/notes.txt").header("Content-Type"), "text/plain; charset=utf-8");
    EXPECT_EQ(get(server.port(), "/USA/tree.tvf").header("Content-Type"), "text/plain; charset=utf-8");
    EXPECT_EQ(get(server.port(), "/USA/logo.png").header("Content-Type"), "image/png");

    const auto folder = get(server.port(), "/USA/");
    EXPECT_EQ(folder.status, 200);
    EXPECT_EQ(folder.body, "<html>usa</html>");
    EXPECT_EQ(folder.header("Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(get(server.port(), "/").body, "<html>home</html>");
    const auto bare = get(server.port(), "/USA");
    EXPECT_EQ(bare.status, 302);
    EXPECT_EQ(bare.header("Location"), "/USA/");

    const auto head = rawRequest(server.port(), "HEAD /USA/notes.txt HTTP/1.0\r\n\r\n");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.header("Content-Length"), "5");
    EXPECT_EQ(head.body, "");
    EXPECT_EQ(server.hits("/USA/notes.txt"), 2);
}

TEST_F(LoopbackServerTest, AnswersMissingAndOutsidePathsWithErrors)
{
    EXPECT_EQ(get(server.port(), "/USA/none.html").status, 404);
    EXPECT_EQ(get(server.port(), "/USA/notes.txt/").status, 404);
    const std::string escape = "/../" + outside.path().filename().string() + "/secret.txt";
    EXPECT_EQ(get(server.port(), escape).status, 403);
    EXPECT_EQ(get(server.port(), "/USA/%2e%2e/%2e%2e/" + outside.path().filename().string() + "/secret.txt").status,
              403);
    EXPECT_EQ(rawRequest(server.port(), "DELETE /USA/notes.txt HTTP/1.1\r\n\r\n").status, 405);
}

TEST_F(LoopbackServerTest, RejectsMalformedAndOversizedRequests)
{
    EXPECT_EQ(rawRequest(server.port(), "GARBAGE\r\n\r\n").status, 400);
    EXPECT_EQ(rawRequest(server.port(), "GET /index.html HTTP/2.0\r\n\r\n").status, 400);
    EXPECT_EQ(rawRequest(server.port(), "GET index.html HTTP/1.1\r\n\r\n").status, 400);
    EXPECT_EQ(rawRequest(server.port(), "GET /index.html HTTP/1.1\r\nNo colon here\r\n\r\n").status, 400);
    EXPECT_EQ(rawRequest(server.port(), "POST /x HTTP/1.1\r\nContent-Length: 12x\r\n\r\n").status, 400);
    EXPECT_EQ(
        rawRequest(server.port(), "GET /index.html HTTP/1.1\r\nX-Big: " + std::string(70 * 1024, 'a') + "\r\n\r\n")
            .status,
        431);
    EXPECT_EQ(rawRequest(server.port(), "POST /x HTTP/1.1\r\nContent-Length: 99999999\r\n\r\n").status, 413);
    // A cut-off request gets an answer too; the server goes on serving.
    EXPECT_EQ(rawRequest(server.port(), "GET /index.html HTT").status, 400);
    EXPECT_EQ(get(server.port(), "/index.html").status, 200);
}

TEST_F(LoopbackServerTest, SearchResultPagesEchoTheQueryEscaped)
{
    const auto result = get(server.port(), "/USA/result?q=%3Cb%3E+%26+%E6%97%A5&cx=1");
    EXPECT_EQ(result.status, 200);
    EXPECT_NE(result.body.find("<title>Result: &lt;b&gt; &amp; \xE6\x97\xA5</title>"), std::string::npos)
        << result.body;
    EXPECT_EQ(result.body.find("<b>"), std::string::npos);

    const auto html = get(server.port(), "/any/where/result.html?q=plain");
    EXPECT_NE(html.body.find("<title>Result: plain</title>"), std::string::npos) << html.body;
    EXPECT_EQ(get(server.port(), "/fixed/result.html?q=x").body, "<html>a file wins</html>");
    EXPECT_EQ(get(server.port(), "/USA/results?q=x").status, 404);

    server.setSearchResults(false);
    EXPECT_EQ(get(server.port(), "/USA/result?q=x").status, 404);
}

TEST_F(LoopbackServerTest, HandlersSeeTheDecodedRequest)
{
    HttpRequest seen;
    std::mutex mutex;
    server.handle("/echo path", [&](const HttpRequest& request) {
        std::lock_guard lock(mutex);
        seen = request;
        HttpResponse response = HttpResponse::text("echo");
        response.headers.emplace_back("X-Extra", "yes");
        return response;
    });

    const std::string body = "word=a+b%21&word=second&empty=";
    const auto response = rawRequest(server.port(), "POST /echo%20path?q=%E6%97%A5+x HTTP/1.1\r\n"
                                                    "Host: 127.0.0.1\r\nX-Custom-Header: Value 1\r\n"
                                                    "Content-Type: application/x-www-form-urlencoded\r\n"
                                                    "Content-Length: " +
                                                        std::to_string(body.size()) + "\r\n\r\n" + body);

    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, "echo");
    EXPECT_EQ(response.header("X-Extra"), "yes");
    std::lock_guard lock(mutex);
    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.path, "/echo path");
    EXPECT_EQ(seen.query, "q=%E6%97%A5+x");
    EXPECT_EQ(seen.param("q"), "\xE6\x97\xA5 x");
    EXPECT_EQ(seen.param("word"), "a b!");
    EXPECT_TRUE(seen.hasParam("empty"));
    EXPECT_FALSE(seen.hasParam("missing"));
    EXPECT_EQ(seen.header("x-custom-header"), "Value 1");
    EXPECT_EQ(seen.body, body);
}

TEST_F(LoopbackServerTest, ServesManyClientsAtOnceAndStopsCleanly)
{
    std::atomic<int> ok{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < 40; ++i)
        clients.emplace_back([&] {
            if (get(server.port(), "/USA/notes.txt").body == "notes")
                ++ok;
        });
    for (auto& client : clients)
        client.join();
    EXPECT_EQ(ok.load(), 40);

    const std::uint16_t port = server.port();
    server.stop();
    EXPECT_FALSE(server.running());
    EXPECT_EQ(get(port, "/index.html").status, 0);
    server.stop(); // twice is fine
    server.start(port);
    EXPECT_EQ(server.port(), port);
    EXPECT_EQ(get(port, "/index.html").body, "<html>home</html>");
    EXPECT_EQ(server.url("x.html"), "http://127.0.0.1:" + std::to_string(port) + "/x.html");
}

} // namespace
