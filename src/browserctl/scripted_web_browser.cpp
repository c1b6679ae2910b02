#include "browserctl/scripted_web_browser.h"

#include <algorithm>

namespace browserctl {

namespace {

class ScriptedElement : public HtmlElement {
public:
    ScriptedElement(ScriptedWebBrowser::Form& form, std::string name) : form_(form), name_(std::move(name)) {}
    void setValue(const std::string& value) override { form_.values[name_] = value; }

private:
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
        if (std::find(form_.fields.begin(), form_.fields.end(), name) == form_.fields.end())
            throw DocumentCallError("NamedItem(\"" + name + "\"): the form has no field of that name");
        return std::make_unique<ScriptedElement>(form_, name);
    }
    void submit() override
    {
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
        auto it = browser_.forms.find(nameOrId);
        if (it == browser_.forms.end())
            throw DocumentCallError("NamedItem(\"" + nameOrId + "\"): no form of that name or id");
        return std::make_unique<ScriptedForm>(browser_, nameOrId, it->second);
    }
    std::string text(std::size_t maxBytes) override
    {
        return (browser_.title + " " + browser_.pageText).substr(0, maxBytes);
    }
    std::vector<PageLink> links(const std::string& selector) override
    {
        browser_.linkSelectors.push_back(selector);
        return browser_.linksFor ? browser_.linksFor(browser_.url, selector) : browser_.pageLinks;
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
    if (!hasDocument)
        throw DocumentCallError("Document: no document is loaded");
    return std::make_unique<ScriptedDocument>(*this);
}

void ScriptedWebBrowser::load(const std::string& address, const std::string& pageTitle,
                              const std::vector<std::string>& frames, int httpStatus, const std::string& bodyText)
{
    raiseBeforeNavigate2(address);
    for (const auto& frame : frames)
        raiseBeforeNavigate2(frame);
    url = address;
    title = pageTitle;
    status = httpStatus;
    pageText = bodyText;
    hasDocument = true;
    for (const auto& frame : frames)
        raiseDocumentComplete(frame);
    raiseDocumentComplete(address);
}

} // namespace browserctl
