// The JSON of a run's results, read back with Qt's JSON parser: awkward
// text (quotes, backslashes, control characters, Japanese, bytes that are
// not UTF-8) stays valid JSON and reads back as written.

#include "ui/qt_keywords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "browser/run_results.h"

namespace {

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

TEST(RunResultsJsonTest, AwkwardTextParsesBackToTheRecords)
{
    results::RunRecord run;
    run.started = {2026, 12, 8, 9, 5, 3};
    run.theme = "温泉 \"quoted\" back\\slash\ttab";
    run.mode = "List";
    run.site = "http://site.example/JPN/";
    run.tryTime = 6;
    results::EntryRecord entry;
    entry.number = 1;
    entry.entry = std::string("bell\x07 and\nnew line");
    entry.query = run.theme + entry.entry;
    entry.state = results::EntryState::Done;
    entry.passes = 2;
    entry.seconds = 3.25;
    entry.title = std::string("bad \xFF byte");
    entry.links = {{"http://example.org/一", "一番"}, {"http://example.net/", ""}};
    run.entries = {entry, results::EntryRecord{}};

    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(results::toJson(run)), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject object = document.object();
    EXPECT_EQ(object["started"].toString(), "2026-12-08T09:05:03");
    EXPECT_EQ(object["theme"].toString(), qs(run.theme));
    EXPECT_EQ(object["tryTime"].toInt(), 6);
    const QJsonArray entries = object["entries"].toArray();
    ASSERT_EQ(entries.size(), 2);
    const QJsonObject first = entries[0].toObject();
    EXPECT_EQ(first["entry"].toString(), qs(entry.entry));
    EXPECT_EQ(first["query"].toString(), qs(entry.query));
    EXPECT_EQ(first["state"].toString(), "done");
    EXPECT_EQ(first["passes"].toInt(), 2);
    EXPECT_NEAR(first["seconds"].toDouble(), 3.2, 0.051);
    EXPECT_EQ(first["title"].toString(), QString::fromUtf8("bad \xEF\xBF\xBD byte"));
    const QJsonArray links = first["links"].toArray();
    ASSERT_EQ(links.size(), 2);
    EXPECT_EQ(links[0].toObject()["address"].toString(), qs("http://example.org/一"));
    EXPECT_EQ(links[0].toObject()["text"].toString(), qs("一番"));
    EXPECT_EQ(entries[1].toObject()["links"].toArray().size(), 0);
    EXPECT_EQ(entries[1].toObject()["state"].toString(), "waiting");
}

}  // namespace
