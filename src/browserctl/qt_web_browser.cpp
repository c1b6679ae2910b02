#include "browserctl/qt_web_browser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>
#include <chrono>
#include <exception>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "framework/application.h"

namespace browserctl {

namespace {

std::chrono::milliseconds callTimeout{5000};

// Documents get ids from one counter, so an id never matches a document of
// another page or another browser.
double nextDocumentId = 1;

std::string addressText(const QUrl& url)
{
    return url.toString(QUrl::FullyEncoded).toStdString();
}

Lifecycle fromEngine(QWebEnginePage::LifecycleState state)
{
    switch (state) {
    case QWebEnginePage::LifecycleState::Frozen:
        return Lifecycle::Frozen;
    case QWebEnginePage::LifecycleState::Discarded:
        return Lifecycle::Discarded;
    case QWebEnginePage::LifecycleState::Active:
        break;
    }
    return Lifecycle::Active;
}

QWebEnginePage::LifecycleState toEngine(Lifecycle state)
{
    switch (state) {
    case Lifecycle::Frozen:
        return QWebEnginePage::LifecycleState::Frozen;
    case Lifecycle::Discarded:
        return QWebEnginePage::LifecycleState::Discarded;
    case Lifecycle::Active:
        break;
    }
    return QWebEnginePage::LifecycleState::Active;
}

// The engine's side of a page in this process allocates with the C
// library's malloc, which keeps what a discarded page freed in its arenas
// for later use; a discard is meant to give the memory back. The engine
// frees a page's parts over a few seconds, so the heap is trimmed a while
// after the last discard, at most once per interval.
constexpr auto kTrimDelay = std::chrono::seconds(5);
bool trimPending = false;
std::chrono::steady_clock::time_point lastDiscard;

void scheduleTrim()
{
    if (trimPending || !QCoreApplication::instance())
        return;
    trimPending = true;
    QTimer::singleShot(kTrimDelay, QCoreApplication::instance(), [] {
        trimPending = false;
#if defined(__GLIBC__)
        ::malloc_trim(0);
#endif
        // A page discarded meanwhile may not have been freed yet.
        if (std::chrono::steady_clock::now() - lastDiscard < kTrimDelay)
            scheduleTrim();
    });
}

void trimHeapLater()
{
    lastDiscard = std::chrono::steady_clock::now();
    scheduleTrim();
}

// The tag of the frame reports. It is random per run so a page's own
// console output cannot pass for one by accident.
const QString& frameReportTag()
{
    static const QString tag = QStringLiteral("vantrel-frame-complete:%1:")
                                   .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
    return tag;
}

QWebEngineScript frameReportScript()
{
    // Runs in every subframe's document, in the application world; the
    // top document is reported by loadingChanged instead, which also covers
    // error pages. The listener is added before the page's own scripts run,
    // so the load event cannot be missed.
    const QByteArray options = QJsonDocument(QJsonObject{{"tag", frameReportTag()}}).toJson(QJsonDocument::Compact);
    QWebEngineScript script;
    script.setName(QStringLiteral("vantrel-frame-complete"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(QStringLiteral("(function (options) {\n"
                                        "  if (window.top === window) return;\n"
                                        "  window.addEventListener('load', function () {\n"
                                        "    console.info(options.tag + location.href);\n"
                                        "  }, { once: true });\n"
                                        "})(") +
                         QString::fromUtf8(options) + QStringLiteral(");\n"));
    return script;
}

// The links call answers at most this much, whatever the page holds: a
// hostile or broken page must not make us carry megabytes of links through
// the script channel and into the run's records. An address longer than
// kMaxLinkAddress is left out rather than cut, since a cut address leads
// somewhere else; a text is cut (at a character boundary).
constexpr int kMaxLinks = 1000;
constexpr int kMaxLinkText = 1000;
constexpr int kMaxLinkAddress = 8192;

// The document calls. One function resolves the document, the form and
// the field from the arguments and then does the operation, so every call
// looks its objects up afresh. The answer is JSON text: {"ok": true, ...}
// or {"error": "replaced" | "noform" | "nofield" | "selector" | "refused"}.
// The DOM functions are called through their prototypes; in this world the
// page's scripts cannot have replaced those.
const char* const documentCallScript = R"JS((function (args) {
  'use strict';
  function answer(value) { return JSON.stringify(value); }
  function collapsed(text) {
    return typeof text === 'string' ? text.replace(/\s+/g, ' ').trim() : '';
  }
  function cut(text, max) {
    if (text.length <= max)
      return text;
    // Counted in characters, so a surrogate pair is never split.
    var out = '';
    var count = 0;
    for (var c of text) {
      if (count === max)
        break;
      out += c;
      ++count;
    }
    return out.trimEnd();
  }
  function pageLinks(selector) {
    var LINKS = 'a[href], area[href]';
    var roots;
    if (selector === '') {
      roots = [document];
    } else {
      try {
        roots = Document.prototype.querySelectorAll.call(document, selector);
      } catch (e) {
        if (e instanceof DOMException && e.name === 'SyntaxError')
          return null;
        throw e;
      }
    }
    var links = [];
    function take(element) {
      // Only HTML links: an SVG <a> has no address as text.
      if (!(element instanceof HTMLAnchorElement) && !(element instanceof HTMLAreaElement))
        return;
      var address = element.href;
      if (typeof address !== 'string' || address.length > args.maxAddress)
        return;
      var text = collapsed(element.innerText);
      if (!text)
        text = collapsed(element.textContent);
      if (!text)
        text = collapsed(Element.prototype.getAttribute.call(element, 'alt'));
      if (!text)
        text = collapsed(Element.prototype.getAttribute.call(element, 'title'));
      links.push({ address: address, text: cut(text, args.maxText) });
    }
    // The selected elements come in document order, so one inside the last
    // element taken has had its links taken with it; the rest are disjoint
    // subtrees, each walked once, and no link comes twice.
    var last = null;
    for (var i = 0; i < roots.length && links.length < args.maxLinks; ++i) {
      var root = roots[i];
      if (last !== null && Node.prototype.contains.call(last, root))
        continue;
      last = root;
      var inner;
      if (root === document) {
        inner = Document.prototype.querySelectorAll.call(document, LINKS);
      } else {
        if (Element.prototype.matches.call(root, LINKS))
          take(root);
        inner = Element.prototype.querySelectorAll.call(root, LINKS);
      }
      for (var j = 0; j < inner.length && links.length < args.maxLinks; ++j)
        take(inner[j]);
    }
    return links;
  }
  try {
    if (args.op === 'document') {
      if (typeof window.__vantrelDocumentId !== 'number')
        window.__vantrelDocumentId = args.candidate;
      return answer({ ok: true, document: window.__vantrelDocumentId });
    }
    if (window.__vantrelDocumentId !== args.document)
      return answer({ error: 'replaced' });
    if (args.op === 'text') {
      var body = document.body ? (document.body.innerText || document.body.textContent || '') : '';
      var all = collapsed(String(document.title || '') + ' ' + String(body));
      return answer({ ok: true, text: all.slice(0, args.maxChars) });
    }
    if (args.op === 'links') {
      var links = pageLinks(args.selector);
      return answer(links === null ? { error: 'selector' } : { ok: true, links: links });
    }
    var form = document.forms.namedItem(args.form);
    if (!(form instanceof HTMLFormElement)) {
      var byId = document.getElementById(args.form);
      form = byId instanceof HTMLFormElement ? byId : null;
    }
    if (!form)
      return answer({ error: 'noform' });
    if (args.op === 'form')
      return answer({ ok: true });
    if (args.op === 'submit') {
      // The prototype's submit: a field named "submit" hides form.submit.
      HTMLFormElement.prototype.submit.call(form);
      return answer({ ok: true });
    }
    var field = form.elements.namedItem(args.field);
    if (field && !(field instanceof Element) && field.length > 0)
      field = field[0];  // several fields of that name: the first one
    if (!(field instanceof Element))
      return answer({ error: 'nofield' });
    if (args.op === 'field')
      return answer({ ok: true });
    if (args.op === 'value') {
      if (!('value' in field))
        return answer({ error: 'refused' });
      field.value = args.value;
      return answer({ ok: true });
    }
    return answer({ error: 'refused' });
  } catch (e) {
    return answer({ error: 'refused', message: String(e) });
  }
}))JS";

std::string namedItemCall(const std::string& name)
{
    // The call names in messages read like the late-bound calls they stand
    // for: NamedItem("q").
    std::string text = "NamedItem(\"";
    text += name;
    text += "\")";
    return text;
}

class DocumentCaller {
public:
    DocumentCaller(QtWebBrowser& browser, std::shared_ptr<bool> alive) : browser_(browser), alive_(std::move(alive)) {}

