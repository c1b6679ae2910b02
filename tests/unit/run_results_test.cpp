// The run's result files: the CSV reads back into the same records with a
// strict RFC 4180 reader, result files never replace one another nor leave
// their folder, and only a result page's own results are harvested.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "browser/run_results.h"
#include "framework/errors.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using results::EntryRecord;
using results::EntryState;
using results::Link;
using results::RunRecord;

using Rows = std::vector<std::vector<std::string>>;

// RFC 4180: rows end with CR LF, a quoted field may hold anything with its
// quotes doubled, an unquoted one no quote, CR or LF.
Rows parseCsv(const std::string& text)
{
    Rows rows(1, std::vector<std::string>(1));
    size_t pos = 0;
    while (pos < text.size()) {
        std::string& field = rows.back().back();
        if (text[pos] == '"') {
            if (!field.empty()) {
                ADD_FAILURE() << "quote inside an unquoted field at " << pos;
                return {};
            }
            for (++pos;; ++pos) {
                if (pos >= text.size()) {
                    ADD_FAILURE() << "unterminated quoted field";
                    return {};
                }
                if (text[pos] == '"') {
                    if (pos + 1 < text.size() && text[pos + 1] == '"') {
                        field += '"';
                        ++pos;
                    } else {
                        ++pos;
                        break;
                    }
                } else {
                    field += text[pos];
                }
            }
            if (pos < text.size() && text[pos] != ',' && text[pos] != '\r') {
                ADD_FAILURE() << "text after a quoted field at " << pos;
                return {};
            }
        } else if (text[pos] == ',') {
            rows.back().emplace_back();
            ++pos;
        } else if (text[pos] == '\r') {
            if (text.compare(pos, 2, "\r\n") != 0) {
                ADD_FAILURE() << "bare CR at " << pos;
                return {};
            }
            pos += 2;
            if (pos < text.size()) {
                rows.emplace_back(1);
            }
        } else if (text[pos] == '\n') {
            ADD_FAILURE() << "bare LF at " << pos;
            return {};
        } else {
            field += text[pos++];
        }
    }
    return rows;
}

std::string joinLines(const std::vector<Link>& links, bool texts)
{
    std::string out;
    for (size_t i = 0; i < links.size(); ++i)
        out += (i ? "\n" : "") + (texts ? links[i].text : links[i].address);
    return out;
}

RunRecord sampleRun()
{
    RunRecord run;
    run.started = {2026, 3, 4, 5, 6, 7};
    run.theme = "草津";
    run.mode = "List";
    run.page = "Base";
    run.site = "http://127.0.0.1:8080/";
    EntryRecord done;
    done.number = 1;
    done.entry = "温泉, \"湯畑\"";
    done.query = "草津 温泉, \"湯畑\"";
    done.finalAddress = "http://127.0.0.1:8080/search?q=%E8%8D%89,x";
    done.title = "Results\r\nfor \"草津\"";
    done.state = EntryState::Done;
    done.passes = 1;
    done.seconds = 7;
    done.links = {{"http://example.org/a,b", "First, \"one\""},
                  {"https://example.net/wiki/草津", "草津 at example.net"}};
    // A POST result: what was sent reopens it.
    done.submission = browserctl::FormSubmission{"POST",
                                                 "http://127.0.0.1:8080/search",
                                                 "application/x-www-form-urlencoded",
                                                 "UTF-8",
                                                 {{"q", "草津 温泉"}, {"p", "1"}}};
    EntryRecord failed;
    failed.number = 2;
    failed.entry = "line\nbreak";
    failed.query = "草津 line\nbreak";
    failed.state = EntryState::Failed;
    failed.reason = "HTTP 401";
    failed.passes = 3;
    failed.seconds = 12.34;
    EntryRecord leftOut;
    leftOut.number = 52;
    leftOut.entry = "最後";
    leftOut.query = "草津 最後";
    leftOut.state = EntryState::LeftOut;
    run.entries = {done, failed, leftOut};
    return run;
}

