#include "app/data_location.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "support/test_data.h"
#include "text/charset.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;
using qinghe::testing::TempDir;

const std::string kSiteName = kSiteDirectoryNameUtf8;

QString Q(const fs::path& p) {
    return QString::fromStdString(p.string());
}

void WriteFile(const fs::path& p, const std::string& content) {
    std::ofstream(p, std::ios::binary) << content;
}

// The real check, except for the directories a test declares read-only: root
// may write anywhere, so a read-only program directory has to be pretended.
struct Prepare {
    std::set<QString> readOnly;
    std::set<QString>* asked = nullptr;
    bool operator()(const QString& dir) const {
        if (asked != nullptr) {
            asked->insert(dir);
        }
        return readOnly.count(dir) == 0 && PrepareWritableDirectory(dir);
    }
};

enum class Beside { Missing, Exists, TakenByFile, ReadOnly };
enum class Data { Fine, UnderAFile };
enum class Expect { BesideProgram, InDataDir };

struct Case {
    const char* name;
    bool installed;  // bin/ of a tree with share/applications/qinghe-rank.desktop
    bool portableFile;
    Beside beside;
    Data data;
    Expect where;
    bool usable;
    bool forced;
};

const Case kCases[] = {
    {"fresh writable program directory", false, false, Beside::Missing, Data::Fine,
     Expect::BesideProgram, true, false},
    {"site directory already there", false, false, Beside::Exists, Data::Fine,
     Expect::BesideProgram, true, false},
    {"read-only program directory", false, false, Beside::ReadOnly, Data::Fine, Expect::InDataDir,
     true, false},
    {"site name taken by a regular file", false, false, Beside::TakenByFile, Data::Fine,
     Expect::InDataDir, true, false},
    {"portable file, writable program directory", false, true, Beside::Missing, Data::Fine,
     Expect::BesideProgram, true, true},
    {"portable file, read-only program directory", false, true, Beside::ReadOnly, Data::Fine,
     Expect::BesideProgram, false, true},
    {"portable file, site name taken by a file", false, true, Beside::TakenByFile, Data::Fine,
     Expect::BesideProgram, false, true},
    {"no place at all", false, false, Beside::TakenByFile, Data::UnderAFile, Expect::BesideProgram,
     false, false},
    {"installed program, writable but nothing beside it yet", true, false, Beside::Missing,
     Data::Fine, Expect::InDataDir, true, false},
    {"installed program keeps a site directory already beside it", true, false, Beside::Exists,
     Data::Fine, Expect::BesideProgram, true, false},
    {"installed program with a portable file", true, true, Beside::Missing, Data::Fine,
     Expect::BesideProgram, true, true},
};

