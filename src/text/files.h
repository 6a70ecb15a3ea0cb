// Files and directories named by code-page-936 texts. Names are converted to the
// platform's own form here (UTF-8 on Linux), so a site called 测试.cn is a file a
// file manager shows as 测试.cn; contents stay raw bytes. Nothing throws and
// nothing is reported: failures come back as empty bytes, false or empty text.
#pragma once

#include <memory>

#include "text/text.h"

namespace qinghe {

// The platform's path separator as a text ("/" on Linux, "\" on Windows).
extern const Text kPathSeparator;

// Directory holding the program file, without a trailing separator.
Text RunDirectory();
// Makes dir the process's current directory; false when it cannot.
bool SetCurrentDirectoryTo(const Text& dir);

// Whole content of the file; empty on any failure or for an empty file.
Bytes ReadWholeFile(const Text& name);

// Replaces the file with the concatenation of the parts, atomically: the bytes go
// to a temporary file in the same directory, are flushed to disk and renamed over
// the target, so a crash or a full disk leaves the old content or the new one.
// False on any failure (empty name, missing directory, write or flush error).
bool WriteWholeFile(const Text& name, const std::vector<Bytes>& parts);
template <typename... More>
bool WriteWholeFile(const Text& name, const Bytes& first, const More&... more) {
    return WriteWholeFile(name, std::vector<Bytes>{first, more...});
}

// Creates an empty file that must not exist yet (under the file system's own
// rules for letter case). False when it exists already or cannot be created;
// never truncates anything.
bool CreateNewFile(const Text& name);

// Creates one directory whose parent exists; false when it exists or cannot be made.
bool MakeDirectory(const Text& path);
// Deletes one file; false when it cannot.
bool RemoveFile(const Text& name);
// True when name is an existing directory.
bool IsDirectory(const Text& name);

// Name prefix of WriteWholeFile's temporary files (they begin with a dot and
// never end in ".txt", so an interrupted write is never listed as a site).
extern const Text kTempFilePrefix;

// One directory enumeration. The handle closes itself when it goes out of scope.
class FileSearch {
public:
    FileSearch();
    ~FileSearch();
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;
    FileSearch(FileSearch&&) noexcept;
    FileSearch& operator=(FileSearch&&) noexcept;

    bool IsOpen() const;

    struct State;  // platform details

private:
    friend Text FindFileName(FileSearch& handle, const Text& pattern);
    friend void EndFileSearch(FileSearch& handle);
    std::unique_ptr<State> m_state;
};

// One step of an enumeration. A non-empty pattern (a path whose last component
// may hold * and ?) closes any open enumeration and starts a new one; an empty
// pattern continues the open one. Returns the bare name of the next entry that is
// not a directory, or the empty text (and closes the enumeration) when none is left.
// Entries come in the platform's listing order; the wildcard match is
// case-sensitive on Linux.
Text FindFileName(FileSearch& handle, const Text& pattern);
// Closes the enumeration if it is still open.
void EndFileSearch(FileSearch& handle);

}  // namespace qinghe
