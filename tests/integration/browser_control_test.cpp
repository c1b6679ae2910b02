// The QtWebEngine browser against pages of the loopback server: events,
// document calls, lifecycle, history.

#include "browserctl/qt_web_browser.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTabWidget>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>

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

#include "browser_test_support.h"
#include "framework/application.h"
#include "http_server.h"
#include "ui/qt_services.h"

using browserctl::DocumentCallError;
using browserctl::QtWebBrowser;
using testsupport::HttpRequest;
using testsupport::HttpResponse;
using testsupport::HttpServer;
using namespace browsertest;

namespace {

class BrowserControlTest : public BrowserTest {};

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

} // namespace
