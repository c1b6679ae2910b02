// `vantrel run` as a script starts it: the real program, real browsers, the
// product site copy on loopback. It searches every word, writes its CSV
// and JSON, and tells by its exit status whether every word was done.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <mutex>
#include <regex>
#include <thread>

#include "http_server.h"
#include "program_process.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::HttpRequest;
using testsupport::HttpResponse;
using testsupport::readRaw;
using testsupport::writeRaw;

// The fields of one CSV record line without quotes, links column aside.
std::vector<std::string> csvRows(const std::string& text)
{
    std::vector<std::string> rows;
    std::string row;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            quoted = !quoted;
        if (!quoted && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            rows.push_back(row);
            row.clear();
            ++i;
            continue;
        }
        row += c;
    }
    return rows;
}

class BatchRunIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A word with "never" gets a result page whose picture never comes,
        // so the page never completes.
        server.handle("/USA/result", [this](const HttpRequest& request) {
            {
                std::lock_guard lock(mutex);
                resultCookies.push_back(request.header("cookie"));
            }
            // A search for "login" logs in with a session cookie.
            if (request.param("q").find("login") != std::string::npos) {
                HttpResponse response = testsupport::searchResultPage(request);
                response.headers.emplace_back("Set-Cookie", "session=kept; Path=/");
                return response;
            }
            // A search for "console" gets a page that talks on its console.
            if (request.param("q").find("console") != std::string::npos) {
                HttpResponse response = testsupport::searchResultPage(request);
                response.body += "<script>console.warn('page console says hello')</script>";
                return response;
            }
            if (request.param("q").find("never") == std::string::npos)
                return testsupport::searchResultPage(request);
            return HttpResponse::html("<!DOCTYPE html><title>Stalled</title><img src=\"/stall.png\">");
        });
        server.handle("/stall.png", [this](const HttpRequest&) {
            for (int i = 0; i < 1200 && !stopping; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            return HttpResponse::error(404);
        });
        server.start();
        testsupport::copyDataSet(data.path());
        writeRaw(data / "0Base.INI", "[Begin]\r\nLanguage=USA\r\n[Base]\r\nURL=" + server.url("/") +
                                         "\r\nFormName=cse-search-box\r\nInputName=q\r\n");
    }
    void TearDown() override
    {
        stopping = true;
        server.stop();
    }
    // The program with these arguments after the data folder and the
    // theme; in workingDirectory when one is given, and then with the data
    // folder named as given in extra.
    int run(const std::vector<std::string>& extra, const fs::path& workingDirectory = {})
    {
        std::vector<std::string> args = {"run", "--theme", "Weather", "--try-time", "6"};
        if (workingDirectory.empty())
            args.insert(args.begin() + 1, {"--data-dir", data.path().string()});
        args.insert(args.end(), extra.begin(), extra.end());
        testsupport::ProgramProcess program(testsupport::vantrelBinary(), args,
                                            {"VANTREL_REGISTRY=" + (config / "registry.ini").string()}, {},
                                            workingDirectory.string());
        const int status = program.waitForExit(std::chrono::seconds(240));
        output = program.errorOutput();
        return status;
    }
    std::vector<std::string> outputLines() const
    {
        std::vector<std::string> lines;
        for (size_t start = 0; start < output.size();) {
            const size_t end = std::min(output.find('\n', start), output.size());
            lines.push_back(output.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }
    std::vector<fs::path> results(const std::string& extension) const
    {
        std::vector<fs::path> files;
        if (fs::exists(data / "Results"))
            for (const auto& entry : fs::directory_iterator(data / "Results"))
                if (entry.path().extension() == extension)
                    files.push_back(entry.path());
        return files;
    }

    std::string lastResultCookie()
    {
        std::lock_guard lock(mutex);
        return resultCookies.empty() ? "(no request)" : resultCookies.back();
    }

    std::mutex mutex;
    std::vector<std::string> resultCookies;
    std::atomic<bool> stopping{false};
    testsupport::HttpServer server{testsupport::sourceDataFolder() / "site"};
    testsupport::TempDir data;
    testsupport::TempDir config;
    std::string output;
};

TEST_F(BatchRunIntegrationTest, FiveWordsAreDoneWithTheirResultPagesAndLinks)
{
    const fs::path out = config / "run.csv";
    ASSERT_EQ(run({"--words", "Tokyo,Osaka,Kyoto,Nara,Kobe", "--out", out.string()}), 0) << output;
    EXPECT_NE(output.find("1/5 Weather Tokyo done"), std::string::npos) << output;
    EXPECT_NE(output.find("5/5 Weather Kobe done"), std::string::npos) << output;
    ASSERT_EQ(results(".csv").size(), 1u);
    ASSERT_EQ(results(".json").size(), 1u);
    const std::string csv = readRaw(results(".csv")[0]);
    EXPECT_EQ(readRaw(out), csv);
    const auto rows = csvRows(csv);
    ASSERT_EQ(rows.size(), 6u) << csv;
    const char* words[] = {"Tokyo", "Osaka", "Kyoto", "Nara", "Kobe"};
    for (int i = 0; i < 5; ++i) {
        const std::string& row = rows[static_cast<size_t>(i) + 1];
        const std::string word = words[i];
        EXPECT_EQ(row.rfind(std::to_string(i + 1) + "," + word + ",Weather " + word + ",done,1,", 0), 0u) << row;
        EXPECT_NE(row.find(server.url("/USA/result?q=Weather+" + word)), std::string::npos) << row;
        EXPECT_NE(row.find(",Result: Weather " + word + ","), std::string::npos) << row;
        // The result page's links to other hosts, not its own.
        EXPECT_NE(row.find("\"http://example.org/search/Weather%20" + word + "\nhttps://example.net/wiki/Weather%20" +
                           word + "\nhttp://example.com/a?q=Weather%20" + word + "\""),
                  std::string::npos)
            << row;
    }
}

TEST_F(BatchRunIntegrationTest, AWordWhosePageNeverCompletesExitsTwo)
{
    writeRaw(config / "words.txt", "Tokyo\r\nnever\r\n");
    EXPECT_EQ(run({"--words-file", (config / "words.txt").string(), "--passes", "1"}), 2) << output;
    EXPECT_NE(output.find("1/2 Weather Tokyo done"), std::string::npos) << output;
    EXPECT_NE(output.find("2/2 Weather never given up"), std::string::npos) << output;
    EXPECT_EQ(results(".json").size(), 1u);
}

TEST_F(BatchRunIntegrationTest, BadArgumentsChangeNothingAndSayWhatIsThere)
{
    EXPECT_EQ(run({"--list", "Nowhere"}), 1);
    EXPECT_EQ(output, "vantrel run: there is no word list \"Nowhere\"; the word lists are: 5w4h, Area, "
                      "Constellation, Month\n");
    EXPECT_FALSE(fs::exists(data / "Results"));

    // A data folder that is not there is told as such, before the engine
    // starts, however it was named.
    EXPECT_EQ(run({"--data-dir", "gone", "--list", "Month"}, config.path()), 1);
    EXPECT_EQ(output, "vantrel run: the data folder \"" + (fs::canonical(config.path()) / "gone").string() +
                          "\" does not exist\n");
    EXPECT_FALSE(fs::exists(config / "gone"));
}

// The browser engine's helper processes do not work in our directory: a
// relative data folder once reached the browser profile as it was typed,
// and the engine's storage never came up (words given up, runs 5 to 25
// times slower). Every path the user types is taken against the directory
// the program starts in.
TEST_F(BatchRunIntegrationTest, RelativePathsRunAsAbsoluteOnes)
{
    writeRaw(config / "words.txt", "Tokyo\nOsaka\nKyoto\nNara\n");
    const fs::path start = data.path().parent_path();
    const std::string configName = config.path().filename().string();
    ASSERT_EQ(run({"--data-dir", data.path().filename().string() + "/", "--words-file", configName + "/words.txt",
                   "--out", configName + "/run.json", "--pacing", "quick", "--interval", "0", "--passes", "1"},
                  start),
              0)
        << output;
    ASSERT_EQ(results(".csv").size(), 1u);
    EXPECT_NE(output.find("4 words: 4 done; results: " + fs::canonical(results(".csv")[0]).string() + "\n"),
              std::string::npos)
        << output;
    EXPECT_TRUE(fs::exists(config / "run.json"));
    EXPECT_TRUE(fs::exists(data / "Browser" / "storage"));
}

// Without --verbose standard error holds the run's own lines: a line per
// word as it ends and the summary; not the engine's start-up report nor a
// page's console. --quiet leaves the summary alone.
TEST_F(BatchRunIntegrationTest, StandardErrorHoldsTheRunsOwnLinesOnly)
{
    const std::vector<std::string> words = {"--words", "Tokyo,console", "--pacing", "quick", "--interval", "0"};
    ASSERT_EQ(run(words), 0) << output;
    const std::regex entry("[12]/2 Weather (Tokyo|console) done [0-9]+\\.[0-9] s");
    const std::regex summary("2 words: 2 done; results: /.*\\.csv");
    auto lines = outputLines();
    ASSERT_EQ(lines.size(), 3u) << output;
    EXPECT_TRUE(std::regex_match(lines[0], entry)) << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], entry)) << lines[1];
    EXPECT_TRUE(std::regex_match(lines[2], summary)) << lines[2];

    std::vector<std::string> quiet = words;
    quiet.push_back("--quiet");
    ASSERT_EQ(run(quiet), 0) << output;
    lines = outputLines();
    ASSERT_EQ(lines.size(), 1u) << output;
    EXPECT_TRUE(std::regex_match(lines[0], summary)) << lines[0];

    std::vector<std::string> verbose = words;
    verbose.push_back("--verbose");
    ASSERT_EQ(run(verbose), 0) << output;
    EXPECT_NE(output.find("page console says hello"), std::string::npos) << output;
    EXPECT_GT(outputLines().size(), 3u);
}

