#include "text/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <string_view>

#include "text/charset.h"
#include "text/file_system_calls.h"

namespace qinghe {

#ifdef _WIN32
const Text kPathSeparator = "\\";
#else
const Text kPathSeparator = "/";
#endif

const Text kTempFilePrefix = ".qinghe-write-";

namespace files_detail {

namespace {

int SysOpen(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

const FileSystemCalls kRealCalls = {SysOpen, ::write, ::fsync, ::close, ::rename, ::unlink};

FileSystemCalls g_activeCalls = kRealCalls;

}  // namespace

const FileSystemCalls& RealFileSystemCalls() {
    return kRealCalls;
}
FileSystemCalls& ActiveFileSystemCalls() {
    return g_activeCalls;
}

}  // namespace files_detail

namespace {

using files_detail::ActiveFileSystemCalls;
using files_detail::FileSystemCalls;

// Names are code-page-936 texts; the file system speaks UTF-8.
std::string NativePath(const Text& name) {
    return AnsiToUtf8(name).str();
}

// Directory part of a native path, for creating a neighbour file and syncing
// the directory: "." for a bare name, "/" for a name at the root.
std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The directory prefix of path including its separator, "" for a bare name.
std::string DirectoryPrefixOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool WriteAll(const FileSystemCalls& sys, int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = sys.write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Creates a fresh temporary file beside the target; -1 when none can be made.
int CreateTempFile(const FileSystemCalls& sys, const std::string& target, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    const std::string prefix = DirectoryPrefixOf(target) + kTempFilePrefix.str() +
                               std::to_string(static_cast<long>(::getpid())) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = prefix + std::to_string(counter++);
        const int fd = sys.open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

// Flushes a directory so that a rename inside it survives a crash. File systems
// that cannot sync directories (EINVAL) count as done.
bool SyncDirectory(const FileSystemCalls& sys, const std::string& dir) {
    const int fd = sys.open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool synced = sys.fsync(fd) == 0 || errno == EINVAL;
    sys.close(fd);
    return synced;
}

// Matches a file name against a pattern with * (any run) and ? (one character),
// both UTF-8; no other character is special.
std::size_t NextCharacter(std::string_view s, std::size_t i) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
        ++i;
    return i;
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starPattern = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = ++p;
            starName = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n = NextCharacter(name, n);
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (starPattern != std::string_view::npos) {
            // Let the last * swallow one more character and try again.
            p = starPattern;
            starName = NextCharacter(name, starName);
            n = starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool IsDirectoryEntry(DIR* dir, const dirent* entry) {
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return false;
    // The listing does not say (or it is a link): ask for the entry itself.
    struct stat st {};
    return ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

// ---- program directory ----------------------------------------------------------

Text RunDirectory() {
    std::string buffer(256, '\0');
    while (true) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return Text();
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    const auto slash = buffer.rfind('/');
    // A program at the root gives the empty text, so RunDirectory() + "/x" is "/x".
    const std::string dir = slash == std::string::npos ? std::string() : buffer.substr(0, slash);
    return Utf8ToAnsi(Bytes(std::string_view(dir)));
}

bool SetCurrentDirectoryTo(const Text& dir) {
    return !dir.empty() && ::chdir(NativePath(dir).c_str()) == 0;
}

// ---- whole files ----------------------------------------------------------------

Bytes ReadWholeFile(const Text& name) {
    if (name.empty())
        return Bytes();
    // No share-mode locking exists here; writers replace files by rename, so a
    // reader sees either the old content or the new one, never a mixture.
    const int fd = ::open(NativePath(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Bytes();
    std::vector<std::uint8_t> data;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        data.reserve(static_cast<std::size_t>(st.st_size));
    }
    std::uint8_t chunk[65536];
    while (true) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return Bytes();
        }
        if (n == 0)
            break;
        data.insert(data.end(), chunk, chunk + n);
    }
    ::close(fd);
    return Bytes(std::move(data));
}

bool WriteWholeFile(const Text& name, const std::vector<Bytes>& parts) {
    if (name.empty())
        return false;
    const std::string target = NativePath(name);
    if (BaseNameOf(target).empty())
        return false;
    const FileSystemCalls& sys = ActiveFileSystemCalls();

    std::string tempPath;
    const int fd = CreateTempFile(sys, target, tempPath);
    if (fd < 0)
        return false;

    // Keep the permissions of the file being replaced.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        ::fchmod(fd, st.st_mode & 07777);
    }

    bool ok = true;
    for (const Bytes& part : parts) {
        if (!WriteAll(sys, fd, part.data(), part.size())) {
            ok = false;
            break;
        }
    }
    ok = ok && sys.fsync(fd) == 0;
    ok = sys.close(fd) == 0 && ok;
    ok = ok && sys.rename(tempPath.c_str(), target.c_str()) == 0;
    if (!ok) {
        sys.unlink(tempPath.c_str());
        return false;
    }
    return SyncDirectory(sys, DirectoryOf(target));
}

bool CreateNewFile(const Text& name) {
    if (name.empty())
        return false;
    const FileSystemCalls& sys = ActiveFileSystemCalls();
    const int fd =
        sys.open(NativePath(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    return sys.close(fd) == 0;
}

bool MakeDirectory(const Text& path) {
    return !path.empty() && ::mkdir(NativePath(path).c_str(), 0777) == 0;
}

bool RemoveFile(const Text& name) {
    return !name.empty() && ::unlink(NativePath(name).c_str()) == 0;
}

bool IsDirectory(const Text& name) {
    struct stat st {};
    return !name.empty() && ::stat(NativePath(name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// ---- directory enumeration ------------------------------------------------------

struct FileSearch::State {
    DIR* dir = nullptr;
    std::string pattern;  // the last component of the search pattern, UTF-8

    State(DIR* d, std::string p) : dir(d), pattern(std::move(p)) {}
    ~State() { ::closedir(dir); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
};

FileSearch::FileSearch() = default;
FileSearch::~FileSearch() = default;
FileSearch::FileSearch(FileSearch&&) noexcept = default;
FileSearch& FileSearch::operator=(FileSearch&&) noexcept = default;

bool FileSearch::IsOpen() const {
    return m_state != nullptr;
}

Text FindFileName(FileSearch& handle, const Text& pattern) {
    if (!pattern.empty()) {
        handle.m_state.reset();
        const std::string native = NativePath(pattern);
        DIR* dir = ::opendir(DirectoryOf(native).c_str());
        if (dir == nullptr)
            return Text();
        handle.m_state = std::make_unique<FileSearch::State>(dir, BaseNameOf(native));
    }
    if (!handle.m_state)
        return Text();

    FileSearch::State& state = *handle.m_state;
    while (const dirent* entry = ::readdir(state.dir)) {
        const std::string_view name(entry->d_name);
        if (name == "." || name == ".." || IsDirectoryEntry(state.dir, entry))
            continue;
        if (!WildcardMatch(state.pattern, name))
            continue;
        // A name that code page 936 cannot express does not come back to the
        // same file when converted again, so the caller could not open it by
        // the name we would return: such entries are skipped.
        const Text ansi = Utf8ToAnsi(Bytes(name));
        if (ansi.empty() || AnsiToUtf8(ansi).view() != name)
            continue;
        return ansi;
    }
    handle.m_state.reset();
    return Text();
}

void EndFileSearch(FileSearch& handle) {
    handle.m_state.reset();
}

}  // namespace qinghe
