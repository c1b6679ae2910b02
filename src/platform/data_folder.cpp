#include "platform/data_folder.h"

#include <system_error>

#include "framework/errors.h"
#include "platform/ini_file.h"

namespace platform {

namespace {

[[noreturn]] void throwCannotSeed(const fs::path& path, const std::error_code& ec)
{
    throw framework::FileError("Cannot create file \"" + pathText(path) + "\". " + ec.message());
}

} // namespace

fs::path absoluteUserPath(const fs::path& path, const fs::path& workingDirectory)
{
    if (path.empty()) {
        return path;
    }
    std::error_code ec;
    fs::path base = workingDirectory;
    if (base.empty()) {
        base = fs::current_path(ec);
    }
    const fs::path absolute = (path.is_absolute() ? path : base / path).lexically_normal();
    // The parts that exist lose their links; the rest stays as written.
    const fs::path canonical = fs::weakly_canonical(absolute, ec);
    fs::path result = ec ? absolute : canonical;
    // "dir/" and "dir" are one folder; the name should not differ.
    if (result.has_relative_path() && result.filename().empty()) {
        result = result.parent_path();
    }
    return result;
}

fs::path resolveDataFolder(const DataFolderInputs& inputs)
{
    if (!inputs.dataDirOption.empty()) {
        return absoluteUserPath(textPath(inputs.dataDirOption), inputs.workingDirectory);
    }
    if (!inputs.envDataDir.empty()) {
        return absoluteUserPath(textPath(inputs.envDataDir), inputs.workingDirectory);
    }
    if (!inputs.exeDir.empty() && fileExists(inputs.exeDir / "0Language.txt")) {
        return absoluteUserPath(inputs.exeDir, inputs.workingDirectory);
    }
    const fs::path folder = absoluteUserPath(inputs.xdgDataHome / "vantrel", inputs.workingDirectory);
    if (!createFolder(folder)) {
        throw framework::FileError("Cannot create folder \"" + pathText(folder) + "\"");
    }
    std::error_code ec;
    if (!inputs.distribution.empty() && fs::is_directory(inputs.distribution, ec)) {
        seedFolder(inputs.distribution, folder);
    }
    // Made on the way here: now it exists, links and all.
    return absoluteUserPath(folder);
}

void seedFolder(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    fs::recursive_directory_iterator it(from, ec);
    if (ec) {
        throw framework::FileError("Cannot open folder \"" + pathText(from) + "\". " + ec.message());
    }
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) {
            throw framework::FileError("Cannot read folder \"" + pathText(from) + "\". " + ec.message());
        }
        const fs::path relative = it->path().lexically_relative(from);
        const fs::path target = to / relative;
        if (it->is_directory(ec)) {
            if (!createFolder(target)) {
                throw framework::FileError("Cannot create folder \"" + pathText(target) + "\"");
            }
            continue;
        }
        if (!it->is_regular_file(ec)) {
            continue;
        }
        // A case variant of the name is the same file to the program, so it
        // counts as already there.
        if (fileExists(target)) {
            continue;
        }
        if (!createFolder(target.parent_path())) {
            throw framework::FileError("Cannot create folder \"" + pathText(target.parent_path()) + "\"");
        }
        // Copy under a temporary name and rename, so an interrupted start
        // leaves no half file that later starts would take for the user's.
        const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".seed");
        fs::copy_file(it->path(), temporary, fs::copy_options::overwrite_existing, ec);
        if (!ec) {
            fs::rename(temporary, target, ec);
        }
        if (ec) {
            const std::error_code error = ec;
            fs::remove(temporary, ec);
            throwCannotSeed(target, error);
        }
    }
}

std::string siteBaseAddress(const fs::path& exeDir)
{
    const IniFile ini(exeDir / "0Base.INI");
    std::string base = ini.readString("Begin", "SiteBase", "");
    if (base.empty()) {
        return DefaultSiteBase;
    }
    if (base.back() != '/') {
        base += '/';
    }
    return base;
}

} // namespace platform
