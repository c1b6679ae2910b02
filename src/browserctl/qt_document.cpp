#include "browserctl/qt_document.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <algorithm>

#include "browserctl/qt_web_browser.h"

namespace browserctl::detail {

namespace {

// Documents get ids from one counter, so an id never matches a document of
// another page or another browser.
double nextDocumentId = 1;

// The links calls answer at most this much, whatever the page holds: a
// hostile or broken page must not make us carry megabytes of links through
// the script channel and into the run's records. An address longer than
// kMaxLinkAddress is left out rather than cut, since a cut address leads
// somewhere else; a text is cut (at a character boundary).
constexpr int kMaxLinks = 1000;
constexpr int kMaxLinkText = 1000;
constexpr int kMaxLinkAddress = 8192;

QString qs(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string str(const QJsonValue& value)
{
    return value.toString().toStdString();
}

std::string namedItemCall(const std::string& name)
{
    // The call names in messages read like the late-bound calls they stand
    // for: NamedItem("q").
    return "NamedItem(\"" + name + "\")";
}

// Cut at a character boundary to at most maxBytes of UTF-8.
void cutUtf8(std::string& text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return;
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    text.resize(cut);
}

// Where a form or field is found again: by its name, or by the tag the
// browser gave it when it found it.
struct Locator {
    std::string name;
    int handle = -1;
    void addTo(QJsonObject& arguments, const char* nameKey, const char* handleKey) const
    {
        if (handle >= 0)
            arguments.insert(QLatin1String(handleKey), handle);
        else
            arguments.insert(QLatin1String(nameKey), qs(name));
    }
    std::string call() const { return handle >= 0 ? "SearchForm" : namedItemCall(name); }
};

class DocumentCaller {
public:
    DocumentCaller(QtWebBrowser& browser, std::shared_ptr<bool> alive, double document)
        : browser_(browser), alive_(std::move(alive)), document_(document)
    {
    }

    QtWebBrowser& browser() const { return browser_; }

    // Runs one document call. `call` names it in errors, formCall and
    // fieldCall name the lookups that can fail on the way.
    QJsonObject run(const std::string& call, QJsonObject arguments, const std::string& formCall = {},
                    const std::string& fieldCall = {}) const
    {
        if (!*alive_)
            throw DocumentCallError(call + ": the browser is closed");
        arguments.insert(QStringLiteral("document"), document_);
        arguments.insert(QStringLiteral("maxLinks"), kMaxLinks);
        arguments.insert(QStringLiteral("maxText"), kMaxLinkText);
        arguments.insert(QStringLiteral("maxAddress"), kMaxLinkAddress);
        // The page says it is too large before the call's wait gives up.
        arguments.insert(QStringLiteral("budgetMs"),
                         qint64(std::max<long long>(100, QtWebBrowser::documentCallTimeout().count() * 3 / 4)));
        const QByteArray json = QJsonDocument(arguments).toJson(QJsonDocument::Compact);
        const std::string text = browser_.runDocumentScript(call, json.toStdString());
        const QJsonObject answer = QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
        const QString error = answer.value(QStringLiteral("error")).toString();
        if (error.isEmpty() && answer.value(QStringLiteral("ok")).toBool())
            return answer;
        if (error == QLatin1String("replaced"))
            throw DocumentCallError(call + ": the document was replaced by another page");
        if (error == QLatin1String("noform"))
            throw DocumentCallError(formCall + ": no form of that name or id");
        if (error == QLatin1String("nofield"))
            throw DocumentCallError(fieldCall + ": the form has no field of that name");
        if (error == QLatin1String("gone"))
            throw DocumentCallError(call + ": the form or field found before is no longer on the page");
        if (error == QLatin1String("selector"))
            throw DocumentCallError(call + ": the selector is not valid");
        if (error == QLatin1String("nosearchform"))
            throw DocumentCallError("no search form found on " + browser_.LocationURL());
        if (error == QLatin1String("toolarge"))
            throw DocumentCallError(call + ": the page is too large to read in time");
        throw DocumentCallError(call + ": the page refused the call");
    }

private:
    QtWebBrowser& browser_;
    std::shared_ptr<bool> alive_;
    double document_;
};

std::vector<PageLink> linksOf(const QJsonObject& answer)
{
    if (!answer.value(QStringLiteral("links")).isArray())
        throw DocumentCallError("Links: the page gave no list of links");
    const QJsonArray found = answer.value(QStringLiteral("links")).toArray();
    std::vector<PageLink> links;
    links.reserve(std::size_t(std::min<qsizetype>(found.size(), kMaxLinks)));
    for (const QJsonValue& value : found) {
        if (links.size() == std::size_t(kMaxLinks))
            break;
        const QJsonObject link = value.toObject();
        links.push_back({str(link.value(QStringLiteral("address"))), str(link.value(QStringLiteral("text")))});
    }
    return links;
}

class QtHtmlElement final : public HtmlElement {
public:
    QtHtmlElement(DocumentCaller caller, Locator form, Locator field)
        : caller_(std::move(caller)), form_(std::move(form)), field_(std::move(field))
    {
    }

    void setValue(const std::string& value) override
    {
        QJsonObject arguments{{"op", "value"}, {"value", qs(value)}};
        form_.addTo(arguments, "form", "formHandle");
        field_.addTo(arguments, "field", "fieldHandle");
        caller_.run("Value", arguments, form_.call(), field_.call());
    }

private:
    DocumentCaller caller_;
    Locator form_;
    Locator field_;
};

class QtHtmlForm final : public HtmlForm {
public:
    QtHtmlForm(DocumentCaller caller, Locator form) : caller_(std::move(caller)), form_(std::move(form)) {}

    std::unique_ptr<HtmlElement> element(const std::string& name) override
    {
        QJsonObject arguments{{"op", "field"}, {"field", qs(name)}};
        form_.addTo(arguments, "form", "formHandle");
        caller_.run(namedItemCall(name), arguments, form_.call(), namedItemCall(name));
        return std::make_unique<QtHtmlElement>(caller_, form_, Locator{name});
    }

    void submit() override
    {
        QJsonObject arguments{{"op", "submit"}};
        form_.addTo(arguments, "form", "formHandle");
        caller_.run("Submit", arguments, form_.call());
    }

    FormSubmission submission() override
    {
        QJsonObject arguments{{"op", "submission"}};
        form_.addTo(arguments, "form", "formHandle");
        const QJsonObject sent =
            caller_.run("Submission", arguments, form_.call()).value(QStringLiteral("submission")).toObject();
        FormSubmission submission;
        submission.method = str(sent.value(QStringLiteral("method")));
        submission.action = str(sent.value(QStringLiteral("action")));
        submission.enctype = str(sent.value(QStringLiteral("enctype")));
        submission.charset = str(sent.value(QStringLiteral("charset")));
        for (const QJsonValue& pair : sent.value(QStringLiteral("fields")).toArray())
            submission.fields.emplace_back(str(pair.toArray().at(0)), str(pair.toArray().at(1)));
        return submission;
    }

private:
    DocumentCaller caller_;
    Locator form_;
};

class QtHtmlDocument final : public HtmlDocument {
public:
    explicit QtHtmlDocument(DocumentCaller caller) : caller_(std::move(caller)) {}

    std::unique_ptr<HtmlForm> form(const std::string& nameOrId) override
    {
        const std::string call = namedItemCall(nameOrId);
        caller_.run(call, QJsonObject{{"op", "form"}, {"form", qs(nameOrId)}}, call);
        return std::make_unique<QtHtmlForm>(caller_, Locator{nameOrId});
    }

    SearchForm searchForm(const std::string& formName, const std::string& inputName) override
    {
        const QJsonObject answer = caller_.run(
            "SearchForm", QJsonObject{{"op", "searchForm"}, {"formName", qs(formName)}, {"inputName", qs(inputName)}});
        const Locator form{{}, answer.value(QStringLiteral("form")).toInt(-1)};
        const Locator field{{}, answer.value(QStringLiteral("field")).toInt(-1)};
        if (form.handle < 0 || field.handle < 0)
            throw DocumentCallError("SearchForm: the page refused the call");
        SearchForm found;
        found.form = std::make_unique<QtHtmlForm>(caller_, form);
        found.field = std::make_unique<QtHtmlElement>(caller_, form, field);
        found.description = str(answer.value(QStringLiteral("description")));
        found.named = answer.value(QStringLiteral("named")).toBool();
        return found;
    }

    std::string text(std::size_t maxBytes) override
    {
        const QJsonObject answer = caller_.run("Text", QJsonObject{{"op", "text"}, {"maxChars", qint64(maxBytes)}});
        // Characters were counted; bytes are the bound.
        std::string text = str(answer.value(QStringLiteral("text")));
        cutUtf8(text, maxBytes);
        return text;
    }

    std::vector<PageLink> links(const std::string& selector) override
    {
        return linksOf(
            caller_.run("Links(\"" + selector + "\")", QJsonObject{{"op", "links"}, {"selector", qs(selector)}}));
    }

    std::vector<PageLink> resultLinks(const std::string& selector) override
    {
        const std::string call = "ResultLinks(\"" + selector + "\")";
        // The browser's own error page has links of its own (help, retry),
        // never results.
        if (const std::string reason = caller_.browser().errorPageReason(); !reason.empty())
            throw DocumentCallError(call + ": the page is the browser's error page (" + reason + ")");
        return linksOf(caller_.run(call, QJsonObject{{"op", "resultLinks"}, {"selector", qs(selector)}}));
    }

    BlockCheckText blockCheckText(const std::string& selector, const std::vector<std::string>& omit,
                                  std::size_t maxBytes) override
    {
        QJsonArray omitted;
        for (const auto& part : omit)
            omitted.append(qs(part));
        const QJsonObject answer = caller_.run(
            "BlockCheckText(\"" + selector + "\")",
            QJsonObject{
                {"op", "blockCheck"}, {"selector", qs(selector)}, {"omit", omitted}, {"maxChars", qint64(maxBytes)}});
        BlockCheckText read{str(answer.value(QStringLiteral("text"))), str(answer.value(QStringLiteral("humanCheck")))};
        cutUtf8(read.text, maxBytes);
        return read;
    }

private:
    DocumentCaller caller_;
};

} // namespace

std::unique_ptr<HtmlDocument> openDocument(QtWebBrowser& browser, const std::shared_ptr<bool>& alive)
{
    DocumentCaller opener(browser, alive, 0);
    const QJsonObject answer = opener.run("Document", QJsonObject{{"op", "document"}, {"candidate", nextDocumentId}});
    nextDocumentId += 1;
    return std::make_unique<QtHtmlDocument>(
        DocumentCaller(browser, alive, answer.value(QStringLiteral("document")).toDouble()));
}

} // namespace browserctl::detail