TEST(ChooseSiteDirectoryIn, PicksThePlaceThatCanHoldTheSites) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        TempDir tmp;
        const fs::path program = tmp.path() / "prefix" / "bin";
        const fs::path siteBeside = program / kSiteName;
        fs::create_directories(program);
        if (c.installed) {
            fs::create_directories(tmp.path() / "prefix" / "share" / "applications");
            WriteFile(tmp.path() / "prefix" / "share" / "applications" / "qinghe-rank.desktop", "");
        }
        if (c.portableFile) {
            WriteFile(program / "portable", "");
        }
        if (c.beside == Beside::Exists) {
            fs::create_directory(siteBeside);
            WriteFile(siteBeside / "example.com.txt", "a##b##");
        }
        if (c.beside == Beside::TakenByFile) {
            WriteFile(siteBeside, "not a directory");
        }
        // The data directory's parents are missing, as on a first start.
        fs::path dataDir = tmp.path() / "home" / ".local" / "share" / "qinghe-rank";
        if (c.data == Data::UnderAFile) {
            WriteFile(tmp.path() / "blocker", "");
            dataDir = tmp.path() / "blocker" / "qinghe-rank";
        }
        Prepare prepare;
        if (c.beside == Beside::ReadOnly) {
            prepare.readOnly.insert(Q(siteBeside));
        }

        const SiteDirectoryChoice choice = ChooseSiteDirectoryIn(Q(program), Q(dataDir), prepare);

        const fs::path expected =
            c.where == Expect::BesideProgram ? siteBeside : dataDir / kSiteName;
        EXPECT_EQ(choice.directory.toStdString(), expected.string());
        EXPECT_EQ(choice.portable, c.where == Expect::BesideProgram);
        EXPECT_EQ(choice.usable, c.usable);
        EXPECT_EQ(choice.forced, c.forced);
        if (choice.usable) {
            EXPECT_TRUE(fs::is_directory(expected));
        }
        // Only the chosen place is created.
        if (c.where == Expect::InDataDir) {
            EXPECT_EQ(fs::exists(siteBeside), c.beside == Beside::TakenByFile);
        } else {
            EXPECT_FALSE(fs::exists(dataDir));
        }
        if (c.beside == Beside::Exists) {
            EXPECT_EQ(qinghe::testing::ReadTestFile(siteBeside / "example.com.txt"), "a##b##");
        }
        if (c.beside == Beside::TakenByFile) {
            EXPECT_TRUE(fs::is_regular_file(siteBeside));
        }
    }
}

TEST(ChooseSiteDirectoryIn, NothingIsCreatedInASystemProgramDirectory) {
    // Root can write to /usr/bin, but its sites belong in root's data directory.
    TempDir tmp;
    std::set<QString> asked;
    Prepare prepare{{}, &asked};
    const QString dataDir = Q(tmp.path() / "data");

    const SiteDirectoryChoice choice =
        ChooseSiteDirectoryIn(QStringLiteral("/usr/bin"), dataDir, prepare);

    EXPECT_FALSE(choice.portable);
    EXPECT_TRUE(choice.usable);
    EXPECT_EQ(choice.directory, QDir(dataDir).filePath(QString::fromStdString(kSiteName)));
    EXPECT_EQ(asked.count(QStringLiteral("/usr/bin/") + QString::fromStdString(kSiteName)), 0u);
}

TEST(ChooseSiteDirectoryIn, UnknownProgramDirectoryUsesTheDataDirectory) {
    TempDir tmp;
    const SiteDirectoryChoice choice =
        ChooseSiteDirectoryIn(QString(), Q(tmp.path() / "data"), Prepare{});
    EXPECT_FALSE(choice.portable);
    EXPECT_TRUE(choice.usable);
    EXPECT_TRUE(fs::is_directory(tmp.path() / "data" / kSiteName));
}

TEST(ChooseSiteDirectoryIn, NoDataDirectoryLeavesTheProgramDirectoryUnusable) {
    TempDir tmp;
    const QString program = Q(tmp.path());
    Prepare prepare;
    prepare.readOnly.insert(QDir(program).filePath(QString::fromStdString(kSiteName)));
    const SiteDirectoryChoice choice = ChooseSiteDirectoryIn(program, QString(), prepare);
    EXPECT_TRUE(choice.portable);
    EXPECT_FALSE(choice.usable);
}

TEST(IsInstalledProgramDirectory, KnowsSystemDirectoriesAndInstallTrees) {
    TempDir tmp;
    fs::create_directories(tmp.path() / "tree" / "bin");
    fs::create_directories(tmp.path() / "tree" / "share" / "applications");
    WriteFile(tmp.path() / "tree" / "share" / "applications" / "qinghe-rank.desktop", "");
    fs::create_directories(tmp.path() / "other" / "bin");
    fs::create_directories(tmp.path() / "other" / "share" / "applications");
    WriteFile(tmp.path() / "other" / "share" / "applications" / "something-else.desktop", "");
    const struct {
        QString dir;
        bool installed;
    } rows[] = {
        {QStringLiteral("/usr/bin"), true},
        {QStringLiteral("/usr/bin/"), true},
        {QStringLiteral("/usr/./bin"), true},
        {QStringLiteral("/bin"), true},
        {QStringLiteral("/usr/local/bin"), true},
        {QStringLiteral("/usr/games"), true},
        {QStringLiteral("/usr/bin/qinghe"), false},
        {QStringLiteral("/opt/qinghe-rank/bin"), false},
        {Q(tmp.path() / "tree" / "bin"), true},
        {Q(tmp.path() / "other" / "bin"), false},
        {Q(tmp.path()), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dir.toStdString());
        EXPECT_EQ(IsInstalledProgramDirectory(row.dir), row.installed);
    }
}

