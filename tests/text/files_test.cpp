#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "support/test_data.h"
#include "text/file_system_calls.h"
#include "text/files.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;
using files_detail::ActiveFileSystemCalls;
using files_detail::FileSystemCalls;
using files_detail::RealFileSystemCalls;
using testing::TempDir;

// 测试 in code page 936 and in UTF-8.
const std::string kCeShiGbk = "\xB2\xE2\xCA\xD4";
const std::string kCeShiUtf8 = "\xE6\xB5\x8B\xE8\xAF\x95";

Bytes BytesOf(std::string_view s) {
    return Bytes(s);
}

void WriteRaw(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::set<std::string> EntriesOf(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

class FilesTest : public ::testing::Test {
protected:
    // A name inside the temporary directory; the directory's own path is ASCII,
    // so it is the same text in code page 936.
    Text Name(const std::string& gbkRelative) const {
        return Text(m_dir.path().string() + "/" + gbkRelative);
    }
    const fs::path& Dir() const { return m_dir.path(); }

private:
    TempDir m_dir;
};

// ---- reading and writing whole files ---------------------------------------------

TEST_F(FilesTest, ReadGivesEmptyBytesOnEveryFailure) {
    EXPECT_TRUE(ReadWholeFile(Text()).empty());
    EXPECT_TRUE(ReadWholeFile(Name("missing.txt")).empty());
    EXPECT_TRUE(ReadWholeFile(Text(Dir().string())).empty());  // a directory
    WriteRaw(Dir() / "empty.txt", "");
    EXPECT_TRUE(ReadWholeFile(Name("empty.txt")).empty());
}

TEST_F(FilesTest, ReadKeepsZeroBytes) {
    const std::string content("a\0b\xFF", 4);
    WriteRaw(Dir() / "zeros.bin", content);
    EXPECT_EQ(ReadWholeFile(Name("zeros.bin")), BytesOf(content));
}

TEST_F(FilesTest, WritePartsInOrderAndReadBack) {
    ASSERT_TRUE(WriteWholeFile(Name("a.txt"), BytesOf("kw1##"), Bytes(), BytesOf("kw2##")));
    EXPECT_EQ(ReadWholeFile(Name("a.txt")), BytesOf("kw1##kw2##"));
}

TEST_F(FilesTest, WritingOneEmptyArrayLeavesAnEmptyFile) {
    ASSERT_TRUE(WriteWholeFile(Name("new.txt"), Bytes()));
    ASSERT_TRUE(fs::exists(Dir() / "new.txt"));
    EXPECT_EQ(fs::file_size(Dir() / "new.txt"), 0u);
}

TEST_F(FilesTest, LargeContentRoundTrips) {
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 31 % 251);
    ASSERT_TRUE(WriteWholeFile(Name("big.bin"), BytesOf(big)));
    EXPECT_EQ(ReadWholeFile(Name("big.bin")), BytesOf(big));
}

TEST_F(FilesTest, ReplaceLeavesOnlyTheTargetWithItsPermissions) {
    WriteRaw(Dir() / "site.txt", "old content that is longer##");
    fs::permissions(Dir() / "site.txt", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(WriteWholeFile(Name("site.txt"), BytesOf("new##")));
    EXPECT_EQ(ReadWholeFile(Name("site.txt")), BytesOf("new##"));
    EXPECT_EQ(EntriesOf(Dir()), std::set<std::string>{"site.txt"});
    EXPECT_EQ(fs::status(Dir() / "site.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FilesTest, WriteFailsWithoutTouchingAnything) {
    EXPECT_FALSE(WriteWholeFile(Text(), BytesOf("x")));
    EXPECT_FALSE(WriteWholeFile(Name("no-such-dir/a.txt"), BytesOf("x")));
    EXPECT_FALSE(WriteWholeFile(Name(""), BytesOf("x")));  // names the directory itself
    fs::create_directory(Dir() / "sub.txt");
    EXPECT_FALSE(WriteWholeFile(Name("sub.txt"), BytesOf("x")));
    EXPECT_TRUE(fs::is_directory(Dir() / "sub.txt"));
    EXPECT_EQ(EntriesOf(Dir()), std::set<std::string>{"sub.txt"});
}

TEST_F(FilesTest, BareNamesResolveAgainstTheCurrentDirectory) {
    const fs::path previous = fs::current_path();
    ASSERT_TRUE(SetCurrentDirectoryTo(Text(Dir().string())));
    const bool written = WriteWholeFile(Text("bare.txt"), BytesOf("x"));
    const Bytes read = ReadWholeFile(Text("bare.txt"));
    fs::current_path(previous);
    EXPECT_TRUE(written);
    EXPECT_EQ(read, BytesOf("x"));
    EXPECT_EQ(EntriesOf(Dir()), std::set<std::string>{"bare.txt"});
    EXPECT_FALSE(SetCurrentDirectoryTo(Name("missing")));
    EXPECT_FALSE(SetCurrentDirectoryTo(Text()));
}

TEST_F(FilesTest, ChineseNamesAreUtf8OnDisk) {
    const Text site = Name(kCeShiGbk + ".txt");
    ASSERT_TRUE(WriteWholeFile(site, BytesOf("\xB9\xD8##")));
    EXPECT_TRUE(fs::exists(Dir() / (kCeShiUtf8 + ".txt")));
    EXPECT_EQ(ReadWholeFile(site), BytesOf("\xB9\xD8##"));

    FileSearch search;
    EXPECT_EQ(FindFileName(search, Name("*.txt")), Text(kCeShiGbk + ".txt"));
    EXPECT_EQ(FindFileName(search, Text()), Text());

    EXPECT_TRUE(RemoveFile(site));
    EXPECT_FALSE(fs::exists(Dir() / (kCeShiUtf8 + ".txt")));
}

TEST_F(FilesTest, ChineseDirectoryNames) {
    const Text dir = Name("\xC5\xC5\xC3\xFB\xCD\xF8\xD5\xBE");  // 排名网站
    ASSERT_TRUE(MakeDirectory(dir));
    EXPECT_TRUE(IsDirectory(dir));
    EXPECT_TRUE(fs::is_directory(Dir() / "\xE6\x8E\x92\xE5\x90\x8D\xE7\xBD\x91\xE7\xAB\x99"));
    EXPECT_TRUE(CreateNewFile(dir + kPathSeparator + Text(kCeShiGbk + ".txt")));
    FileSearch search;
    EXPECT_EQ(FindFileName(search, dir + kPathSeparator + "*.txt"), Text(kCeShiGbk + ".txt"));
}

// ---- failures inside the replace, through the system-call seam --------------------

// Replaces entries of the system-call table for one test and restores them.
class CallsOverride {
public:
    explicit CallsOverride(void (*install)(FileSystemCalls&)) {
        ActiveFileSystemCalls() = RealFileSystemCalls();
        install(ActiveFileSystemCalls());
    }
    ~CallsOverride() { ActiveFileSystemCalls() = RealFileSystemCalls(); }
    CallsOverride(const CallsOverride&) = delete;
    CallsOverride& operator=(const CallsOverride&) = delete;
};

int g_writeCalls = 0;

bool IsDirectoryFd(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
}

struct FailureCase {
    const char* name;
    void (*install)(FileSystemCalls&);
};

class WriteFailureTest : public FilesTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(WriteFailureTest, OldContentStaysAndNoTemporaryFileRemains) {
    const std::string old = "kw1##kw2##";
    WriteRaw(Dir() / "site.txt", old);
    g_writeCalls = 0;
    bool result = true;
    {
        CallsOverride override(GetParam().install);
        result = WriteWholeFile(Name("site.txt"), BytesOf("first part##"), BytesOf("second##"));
    }
    EXPECT_FALSE(result);
    EXPECT_EQ(ReadWholeFile(Name("site.txt")), BytesOf(old));
    EXPECT_EQ(EntriesOf(Dir()), std::set<std::string>{"site.txt"});
}

INSTANTIATE_TEST_SUITE_P(Cases, WriteFailureTest,
                         ::testing::Values(FailureCase{"TemporaryFileCannotBeCreated",
                                                       [](FileSystemCalls& c) {
                                                           c.open = [](const char*, int, mode_t) {
                                                               errno = EACCES;
                                                               return -1;
                                                           };
                                                       }},
                                           FailureCase{"WriteError",
                                                       [](FileSystemCalls& c) {
                                                           c.write = [](int, const void*,
                                                                        std::size_t) -> ssize_t {
                                                               errno = EIO;
                                                               return -1;
                                                           };
                                                       }},
                                           FailureCase{"DiskFullAfterPartialWrite",
                                                       [](FileSystemCalls& c) {
                                                           c.write = [](int fd, const void* p,
                                                                        std::size_t n) -> ssize_t {
                                                               if (g_writeCalls++ == 0)
                                                                   return ::write(fd, p, n / 2);
                                                               errno = ENOSPC;
                                                               return -1;
                                                           };
                                                       }},
                                           FailureCase{"DiskFullOnSecondPart",
                                                       [](FileSystemCalls& c) {
                                                           c.write = [](int fd, const void* p,
                                                                        std::size_t n) -> ssize_t {
                                                               if (g_writeCalls++ == 0)
                                                                   return ::write(fd, p, n);
                                                               errno = ENOSPC;
                                                               return -1;
                                                           };
                                                       }},
                                           FailureCase{"WriteMakesNoProgress",
                                                       [](FileSystemCalls& c) {
                                                           c.write = [](int, const void*,
                                                                        std::size_t) -> ssize_t {
                                                               return 0;
                                                           };
                                                       }},
                                           FailureCase{"FlushError",
                                                       [](FileSystemCalls& c) {
                                                           c.fsync = [](int) {
                                                               errno = EIO;
                                                               return -1;
                                                           };
                                                       }},
                                           FailureCase{"CloseError",
                                                       [](FileSystemCalls& c) {
                                                           c.close = [](int fd) {
                                                               ::close(fd);
                                                               errno = EIO;
                                                               return -1;
                                                           };
                                                       }},
                                           FailureCase{"RenameError",
                                                       [](FileSystemCalls& c) {
                                                           c.rename = [](const char*, const char*) {
                                                               errno = EXDEV;
                                                               return -1;
                                                           };
                                                       }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilesTest, InterruptedWritesAreResumed) {
    g_writeCalls = 0;
    CallsOverride override([](FileSystemCalls& c) {
        c.write = [](int fd, const void* p, std::size_t n) -> ssize_t {
            // Alternate interruptions and one-byte writes.
            if (g_writeCalls++ % 2 == 0) {
                errno = EINTR;
                return -1;
            }
            return ::write(fd, p, n > 0 ? 1 : 0);
        };
    });
    ASSERT_TRUE(WriteWholeFile(Name("slow.txt"), BytesOf("abc"), BytesOf("de")));
    EXPECT_EQ(ReadWholeFile(Name("slow.txt")), BytesOf("abcde"));
}

TEST_F(FilesTest, DirectoryFlushErrorIsReportedAfterTheReplace) {
    WriteRaw(Dir() / "site.txt", "old##");
    bool result = true;
    {
        CallsOverride override([](FileSystemCalls& c) {
            c.fsync = [](int fd) {
                if (!IsDirectoryFd(fd))
                    return ::fsync(fd);
                errno = EIO;
                return -1;
            };
        });
        result = WriteWholeFile(Name("site.txt"), BytesOf("new##"));
    }
    // The rename has happened; only its durability is in doubt.
    EXPECT_FALSE(result);
    EXPECT_EQ(ReadWholeFile(Name("site.txt")), BytesOf("new##"));
    EXPECT_EQ(EntriesOf(Dir()), std::set<std::string>{"site.txt"});
}

TEST(TempFilePrefixTest, NeverListedAsASite) {
    EXPECT_EQ(kTempFilePrefix.byte(0), '.');
    EXPECT_NE(TextRight(kTempFilePrefix, 4), Text(".txt"));
}

// ---- creating, making, removing -------------------------------------------------

TEST_F(FilesTest, CreateNewFileNeverTruncates) {
    EXPECT_TRUE(CreateNewFile(Name("fresh.txt")));
    EXPECT_EQ(fs::file_size(Dir() / "fresh.txt"), 0u);

    WriteRaw(Dir() / "kept.txt", "kw##");
    EXPECT_FALSE(CreateNewFile(Name("kept.txt")));
    EXPECT_EQ(ReadWholeFile(Name("kept.txt")), BytesOf("kw##"));

    EXPECT_FALSE(CreateNewFile(Name("fresh.txt")));
    EXPECT_FALSE(CreateNewFile(Name("missing/x.txt")));
    EXPECT_FALSE(CreateNewFile(Text()));
}

TEST_F(FilesTest, MakeDirectoryOnlyOneLevelAndOnlyOnce) {
    EXPECT_TRUE(MakeDirectory(Name("d")));
    EXPECT_TRUE(IsDirectory(Name("d")));
    EXPECT_FALSE(MakeDirectory(Name("d")));
    EXPECT_FALSE(MakeDirectory(Name("x/y")));
    EXPECT_FALSE(MakeDirectory(Text()));
    WriteRaw(Dir() / "f", "");
    EXPECT_FALSE(IsDirectory(Name("f")));
    EXPECT_FALSE(IsDirectory(Name("missing")));
}

TEST_F(FilesTest, RemoveFileOnlyRemovesFiles) {
    WriteRaw(Dir() / "f.txt", "x");
    EXPECT_TRUE(RemoveFile(Name("f.txt")));
    EXPECT_FALSE(RemoveFile(Name("f.txt")));
    fs::create_directory(Dir() / "d");
    EXPECT_FALSE(RemoveFile(Name("d")));
    EXPECT_TRUE(fs::is_directory(Dir() / "d"));
}

TEST(RunDirectoryTest, DirectoryOfTheProgramWithoutTrailingSeparator) {
    const Text dir = RunDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(TextRight(dir, 1), kPathSeparator);
    EXPECT_EQ(fs::path(dir.str()), fs::canonical("/proc/self/exe").parent_path());
}

// ---- directory enumeration ------------------------------------------------------

class FileSearchTest : public FilesTest {
protected:
    void SetUp() override {
        WriteRaw(Dir() / "a.txt", "1");
        WriteRaw(Dir() / "b.txt", "2");
        fs::create_directory(Dir() / "sub.txt");
    }

    // Every name of one enumeration, the first call with the pattern.
    std::multiset<std::string> Collect(FileSearch& search, const Text& pattern) {
        std::multiset<std::string> names;
        for (Text name = FindFileName(search, pattern); !name.empty();
             name = FindFileName(search, Text())) {
            names.insert(name.str());
        }
        return names;
    }
};

TEST_F(FileSearchTest, FilesOnlyThenEmptyAndClosed) {
    FileSearch search;
    EXPECT_FALSE(search.IsOpen());
    EXPECT_EQ(Collect(search, Name("*")), (std::multiset<std::string>{"a.txt", "b.txt"}));
    EXPECT_FALSE(search.IsOpen());
    EXPECT_EQ(FindFileName(search, Text()), Text());
    EndFileSearch(search);  // closing a closed search does nothing
    EXPECT_FALSE(search.IsOpen());
}

TEST_F(FileSearchTest, HiddenFilesAreListed) {
    WriteRaw(Dir() / ".hidden.txt", "");
    FileSearch search;
    EXPECT_EQ(Collect(search, Name("*.txt")),
              (std::multiset<std::string>{".hidden.txt", "a.txt", "b.txt"}));
}

struct PatternCase {
    const char* name;
    std::string pattern;
    std::multiset<std::string> expected;
};

class FileSearchPatternTest : public FileSearchTest,
                              public ::testing::WithParamInterface<PatternCase> {};

TEST_P(FileSearchPatternTest, Matches) {
    WriteRaw(Dir() / "A.TXT", "");
    WriteRaw(Dir() / "ab.txt.bak", "");
    WriteRaw(Dir() / (kCeShiUtf8 + ".txt"), "");
    WriteRaw(Dir() / "[x].txt", "");
    FileSearch search;
    EXPECT_EQ(Collect(search, Name(GetParam().pattern)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileSearchPatternTest,
    ::testing::Values(
        PatternCase{
            "SuffixIsCaseSensitive", "*.txt", {"a.txt", "b.txt", kCeShiGbk + ".txt", "[x].txt"}},
        PatternCase{"UpperCaseSuffix", "*.TXT", {"A.TXT"}},
        PatternCase{"QuestionMarkIsOneCharacter", "?.txt", {"a.txt", "b.txt"}},
        PatternCase{"QuestionMarksOverChineseCharacters", "??.txt", {kCeShiGbk + ".txt"}},
        PatternCase{"ExactName", "b.txt", {"b.txt"}},
        PatternCase{"BracketsAreLiteral", "[x].txt", {"[x].txt"}},
        PatternCase{"StarInTheMiddle", "a*.bak", {"ab.txt.bak"}},
        PatternCase{"NoMatch", "*.ini", {}},
        PatternCase{"DirectoryNameOnlyMatchesDirectory", "sub.txt", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileSearchTest, PatternRestartsAnOpenEnumeration) {
    FileSearch search;
    const Text first = FindFileName(search, Name("*.txt"));
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(search.IsOpen());
    // Starting again lists every file once more, the first one included.
    EXPECT_EQ(Collect(search, Name("*.txt")), (std::multiset<std::string>{"a.txt", "b.txt"}));
}

TEST_F(FileSearchTest, EndFileSearchClosesAnOpenEnumeration) {
    FileSearch search;
    ASSERT_FALSE(FindFileName(search, Name("*.txt")).empty());
    EndFileSearch(search);
    EXPECT_FALSE(search.IsOpen());
    EXPECT_EQ(FindFileName(search, Text()), Text());
}

TEST_F(FileSearchTest, MissingDirectoryGivesEmptyAndStaysClosed) {
    FileSearch search;
    ASSERT_FALSE(FindFileName(search, Name("*.txt")).empty());
    EXPECT_EQ(FindFileName(search, Name("missing/*.txt")), Text());
    EXPECT_FALSE(search.IsOpen());
}

TEST_F(FileSearchTest, MovedHandleContinues) {
    FileSearch search;
    std::multiset<std::string> names{FindFileName(search, Name("*.txt")).str()};
    FileSearch moved(std::move(search));
    for (Text n = FindFileName(moved, Text()); !n.empty(); n = FindFileName(moved, Text())) {
        names.insert(n.str());
    }
    EXPECT_EQ(names, (std::multiset<std::string>{"a.txt", "b.txt"}));
}

TEST_F(FileSearchTest, NamesWithoutACodePage936FormAreSkipped) {
    WriteRaw(Dir() / "\xF0\x9F\x98\x80.txt", "");  // an emoji has no 936 form
    WriteRaw(Dir() / "\xFF\xFE.txt", "");          // not UTF-8 at all
    FileSearch search;
    EXPECT_EQ(Collect(search, Name("*.txt")), (std::multiset<std::string>{"a.txt", "b.txt"}));
}

TEST_F(FileSearchTest, LinksToDirectoriesAreSkipped) {
    fs::create_directory_symlink(Dir() / "sub.txt", Dir() / "link.txt");
    fs::create_symlink(Dir() / "a.txt", Dir() / "file-link.txt");
    FileSearch search;
    EXPECT_EQ(Collect(search, Name("*.txt")),
              (std::multiset<std::string>{"a.txt", "b.txt", "file-link.txt"}));
}

}  // namespace
}  // namespace qinghe
