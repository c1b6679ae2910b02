// The formats of a run's results: CSV that parses back to the records,
// result file names that never collide, and the choice of result links.

#include <gtest/gtest.h>

#include "browser/run_results.h"
#include "platform/text_codec.h"
#include "temp_dir.h"

using namespace results;
using testsupport::readRaw;

namespace {

RunRecord awkwardRun()
{
    RunRecord run;
    run.started = {2026, 12, 8, 15, 30, 12};
    run.theme = "草津 ";
    run.mode = "List";
    run.page = "Base";
    run.site = "http://site.example/JPN/";
    EntryRecord done;
    done.number = 1;
    done.entry = "月, \"十二\"";
    done.query = "草津 月, \"十二\"";
    done.state = EntryState::Done;
    done.passes = 1;
    done.seconds = 7.04;
    done.finalAddress = "http://site.example/JPN/result?q=a,b";
    done.title = "Result:\nline two";
    done.links = {{"http://example.org/a", "First, one"}, {"http://example.net/b", "二番目"}};
    EntryRecord givenUp;
    givenUp.number = 2;
    givenUp.entry = "never";
    givenUp.query = "草津 never";
    givenUp.state = EntryState::GivenUp;
    givenUp.passes = 3;
    EntryRecord leftOut;
    leftOut.number = 3;
    leftOut.entry = "late";
    leftOut.query = "草津 late";
    leftOut.state = EntryState::LeftOut;
    run.entries = {done, givenUp, leftOut};
    return run;
}

// RFC 4180, as a spreadsheet program reads it.
std::vector<std::vector<std::string>> parseCsv(const std::string& text)
{
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false;
    bool fieldStarted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"' && !fieldStarted) {
            quoted = fieldStarted = true;
        } else if (c == ',') {
            rows.back().push_back(field);
            field.clear();
            fieldStarted = false;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            rows.back().push_back(field);
            field.clear();
            fieldStarted = false;
            rows.emplace_back();
            ++i;
        } else {
            EXPECT_NE(c, '"') << "a bare quote in an unquoted field";
            field += c;
            fieldStarted = true;
        }
    }
    EXPECT_FALSE(quoted);
    if (rows.back().empty() && field.empty())
        rows.pop_back();
    else
        rows.back().push_back(field);
    return rows;
}

TEST(RunResultsTest, CsvParsesBackToTheRecords)
{
    const RunRecord run = awkwardRun();
    const std::string csv = toCsv(run);
    ASSERT_EQ(csv.rfind("\xEF\xBB\xBF", 0), 0u);
    const auto rows = parseCsv(csv.substr(3));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"number", "entry", "query", "state", "passes", "seconds",
                                                 "final address", "title", "links", "link texts"}));
    for (size_t i = 0; i < run.entries.size(); ++i) {
        const EntryRecord& entry = run.entries[i];
        const auto& row = rows[i + 1];
        ASSERT_EQ(row.size(), 10u);
        EXPECT_EQ(row[0], std::to_string(entry.number));
        EXPECT_EQ(row[1], entry.entry);
        EXPECT_EQ(row[2], entry.query);
        EXPECT_EQ(row[3], stateName(entry.state));
        EXPECT_EQ(row[4], std::to_string(entry.passes));
        EXPECT_EQ(row[6], entry.finalAddress);
        EXPECT_EQ(row[7], entry.title);
    }
    EXPECT_EQ(rows[1][5], "7.0");
    EXPECT_EQ(rows[1][8], "http://example.org/a\nhttp://example.net/b");
    EXPECT_EQ(rows[1][9], "First, one\n二番目");
    EXPECT_EQ(rows[2][3], "given up");
    EXPECT_EQ(rows[3][3], "left out");
    EXPECT_EQ(toTabSeparated(run).substr(0, 13), "number\tentry\t");
    EXPECT_NE(toTabSeparated(run).find("Result: line two\thttp://example.org/a http://example.net/b\n"),
              std::string::npos);
}

TEST(RunResultsTest, ResultFilesNeverCollideNorLeaveTheirFolder)
{
    testsupport::TempDir dir;
    RunRecord run = awkwardRun();
    EXPECT_EQ(fileStem(run), "2026-12-08_153012_草津");
    const auto first = saveRun(run, dir / "Results");
    const auto second = saveRun(run, dir / "Results");
    EXPECT_EQ(first.filename(), "2026-12-08_153012_草津.csv");
    EXPECT_EQ(second.filename(), "2026-12-08_153012_草津_2.csv");
    EXPECT_EQ(readRaw(first), toCsv(run));
    EXPECT_EQ(readRaw(dir / "Results" / "2026-12-08_153012_草津_2.json"), toJson(run));

    run.theme = " ../a/b:c ";
    EXPECT_EQ(fileStem(run), "2026-12-08_153012_.._a_b_c");
    run.theme = "..";
    EXPECT_EQ(fileStem(run), "2026-12-08_153012__");
    run.theme = "";
    EXPECT_EQ(fileStem(run), "2026-12-08_153012");
    run.theme = std::string(30, 'x') + std::string(30, '\0') + "温泉温泉温泉温泉温泉温泉温泉温泉";
    const std::string cut = fileStem(run);
    EXPECT_LE(cut.size(), 18u + 80u);
    EXPECT_EQ(cut.find('\0'), std::string::npos);
    EXPECT_TRUE(platform::isValidUtf8(cut)) << "cut inside a character";
    EXPECT_EQ(cut.substr(cut.size() - 3), "泉");
}

TEST(RunResultsTest, ResultLinksLeadAwayFromTheSiteOnceEach)
{
    const std::vector<Link> page = {{"http://site.example:8080/JPN/", "Search again"},
                                    {"http://site.example/JPN/result?q=x#top", "Top"},
                                    {"javascript:void(0)", "Menu"},
                                    {"http://example.org/a", "A"},
                                    {"mailto:me@example.org", "Mail"},
                                    {"HTTPS://Example.NET/b", "B"},
                                    {"http://example.org/a", "A again"},
                                    {"http://example.com/c", "C"}};
    const std::string site = "http://site.example/JPN/";
    const std::string here = "http://site.example/JPN/result?q=x";
    EXPECT_EQ(selectResultLinks(page, site, here, false, 10),
              (std::vector<Link>{{"http://example.org/a", "A"}, {"HTTPS://Example.NET/b", "B"}, {"http://example.com/c", "C"}}));
    EXPECT_EQ(selectResultLinks(page, site, here, false, 2).size(), 2u);
    EXPECT_TRUE(selectResultLinks(page, site, here, false, 0).empty());
    // The site's own selection keeps its own links, but never scripts,
    // places in the page or repeats.
    EXPECT_EQ(selectResultLinks(page, site, here, true, 3),
              (std::vector<Link>{{"http://site.example:8080/JPN/", "Search again"}, {"http://example.org/a", "A"},
                                 {"mailto:me@example.org", "Mail"}}));
}

}  // namespace