TEST(RunResultsCsv, ReadsBackAsTheSameRecords)
{
    const RunRecord run = sampleRun();
    const std::string csv = results::toCsv(run);
    ASSERT_TRUE(csv.starts_with("\xEF\xBB\xBF"));
    const Rows rows = parseCsv(csv.substr(3));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"number", "entry", "query", "state", "passes", "seconds",
                                                 "final address", "title", "links", "link texts", "reason",
                                                 "form method", "form action", "form fields"}));
    const char* const seconds[] = {"7.0", "12.3", "0.0"};
    for (size_t i = 0; i < run.entries.size(); ++i) {
        const EntryRecord& e = run.entries[i];
        const auto& sent = e.submission;
        EXPECT_EQ(rows[i + 1],
                  (std::vector<std::string>{std::to_string(e.number), e.entry, e.query, results::stateName(e.state),
                                            std::to_string(e.passes), seconds[i], e.finalAddress, e.title,
                                            joinLines(e.links, false), joinLines(e.links, true), e.reason,
                                            sent ? sent->method : "", sent ? sent->action : "",
                                            sent ? browserctl::encodeFormFields(sent->fields) : ""}))
            << "row " << i + 1;
    }
    EXPECT_EQ(rows[2][3], "failed");
    EXPECT_EQ(rows[2][10], "HTTP 401");
    EXPECT_EQ(rows[1][13], "q=%E8%8D%89%E6%B4%A5+%E6%B8%A9%E6%B3%89&p=1");
    EXPECT_EQ(rows[3][3], "left out");
}

// Titles and link texts come from the pages: a formula in them must not run
// in the spreadsheet that opens the file, stray bytes must not make the file
// unreadable, and a line break in one text must not shift the lines of the
// texts against their links, and control characters (a NUL, a terminal's
// escape) must not reach the cells, nor hide a formula behind them. The
// user's own "-word" stays as it is.
TEST(RunResultsCsv, PageTextCannotInjectFormulasControlsOrBreakTheFile)
{
    RunRecord run;
    EntryRecord e;
    e.number = 1;
    e.entry = "-広告";
    e.query = "-広告" + std::string(1, '\0');
    e.title = "\x01" + std::string(1, '\0') + "=HYPERLINK(\"http://evil.example/\",\"x\")";
    e.finalAddress = "http://a.example/\x7F?\xC2\x85q\tx";
    e.links = {{"http://a.example/", "\x1B@SUM(1)\nsecond line"}, {"http://b.example/", "bad \xFF\xC3 byte"}};
    run.entries = {e};
    const std::string csv = results::toCsv(run);
    for (size_t i = 0; i < csv.size(); ++i) {
        const auto byte = static_cast<unsigned char>(csv[i]);
        const bool c1 = byte == 0xC2 && i + 1 < csv.size() && static_cast<unsigned char>(csv[i + 1]) < 0xA0;
        EXPECT_TRUE((byte >= 0x20 && byte != 0x7F && !c1) || byte == '\t' || byte == '\r' || byte == '\n')
            << "control character " << int(byte) << " at " << i;
    }
    const Rows rows = parseCsv(csv.substr(3));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][1], "-広告");
    EXPECT_EQ(rows[1][2], "-広告");
    EXPECT_EQ(rows[1][6], "http://a.example/?q\tx");
    EXPECT_EQ(rows[1][7], "'=HYPERLINK(\"http://evil.example/\",\"x\")");
    EXPECT_EQ(rows[1][8], "http://a.example/\nhttp://b.example/");
    EXPECT_EQ(rows[1][9], "'@SUM(1) second line\nbad \xEF\xBF\xBD\xEF\xBF\xBD byte");
    // JSON keeps them, escaped.
    EXPECT_NE(results::toJson(run).find("\"\\u0001\\u0000=HYPERLINK"), std::string::npos);
}

