// The QtWebEngine browser against pages built like real sites: search forms
// without names, POST forms, results drawn late, result lists among a
// page's navigation, and what a block check reads.

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "browser_test_support.h"

using namespace browsertest;
using browserctl::BlockCheckText;
using browserctl::FormSubmission;
using browserctl::PageLink;

namespace {

class BrowserSitesTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        browser->DocumentSettled.connect([this](const std::string& url) { settled.push_back(url); });
    }

    // The search form the page offers, as "description (named|found)".
    std::string chosen(const std::string& formName, const std::string& inputName)
    {
        try {
            const auto found = browser->Document()->searchForm(formName, inputName);
            return found.description + (found.named ? " (named)" : " (found)");
        } catch (const DocumentCallError& error) {
            return error.what();
        }
    }

    std::vector<PageLink> resultLinksOf(const std::string& path, const std::string& body)
    {
        serve(path, page("Results", body));
        EXPECT_TRUE(load(server.url(path)));
        return browser->Document()->resultLinks("");
    }

    // Arms a settle watch and waits for its event.
    ::testing::AssertionResult settle(int quietMs, const std::string& selector = "")
    {
        const size_t before = settled.size();
        browser->watchSettle(quietMs, selector);
        if (spinUntil([&] { return settled.size() > before; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the page did not settle";
    }

    std::vector<std::string> settled;
};

// ---------------------------------------------------------------------------
// Search forms

TEST_F(BrowserSitesTest, SearchFormWithoutIdOrNameIsFoundFilledAndSubmitted)
{
    server.handle("/docs/search", testsupport::searchResultPage);
    serve("/docs/index.html", page("Docs", "<form action=\"/docs/search\" method=\"get\">\n"
                                           "<input type=\"text\" name=\"q\">\n"
                                           "<input type=\"hidden\" name=\"area\" value=\"default\"></form>\n"));
    ASSERT_TRUE(load(server.url("/docs/index.html")));

    auto found = browser->Document()->searchForm("", "");
    EXPECT_EQ(found.description, "form[action=\"/docs/search\"], field q");
    EXPECT_FALSE(found.named);
    found.field->setValue("theme word");
    found.form->submit();

    ASSERT_TRUE(waitForCompleteOf("/docs/search?"));
    EXPECT_EQ(browser->LocationName(), "Result: theme word");
    EXPECT_NE(browser->LocationURL().find("area=default"), std::string::npos) << browser->LocationURL();

    // Without action, id or name a form is told by its place; its field
    // likewise.
    serve("/bare.html", page("Bare", "<form><input type=\"password\" name=\"pw\"></form>"
                                     "<form><input type=\"search\"></form>"));
    ASSERT_TRUE(load(server.url("/bare.html")));
    EXPECT_EQ(chosen("", ""), "form 2 of 2, text field 1 (found)");
}

TEST_F(BrowserSitesTest, SearchFormIsTheNamedOneElseTheMostTellingField)
{
    const std::string plain = "<form id=\"plain\" action=\"/result\"><input type=\"text\" name=\"q\"></form>\n";
    const std::string landmark =
        "<div role=\"search\"><form id=\"landmark\" action=\"/result\"><input type=\"text\" name=\"x\"></form></div>\n";
    const std::string typed = "<form id=\"typed\" action=\"/result\"><input type=\"search\" name=\"term\"></form>\n";
    serve("/all.html", page("All", plain + landmark + typed));
    serve("/no-typed.html", page("No type", plain + landmark));
    serve("/names.html", page("Names", "<form id=\"first\"><input type=\"text\" name=\"term\"></form>"
                                       "<form id=\"second\"><input type=\"text\" name=\"q\"></form>"));

    ASSERT_TRUE(load(server.url("/all.html")));
    EXPECT_EQ(chosen("", ""), "#typed, field term (found)");
    // The site's own names come first when the page has that form.
    EXPECT_EQ(chosen("plain", "q"), "#plain, field q (named)");
    EXPECT_EQ(chosen("cse-search-box", "q"), "#typed, field term (found)");

    ASSERT_TRUE(load(server.url("/no-typed.html")));
    EXPECT_EQ(chosen("", "q"), "#landmark, field x (found)");

    ASSERT_TRUE(load(server.url("/names.html")));
    EXPECT_EQ(chosen("", ""), "#second, field q (found)");
    EXPECT_EQ(chosen("", "term"), "#first, field term (found)");
}

TEST_F(BrowserSitesTest, LoginCommentHiddenAndDisabledFieldsAreNeverTheSearch)
{
    const std::string login =
        "<form id=\"login\"><input type=\"text\" name=\"q\"><input type=\"password\" name=\"pw\"></form>\n";
    const std::string comment =
        "<form id=\"comment\"><input type=\"search\" name=\"s\"><textarea name=\"c\"></textarea></form>\n";
    serve("/crowded.html", page("Crowded", login + comment +
                                               "<form id=\"hidden\"><input type=\"search\" name=\"q\" "
                                               "style=\"display:none\"></form>\n"
                                               "<form id=\"off\"><input type=\"search\" name=\"q\" disabled></form>\n"
                                               "<form id=\"site\"><input type=\"text\" name=\"query\"></form>\n"));
    serve("/accounts.html", page("Accounts", login + comment));

    ASSERT_TRUE(load(server.url("/crowded.html")));
    EXPECT_EQ(chosen("", ""), "#site, field query (found)");

    ASSERT_TRUE(load(server.url("/accounts.html")));
    EXPECT_EQ(chosen("", "q"), "no search form found on " + server.url("/accounts.html"));
}

TEST_F(BrowserSitesTest, FoundFormRefusesAReplacedPageAndOneTakenAway)
{
    const std::string body = "<form action=\"/result\"><input type=\"text\" name=\"q\"></form>";
    serve("/one.html", page("One", body));
    serve("/two.html", page("Two", body));
    ASSERT_TRUE(load(server.url("/one.html")));
    auto found = browser->Document()->searchForm("", "");
    auto field = found.form->element("q");

    runInPage("document.forms[0].remove(); true");
    EXPECT_EQ(documentCallError([&] { found.field->setValue("x"); }),
              "Value: the form or field found before is no longer on the page");
    EXPECT_EQ(documentCallError([&] { found.form->submit(); }),
              "Submit: the form or field found before is no longer on the page");

    ASSERT_TRUE(load(server.url("/two.html")));
    EXPECT_EQ(documentCallError([&] { found.field->setValue("x"); }),
              "Value: the document was replaced by another page");
    EXPECT_EQ(documentCallError([&] { field->setValue("x"); }), "Value: the document was replaced by another page");
    EXPECT_EQ(runInPage("document.forms[0].q.value").toString(), QString());
}

// ---------------------------------------------------------------------------
// Submissions

TEST_F(BrowserSitesTest, SubmissionIsWhatTheBrowserSendsAndGoesAgainTheSameWay)
{
    std::mutex mutex;
    std::vector<std::string> posted;
    server.handle("/post/result", [&](const HttpRequest& request) {
        std::lock_guard lock(mutex);
        posted.push_back(request.method + " " + request.body);
        return testsupport::searchResultPage(request);
    });
    // A page in Shift_JIS sends its fields in Shift_JIS.
    server.handle("/post/index.html", [](const HttpRequest&) {
        HttpResponse response = HttpResponse::html(
            "<html><head><title>Post</title></head><body>"
            "<form method=\"post\" action=\"result\"><input type=\"text\" name=\"q\">"
            "<input type=\"hidden\" name=\"cx\" value=\"site\"><input type=\"submit\" name=\"go\" value=\"Go\">"
            "</form></body></html>");
        response.contentType = "text/html; charset=Shift_JIS";
        return response;
    });
    serve("/get.html", searchPage("id=\"box\"", "/result"));
    const std::string word = "\xE6\x97\xA5\xE6\x9C\xAC word";
    ASSERT_TRUE(load(server.url("/post/index.html")));

    auto found = browser->Document()->searchForm("", "");
    found.field->setValue(word);
    const FormSubmission submission = found.form->submission();
    found.form->submit();
    ASSERT_TRUE(waitForCompleteOf("/post/result"));

    EXPECT_EQ(submission.method, "POST");
    EXPECT_EQ(submission.action, server.url("/post/result"));
    EXPECT_EQ(submission.charset, "Shift_JIS");
    EXPECT_EQ(submission.fields, (std::vector<std::pair<std::string, std::string>>{{"q", word}, {"cx", "site"}}));

    // Sent again from another page, the server sees the same request.
    ASSERT_TRUE(load(server.url("/get.html")));
    ASSERT_TRUE(loadWith([&] { browser->navigateSubmission(submission); }, server.url("/post/result")));
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(posted.size(), 2u);
        EXPECT_EQ(posted[0], "POST q=%93%FA%96%7B+word&cx=site");
        EXPECT_EQ(posted[1], posted[0]);
    }

    // A GET submission goes to the address the browser's own submit made.
    ASSERT_TRUE(load(server.url("/get.html")));
    auto form = browser->Document()->form("box");
    form->element("q")->setValue("alpha & beta");
    const FormSubmission get = form->submission();
    EXPECT_EQ(get.method, "GET");
    form->submit();
    ASSERT_TRUE(waitForCompleteOf("/result?"));
    const std::string address = browser->LocationURL();
    EXPECT_EQ(browserctl::submissionAddress(get), address);
    ASSERT_TRUE(load(server.url("/get.html")));
    ASSERT_TRUE(loadWith([&] { browser->navigateSubmission(get); }, address));
    EXPECT_EQ(browser->LocationName(), "Result: alpha & beta");
}

// ---------------------------------------------------------------------------
// Settling

TEST_F(BrowserSitesTest, ResultsDrawnAfterTheLoadAreWholeOnceThePageSettles)
{
    const std::string list = "<ol id=\"results\"></ol><script>\n"
                             "function draw() {\n"
                             "  for (const name of ['First', 'Second']) {\n"
                             "    const item = document.createElement('li');\n"
                             "    item.innerHTML = '<a href=\"http://example.org/' + name + '\">' + name +\n"
                             "        ' result</a> with a snippet long enough to read';\n"
                             "    document.getElementById('results').appendChild(item);\n"
                             "  }\n"
                             "}\n";
    serve("/late.html", page("Late", list + "addEventListener('load', () => setTimeout(draw, 300));</script>"));
    // The data comes 1.2 s after the load, the list 300 ms after that: a
    // quiet time of 500 ms passes while the request is out.
    server.handle("/data", [](const HttpRequest&) {
        std::this_thread::sleep_for(1200ms);
        return HttpResponse::text("data");
    });
    serve("/fetched.html", page("Fetched", list + "addEventListener('load', () => fetch('/data')"
                                                  ".then(r => r.text()).then(() => setTimeout(draw, 300)));</script>"));
    const std::vector<PageLink> both{{"http://example.org/First", "First result"},
                                     {"http://example.org/Second", "Second result"}};

    ASSERT_TRUE(load(server.url("/late.html")));
    EXPECT_EQ(browser->Document()->resultLinks(""), std::vector<PageLink>{});
    ASSERT_TRUE(settle(500));
    EXPECT_EQ(settled.back(), server.url("/late.html"));
    EXPECT_EQ(browser->Document()->resultLinks(""), both);

    ASSERT_TRUE(load(server.url("/fetched.html")));
    ASSERT_TRUE(settle(500));
    EXPECT_EQ(browser->Document()->resultLinks(""), both);

    // A selector that matches ends the wait at once, whatever the quiet
    // time.
    ASSERT_TRUE(load(server.url("/late.html")));
    ASSERT_TRUE(settle(600000, "#results li"));
    EXPECT_EQ(browser->Document()->resultLinks("#results li").size(), 2u);

    // So does a page where nothing can run: it cannot change after its load.
    serve("/static.html", page("Static", "<ol><li><a href=\"http://example.org/a\">A</a></li></ol>"));
    ASSERT_TRUE(load(server.url("/static.html")));
    ASSERT_TRUE(settle(600000));
    // A handler attribute can: that page waits.
    serve("/handler.html", page("Handler", "<img src=\"/none.png\" onerror=\"this.alt='x'\">"));
    ASSERT_TRUE(load(server.url("/handler.html")));
    const size_t before = settled.size();
    browser->watchSettle(600000, "");
    EXPECT_FALSE(spinUntil([&] { return settled.size() > before; }, 1s));
}

TEST_F(BrowserSitesTest, ANavigationEndsTheWatchOfThePageBefore)
{
    serve("/first.html", page("First", "first<script>let first = 1;</script>"));
    serve("/second.html", page("Second", "second"));
    ASSERT_TRUE(load(server.url("/first.html")));
    browser->watchSettle(200, "");
    ASSERT_TRUE(load(server.url("/second.html")));
    ASSERT_TRUE(settle(200));
    // The event of the second watch came; the first never will.
    EXPECT_EQ(settled, std::vector<std::string>{server.url("/second.html")});
}

// ---------------------------------------------------------------------------
// Result lists

TEST_F(BrowserSitesTest, ResultListIsFoundByItsStructureOnCommonPages)
{
    const std::string header = "<header><a href=\"/\">Home</a> <a href=\"/about\">About us</a></header>\n"
                               "<nav><ul><li><a href=\"/news\">News</a></li><li><a href=\"/help\">Help</a></li>"
                               "<li><a href=\"/faq\">FAQ</a></li></ul></nav>\n";
    const std::string footer =
        "<footer><ul><li><a href=\"/license\">Licence</a></li><li><a href=\"/donate\">Donate</a></li>"
        "<li><a href=\"http://validator.example/check\">Valid HTML</a></li></ul></footer>\n";
    const std::string snippet = " a snippet of the page that goes on for a while";
    auto own = [&](const std::string& path, const std::string& text) { return PageLink{server.url(path), text}; };

    // An ordered list, with a numbering before each link.
    EXPECT_EQ(resultLinksOf("/ol.html", header +
                                            "<main><p>3 results</p><ol>"
                                            "<li>1. <a href=\"http://a.example/1\">Alpha one</a>" +
                                            snippet + "</li><li>2. <a href=\"http://a.example/2\">Alpha two</a>" +
                                            snippet + "</li><li>3. <a href=\"/local/3\">Alpha three</a>" + snippet +
                                            "</li></ol></main>" + footer),
              (std::vector<PageLink>{{"http://a.example/1", "Alpha one"},
                                     {"http://a.example/2", "Alpha two"},
                                     own("/local/3", "Alpha three")}));

    // Blocks with a heading link, a snippet and "cached" and "similar"
    // links, beside a longer list of related searches.
    std::string blocks = "<div id=\"res\">";
    for (const char* n : {"1", "2", "3"})
        blocks += std::string("<div class=\"g\"><h3><a href=\"http://b.example/") + n + "\">Bravo " + n +
                  "</a></h3><span>" + snippet + "</span> <a href=\"http://cache.example/" + n +
                  "\">Cached</a> <a href=\"/similar?" + n + "\">Similar</a></div>";
    blocks += "</div><ul class=\"related\">";
    for (const char* n : {"1", "2", "3", "4", "5"})
        blocks += std::string("<li><a href=\"/search?q=related+") + n + "\">related " + n + "</a></li>";
    blocks += "</ul><p class=\"pages\"><a href=\"?p=1\">1</a> <a href=\"?p=2\">2</a> <a href=\"?p=3\">3</a></p>";
    EXPECT_EQ(resultLinksOf("/blocks.html", header + blocks + footer),
              (std::vector<PageLink>{{"http://b.example/1", "Bravo 1"},
                                     {"http://b.example/2", "Bravo 2"},
                                     {"http://b.example/3", "Bravo 3"}}));

    // A definition list.
    EXPECT_EQ(resultLinksOf("/dl.html", header + "<dl><dt><a href=\"/doku.php?id=alpha\">alpha</a></dt><dd>" + snippet +
                                            "</dd><dt><a href=\"/doku.php?id=beta\">beta</a></dt><dd>" + snippet +
                                            "</dd></dl>" + footer),
              (std::vector<PageLink>{own("/doku.php?id=alpha", "alpha"), own("/doku.php?id=beta", "beta")}));

    // Table rows under a heading row.
    EXPECT_EQ(resultLinksOf("/table.html", header +
                                               "<table><tr><th>Title</th><th>Size</th></tr>"
                                               "<tr><td><a href=\"http://c.example/x\">Charlie x</a></td><td>" +
                                               snippet +
                                               "</td></tr><tr><td><a href=\"http://c.example/y\">Charlie y</a></td>"
                                               "<td>" +
                                               snippet + "</td></tr></table>" + footer),
              (std::vector<PageLink>{{"http://c.example/x", "Charlie x"}, {"http://c.example/y", "Charlie y"}}));
    // Rows that lead with cells of their own (a score, a date, a check
    // box) before the result's cell, as a search engine's CGI draws them.
    std::string scored = "<table>";
    for (const char* n : {"x", "y", "z"})
        scored += std::string("<tr><td>62% Modified: 2023-01-22 Size: 117K <input type=\"checkbox\"></td>"
                              "<td><b><a href=\"/docs/") +
                  n + ".html\">Doc " + n + "</a></b><br>" + snippet + "</td></tr>";
    EXPECT_EQ(resultLinksOf("/scored.html", header + scored + "</table>" + footer),
              (std::vector<PageLink>{own("/docs/x.html", "Doc x"), own("/docs/y.html", "Doc y"),
                                     own("/docs/z.html", "Doc z")}));

    // A wiki's own pages, among its header, side bar and footer links.
    std::string wiki = "<div id=\"header\"><a href=\"/wiki/Main\">Main page</a><a href=\"/wiki/Random\">Random</a>"
                       "<a href=\"/wiki/Login\">Log in</a></div><div id=\"sidebar\"><ul>";
    for (const char* n : {"Recent", "Upload", "Special", "Tools", "Print"})
        wiki += std::string("<li><a href=\"/wiki/") + n + "\">" + n + " pages</a></li>";
    wiki += "</ul></div><div id=\"content\"><ul class=\"mw-search-results\">";
    for (const char* n : {"Delta", "Echo", "Foxtrot"})
        wiki += std::string("<li><div class=\"heading\"><a href=\"/wiki/") + n + "\">" + n +
                "</a></div><div class=\"searchresult\">" + snippet + "</div><div>3 KB</div></li>";
    wiki += "</ul></div>";
    EXPECT_EQ(resultLinksOf("/wiki.html", wiki + footer),
              (std::vector<PageLink>{own("/wiki/Delta", "Delta"), own("/wiki/Echo", "Echo"),
                                     own("/wiki/Foxtrot", "Foxtrot")}));

    // No hits: the page has nothing but its navigation.
    EXPECT_EQ(resultLinksOf("/none.html", header +
                                              "<main><p>No results for \"zzz\".</p></main>"
                                              "<aside><ul><li><a href=\"/tips\">Search tips</a></li>"
                                              "<li><a href=\"/syntax\">Query syntax</a></li></ul></aside>" +
                                              footer),
              std::vector<PageLink>{});

    // With a selector, what it picks.
    EXPECT_EQ(browser->Document()->resultLinks("aside li"),
              (std::vector<PageLink>{own("/tips", "Search tips"), own("/syntax", "Query syntax")}));
    EXPECT_EQ(documentCallError([&] { browser->Document()->resultLinks("li["); }),
              "ResultLinks(\"li[\"): the selector is not valid");
}

// ---------------------------------------------------------------------------
// Block checks

TEST_F(BrowserSitesTest, BlockCheckReadsThePageOutsideItsResultsWithoutTheQuery)
{
    serve("/captcha.html",
          page("captcha - Search", "<p>Results for <b>Captcha</b></p><ol>"
                                   "<li><a href=\"http://x.example/1\">How a CAPTCHA works</a> A captcha asks you to "
                                   "prove you are human.</li>"
                                   "<li><a href=\"http://x.example/2\">Captcha history</a> Old captchas were text."
                                   "</li></ol><p>About 2 results</p><p style=\"display:none\">hidden words</p>"));
    ASSERT_TRUE(load(server.url("/captcha.html")));

    const BlockCheckText read = browser->Document()->blockCheckText("", {"captcha"}, 4096);
    EXPECT_EQ(read.text, "- Search Results for About 2 results");
    EXPECT_EQ(read.humanCheck, "");
    // What the site's selector picks is left out the same way; the bound
    // holds.
    EXPECT_EQ(browser->Document()->blockCheckText("ol", {"CAPTCHA"}, 14).text, "- Search Resul");
}

TEST_F(BrowserSitesTest, AHumanCheckWidgetIsNamedAndAnInvisibleBadgeIsNot)
{
    serve("/recaptcha/api2/anchor", page("Check", "check box"));
    const std::string results = "<ol><li><a href=\"http://x.example/1\">One result</a> snippet</li>"
                                "<li><a href=\"http://x.example/2\">Two result</a> snippet</li></ol>";
    serve("/widget.html", page("Sorry", "<form action=\"/sorry/index\" method=\"post\">"
                                        "<div class=\"g-recaptcha\" data-sitekey=\"k\" "
                                        "style=\"width:304px;height:78px\"></div></form>"));
    serve("/frame.html", page("Check", "<iframe src=\"/recaptcha/api2/anchor?k=x\" width=\"304\" height=\"78\">"
                                       "</iframe>"));
    serve("/badge.html", page("Results", results + "<div class=\"grecaptcha-badge\" style=\"width:256px;"
                                                   "height:60px\"><iframe src=\"/recaptcha/api2/anchor?k=x&size="
                                                   "invisible\" width=\"256\" height=\"60\"></iframe></div>"));

    ASSERT_TRUE(load(server.url("/widget.html")));
    EXPECT_EQ(browser->Document()->blockCheckText("", {}, 4096).humanCheck, "a captcha widget (div.g-recaptcha)");
    ASSERT_TRUE(load(server.url("/frame.html")));
    EXPECT_EQ(browser->Document()->blockCheckText("", {}, 4096).humanCheck, "a reCAPTCHA frame");
    ASSERT_TRUE(load(server.url("/badge.html")));
    EXPECT_EQ(browser->Document()->blockCheckText("", {}, 4096).humanCheck, "");
}

} // namespace