    // Runs one document call. `call` names it in errors, formCall and
    // fieldCall name the lookups that can fail on the way.
    QJsonObject run(const std::string& call, const QJsonObject& arguments, const std::string& formCall = {},
                    const std::string& fieldCall = {}) const
    {
        if (!*alive_)
            throw DocumentCallError(call + ": the browser is closed");
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
        if (error == QLatin1String("selector"))
            throw DocumentCallError(call + ": the selector is not valid");
        throw DocumentCallError(call + ": the page refused the call");
    }

private:
    QtWebBrowser& browser_;
    std::shared_ptr<bool> alive_;
};

class QtHtmlElement final : public HtmlElement {
public:
    QtHtmlElement(DocumentCaller caller, double document, std::string form, std::string field)
        : caller_(std::move(caller)), document_(document), form_(std::move(form)), field_(std::move(field))
    {
    }

    void setValue(const std::string& value) override
    {
        caller_.run("Value",
                    QJsonObject{{"op", "value"},
                                {"document", document_},
                                {"form", QString::fromStdString(form_)},
                                {"field", QString::fromStdString(field_)},
                                {"value", QString::fromUtf8(value.data(), qsizetype(value.size()))}},
                    namedItemCall(form_), namedItemCall(field_));
    }

private:
    DocumentCaller caller_;
    double document_;
    std::string form_;
    std::string field_;
};

class QtHtmlForm final : public HtmlForm {
public:
    QtHtmlForm(DocumentCaller caller, double document, std::string form)
        : caller_(std::move(caller)), document_(document), form_(std::move(form))
    {
    }

