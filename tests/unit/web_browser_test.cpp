// What every browser shares (the page dialog policy, form submissions as
// addresses) and what the scripted browser plays for the windows' tests.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browserctl/scripted_web_browser.h"
#include "framework/application.h"
#include "framework/scripted.h"

using browserctl::DialogPolicy;
using browserctl::DocumentCallError;
using browserctl::FormSubmission;
using browserctl::PageDialog;
using browserctl::PageDialogKind;
using browserctl::PageFailure;
using browserctl::ScriptedWebBrowser;

namespace {

class WebBrowserTest : public ::testing::Test {
protected:
    WebBrowserTest() : application(scripted.services())
    {
        browser.url = "http://user@search.example:8080/result?q=x";
        browser.PageDialogAnswered.connect([this](const PageDialog& dialog) { reports.push_back(dialog); });
        browser.PageFailed.connect([this](const PageFailure& failure) { failures.push_back(failure); });
        browser.DocumentSettled.connect([this](const std::string& url) { settled.push_back(url); });
    }

    bool dialog(PageDialogKind kind, const std::string& text, std::string value = {})
    {
        return browser.dialog(kind, text, value);
    }

    framework::ScriptedServices scripted;
    framework::Application application;
    ScriptedWebBrowser browser;
    std::vector<PageDialog> reports;
    std::vector<PageFailure> failures;
    std::vector<std::string> settled;
};

TEST_F(WebBrowserTest, PageDialogsGetABoxOnlyWhenSomebodyCanAnswerAndNothingWaits)
{
    // A box names the page's host, never a user name in its address.
    scripted.dialogs->yesNoAnswers = {false};
    EXPECT_FALSE(dialog(PageDialogKind::Confirm, "Delete?"));
    EXPECT_EQ(scripted.dialogs->questions,
              std::vector<std::string>{"search.example:8080: The page at search.example:8080 asks:\n\nDelete?"});
    EXPECT_TRUE(reports.empty());

    // The next one right after: no box, the page cannot pin the user.
    EXPECT_TRUE(dialog(PageDialogKind::Alert, "Again"));
    EXPECT_TRUE(scripted.dialogs->messages.empty());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].kind, PageDialogKind::Alert);
    EXPECT_EQ(reports[0].address, browser.url);

    scripted.clock->advance(browserctl::kPageDialogSpacingMs);
    scripted.dialogs->inputAnswers = {std::string("typed")};
    std::string value = "proposal";
    EXPECT_TRUE(browser.dialog(PageDialogKind::Prompt, "Name?", value));
    EXPECT_EQ(value, "typed");

    // While a handler runs: answered at once (a prompt cancelled), told
    // after the handler.
    scripted.clock->advance(browserctl::kPageDialogSpacingMs);
    application.dispatch([&] {
        EXPECT_FALSE(dialog(PageDialogKind::Prompt, "Busy?"));
        EXPECT_EQ(reports.size(), 1u);
    });
    EXPECT_EQ(reports.size(), 2u);
    EXPECT_EQ(scripted.dialogs->prompts.size(), 1u);

    // Unattended, or in a run: no box; leaving is allowed.
    scripted.clock->advance(browserctl::kPageDialogSpacingMs);
    application.setUnattended(true);
    EXPECT_FALSE(dialog(PageDialogKind::Confirm, "Sure?"));
    application.setUnattended(false);
    scripted.clock->advance(browserctl::kPageDialogSpacingMs);
    browser.setDialogPolicy(DialogPolicy::Answer);
    EXPECT_TRUE(dialog(PageDialogKind::LeavePage, ""));
    EXPECT_EQ(scripted.dialogs->questions.size(), 1u);
    EXPECT_EQ(reports.size(), 4u);
}

TEST_F(WebBrowserTest, APageAskingInALoopIsHeardOfABoundedNumberOfTimesPerDocument)
{
    browser.setDialogPolicy(DialogPolicy::Answer);
    for (int i = 0; i < 3 * browserctl::WebBrowser::kMaxDialogReports; ++i)
        dialog(PageDialogKind::Alert, "again");
    EXPECT_EQ(reports.size(), std::size_t(browserctl::WebBrowser::kMaxDialogReports));

    browser.load("http://search.example/next", "Next");
    dialog(PageDialogKind::Alert, "new page");
    EXPECT_EQ(reports.back().text, "new page");
}

TEST_F(WebBrowserTest, SubmissionAddressReplacesTheQueryAndKeepsTheFragment)
{
    FormSubmission get;
    get.action = "http://search.example/find?old=1#top";
    get.fields = {{"q", "a b&c=\xE6\x97\xA5"}, {"cx", "*-._~"}};
    EXPECT_EQ(browserctl::submissionAddress(get), "http://search.example/find?q=a+b%26c%3D%E6%97%A5&cx=*-._%7E#top");
    FormSubmission post = get;
    post.method = "POST";
    EXPECT_EQ(browserctl::submissionAddress(post), post.action);
}

TEST_F(WebBrowserTest, ScriptedBrowserPlaysFoundFormsSettlingAndFailures)
{
    browser.load("http://search.example/", "Search");
    browser.forms["site-search"] = {{"query", "lang"}, {{"lang", "en"}}, 0, "POST", "http://search.example/find"};

    EXPECT_THROW(browser.Document()->searchForm("cse-search-box", "q"), DocumentCallError);
    browser.foundForm = "site-search";
    auto found = browser.Document()->searchForm("cse-search-box", "q");
    EXPECT_FALSE(found.named);
    EXPECT_EQ(found.description, "#site-search, field query");
    found.field->setValue("word");
    const FormSubmission sent = found.form->submission();
    EXPECT_EQ(sent.fields, (std::vector<std::pair<std::string, std::string>>{{"query", "word"}, {"lang", "en"}}));
    EXPECT_TRUE(browser.Document()->searchForm("site-search", "lang").named);

    browser.navigateSubmission(sent);
    EXPECT_EQ(browser.navigations.back(), "http://search.example/find");
    EXPECT_EQ(browser.submissions, std::vector<FormSubmission>{sent});

    // A watch settles once, and a load ends it.
    browser.watchSettle(500, "");
    browser.load("http://search.example/other", "Other");
    EXPECT_FALSE(browser.settle());
    browser.watchSettle(500, "#results");
    EXPECT_EQ(browser.settleWatch->selector, "#results");
    EXPECT_TRUE(browser.settle());
    EXPECT_EQ(settled, std::vector<std::string>{"http://search.example/other"});

    browser.download("http://search.example/file.pdf");
    browser.crash();
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].reason, "the page is a download");
    EXPECT_EQ(failures[1].reason, "the page's process ended");
    EXPECT_THROW(browser.Document(), DocumentCallError);

    browser.fail("http://down.example/", "connection refused");
    EXPECT_EQ(browser.loadError(), "connection refused");
    EXPECT_EQ(browser.LocationStatus(), 0);
    EXPECT_THROW(browser.Document()->resultLinks(""), DocumentCallError);
}

} // namespace
