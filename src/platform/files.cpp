#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>
#include <vector>

#include "framework/errors.h"
#include "framework/text_util.h"

namespace platform {

namespace {

using framework::asciiLower;
using framework::equalsIgnoringAsciiCase;

bool entryExists(const fs::path& path)
{
    std::error_code ec;
    // symlink_status, so that a dangling link still counts as the name
    // being taken.
    return fs::exists(fs::symlink_status(path, ec));
}

std::string quoted(const fs::path& path)
{
    return "\"" + pathText(path) + "\"";
}

// A save fails before its rename, so the file on disk is what it was: the
// message says so, the user should not fear for the old data.
[[noreturn]] void throwCannotCreate(const fs::path& path, int error, bool hadOldFile)
{
    throw framework::FileError("Cannot create file " + quoted(path) + ". " + std::strerror(error) +
                               (hadOldFile ? ". The file keeps its former content." : ". No file was written."));
}

// The temporary name of a save: "." + the target name, cut to
// TemporaryTargetChars, + TemporaryTag + TemporarySuffixChars characters of
// TemporaryAlphabet. isTemporaryName must match exactly these names, since
// the start-up sweep removes what it matches.
constexpr size_t TemporaryTargetChars = 200;
constexpr std::string_view TemporaryTag = ".tmp";
constexpr size_t TemporarySuffixChars = 6;
constexpr char TemporaryAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// A name for the temporary file that no other writer of the same target,
// in this or another process, is likely to pick.
std::string temporaryName(const std::string& targetName)
{
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count() ^
                                                           (static_cast<unsigned>(getpid()) << 16)));
    constexpr char const* Alphabet = TemporaryAlphabet;
    constexpr unsigned AlphabetSize = sizeof TemporaryAlphabet - 1;
    // Long names are shortened so the extra characters cannot push the
    // temporary name past the file system's limit.
    std::string name = "." + targetName.substr(0, TemporaryTargetChars) + std::string(TemporaryTag);
    unsigned value = random() ^ (counter.fetch_add(1, std::memory_order_relaxed) * 2654435761u);
    for (size_t i = 0; i < TemporarySuffixChars; ++i) {
        name += Alphabet[value % AlphabetSize];
        value /= AlphabetSize;
    }
    return name;
}

bool writeAll(int fd, std::string_view bytes)
{
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

} // namespace

fs::path resolveCaseInsensitive(const fs::path& path)
{
    if (entryExists(path)) {
        return path;
    }
    const std::string wanted = path.filename().string();
    if (wanted.empty() || wanted == "." || wanted == "..") {
        return path;
    }
    const fs::path parent = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::error_code ec;
    fs::directory_iterator it(parent, ec);
    if (ec) {
        return path;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) {
            break;
        }
        const std::string name = it->path().filename().string();
        if (equalsIgnoringAsciiCase(name, wanted)) {
            return path.parent_path() / name;
        }
    }
    return path;
}

bool fileExists(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(resolveCaseInsensitive(path), ec);
}

std::optional<std::string> readFileBytes(const fs::path& path)
{
    const fs::path actual = resolveCaseInsensitive(path);
    int fd;
    do {
        fd = ::open(actual.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) {
            return std::nullopt;
        }
        throw framework::FileError("Cannot open file " + quoted(path) + ". " + std::strerror(error));
    }

    // Sized from fstat, one byte over so that end of file shows up in the
    // first read; files that grow while being read still come in whole.
    struct stat info {};
    const bool sized = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    std::string bytes(sized ? static_cast<size_t>(info.st_size) + 1 : 64 * 1024, '\0');
    size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            bytes.resize(bytes.size() * 2);
        }
        const ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            throw framework::FileError("Cannot read file " + quoted(path) + ". " + std::strerror(error));
        }
        if (got == 0) {
            break;
        }
        used += static_cast<size_t>(got);
    }
    bytes.resize(used);
    ::close(fd);
    return bytes;
}

namespace {
fs::path& writeFence()
{
    static fs::path fence;
    return fence;
}
} // namespace