    std::unique_ptr<HtmlElement> element(const std::string& name) override
    {
        caller_.run(namedItemCall(name),
                    QJsonObject{{"op", "field"},
                                {"document", document_},
                                {"form", QString::fromStdString(form_)},
                                {"field", QString::fromStdString(name)}},
                    namedItemCall(form_), namedItemCall(name));
        return std::make_unique<QtHtmlElement>(caller_, document_, form_, name);
    }

    void submit() override
    {
        caller_.run("Submit",
                    QJsonObject{{"op", "submit"}, {"document", document_}, {"form", QString::fromStdString(form_)}},
                    namedItemCall(form_));
    }

private:
    DocumentCaller caller_;
    double document_;
    std::string form_;
};

class QtHtmlDocument final : public HtmlDocument {
public:
    QtHtmlDocument(DocumentCaller caller, double document) : caller_(std::move(caller)), document_(document) {}

    std::unique_ptr<HtmlForm> form(const std::string& nameOrId) override
    {
        const std::string call = namedItemCall(nameOrId);
        caller_.run(call,
                    QJsonObject{{"op", "form"}, {"document", document_}, {"form", QString::fromStdString(nameOrId)}},
                    call);
        return std::make_unique<QtHtmlForm>(caller_, document_, nameOrId);
    }

    std::string text(std::size_t maxBytes) override
    {
        const QJsonObject answer =
            caller_.run("Text", QJsonObject{{"op", "text"}, {"document", document_}, {"maxChars", qint64(maxBytes)}});
        std::string text = answer.value(QStringLiteral("text")).toString().toStdString();
        // Characters were counted; bytes are the bound. Cut at a character.
        if (text.size() > maxBytes) {
            size_t cut = maxBytes;
            while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
                --cut;
            text.resize(cut);
        }
        return text;
    }

