// The run's JSON file read back by a real JSON reader: awkward page text
// (quotes, backslashes, control characters, Japanese, stray bytes) never
// breaks the file and reads back as what the run recorded.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include "browser/run_results.h"
#include "platform/text_codec.h"

namespace {

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

TEST(RunResultsJson, AwkwardTextReadsBack)
{
    results::RunRecord run;
    run.started = {2026, 12, 8, 5, 3, 9};
    run.theme = "草津 \"湯\" \\ end";
    run.mode = "List";
    run.page = "Free";
    run.siteName = "Tab\there";
    run.site = "http://127.0.0.1:8080/";
    run.formName = "f";
    run.inputName = "q";
    run.category = "Bad \xFF byte";
    run.pacing = runs::Pacing::Quick;
    run.tryTime = 6;
    run.startTab = 3;
    results::EntryRecord done;
    done.number = 1;
    done.entry = "a\x01"
                 "b\x1F\r\n";
    done.query = "草津 a";
    done.finalAddress = "http://127.0.0.1:8080/search?q=%22";
    done.title = "</script> \u2028 \\\"";
    done.state = results::EntryState::Done;
    done.passes = 2;
    done.seconds = 7.26;
    done.links = {{"http://example.org/\"x\"", "Text \xC3\x28 cut"}, {"https://example.net/", ""}};
    done.submission = browserctl::FormSubmission{
        "POST", "http://127.0.0.1:8080/search", "multipart/form-data", "Shift_JIS", {{"q", "草津 \"a\""}, {"", "x"}}};
    results::EntryRecord blocked;
    blocked.number = 2;
    blocked.state = results::EntryState::Blocked;
    blocked.reason = "the page says \"captcha\"";
    run.entries = {done, blocked};

    const std::string json = results::toJson(run);
    EXPECT_TRUE(platform::isValidUtf8(json));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << json;
    const QJsonObject o = document.object();
    EXPECT_EQ(o.keys().size(), 13);
    EXPECT_EQ(o["started"].toString(), "2026-12-08T05:03:09");
    EXPECT_EQ(o["theme"].toString(), q(run.theme));
    EXPECT_EQ(o["mode"].toString(), "List");
    EXPECT_EQ(o["page"].toString(), "Free");
    EXPECT_EQ(o["siteName"].toString(), "Tab\there");
    EXPECT_EQ(o["site"].toString(), q(run.site));
    EXPECT_EQ(o["formName"].toString(), "f");
    EXPECT_EQ(o["inputName"].toString(), "q");
    EXPECT_EQ(o["category"].toString(), QString::fromUtf8("Bad \uFFFD byte"));
    EXPECT_EQ(o["pacing"].toString(), "quick");
    EXPECT_EQ(o["tryTime"].toInt(-1), 6);
    EXPECT_EQ(o["startTab"].toInt(-1), 3);

    const QJsonArray entries = o["entries"].toArray();
    ASSERT_EQ(entries.size(), 2);
    const QJsonObject e = entries[0].toObject();
    EXPECT_EQ(e["number"].toInt(-1), 1);
    EXPECT_EQ(e["entry"].toString(), q(done.entry));
    EXPECT_EQ(e["query"].toString(), q(done.query));
    EXPECT_EQ(e["state"].toString(), "done");
    EXPECT_EQ(e["passes"].toInt(-1), 2);
    EXPECT_DOUBLE_EQ(e["seconds"].toDouble(), 7.3);
    EXPECT_EQ(e["finalAddress"].toString(), q(done.finalAddress));
    EXPECT_EQ(e["title"].toString(), q(done.title));
    const QJsonArray links = e["links"].toArray();
    ASSERT_EQ(links.size(), 2);
    EXPECT_EQ(links[0].toObject()["address"].toString(), q(done.links[0].address));
    EXPECT_EQ(links[0].toObject()["text"].toString(), QString::fromUtf8("Text \uFFFD( cut"));
    EXPECT_EQ(links[1].toObject()["address"].toString(), "https://example.net/");
    EXPECT_EQ(links[1].toObject()["text"].toString(), "");
    EXPECT_EQ(e["reason"].toString(), "");
    const QJsonObject sent = e["submission"].toObject();
    EXPECT_EQ(sent["method"].toString(), "POST");
    EXPECT_EQ(sent["action"].toString(), "http://127.0.0.1:8080/search");
    EXPECT_EQ(sent["enctype"].toString(), "multipart/form-data");
    EXPECT_EQ(sent["charset"].toString(), "Shift_JIS");
    const QJsonArray fields = sent["fields"].toArray();
    ASSERT_EQ(fields.size(), 2);
    EXPECT_EQ(fields[0].toArray()[1].toString(), q("草津 \"a\""));
    EXPECT_EQ(fields[1].toArray()[0].toString(), "");
    const QJsonObject b = entries[1].toObject();
    EXPECT_EQ(b["state"].toString(), "blocked");
    EXPECT_EQ(b["reason"].toString(), q(blocked.reason));
    EXPECT_TRUE(b["submission"].isNull());
    EXPECT_EQ(b["entry"].toString(), "");
    EXPECT_TRUE(b["links"].isArray());
    EXPECT_EQ(b["links"].toArray().size(), 0);
}

} // namespace