// What ends the program is still told, in the run's words.
TEST_F(BatchRunIntegrationTest, ACrashIsToldWithoutTheEngineChatter)
{
    testsupport::ProgramProcess program(
        testsupport::vantrelBinary(),
        {"run", "--data-dir", data.path().string(), "--theme", "Weather", "--words", "Tokyo,never", "--try-time", "6"},
        {"VANTREL_REGISTRY=" + (config / "registry.ini").string()});
    ASSERT_TRUE(program.waitForError("1/2 Weather Tokyo done")) << program.errorOutput();
    program.signal(SIGSEGV);
    EXPECT_EQ(program.waitForExit(), 128 + SIGSEGV);
    EXPECT_EQ(program.errorOutput().substr(program.errorOutput().find('\n') + 1),
              "vantrel run: the program crashed; run it again with --verbose to see the browser engine's "
              "messages\n");
}

TEST_F(BatchRunIntegrationTest, ALoginOutlivesTheProgramUnlessBrowsingIsPrivate)
{
    ASSERT_EQ(run({"--words", "login"}), 0) << output;
    ASSERT_EQ(run({"--words", "Tokyo"}), 0) << output;
    EXPECT_EQ(lastResultCookie(), "session=kept");
    EXPECT_TRUE(fs::exists(data / "Browser" / "storage"));

    // Private: the kept login is not seen, and its own is not kept.
    const std::string base = readRaw(data / "0Base.INI");
    writeRaw(data / "0Base.INI", "[Begin]\r\nPrivateBrowsing=1\r\n" + base.substr(base.find("Language=")));
    ASSERT_EQ(run({"--words", "Osaka"}), 0) << output;
    EXPECT_EQ(lastResultCookie(), "");
    ASSERT_EQ(run({"--words", "login"}), 0) << output;
    ASSERT_EQ(run({"--words", "Kyoto"}), 0) << output;
    EXPECT_EQ(lastResultCookie(), "");
}

} // namespace