    std::vector<PageLink> links(const std::string& selector) override
    {
        const QJsonObject answer =
            caller_.run("Links(\"" + selector + "\")",
                        QJsonObject{{"op", "links"},
                                    {"document", document_},
                                    {"selector", QString::fromUtf8(selector.data(), qsizetype(selector.size()))},
                                    {"maxLinks", kMaxLinks},
                                    {"maxText", kMaxLinkText},
                                    {"maxAddress", kMaxLinkAddress}});
        const QJsonArray found = answer.value(QStringLiteral("links")).toArray();
        std::vector<PageLink> links;
        links.reserve(std::size_t(std::min<qsizetype>(found.size(), kMaxLinks)));
        for (const QJsonValue& value : found) {
            if (links.size() == std::size_t(kMaxLinks))
                break;
            const QJsonObject link = value.toObject();
            links.push_back({link.value(QStringLiteral("address")).toString().toStdString(),
                             link.value(QStringLiteral("text")).toString().toStdString()});
        }
        return links;
    }

private:
    DocumentCaller caller_;
    double document_;
};

} // namespace

// ---------------------------------------------------------------------------

namespace detail {

class BrowserPage final : public QWebEnginePage {
public:
    BrowserPage(QWebEngineProfile* profile, QObject* parent, QtWebBrowser* owner)
        : QWebEnginePage(profile, parent), owner_(owner)
    {
    }

    // The browser is going away; later calls from Chromium go nowhere.
    void detach() { owner_ = nullptr; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        if (owner_)
            owner_->queueEvent(QtWebBrowser::EventKind::BeforeNavigate, addressText(url));
        return true;
    }

    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                  const QString& source) override
    {
        if (message.startsWith(frameReportTag())) {
            if (owner_)
                owner_->queueEvent(QtWebBrowser::EventKind::DocumentComplete,
                                   message.mid(frameReportTag().size()).toStdString());
            return;
        }
        QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
    }

private:
    QtWebBrowser* owner_;
};

} // namespace detail

// ---------------------------------------------------------------------------

QtWebBrowser::QtWebBrowser() : context_(std::make_unique<QObject>()), alive_(std::make_shared<bool>(true))
{
    view_ = new QWebEngineView;
    // All tabs share one profile: one network context and cookie jar (and,
    // with --process-per-site, one renderer per site).
    page_ = new detail::BrowserPage(browserProfile(), view_, this);
    // 51 tabs load at once; none of them may take the keyboard focus away
    // from the window the user works in.
    page_->settings()->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    page_->scripts().insert(frameReportScript());
    view_->setPage(page_);

    QObject::connect(page_, &QWebEnginePage::loadingChanged, context_.get(), [this](const QWebEngineLoadingInfo& info) {
        // Discarding ends a running load: no page came, and
        // the page keeps what it showed.
        if (discarding_) {
            loading_ = false;
            return;
        }
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
            loading_ = true;
            return;
        }
        loading_ = false;
        if (reloading_) {
            reloading_ = false;
            kept_ = false;
        }
        if (wanted_ != Lifecycle::Active)
            QMetaObject::invokeMethod(
                context_.get(), [this] { applyWantedState(); }, Qt::QueuedConnection);
        // A failed load still shows a document (the server's
        // error page or the browser's); a stopped one shows
        // whatever comes next.
        if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus ||
            info.status() == QWebEngineLoadingInfo::LoadFailedStatus) {
            hasDocument_ = true;
            // An HTTP error reply fails the load with its
            // status; a page that came is a 200.
            if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
                status_ = 200;
            else if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
                status_ = info.errorCode();
            else
                status_ = 0;
            queueEvent(EventKind::DocumentComplete, addressText(info.url()));
        }
    });
    QObject::connect(page_, &QWebEnginePage::lifecycleStateChanged, context_.get(),
                     [this](QWebEnginePage::LifecycleState state) { lifecycleChanged(fromEngine(state)); });
    QObject::connect(page_, &QWebEnginePage::visibleChanged, context_.get(), [this](bool visible) {
        // A page the user looks at matters again; one that went out of
        // sight may now take the state it was asked for. Out of the
        // engine's call first.
        if (visible)
            wanted_ = Lifecycle::Active;
        else if (wanted_ != Lifecycle::Active)
            QMetaObject::invokeMethod(
                context_.get(), [this] { applyWantedState(); }, Qt::QueuedConnection);
    });
}

QtWebBrowser::~QtWebBrowser()
{
    *alive_ = false;
    if (page_)
        page_->detach();
    context_.reset();
    delete view_.data();
}

