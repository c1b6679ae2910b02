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

// Made once a process: the page cannot guess them. The request events
// are sent by the page's world about its requests; the page can learn
// their names (its world runs the counter), and they reveal nothing else.
struct Tags {
    QString requestStart = randomTag("request-start");
    QString requestEnd = randomTag("request-end");
    QString frameReport = randomTag("frame-complete");
    QString settleReport = randomTag("settled");
};

const Tags& tags()
{
    static const Tags made;
    return made;
}

QString json(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// A script file that is one function, called with these arguments.
QString callOf(const char* name, const QString& arguments)
{
    return resource(name) + QLatin1Char('(') + arguments + QStringLiteral(");\n");
}

// A script that runs as each document is created, before the page's own.
QWebEngineScript creationScript(const char* name, quint32 world, bool subFrames, const QString& source)
{
    QWebEngineScript script;
    script.setName(QLatin1String(name));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(world);
    script.setRunsOnSubFrames(subFrames);
    script.setSourceCode(source);
    return script;
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
    return creationScript("vantrel-document-start", QWebEngineScript::ApplicationWorld, true,
                          callOf("document_start.js", json({{"frameTag", frameReportTag()},
                                                            {"startEvent", tags().requestStart},
                                                            {"endEvent", tags().requestEnd}})));
}

QWebEngineScript requestCounterScript()
{
    // The page's own world: it counts the page's requests as they start.
    const QString events =
        QString::fromUtf8(
            QJsonDocument(QJsonArray{tags().requestStart, tags().requestEnd}).toJson(QJsonDocument::Compact))
            .mid(1)
            .chopped(1);
    return creationScript("vantrel-request-counter", QWebEngineScript::MainWorld, false,
                          callOf("request_counter.js", events));
}

const QString& frameReportTag()
{
    return tags().frameReport;
}

const QString& settleReportTag()
{
    return tags().settleReport;
}

} // namespace browserctl::detail