void setWriteFence(const fs::path& allowed)
{
    writeFence() = allowed.empty() ? fs::path() : fs::absolute(allowed).lexically_normal();
    if (!writeFence().empty() && writeFence().filename().empty()) {
        writeFence() = writeFence().parent_path();
    }
}

bool writesFenced()
{
    return !writeFence().empty();
}

bool writeAllowed(const fs::path& path)
{
    if (writeFence().empty()) {
        return true;
    }
    const fs::path target = fs::absolute(path).lexically_normal();
    const auto mismatch = std::mismatch(writeFence().begin(), writeFence().end(), target.begin(), target.end());
    return mismatch.first == writeFence().end();
}

namespace {

// Writes bytes to a new temporary file beside target, flushed to disk, and
// returns its name. mode, when given, becomes the file's permissions.
// Failures throw as a failed save of path, the name the user knows.
fs::path writeTemporary(const fs::path& target, std::string_view bytes, const fs::path& path, bool hadOldFile,
                        std::optional<mode_t> mode)
{
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string targetName = target.filename().string();

    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder / temporaryName(targetName);
        // O_EXCL guards against taking over someone else's file; mode 0666
        // lets the umask decide, as for any other new file.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST && errno != EINTR) {
            throwCannotCreate(path, errno, hadOldFile);
        }
    }
    if (fd < 0) {
        throwCannotCreate(path, EEXIST, hadOldFile);
    }

    const auto fail = [&](int error) {
        if (fd >= 0) {
            ::close(fd);
        }
        ::unlink(temporary.c_str());
        throwCannotCreate(path, error, hadOldFile);
    };

    if (mode) {
        // Keep the permissions the user gave the file; failing to is not
        // worth losing the save over.
        (void)::fchmod(fd, *mode);
    }
    if (!writeAll(fd, bytes)) {
        fail(errno);
    }
    if (::fsync(fd) != 0) {
        fail(errno);
    }
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) {
        fail(errno);
    }
    return temporary;
}

} // namespace

void atomicWrite(const fs::path& path, std::string_view bytes)
{
    if (!writeAllowed(path)) {
        return;
    }
    fs::path target = resolveCaseInsensitive(path);
    std::error_code ec;
    // Saving through a link replaces what it points at and keeps the link.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) {
            target = resolved;
        }
    }
    struct stat oldInfo {};
    const bool hadOldFile = ::stat(target.c_str(), &oldInfo) == 0;
    std::optional<mode_t> mode;
    if (hadOldFile && S_ISREG(oldInfo.st_mode)) {
        mode = oldInfo.st_mode & 07777;
    }

    const fs::path temporary = writeTemporary(target, bytes, path, hadOldFile, mode);
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throwCannotCreate(path, error, hadOldFile);
    }
    // The folder is not synced after the rename: that would make the new
    // name survive a power cut a few seconds sooner at the cost of a second
    // journal commit per save, and the file is whole, old or new, either way.
}

bool createNewFile(const fs::path& path, std::string_view bytes)
{
    if (!writeAllowed(path)) {
        return true;
    }
    const fs::path temporary = writeTemporary(path, bytes, path, false, std::nullopt);
    // link() and RENAME_NOREPLACE claim the name in one step: a name that
    // was free when looked at may be taken a moment later by another run.
    if (::link(temporary.c_str(), path.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return true;
    }
    int error = errno;
    if (error != EEXIST) {
        // A file system without hard links.
        if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
            return true;
        }
        error = errno;
    }
    ::unlink(temporary.c_str());
    if (error == EEXIST) {
        return false;
    }
    if (error != EINVAL && error != ENOSYS && error != EPERM && error != EOPNOTSUPP) {
        throwCannotCreate(path, error, false);
    }
    // Neither (some network and FUSE file systems): the name itself is
    // created exclusively and written in place, which may leave half a
    // file after a crash but never shares a name.
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == EEXIST) {
            return false;
        }
        throwCannotCreate(path, errno, false);
    }
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    error = errno;
    const int closed = ::close(fd);
    if (!written || closed != 0) {
        if (written) {
            error = errno;
        }
        ::unlink(path.c_str());
        throwCannotCreate(path, error, false);
    }
    return true;
}