QWidget* QtWebBrowser::widget() const
{
    return view_.data();
}

QWebEnginePage* QtWebBrowser::page() const
{
    return page_.data();
}

void QtWebBrowser::Navigate(const std::string& url)
{
    if (!page_)
        return;
    // The engine makes the page active for a load itself.
    wanted_ = Lifecycle::Active;
    const QString text = QString::fromUtf8(url.data(), qsizetype(url.size())).trimmed();
    // Like an address bar: "www.example.com" means http, a path means a file.
    const QUrl address = text.isEmpty() ? QUrl(QStringLiteral("about:blank")) : QUrl::fromUserInput(text);
    page_->load(address);
}

void QtWebBrowser::GoBack()
{
    if (!page_)
        return;
    // The engine makes a page active for a load, not for a step in its
    // history.
    setLifecycle(Lifecycle::Active);
    page_->triggerAction(QWebEnginePage::Back);
}

void QtWebBrowser::GoForward()
{
    if (!page_)
        return;
    setLifecycle(Lifecycle::Active);
    page_->triggerAction(QWebEnginePage::Forward);
}

void QtWebBrowser::Refresh2()
{
    if (!page_)
        return;
    // The engine's reload makes the page active (a discarded page reloads
    // once, not twice).
    wanted_ = Lifecycle::Active;
    page_->triggerAction(QWebEnginePage::Reload);
}

std::string QtWebBrowser::LocationURL()
{
    if (kept_)
        return keptUrl_;
    if (!page_ || page_->url().isEmpty())
        return {};
    return addressText(page_->url());
}

std::string QtWebBrowser::LocationName()
{
    // Before the first document the engine names the page after its
    // address; there is no title yet.
    if (!page_ || !hasDocument_)
        return {};
    if (kept_)
        return keptTitle_;
    return page_->title().toStdString();
}

int QtWebBrowser::LocationStatus()
{
    return hasDocument_ ? status_ : 0;
}

Lifecycle QtWebBrowser::lifecycle() const
{
    return page_ ? fromEngine(page_->lifecycleState()) : Lifecycle::Active;
}

void QtWebBrowser::setLifecycle(Lifecycle state)
{
    if (!page_)
        return;
    wanted_ = Lifecycle::Active;
    const Lifecycle current = lifecycle();
    if (state == current)
        return;
    if (state == Lifecycle::Active) {
        page_->setLifecycleState(QWebEnginePage::LifecycleState::Active);
        return;
    }
    // The engine has no way back from discarded but a reload, and a
    // discarded page costs less than a frozen one.
    if (current == Lifecycle::Discarded)
        return;
    // The engine refuses a shown page; a page that loads is still on its
    // way to the state the window expects (a frozen load never completes,
    // a discard loses it).
    if (page_->isVisible() || loading_) {
        wanted_ = state;
        return;
    }
    enterState(state);
}

void QtWebBrowser::applyWantedState()
{
    if (!page_ || wanted_ == Lifecycle::Active || page_->isVisible() || loading_)
        return;
    const Lifecycle state = wanted_;
    wanted_ = Lifecycle::Active;
    if (state != lifecycle() && lifecycle() != Lifecycle::Discarded)
        enterState(state);
}

void QtWebBrowser::enterState(Lifecycle state)
{
    if (!kept_) {
        // Read before the engine drops the page.
        keptUrl_ = LocationURL();
        keptTitle_ = LocationName();
        kept_ = true;
    }
    discarding_ = state == Lifecycle::Discarded;
    page_->setLifecycleState(toEngine(state));
    discarding_ = false;
    if (lifecycle() == Lifecycle::Discarded)
        trimHeapLater();
    // The engine may refuse (a page that never loaded anything).
    if (lifecycle() == Lifecycle::Active && !reloading_)
        kept_ = false;
}

void QtWebBrowser::lifecycleChanged(Lifecycle state)
{
    const Lifecycle previous = state_;
    state_ = state;
    if (state != Lifecycle::Active)
        return;
    // A discarded page comes back by reloading; until that load ends it has
    // nothing better to tell than what it had.
    if (previous == Lifecycle::Discarded)
        reloading_ = true;
    else if (!reloading_)
        kept_ = false;
}

