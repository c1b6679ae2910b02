#include "browserctl/scripted_web_browser.h"

#include <algorithm>
#include <cctype>

namespace browserctl {

namespace {

void checkAlive(const ScriptedWebBrowser& browser, const std::string& call)
{
    if (browser.processEnded)
        throw DocumentCallError(call + ": the page's process ended");
}

std::string lowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Blanks collapsed to one, none at the ends.
std::string collapsed(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        } else {
            out += c;
        }
    }
    if (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

class ScriptedElement : public HtmlElement {
public:
    ScriptedElement(ScriptedWebBrowser& browser, ScriptedWebBrowser::Form& form, std::string name)
        : browser_(browser), form_(form), name_(std::move(name))
    {
    }
    void setValue(const std::string& value) override
    {
        checkAlive(browser_, "Value");
        form_.values[name_] = value;
    }

private:
    ScriptedWebBrowser& browser_;
    ScriptedWebBrowser::Form& form_;
    std::string name_;
};

class ScriptedForm : public HtmlForm {
public:
    ScriptedForm(ScriptedWebBrowser& browser, std::string name, ScriptedWebBrowser::Form& form)
        : browser_(browser), name_(std::move(name)), form_(form)
    {
    }
    std::unique_ptr<HtmlElement> element(const std::string& name) override
    {
        checkAlive(browser_, "NamedItem(\"" + name + "\")");
        if (std::find(form_.fields.begin(), form_.fields.end(), name) == form_.fields.end())
            throw DocumentCallError("NamedItem(\"" + name + "\"): the form has no field of that name");
        return std::make_unique<ScriptedElement>(browser_, form_, name);
    }
    void submit() override
    {
        checkAlive(browser_, "Submit");
        ++form_.submits;
        if (browser_.onSubmit) {
            browser_.onSubmit(browser_, name_, form_);
            return;
        }
        if (!browser_.completeAtOnce)
            return;
        std::string query;
        for (const auto& [field, value] : form_.values)
            query += (query.empty() ? "" : "&") + field + "=" + value;
        browser_.Navigate(browser_.url + "result?" + query);
    }
    FormSubmission submission() override
    {
        checkAlive(browser_, "Submission");
        FormSubmission sent;
        sent.method = form_.method;
        sent.action = form_.action.empty() ? browser_.url + "result" : form_.action;
        for (const auto& field : form_.fields) {
            const auto value = form_.values.find(field);
            sent.fields.emplace_back(field, value == form_.values.end() ? std::string() : value->second);
        }
        return sent;
    }

private:
    ScriptedWebBrowser& browser_;
    std::string name_;
    ScriptedWebBrowser::Form& form_;
};

class ScriptedDocument : public HtmlDocument {
public:
    explicit ScriptedDocument(ScriptedWebBrowser& browser) : browser_(browser) {}
    std::unique_ptr<HtmlForm> form(const std::string& nameOrId) override
    {
        checkAlive(browser_, "NamedItem(\"" + nameOrId + "\")");
        auto it = browser_.forms.find(nameOrId);
        if (it == browser_.forms.end())
            throw DocumentCallError("NamedItem(\"" + nameOrId + "\"): no form of that name or id");
        return std::make_unique<ScriptedForm>(browser_, nameOrId, it->second);
    }
    SearchForm searchForm(const std::string& formName, const std::string& inputName) override
    {
        checkAlive(browser_, "SearchForm");
        // The named form when it holds a field; else the one the page
        // "finds".
        for (const auto& [key, named] :
             {std::pair<std::string, bool>{formName, true}, std::pair<std::string, bool>{browser_.foundForm, false}}) {
            auto it = key.empty() ? browser_.forms.end() : browser_.forms.find(key);
            if (it == browser_.forms.end() || it->second.fields.empty())
                continue;
            const auto& fields = it->second.fields;
            const bool hasInput = std::find(fields.begin(), fields.end(), inputName) != fields.end();
            const std::string field = hasInput ? inputName : fields.front();
            SearchForm found;
            found.form = std::make_unique<ScriptedForm>(browser_, key, it->second);
            found.field = std::make_unique<ScriptedElement>(browser_, it->second, field);
            found.description = !named && !browser_.foundFormDescription.empty() ? browser_.foundFormDescription
                                                                                 : "#" + key + ", field " + field;
            found.named = named;
            return found;
        }
        throw DocumentCallError("no search form found on " + browser_.url);
    }
    std::string text(std::size_t maxBytes) override
    {
        checkAlive(browser_, "Text");
        return (browser_.title + " " + browser_.pageText).substr(0, maxBytes);
    }
    std::vector<PageLink> links(const std::string& selector) override
    {
        checkAlive(browser_, "Links(\"" + selector + "\")");
        browser_.linkSelectors.push_back(selector);
        return browser_.linksFor ? browser_.linksFor(browser_.url, selector) : browser_.pageLinks;
    }
    std::vector<PageLink> resultLinks(const std::string& selector) override
    {
        if (!browser_.error.empty())
            throw DocumentCallError("ResultLinks: no page came (" + browser_.error + ")");
        if (!selector.empty())
            return links(selector);
        checkAlive(browser_, "ResultLinks");
        return browser_.resultList;
    }
    BlockCheckText blockCheckText(const std::string& selector, const std::vector<std::string>& omit,
                                  std::size_t maxBytes) override
    {
        checkAlive(browser_, "BlockCheckText");
        std::string text = collapsed(browser_.title + " " + browser_.pageText);
        for (const auto& part : omit) {
            const std::string wanted = lowerAscii(collapsed(part));
            if (wanted.empty())
                continue;
            std::string lower = lowerAscii(text);
            for (size_t at = lower.find(wanted); at != std::string::npos; at = lower.find(wanted, at)) {
                text.erase(at, wanted.size());
                lower.erase(at, wanted.size());
            }
        }
        return {collapsed(text).substr(0, maxBytes), browser_.humanCheck};
    }

private:
    ScriptedWebBrowser& browser_;
};

} // namespace

void ScriptedWebBrowser::Navigate(const std::string& address)
{
    navigations.push_back(address);
    if (onNavigate) {
        onNavigate(*this, address);
        return;
    }
    if (completeAtOnce)
        load(address, "Title of " + address);
}

void ScriptedWebBrowser::navigateSubmission(const FormSubmission& submission)
{
    submissions.push_back(submission);
    Navigate(submissionAddress(submission));
}

void ScriptedWebBrowser::GoBack()
{
    calls.push_back("GoBack");
}
void ScriptedWebBrowser::GoForward()
{
    calls.push_back("GoForward");
}
void ScriptedWebBrowser::Refresh2()
{
    calls.push_back("Refresh2");
}

std::unique_ptr<HtmlDocument> ScriptedWebBrowser::Document()
{
    checkAlive(*this, "Document");
    if (!hasDocument)
        throw DocumentCallError("Document: no document is loaded");
    return std::make_unique<ScriptedDocument>(*this);
}

void ScriptedWebBrowser::watchSettle(int quietMs, const std::string& selector)
{
    settleWatch = SettleWatch{quietMs, selector};
    if (settleAtOnce && hasDocument)
        settle();
}

bool ScriptedWebBrowser::settle()
{
    if (!settleWatch)
        return false;
    settleWatch.reset();
    raiseDocumentSettled(url);
    return true;
}

void ScriptedWebBrowser::load(const std::string& address, const std::string& pageTitle,
                              const std::vector<std::string>& frames, int httpStatus, const std::string& bodyText)
{
    play(address, pageTitle, frames, httpStatus, bodyText, {});
}

void ScriptedWebBrowser::play(const std::string& address, const std::string& pageTitle,
                              const std::vector<std::string>& frames, int httpStatus, const std::string& bodyText,
                              const std::string& reason)
{
    settleWatch.reset();
    newDocumentForDialogs();
    raiseBeforeNavigate2(address);
    for (const auto& frame : frames)
        raiseBeforeNavigate2(frame);
    url = address;
    title = pageTitle;
    status = httpStatus;
    error = reason;
    processEnded = false;
    pageText = bodyText;
    hasDocument = true;
    for (const auto& frame : frames)
        raiseDocumentComplete(frame);
    raiseDocumentComplete(address);
}

void ScriptedWebBrowser::fail(const std::string& address, const std::string& reason)
{
    play(address, address, {}, 0, {}, reason);
}

void ScriptedWebBrowser::download(const std::string& address)
{
    raiseBeforeNavigate2(address);
    raisePageFailed({address, "the page is a download"});
}

void ScriptedWebBrowser::crash()
{
    processEnded = true;
    settleWatch.reset();
    raisePageFailed({url, "the page's process ended"});
}

bool ScriptedWebBrowser::dialog(PageDialogKind kind, const std::string& text, std::string& value)
{
    return answerPageDialog(kind, text, url, value);
}

} // namespace browserctl
