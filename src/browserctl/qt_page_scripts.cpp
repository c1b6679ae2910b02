#include "browserctl/qt_page_scripts.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <stdexcept>

namespace browserctl::detail {

namespace {

QString resource(const char* name)
{
    QFile file(QStringLiteral(":/browserctl/page_scripts/") + QLatin1String(name));
    // The scripts are part of the library; without them nothing works.
    if (!file.open(QIODevice::ReadOnly))
        throw std::logic_error(std::string("page script missing from the resources: ") + name);
    return QString::fromUtf8(file.readAll());
}

QString randomTag(const char* what)
{
    return QStringLiteral("vantrel-%1:%2:")
        .arg(QLatin1String(what))
        .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

// The names of the events the page's world sends about its requests. The
// page can learn these (its world runs the counter); they reveal nothing
// else.
const QString& requestStartEvent()
{
    static const QString name = randomTag("request-start");
    return name;
}

const QString& requestEndEvent()
{
    static const QString name = randomTag("request-end");
    return name;
}

QString json(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

const QString& documentCallsScript()
{
    static const QString script = QStringLiteral("(function (args) {\n'use strict';\n") + resource("common.js") +
                                  resource("search_form.js") + resource("result_list.js") + resource("block_check.js") +
                                  resource("document_calls.js") + QStringLiteral("})");
    return script;
}

const QString& settleWatchScript()
{
    static const QString script = resource("settle_watch.js");
    return script;
}

QWebEngineScript documentStartScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("vantrel-document-start"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(
        resource("document_start.js") + QLatin1Char('(') +
        json({{"frameTag", frameReportTag()}, {"startEvent", requestStartEvent()}, {"endEvent", requestEndEvent()}}) +
        QStringLiteral(");\n"));
    return script;
}

QWebEngineScript requestCounterScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("vantrel-request-counter"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(
        resource("request_counter.js") + QLatin1Char('(') +
        QString::fromUtf8(
            QJsonDocument(QJsonArray{requestStartEvent(), requestEndEvent()}).toJson(QJsonDocument::Compact))
            .mid(1)
            .chopped(1) +
        QStringLiteral(");\n"));
    return script;
}

const QString& frameReportTag()
{
    static const QString tag = randomTag("frame-complete");
    return tag;
}

const QString& settleReportTag()
{
    static const QString tag = randomTag("settled");
    return tag;
}

} // namespace browserctl::detail