void QtWebBrowser::wake(const std::string& call)
{
    setLifecycle(Lifecycle::Active);
    if (!reloading_)
        return;
    // Like the answer of a call: the windows paint meanwhile, and the
    // reload's events wait for the handler that made the call.
    const std::shared_ptr<bool> alive = alive_;
    waitForPage(call, [this] { return !reloading_; });
    if (!*alive)
        throw DocumentCallError(call + ": the browser was closed");
    if (reloading_)
        throw DocumentCallError(call + ": the page did not reload");
}

void QtWebBrowser::waitForPage(const std::string& call, const std::function<bool()>& done)
{
    if (!framework::Application::exists())
        throw DocumentCallError(call + ": no application to wait in");
    const std::shared_ptr<bool> alive = alive_;
    const auto deadline = std::chrono::steady_clock::now() + callTimeout;
    framework::Application::Wait gate;
    gate.sliceMs = 20;
    // Ends when done, when the browser goes, or at the deadline; the
    // caller tells which.
    gate.done = [&] { return !*alive || done() || std::chrono::steady_clock::now() >= deadline; };
    if (!framework::app().wait(gate))
        throw DocumentCallError(call + ": cancelled");
}

std::unique_ptr<HtmlDocument> QtWebBrowser::Document()
{
    if (!page_ || !hasDocument_)
        throw DocumentCallError("Document: no document is loaded");
    DocumentCaller caller(*this, alive_);
    const QJsonObject answer = caller.run("Document", QJsonObject{{"op", "document"}, {"candidate", nextDocumentId}});
    nextDocumentId += 1;
    return std::make_unique<QtHtmlDocument>(caller, answer.value(QStringLiteral("document")).toDouble());
}

std::chrono::milliseconds QtWebBrowser::documentCallTimeout()
{
    return callTimeout;
}

void QtWebBrowser::setDocumentCallTimeout(std::chrono::milliseconds timeout)
{
    callTimeout = timeout;
}

std::string QtWebBrowser::runDocumentScript(const std::string& call, const std::string& argumentsJson)
{
    if (!page_)
        throw DocumentCallError(call + ": the browser is closed");
    // A frozen page runs no script, and a discarded one has no document.
    wake(call);
    if (!page_)
        throw DocumentCallError(call + ": the browser was closed");

    // The answer may come after the wait gave up, or never; the callback
    // only touches this shared record.
    struct Wait {
        bool answered = false;
        QVariant result;
    };
    auto wait = std::make_shared<Wait>();
    const QString script = QString::fromUtf8(documentCallScript) + QLatin1Char('(') +
                           QString::fromUtf8(argumentsJson.data(), qsizetype(argumentsJson.size())) +
                           QStringLiteral(");");
    page_->runJavaScript(script, QWebEngineScript::ApplicationWorld, [wait](const QVariant& result) {
        wait->answered = true;
        wait->result = result;
    });

    const std::shared_ptr<bool> alive = alive_;
    // The answer comes through the event loop. Meanwhile the windows
    // paint, and events of every browser (this one's included) wait until
    // the handler that made the call has ended.
    if (!wait->answered)
        waitForPage(call, [&] { return wait->answered; });
    if (!*alive)
        throw DocumentCallError(call + ": the browser was closed");
    if (!wait->answered)
        throw DocumentCallError(call + ": the page did not answer");
    if (wait->result.typeId() != QMetaType::QString)
        throw DocumentCallError(call + ": the page refused the call");
    return wait->result.toString().toStdString();
}

void QtWebBrowser::queueEvent(EventKind kind, std::string url)
{
    pending_.push_back({kind, std::move(url)});
    scheduleDelivery();
}

void QtWebBrowser::scheduleDelivery()
{
    if (deliveryPosted_ || !context_)
        return;
    deliveryPosted_ = true;
    QMetaObject::invokeMethod(
        context_.get(),
        [this] {
            deliveryPosted_ = false;
            deliverEvents();
        },
        Qt::QueuedConnection);
}