TEST(RunResultsFiles, StemIsTimeAndAFileNameSafeTheme)
{
    RunRecord run;
    run.started = {2026, 1, 2, 3, 4, 5};
    EXPECT_EQ(results::fileStem(run), "2026-01-02_030405");
    run.theme = " \xE3\x80\x80 a/b\\c:d*e?f\"g<h>i|j\tk \xE3\x80\x80";
    EXPECT_EQ(results::fileStem(run), "2026-01-02_030405_a_b_c_d_e_f_g_h_i_j_k");
    // 30 three-byte characters: 26 fit in 80 bytes, none is split.
    std::string longTheme;
    for (int i = 0; i < 30; ++i)
        longTheme += "草";
    run.theme = longTheme;
    EXPECT_EQ(results::fileStem(run), "2026-01-02_030405_" + longTheme.substr(0, 78));
    run.theme = "\xFF\xFE";
    EXPECT_EQ(results::fileStem(run), "2026-01-02_030405___");
}

TEST(RunResultsFiles, SavesNeverReplaceOneAnotherNorLeaveTheFolder)
{
    testsupport::TempDir dir;
    const fs::path folder = dir / "Results";
    RunRecord run = sampleRun();
    const fs::path first = results::saveRun(run, folder);
    const fs::path second = results::saveRun(run, folder);
    EXPECT_EQ(first, folder / "2026-03-04_050607_草津.csv");
    EXPECT_EQ(second, folder / "2026-03-04_050607_草津_2.csv");
    EXPECT_EQ(testsupport::readRaw(second), results::toCsv(run));
    EXPECT_EQ(testsupport::readRaw(folder / "2026-03-04_050607_草津_2.json"), results::toJson(run));

    // Another run's JSON alone (any letter case) holds the name of the pair.
    testsupport::writeRaw(folder / "2026-03-04_050607_草津_3.JSON", "{}");
    EXPECT_EQ(results::saveRun(run, folder), folder / "2026-03-04_050607_草津_4.csv");

    run.theme = "../../x/..";
    const fs::path escaped = results::saveRun(run, folder);
    EXPECT_EQ(escaped.parent_path(), folder);
    EXPECT_EQ(escaped.filename(), "2026-03-04_050607_.._.._x_...csv");
    int files = 0;
    for (const auto& item : fs::recursive_directory_iterator(dir.path())) {
        if (item.path() == folder)
            continue;
        EXPECT_EQ(item.path().parent_path(), folder) << item.path();
        files += item.is_regular_file();
    }
    EXPECT_EQ(files, 2 * 4 + 1);

    results::exportRun(run, dir / "out.Json");
    EXPECT_EQ(testsupport::readRaw(dir / "out.Json"), results::toJson(run));
    results::exportRun(run, dir / "out.txt");
    EXPECT_EQ(testsupport::readRaw(dir / "out.txt"), results::toCsv(run));
    EXPECT_THROW(results::exportRun(run, dir / "missing" / "out.csv"), framework::FileError);
}