bool isTemporaryName(std::string_view name)
{
    const size_t tail = TemporaryTag.size() + TemporarySuffixChars;
    if (name.size() < 1 + 1 + tail || name.size() > 1 + TemporaryTargetChars + tail || name.front() != '.') {
        return false;
    }
    if (name.substr(name.size() - tail, TemporaryTag.size()) != TemporaryTag) {
        return false;
    }
    const std::string_view alphabet(TemporaryAlphabet, sizeof TemporaryAlphabet - 1);
    return name.substr(name.size() - TemporarySuffixChars).find_first_not_of(alphabet) == std::string_view::npos;
}

namespace {

struct SweepState {
    fs::file_time_type newest; // files written after this are kept
    int entriesLeft;
    int removed = 0;
};

void sweepFolder(const fs::path& folder, int depthLeft, SweepState& state)
{
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        return;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec || --state.entriesLeft < 0) {
            return;
        }
        const fs::directory_entry& entry = *it;
        // symlink_status: a link is looked at as a link, never as what it
        // points at, so the sweep stays inside the folder.
        const fs::file_status status = entry.symlink_status(ec);
        if (ec) {
            continue;
        }
        if (fs::is_directory(status)) {
            if (depthLeft > 0) {
                sweepFolder(entry.path(), depthLeft - 1, state);
            }
            continue;
        }
        if (!fs::is_regular_file(status) || !isTemporaryName(entry.path().filename().string())) {
            continue;
        }
        const fs::file_time_type written = fs::last_write_time(entry.path(), ec);
        if (ec || written > state.newest) {
            continue;
        }
        if (::unlink(entry.path().c_str()) == 0) {
            ++state.removed;
        }
    }
}

} // namespace

int removeLeftoverTemporaries(const fs::path& folder, std::chrono::seconds minAge, int maxDepth)
{
    if (writesFenced()) {
        return 0;
    }
    // A data folder holds a few hundred entries; the bound only keeps a
    // large tree that someone put inside it from costing the start-up.
    SweepState state{fs::file_time_type::clock::now() - minAge, 20000};
    sweepFolder(folder, maxDepth, state);
    return state.removed;
}

namespace {
FailureReporter& failureReporter()
{
    static FailureReporter reporter;
    return reporter;
}
} // namespace

void setFailureReporter(FailureReporter reporter)
{
    failureReporter() = std::move(reporter);
}

void reportFailure(const std::string& text)
{
    if (failureReporter()) {
        failureReporter()(text);
    } else {
        std::fprintf(stderr, "vantrel: %s\n", text.c_str());
    }
}

bool deleteFile(const fs::path& path)
{
    if (!writeAllowed(path)) {
        return false;
    }
    const fs::path actual = resolveCaseInsensitive(path);
    if (!entryExists(actual)) {
        return false;
    }
    if (::unlink(actual.c_str()) != 0) {
        const int error = errno;
        if (error == ENOENT) {
            return false;
        }
        throw framework::FileError("Cannot delete file " + quoted(path) + ". " + std::strerror(error));
    }
    return true;
}

bool createFolder(const fs::path& path)
{
    std::error_code ec;
    if (!writeAllowed(path)) {
        return fs::is_directory(path, ec);
    }
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

std::optional<fs::path> safeJoin(const fs::path& base, std::string_view relative)
{
    if (relative.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    // Lexical normalisation by hand: the result must not depend on what
    // exists on disk, and ".." must never climb above base.
    std::vector<std::string_view> parts;
    size_t pos = 0;
    while (pos <= relative.size()) {
        size_t end = relative.find_first_of("/\\", pos);
        if (end == std::string_view::npos) {
            end = relative.size();
        }
        const std::string_view part = relative.substr(pos, end - pos);
        if (part == "..") {
            if (parts.empty()) {
                return std::nullopt;
            }
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        pos = end + 1;
    }
    fs::path result = base;
    for (const std::string_view part : parts) {
        result /= fs::path(std::string(part));
    }
    return result;
}

std::string pathText(const fs::path& path)
{
    return path.string();
}

fs::path textPath(const std::string& text)
{
    return fs::path(text);
}

} // namespace platform
