// The batch run: its arguments, and a run of the windows' models against
// scripted browsers that ends with an exit code and writes nothing but its
// results.

#include <gtest/gtest.h>

#include <csignal>

#include <filesystem>
#include <map>

#include "app/batch_run.h"
#include "app/globals.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "platform/files.h"
#include "temp_dir.h"

using browserctl::ScriptedWebBrowser;
using testsupport::readRaw;
using testsupport::writeRaw;
using vantrel::BatchError;
using vantrel::parseBatchOptions;

namespace {

std::string parseError(const std::vector<std::string>& args)
{
    try {
        parseBatchOptions(args);
    } catch (const BatchError& e) {
        return e.what();
    }
    return "<no error>";
}

TEST(BatchOptionsTest, BadArgumentsAreRefusedAndGoodOnesTaken)
{
    EXPECT_EQ(parseError({"--words", "a"}), "--theme is missing");
    EXPECT_EQ(parseError({"--theme", "x"}), "give the words with exactly one of --list, --words and --words-file");
    EXPECT_EQ(parseError({"--theme", "x", "--list", "Month", "--words", "a"}),
              "give the words with exactly one of --list, --words and --words-file");
    EXPECT_EQ(parseError({"--theme", "x", "--words", " , ,"}), "--words holds no word");
    EXPECT_EQ(parseError({"--theme", "x", "--words", "a", "--try-time", "3"}),
              "--try-time must lie between 6 and 1000");
    EXPECT_EQ(parseError({"--theme", "x", "--words", "a", "--try-time", "six"}),
              "--try-time needs a number, not \"six\"");
    EXPECT_EQ(parseError({"--theme", "x", "--words", "a", "--out", "r.txt"}),
              "--out names a .csv or a .json file, not \"r.txt\"");
    EXPECT_EQ(parseError({"--theme", "x", "--words", "a", "--site", "elsewhere"}),
              "--site takes base or free:NAME, not \"elsewhere\"");
    EXPECT_EQ(parseError({"--theme", "x", "--words", "a", "--fast"}), "unknown option \"--fast\"");
    EXPECT_EQ(parseError({"--theme"}), "--theme needs a value");

    const auto options = parseBatchOptions({"--theme=草津", "--words", " 月 , 星 ,", "--site", "free:Bing",
                                            "--try-time", "8", "--out", "R.JSON", "--data-dir", "/d"});
    EXPECT_EQ(options.theme, "草津");
    EXPECT_EQ(options.words, (std::vector<std::string>{"月", "星"}));
    EXPECT_EQ(options.site, "free:Bing");
    EXPECT_EQ(options.tryTime, 8);
    EXPECT_EQ(options.out, "R.JSON");
    EXPECT_EQ(options.dataDir, "/d");
    EXPECT_EQ(options.passes, 3);
    EXPECT_FALSE(options.quiet || options.verbose);
    EXPECT_TRUE(parseBatchOptions({"--theme", "x", "--words", "a", "--quiet"}).quiet);
    EXPECT_TRUE(parseBatchOptions({"--theme", "x", "--words", "a", "--verbose"}).verbose);
}

// What the user typed is taken against the directory the program started
// in, once; the browser engine's processes would take it elsewhere.
TEST(BatchOptionsTest, PathsAreMadeAbsoluteAgainstTheStartDirectory)
{
    testsupport::TempDir dir;
    auto options =
        parseBatchOptions({"--theme", "x", "--words-file", "../w.txt", "--out", "r.csv", "--data-dir", "./data/"});
    vantrel::makePathsAbsolute(options, dir.path() / "sub");
    EXPECT_EQ(options.wordsFile, (dir.path() / "w.txt").string());
    EXPECT_EQ(options.out, (dir.path() / "sub" / "r.csv").string());
    EXPECT_EQ(options.dataDir, (dir.path() / "sub" / "data").string());
    options = parseBatchOptions({"--theme", "x", "--words-file", "-"});
    vantrel::makePathsAbsolute(options, dir.path());
    EXPECT_EQ(options.wordsFile, "-");
    EXPECT_EQ(options.dataDir, "");

    EXPECT_NO_THROW(vantrel::checkDataFolder(dir.path()));
    EXPECT_THROW(
        {
            try {
                vantrel::checkDataFolder(dir.path() / "gone");
            } catch (const BatchError& e) {
                EXPECT_STREQ(e.what(),
                             ("the data folder \"" + (dir.path() / "gone").string() + "\" does not exist").c_str());
                throw;
            }
        },
        BatchError);
    writeRaw(dir.path() / "file", "");
    EXPECT_THROW(vantrel::checkDataFolder(dir.path() / "file"), BatchError);
}

class BatchRunTest : public testsupport::AppFixture {
protected:
    void SetUp() override
    {
        seedFromRepository();
        writeRaw(data() / "0Base.INI", "[Begin]\r\nLanguage=USA\r\n[Base]\r\nURL=http://site.example/\r\n"
                                       "FormName=cse-search-box\r\nInputName=q\r\n");
        onBrowserCreated = [](ScriptedWebBrowser& b) {
            b.completeAtOnce = true;
            b.settleAtOnce = true;
            b.forms["cse-search-box"].fields = {"q"};
            b.onSubmit = [](ScriptedWebBrowser& browser, const std::string&, ScriptedWebBrowser::Form& form) {
                if (form.values["q"].find("never") == std::string::npos)
                    browser.load(browser.url + "result?q=" + form.values["q"], "Result: " + form.values["q"]);
            };
        };
        before_ = snapshot();
        platform::setWriteFence(data() / "Results");
        start();
    }
    void TearDown() override
    {
        closeProgram();
        platform::setWriteFence({});
        // Nothing but the results changed.
        auto after = snapshot();
        std::erase_if(after, [](const auto& file) { return file.first.rfind("Results/", 0) == 0; });
        EXPECT_EQ(after, before_);
    }
    // Every file of the data folder and its bytes.
    std::map<std::string, std::string> snapshot() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(data()))
            if (entry.is_regular_file())
                files[std::filesystem::relative(entry.path(), data()).generic_string()] = readRaw(entry.path());
        return files;
    }
    int run(const std::vector<std::string>& args)
    {
        vantrel::BatchRun batch(parseBatchOptions(args), [this](const std::string& line) { lines.push_back(line); });
        batch.start();
        for (int i = 0; i < 2000 && !batch.finished(); ++i)
            scripted.clock->advance(1000);
        EXPECT_TRUE(batch.finished());
        return batch.exitCode();
    }

    std::vector<std::string> lines;