// Scheduled scripts end in the same second with the same theme: each run
// must get a pair of its own, in whatever order the processes get there.
TEST(RunResultsFiles, RunsInRacingProcessesNeverShareAName)
{
    testsupport::TempDir dir;
    const fs::path folder = dir / "Results";
    const RunRecord run = sampleRun();
    constexpr int Processes = 4;
    constexpr int Rounds = 25;
    std::set<std::string> names;
    for (int round = 0; round < Rounds; ++round) {
        // The children wait on a pipe that the parent closes: all go at once.
        int start[2];
        ASSERT_EQ(::pipe(start), 0);
        std::vector<std::pair<pid_t, int>> children;
        for (int p = 0; p < Processes; ++p) {
            int answer[2];
            ASSERT_EQ(::pipe(answer), 0);
            const pid_t pid = ::fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                ::close(start[1]);
                char byte;
                [[maybe_unused]] auto got = ::read(start[0], &byte, 1);
                std::string name;
                try {
                    name = results::saveRun(run, folder).filename().string();
                } catch (const std::exception& e) {
                    name = std::string("error: ") + e.what();
                }
                [[maybe_unused]] auto written = ::write(answer[1], name.data(), name.size());
                ::_exit(0);
            }
            ::close(answer[1]);
            children.emplace_back(pid, answer[0]);
        }
        ::close(start[0]);
        ::close(start[1]);
        for (const auto& [pid, fd] : children) {
            std::string name;
            char buffer[512];
            for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                name.append(buffer, static_cast<size_t>(n));
            ::close(fd);
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_TRUE(names.insert(name).second) << "round " << round << ": two runs wrote " << name;
        }
    }
    int csv = 0;
    for (const auto& item : fs::directory_iterator(folder)) {
        if (item.path().extension() != ".csv")
            continue;
        ++csv;
        EXPECT_TRUE(names.count(item.path().filename().string())) << item.path();
        EXPECT_EQ(testsupport::readRaw(item.path()), results::toCsv(run)) << item.path();
        fs::path json = item.path();
        EXPECT_EQ(testsupport::readRaw(json.replace_extension(".json")), results::toJson(run)) << json;
    }
    EXPECT_EQ(csv, Processes * Rounds);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2 * Processes * Rounds);
}

// The page's result list, or what the site's selector chose, is kept as it
// comes (same-host results too: a wiki's results are its own pages) but
// for scripts, places in the page and repeats.
TEST(RunResultsLinks, OnlyResultsOfThePageAreHarvested)
{
    const std::string page = "http://127.0.0.1:8080/search?q=x#top";
    const std::vector<Link> all = {
        {"http://127.0.0.1:8080/", "Search again"},          {"http://example.org/search/x", "First"},
        {"http://127.0.0.1:8080/search?q=x#heading", "Top"}, {"JavaScript:void(0)", "Menu"},
        {"https://127.0.0.1/help", "Help over https"},       {"mailto:a@example.org", "Mail"},
        {"http://example.org/search/x", "First again"},      {"https://user@EXAMPLE.net:8443/wiki/x", "Second"},
        {"http://127.0.0.1:8080/next", "Next page"},         {"http://example.com/a?q=x", "Third"},
    };
    using V = std::vector<Link>;
    EXPECT_EQ(results::selectResultLinks(all, page, 10), (V{all[0], all[1], all[4], all[5], all[7], all[8], all[9]}));
    EXPECT_EQ(results::selectResultLinks(all, page, 2), (V{all[0], all[1]}));
    EXPECT_EQ(results::selectResultLinks(all, page, 0), V{});
    EXPECT_EQ(results::selectResultLinks(all, page, -1), V{});
}

TEST(RunResultsClipboard, TabSeparatedRowsHoldNoBreaks)
{
    const RunRecord run = sampleRun();
    EXPECT_EQ(results::toTabSeparated(run),
              "number\tentry\tquery\tstate\tpasses\tseconds\tfinal address\ttitle\tlinks\treason\n"
              "1\t温泉, \"湯畑\"\t草津 温泉, \"湯畑\"\tdone\t1\t7.0\thttp://127.0.0.1:8080/search?q=%E8%8D%89,x\t"
              "Results  for \"草津\"\thttp://example.org/a,b https://example.net/wiki/草津\t\n"
              "2\tline break\t草津 line break\tfailed\t3\t12.3\t\t\t\tHTTP 401\n"
              "52\t最後\t草津 最後\tleft out\t0\t0.0\t\t\t\t\n");
    const results::Tally t = results::tally(run);
    EXPECT_EQ((std::vector<int>{t.done, t.givenUp, t.leftOut, t.blocked, t.failed, t.stopped, t.other}),
              (std::vector<int>{1, 0, 1, 0, 1, 0, 0}));
}

} // namespace