TEST(PrepareWritableDirectory, CreatesMissingParentsAndLeavesNothingBehind) {
    TempDir tmp;
    const fs::path dir = tmp.path() / "a" / "b" / kSiteName;
    ASSERT_TRUE(PrepareWritableDirectory(Q(dir)));
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_TRUE(fs::is_empty(dir)) << "the write probe must be removed";
    EXPECT_TRUE(PrepareWritableDirectory(Q(dir))) << "an existing directory is fine";
}

TEST(PrepareWritableDirectory, FailsWhereNoDirectoryCanBe) {
    TempDir tmp;
    WriteFile(tmp.path() / "file", "x");
    EXPECT_FALSE(PrepareWritableDirectory(Q(tmp.path() / "file")));
    EXPECT_FALSE(PrepareWritableDirectory(Q(tmp.path() / "file" / "below")));
    EXPECT_FALSE(PrepareWritableDirectory(QString()));
}

TEST(PrepareWritableDirectory, FailsInAReadOnlyDirectory) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permission bits do not bind root";
    }
    TempDir tmp;
    const fs::path dir = tmp.path() / "ro";
    fs::create_directory(dir);
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(PrepareWritableDirectory(Q(dir)));
    EXPECT_FALSE(PrepareWritableDirectory(Q(dir / kSiteName)));
}

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
            m_had = true;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_had) {
            setenv(m_name, m_old.c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

TEST(UserDataDirectory, FollowsXdgDataHome) {
    TempDir tmp;
    ScopedEnv env("XDG_DATA_HOME", tmp.path().string());
    EXPECT_EQ(UserDataDirectory().toStdString(), (tmp.path() / "qinghe-rank").string());
}

// The whole road with code-page-936 texts: a program directory and a data
// directory with Chinese names, the site name beside the program taken.
TEST(ChooseSiteDirectory, GivesTheFallbackAsACodePage936Text) {
    TempDir tmp;
    const fs::path program = tmp.path() / "程序";
    const fs::path data = tmp.path() / "数据";
    fs::create_directories(program);
    WriteFile(program / kSiteName, "");
    ScopedEnv env("XDG_DATA_HOME", data.string());

    const Text chosen = ChooseSiteDirectory(Utf8ToAnsi(Bytes(program.string())));

    const fs::path expected = data / "qinghe-rank" / kSiteName;
    EXPECT_EQ(chosen, Utf8ToAnsi(Bytes(expected.string())));
    EXPECT_TRUE(fs::is_directory(expected));
}

TEST(ChooseSiteDirectory, GivesThePortableDirectoryAsACodePage936Text) {
    TempDir tmp;
    const fs::path program = tmp.path() / "程序";
    fs::create_directories(program);
    ScopedEnv env("XDG_DATA_HOME", (tmp.path() / "数据").string());

    const Text chosen = ChooseSiteDirectory(Utf8ToAnsi(Bytes(program.string())));

    EXPECT_EQ(chosen, Utf8ToAnsi(Bytes((program / kSiteName).string())));
    EXPECT_TRUE(fs::is_directory(program / kSiteName));
    EXPECT_FALSE(fs::exists(tmp.path() / "数据"));
}

}  // namespace
}  // namespace qinghe
