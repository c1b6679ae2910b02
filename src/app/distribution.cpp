// The copy of the starter data set to the distribution folder, for the
// maker's own workstation (shown only when ProgramOperationPC.txt exists).

#include <system_error>

#include "app/fm_main.h"
#include "framework/application.h"
#include "platform/ini_file.h"

namespace {

namespace fs = std::filesystem;

const char* const jpnStarters[] = {
    "ListBunch星座.INI", "ListBunch都道府県.INI", "TVFThema趣味.tvf", "TVFThema経済.tvf", "ListBunch月.INI",
    "Chang.txt",         "Cng数字.INI",           "Cng言語.INI"};
const char* const usaStarters[] = {
    "ListBunchConstellation.INI", "ListBunchArea.INI", "TVFThemaHobby.tvf", "TVFThemaEconomic.tvf",
    "ListBunchMonth.INI",         "Chang.txt",         "CngCount.INI",      "CngLinguistics.INI"};
const char* const commonFiles[] = {"Manip.INI",         "Base.INI",         "TVFCategory.txt",
                                   "FreeSerchSite.txt", "SharingTheme.txt", "SeleBunch.txt",
                                   "ListBunch5w4h.INI", "ManipSite.txt",    "TVFThemaX.tvf"};
const char* const programFiles[] = {"0Language.txt", "0Base.INI", "ReadMe_JPN.txt", "ReadMe_USA.txt"};

// A copy that never overwrites and fails silently when the source is
// missing, the destination exists or its folder is missing.
void copyIfNew(const fs::path& from, const fs::path& to)
{
    std::error_code ignored;
    if (!fs::is_regular_file(from, ignored) || fs::exists(to, ignored) || !fs::is_directory(to.parent_path(), ignored))
        return;
    fs::copy_file(from, to, fs::copy_options::none, ignored);
}

} // namespace

platform::fs::path TFmMain::distributionRoot() const
{
    platform::IniFile base(exePath("0Base.INI"));
    const std::string root = base.readString("Begin", "DistributionRoot", "");
    return root.empty() ? exePath("Product") / "vantrel120703" : platform::textPath(root);
}

void TFmMain::MMSHaifuClick()
{
    const fs::path root = distributionRoot();
    const fs::path exeDir = platform::textPath(ExeDir);
    std::error_code ignored;
    fs::create_directory(root / "UpDate", ignored);
    // Two passes: a language's starter files go only into a folder that the
    // first pass created.
    for (int pass = 0; pass < 2; ++pass) {
        for (const char* language : {"JPN", "USA", "CHN"}) {
            const fs::path pristine = exeDir / language / "Base";
            const fs::path target = root / language;
            const std::string lang = language;
            if (lang == "JPN")
                for (const char* file : jpnStarters)
                    copyIfNew(pristine / platform::textPath(file), target / platform::textPath(file));
            if (lang == "USA")
                for (const char* file : usaStarters)
                    copyIfNew(pristine / platform::textPath(file), target / platform::textPath(file));
            fs::create_directory(target, ignored);
            fs::create_directory(target / "UpDate", ignored);
            copyIfNew(exeDir / language / "Hlp.INI", target / "Hlp.INI");
            for (const char* file : commonFiles)
                copyIfNew(pristine / file, target / file);
        }
    }
    for (const char* file : programFiles)
        copyIfNew(exeDir / "Base" / file, root / file);
    const fs::path program = platform::textPath(framework::app().exeName);
    copyIfNew(program, root / program.filename());
}