private:
    std::map<std::string, std::string> before_;
};

TEST_F(BatchRunTest, EveryWordDoneExitsZeroAndOnlyResultsAreWritten)
{
    EXPECT_EQ(run({"--theme", "Weather", "--list", "Month", "--try-time", "6"}), vantrel::BatchAllDone);
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "1/12 Weather January done 2.0 s");
    EXPECT_EQ(lines[11], "12/12 Weather December done 2.0 s");
    EXPECT_EQ(lines[12], "12 words: 12 done; results: " + FmCpp->run().resultsFile().string());
    EXPECT_TRUE(FmCpp->run().resultsFile().is_absolute());
    EXPECT_EQ(FmCpp->run().record().tryTime, 6);
    EXPECT_EQ(FmCpp->run().record().site, "http://site.example/USA/");
}

TEST_F(BatchRunTest, AWordNeverDoneIsGivenUpAfterItsPassesAndExitsTwo)
{
    EXPECT_EQ(run({"--theme", "Weather", "--words", "Tokyo,never,Osaka", "--passes", "2"}), vantrel::BatchSomeNotDone);
    // A line as each word ends, numbered as in the list.
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "3/3 Weather Osaka done 2.0 s");
    EXPECT_EQ(lines[2], "2/3 Weather never given up");
    EXPECT_EQ(lines[3].rfind("3 words: 2 done, 1 given up; results: ", 0), 0u) << lines[3];
    EXPECT_EQ(FmCpp->run().record().entries[1].passes, 2);
}

// A signal stops the run however it is paced: the words done so far are
// saved, the others stopped, and the status is 128 + the signal.
TEST_F(BatchRunTest, ASignalEndsAQuickRunAndStopsTheWordsNotDone)
{
    vantrel::BatchRun batch(
        parseBatchOptions({"--theme", "Weather", "--words", "Tokyo,never", "--pacing", "quick", "--interval", "0"}),
        [this](const std::string& line) { lines.push_back(line); });
    batch.start();
    for (int i = 0; i < 50 && lines.empty(); ++i)
        scripted.clock->advance(100);
    ASSERT_EQ(lines, std::vector<std::string>{"1/2 Weather Tokyo done 0.0 s"});
    batch.stop(SIGHUP);
    EXPECT_TRUE(batch.finished());
    EXPECT_EQ(batch.exitCode(), 128 + SIGHUP);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "2/2 Weather never stopped");
    EXPECT_EQ(lines[2].rfind("2 words: 1 done, 1 stopped; results: ", 0), 0u) << lines[2];
}

TEST_F(BatchRunTest, QuietTellsTheSummaryOnly)
{
    EXPECT_EQ(run({"--theme", "Weather", "--words", "Tokyo", "--quiet"}), vantrel::BatchAllDone);
    EXPECT_EQ(lines, std::vector<std::string>{"1 word: 1 done; results: " + FmCpp->run().resultsFile().string()});
}

TEST_F(BatchRunTest, UnknownListsSitesAndCategoriesStartNothing)
{
    auto refused = [this](const std::vector<std::string>& args) -> std::string {
        try {
            vantrel::BatchRun(parseBatchOptions(args), nullptr).start();
        } catch (const BatchError& e) {
            return e.what();
        }
        return "<started>";
    };
    // A name that is not there: the ones that are, to choose from.
    writeRaw(data() / "USA" / "listbunchSmall.ini", "[Data]\r\n");
    EXPECT_EQ(refused({"--theme", "x", "--list", "Nowhere"}),
              "there is no word list \"Nowhere\"; the word lists are: 5w4h, Area, Constellation, Month, Small");
    std::filesystem::remove(data() / "USA" / "listbunchSmall.ini");
    EXPECT_EQ(refused({"--theme", "x", "--words", "a", "--site", "free:Nowhere"}),
              "there is no free search site \"Nowhere\"; the free search sites are: Bing, Wikipedia, Wiktionary");
    EXPECT_EQ(refused({"--theme", "x", "--words", "a", "--category", "Nowhere"}),
              "there is no category \"Nowhere\"; the categories are: Economic, Hobby, X");
    EXPECT_EQ(refused({"--theme", "x", "--words-file", (data() / "missing.txt").string()}),
              "the words file \"" + (data() / "missing.txt").string() + "\" does not exist");
    // A result-link selector that is none would fail every word.
    const std::string base = readRaw(data() / "0Base.INI");
    writeRaw(data() / "0Base.INI", base + "ResultLinks=a:hovr\r\n");
    FmCpp->PMFormTSFReadClick();
    EXPECT_EQ(refused({"--theme", "x", "--words", "a"}),
              "the ResultLinks selector \"a:hovr\" of the site \"Base\" is not valid: unknown pseudo-class :hovr");
    writeRaw(data() / "0Base.INI", base);
    EXPECT_FALSE(FmCpp->run().running());
}

} // namespace