void QtWebBrowser::deliverEvents()
{
    // Out of Chromium's callbacks now; the application decides whether the
    // listeners hear of them at once or after the handler that runs.
    while (!pending_.empty()) {
        const PendingEvent event = std::move(pending_.front());
        pending_.pop_front();
        if (event.kind == EventKind::BeforeNavigate)
            raiseBeforeNavigate2(event.url);
        else
            raiseDocumentComplete(event.url);
    }
}

// ---------------------------------------------------------------------------

// ---------------------------------------------------------------------------
// The shared profile

namespace {

BrowserProfileSettings& profileSettings()
{
    static BrowserProfileSettings settings;
    return settings;
}

QPointer<QWebEngineProfile>& sharedProfile()
{
    static QPointer<QWebEngineProfile> profile;
    return profile;
}

// A name in the folder that no file has yet: "report.pdf", "report (2).pdf".
QString freeName(const QDir& folder, const QString& wanted)
{
    const QFileInfo info(wanted.isEmpty() ? QStringLiteral("download") : wanted);
    // Only the last part: a page cannot name a path.
    const QString base = info.completeBaseName().isEmpty() ? QStringLiteral("download") : info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString name = base + suffix;
    for (int n = 2; folder.exists(name) && n < 10000; ++n)
        name = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix);
    return name;
}

void takeDownload(QWebEngineDownloadRequest* download)
{
    const BrowserProfileSettings& settings = profileSettings();
    QString folderPath = QString::fromStdString(settings.downloadFolder);
    if (folderPath.isEmpty())
        folderPath = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folderPath.isEmpty())
        folderPath = QDir::homePath();
    QDir folder(folderPath);
    folder.mkpath(QStringLiteral("."));
    download->setDownloadDirectory(folder.absolutePath());
    download->setDownloadFileName(freeName(folder, QFileInfo(download->downloadFileName()).fileName()));
    const std::string path = folder.absoluteFilePath(download->downloadFileName()).toStdString();
    const std::string source = download->url().toString().toStdString();
    if (settings.onDownload)
        settings.onDownload("Download: " + source + " -> " + path);
    QObject::connect(download, &QWebEngineDownloadRequest::isFinishedChanged, download, [download, path] {
        if (!download->isFinished() || !profileSettings().onDownload)
            return;
        profileSettings().onDownload(download->state() == QWebEngineDownloadRequest::DownloadCompleted
                                         ? "Download finished: " + path
                                         : "Download failed: " + path + " (" +
                                               download->interruptReasonString().toStdString() + ")");
    });
    download->accept();
}

} // namespace

void configureBrowserProfile(BrowserProfileSettings settings)
{
    profileSettings() = std::move(settings);
    setBrowsingDataClearer([] {
        QWebEngineProfile* profile = browserProfile();
        profile->cookieStore()->deleteAllCookies();
        profile->clearHttpCache();
        profile->clearAllVisitedLinks();
    });
}

void closeBrowserProfile()
{
    delete sharedProfile().data();
    sharedProfile() = nullptr;
}

QWebEngineProfile* browserProfile()
{
    if (sharedProfile())
        return sharedProfile();
    const BrowserProfileSettings& settings = profileSettings();
    QWebEngineProfile* profile = nullptr;
    if (settings.privateBrowsing || settings.storageFolder.empty()) {
        // Off the record: cookies, cache and history stay in memory.
        profile = new QWebEngineProfile(qApp);
    } else {
        profile = new QWebEngineProfile(QStringLiteral("vantrel"), qApp);
        const QString folder = QString::fromStdString(settings.storageFolder);
        profile->setPersistentStoragePath(folder + QStringLiteral("/storage"));
        profile->setCachePath(folder + QStringLiteral("/cache"));
        profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        profile->setHttpCacheMaximumSize(static_cast<int>(std::min<long long>(settings.cacheBytes, INT32_MAX)));
        profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    }
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile, takeDownload);
    sharedProfile() = profile;
    return profile;
}

std::shared_ptr<WebBrowser> makeQtWebBrowser()
{
    return std::make_shared<QtWebBrowser>();
}

QWidget* qtWebBrowserWidget(WebBrowser& browser)
{
    auto* qtBrowser = dynamic_cast<QtWebBrowser*>(&browser);
    return qtBrowser ? qtBrowser->widget() : nullptr;
}

} // namespace browserctl
