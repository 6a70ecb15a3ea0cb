// The system calls behind WriteWholeFile and CreateNewFile, gathered in one table
// so tests can make single calls fail (a full disk, a failing flush or rename)
// and check that nothing is lost or left behind.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace qinghe::files_detail {

struct FileSystemCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void* data, std::size_t size);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
};

// The real calls.
const FileSystemCalls& RealFileSystemCalls();
// The table in use; starts as the real calls. Tests replace entries and restore
// the table afterwards.
FileSystemCalls& ActiveFileSystemCalls();

}  // namespace qinghe::files_detail
