// The site and keyword handlers against the fake form and a real site directory.
#include "store/site_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "store/gbk.h"
#include "support/fake_form.h"
#include "support/test_data.h"
#include "text/files.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;
using testing::FakeForm;
using testing::Gbk;
using testing::TempDir;
using testing::Utf8;

std::vector<Text> Texts(std::initializer_list<const char*> items) {
    return {items.begin(), items.end()};
}

class SiteStoreTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(m_dir); }

    // A site file on disk; names and contents are given as UTF-8 and stored in
    // the files' own encodings (UTF-8 names, GBK contents).
    void WriteSite(const std::string& address, const std::string& content) {
        WriteRaw(m_dir / (address + ".txt"), content);
    }
    static void WriteRaw(const fs::path& path, const std::string& content) {
        std::ofstream out(path, std::ios::binary);
        out << content;
    }
    std::string ReadSite(const std::string& address) const {
        return testing::ReadTestFile(m_dir / (address + ".txt"));
    }
    bool SiteExists(const std::string& address) const {
        return fs::exists(m_dir / (address + ".txt"));
    }
    // The site directory's entries, as the file system lists them.
    std::vector<std::string> DirectoryEntries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir))
            names.push_back(e.path().filename());
        return names;
    }
    std::vector<Text> KeywordColumn() const {
        std::vector<Text> column;
        for (const auto& row : form.rows)
            column.push_back(row[kColumnKeyword]);
        return column;
    }
    // Makes a site current as a pick from the list would, and loads it.
    void PickSite(const Text& address) {
        form.sites.text = address;
        store.LoadKeywords();
    }
    // Selects the first row holding the keyword.
    void SelectRow(const Text& keyword) {
        form.selectedRow = -1;
        for (std::size_t r = 0; r < form.rows.size(); ++r) {
            if (form.rows[r][kColumnKeyword] == keyword) {
                form.selectedRow = static_cast<int>(r);
                break;
            }
        }
        ASSERT_GE(form.selectedRow, 0) << "no row holds " << keyword.str();
    }

    TempDir m_temp;
    // The directory bears its real name, so the GBK name reaches the disk in UTF-8.
    fs::path m_dir = m_temp.path() / "排名网站";
    FakeForm form;
    TextArray keywords;
    SiteStore store{form, keywords,
                    JoinText(Text(m_temp.path().string()), kPathSeparator, kSiteDirectoryName)};
};

// ---- site list ---------------------------------------------------------------------

TEST_F(SiteStoreTest, SiteListHoldsEverySiteFileInDirectoryOrderAndNothingElse) {
    for (const char* name : {"b.example", "a.example", "c.example", "a.txt", "测试.cn"}) {
        WriteSite(name, "");
    }
    fs::create_directory(m_dir / "folder.txt");              // a directory, not a site
    WriteRaw(m_dir / "notes.md", "x");                       // not a site file
    WriteRaw(m_dir / (kTempFilePrefix.str() + "x"), "k##");  // an interrupted write
    form.sites.text = "typed";
    form.sites.selected = 0;

    store.RefreshSiteList();

    std::vector<Text> expected;
    for (const std::string& name : DirectoryEntries()) {
        if (name.ends_with(".txt") && fs::is_regular_file(m_dir / name)) {
            expected.push_back(Gbk(name.substr(0, name.size() - 4)));
        }
    }
    ASSERT_EQ(expected.size(), 5u);
    EXPECT_EQ(form.sites.entries, expected);  // a.txt.txt is listed as a.txt
    EXPECT_EQ(form.sites.selected, -1);
    EXPECT_EQ(form.sites.text, Text());
}

TEST_F(SiteStoreTest, MissingSiteDirectoryGivesAnEmptyList) {
    fs::remove(m_dir);
    store.RefreshSiteList();
    EXPECT_TRUE(form.sites.entries.empty());
}

// ---- adding sites ---------------------------------------------------------------------

struct AddSiteCase {
    const char* name;
    const char* typed;    // UTF-8
    const char* address;  // what the box shows afterwards, UTF-8
    const char* message;  // status afterwards, UTF-8
    bool stored;          // a file address + ".txt" exists afterwards
};

class AddSiteTest : public SiteStoreTest, public ::testing::WithParamInterface<AddSiteCase> {};

TEST_P(AddSiteTest, CleansTheAddressAndStoresOrRefusesIt) {
    const AddSiteCase& c = GetParam();
    WriteSite("other.example", "k##");
    form.siteAddress = Gbk(c.typed);

    store.AddSite();

    EXPECT_EQ(form.siteAddress, Gbk(c.address));
    EXPECT_EQ(form.status(), Gbk(c.message));
    if (c.stored) {
        EXPECT_TRUE(SiteExists(c.address));
        EXPECT_EQ(ReadSite(c.address), "");
        EXPECT_EQ(form.sites.text, Gbk(c.address));
        EXPECT_EQ(form.sites.selected, -1);
        EXPECT_EQ(form.sites.entries.size(), 2u);
        EXPECT_NE(std::find(form.sites.entries.begin(), form.sites.entries.end(), Gbk(c.address)),
                  form.sites.entries.end());
        EXPECT_TRUE(form.rows.empty());
        EXPECT_EQ(keywords.Count(), 0);
    } else {
        // Nothing written, nothing else touched.
        EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"other.example.txt"});
        EXPECT_EQ(ReadSite("other.example"), "k##");
        EXPECT_TRUE(form.sites.entries.empty());
        EXPECT_EQ(form.statusLog.size(), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, AddSiteTest,
    ::testing::Values(
        AddSiteCase{"HttpAndTrailingSlash", "http://site1/", "site1", "添加网站成功！", true},
        AddSiteCase{"Https", "https://www.example.com/", "www.example.com", "添加网站成功！", true},
        AddSiteCase{"EveryHttpAndSlash", "http://a/http://b//c/", "abc", "添加网站成功！", true},
        AddSiteCase{"HttpThenHttps", "http://https://x.cn", "x.cn", "添加网站成功！", true},
        AddSiteCase{"SpacesAndCaseKept", " My Site ", " My Site ", "添加网站成功！", true},
        AddSiteCase{"Chinese", "http://测试.中国/", "测试.中国", "添加网站成功！", true},
        // Two dots are a plain file name here: "...txt" inside the site directory.
        AddSiteCase{"DotDot", "..", "..", "添加网站成功！", true},
        AddSiteCase{"Dot", "/./", ".", "添加网站成功！", true},
        AddSiteCase{"Empty", "", "", "请输入网站地址！", false},
        AddSiteCase{"OnlyHttpAndSlashes", "http:///", "", "请输入网站地址！", false},
        AddSiteCase{"OnlyHttpsAndSlashes", "https:////http://", "", "请输入网站地址！", false},
        // Capital HTTP is not the prefix; the colon it leaves cannot name a file.
        AddSiteCase{"CapitalHttp", "HTTP://site1", "HTTP:site1",
                    "网站地址含有不能用作文件名的字符！", false},
        AddSiteCase{"Backslash", "a\\..\\b", "a\\..\\b", "网站地址含有不能用作文件名的字符！",
                    false},
        AddSiteCase{"Colon", "site:8080", "site:8080", "网站地址含有不能用作文件名的字符！", false},
        AddSiteCase{"Star", "a*", "a*", "网站地址含有不能用作文件名的字符！", false},
        AddSiteCase{"Question", "a?b", "a?b", "网站地址含有不能用作文件名的字符！", false},
        AddSiteCase{"Quote", "a\"b", "a\"b", "网站地址含有不能用作文件名的字符！", false},
        AddSiteCase{"Less", "a<b", "a<b", "网站地址含有不能用作文件名的字符！", false},
        AddSiteCase{"Greater", "a>b", "a>b", "网站地址含有不能用作文件名的字符！", false},
        AddSiteCase{"Bar", "a|b", "a|b", "网站地址含有不能用作文件名的字符！", false},
        AddSiteCase{"Tab", "a\tb", "a\tb", "网站地址含有不能用作文件名的字符！", false},
        AddSiteCase{"LineFeed", "site\n", "site\n", "网站地址含有不能用作文件名的字符！", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SiteStoreTest, TwoByteCharactersWithBackslashOrBarTrailBytesAreStorable) {
    // 0x81 0x5C and 0x81 0x7C are single characters whose second byte is \ and |.
    const Text address = Text("\x81\x5C\x81\x7C.cn");
    form.siteAddress = address;
    store.AddSite();
    EXPECT_EQ(form.status(), Gbk("添加网站成功！"));
    EXPECT_TRUE(SiteExists(Utf8(address)));
    EXPECT_EQ(form.sites.entries, std::vector<Text>{address});
}

TEST_F(SiteStoreTest, NothingIsCreatedOutsideTheSiteDirectory) {
    for (const char* typed : {"..", "../..", "/../x", ".", "..\\x", "~"}) {
        form.siteAddress = typed;
        store.AddSite();
    }
    // Only the site directory lies in the temporary directory.
    std::vector<std::string> top;
    for (const auto& e : fs::directory_iterator(m_temp.path()))
        top.push_back(e.path().filename());
    EXPECT_EQ(top, std::vector<std::string>{"排名网站"});
    std::vector<std::string> sites = DirectoryEntries();
    std::sort(sites.begin(), sites.end());
    EXPECT_EQ(sites, (std::vector<std::string>{".....txt", "...txt", "..txt", "..x.txt", "~.txt"}));
}

TEST_F(SiteStoreTest, AnAddressStoredByteForByteIsADuplicateAndItsFileStaysIntact) {
    WriteSite("site1", "kw1##kw2##");
    store.RefreshSiteList();
    for (const char* typed : {"site1", "http://site1/", "/site1"}) {
        SCOPED_TRACE(typed);
        form.siteAddress = typed;
        form.sites.text = "current";
        store.AddSite();
        EXPECT_EQ(form.status(), Gbk("网站地址已经存在！"));
        EXPECT_EQ(form.siteAddress, Text("site1"));
        EXPECT_EQ(form.sites.text, Text("current"));
        EXPECT_EQ(ReadSite("site1"), "kw1##kw2##");
    }
}

TEST_F(SiteStoreTest, AnAddressInOtherLetterCaseIsANewSite) {
    WriteSite("site1", "kw##");
    form.siteAddress = "SITE1";
    store.AddSite();
    EXPECT_EQ(form.status(), Gbk("添加网站成功！"));
    EXPECT_EQ(ReadSite("SITE1"), "");
    EXPECT_EQ(ReadSite("site1"), "kw##");
}

TEST_F(SiteStoreTest, AddingASiteShowsItWithAnEmptyKeywordList) {
    WriteSite("old", "a##b##");
    PickSite("old");
    ASSERT_EQ(form.rows.size(), 2u);
    form.siteAddress = "http://new.example/";

    store.AddSite();

    EXPECT_EQ(form.sites.text, Text("new.example"));
    EXPECT_EQ(form.siteAddress, Text("new.example"));
    EXPECT_TRUE(form.rows.empty());
    EXPECT_EQ(keywords.Count(), 0);
}

TEST_F(SiteStoreTest, ASiteFileThatCannotBeCreatedIsReportedAsAFailure) {
    // A directory bears the site file's name: it is not listed, and the file
    // cannot be made.
    fs::create_directory(m_dir / "blocked.txt");
    form.siteAddress = "blocked";
    store.AddSite();
    EXPECT_EQ(form.status(), Gbk("添加网站失败！"));
    EXPECT_TRUE(fs::is_directory(m_dir / "blocked.txt"));
    // The lists are rebuilt as after a success; the list shows what is stored.
    EXPECT_TRUE(form.sites.entries.empty());
    EXPECT_EQ(form.sites.text, Text("blocked"));
}

TEST_F(SiteStoreTest, AddingASiteWithoutSiteDirectoryIsReportedAsAFailure) {
    fs::remove(m_dir);
    WriteRaw(m_dir, "a file where the directory should be");
    form.siteAddress = "site1";
    store.AddSite();
    EXPECT_EQ(form.status(), Gbk("添加网站失败！"));
    EXPECT_TRUE(fs::is_regular_file(m_dir));
}

// ---- deleting sites -------------------------------------------------------------------

TEST_F(SiteStoreTest, DeletingWithoutCurrentSiteDoesNothing) {
    WriteSite("site1", "a##");
    store.DeleteSite();
    EXPECT_TRUE(form.confirmations.empty());
    EXPECT_TRUE(form.statusLog.empty());
    EXPECT_TRUE(SiteExists("site1"));
}

TEST_F(SiteStoreTest, DeletingAsksFirstAndCancelChangesNothing) {
    WriteSite("site1", "a##b##");
    WriteSite("site2", "");
    store.RefreshSiteList();
    form.PickSite(0);
    store.LoadKeywords();
    form.keyword = "a";
    const FakeForm before = form;

    for (bool closeTheBox : {false, true}) {
        SCOPED_TRACE(closeTheBox ? "box closed" : "Cancel");
        if (!closeTheBox)
            form.nextAnswers = {false};  // an empty queue is a closed box
        store.DeleteSite();
        ASSERT_FALSE(form.confirmations.empty());
        EXPECT_EQ(form.confirmations.back().first,
                  JoinText(Gbk("是否要删除网站"), form.sites.entries[0], "?"));
        EXPECT_EQ(form.confirmations.back().second, Gbk("删除网站确认"));
        EXPECT_EQ(form.sites.entries, before.sites.entries);
        EXPECT_EQ(form.sites.text, before.sites.text);
        EXPECT_EQ(form.sites.selected, before.sites.selected);
        EXPECT_EQ(form.rows, before.rows);
        EXPECT_EQ(form.siteAddress, before.siteAddress);
        EXPECT_EQ(form.keyword, before.keyword);
        EXPECT_TRUE(form.statusLog.empty());
    }
    EXPECT_EQ(ReadSite("site1"), "a##b##");
    EXPECT_EQ(ReadSite("site2"), "");
}

TEST_F(SiteStoreTest, DeletingWithOkRemovesTheSiteAndEmptiesEverything) {
    WriteSite("站点一", "a##b##");
    WriteSite("site2", "");
    store.RefreshSiteList();
    PickSite(Gbk("站点一"));
    form.nextAnswers = {true};

    store.DeleteSite();

    EXPECT_EQ(form.confirmations.at(0).first, Gbk("是否要删除网站站点一?"));
    EXPECT_FALSE(SiteExists("站点一"));
    EXPECT_EQ(form.sites.entries, Texts({"site2"}));
    EXPECT_EQ(form.sites.text, Text());
    EXPECT_EQ(form.sites.selected, -1);
    EXPECT_TRUE(form.rows.empty());
    EXPECT_EQ(keywords.Count(), 0);
    EXPECT_EQ(form.siteAddress, Text());
    EXPECT_EQ(form.status(), Gbk("删除网站成功！"));
}

TEST_F(SiteStoreTest, DeletingASiteThatHasNoFileIsReportedAsAFailure) {
    WriteSite("site1", "");
    form.sites.text = "typed-only";
    form.nextAnswers = {true};
    store.DeleteSite();
    EXPECT_EQ(form.status(), Gbk("删除网站失败！"));
    EXPECT_EQ(form.sites.entries, Texts({"site1"}));
    EXPECT_EQ(form.sites.text, Text());
}

TEST_F(SiteStoreTest, ATypedSiteNameNeverReachesOutsideTheSiteDirectory) {
    WriteRaw(m_temp.path() / "outside.txt", "x##");
    const Text typed = JoinText("..", kPathSeparator, "outside");

    form.sites.text = typed;
    store.LoadKeywords();
    EXPECT_TRUE(form.rows.empty());

    form.keyword = "k";
    store.AddKeyword();
    EXPECT_EQ(form.status(), Gbk("添加关键词失败！"));

    form.sites.text = typed;
    form.nextAnswers = {true};
    store.DeleteSite();
    EXPECT_EQ(form.status(), Gbk("删除网站失败！"));

    EXPECT_EQ(testing::ReadTestFile(m_temp.path() / "outside.txt"), "x##");
    EXPECT_TRUE(DirectoryEntries().empty());
}

// ---- loading keywords -----------------------------------------------------------------

struct SplitCase {
    const char* name;
    std::string content;  // raw bytes of the site file
    std::vector<Text> keywords;
};

class LoadKeywordsTest : public SiteStoreTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(LoadKeywordsTest, RowsFollowTheSplitOfTheSiteFile) {
    const SplitCase& c = GetParam();
    WriteSite("site1", c.content);
    // Left-overs of an earlier site and an earlier query go.
    form.rows = {{"1", "old", "3"}, {"2", "old2", "100名以后 :("}};
    form.siteAddress = "something";

    PickSite("site1");

    EXPECT_EQ(keywords.items(), c.keywords);
    ASSERT_EQ(form.rows.size(), c.keywords.size());
    for (std::size_t r = 0; r < form.rows.size(); ++r) {
        EXPECT_EQ(form.rows[r][kColumnNumber], NumberToText(static_cast<int>(r) + 1));
        EXPECT_EQ(form.rows[r][kColumnKeyword], c.keywords[r]);
        EXPECT_EQ(form.rows[r][kColumnRank], Text());
    }
    EXPECT_EQ(form.siteAddress, Text("site1"));
    EXPECT_TRUE(form.statusLog.empty());
}

INSTANTIATE_TEST_SUITE_P(
    SiteFiles, LoadKeywordsTest,
    ::testing::Values(SplitCase{"TwoKeywords", "a##b##", Texts({"a", "b"})},
                      SplitCase{"EmptyKeywordBetween", "a####b##", Texts({"a", "", "b"})},
                      SplitCase{"NoFinalSeparator", "a##b", Texts({"a", "b"})},
                      SplitCase{"Empty", "", {}}, SplitCase{"OnlySeparator", "##", Texts({""})},
                      SplitCase{"SpacesKept", " a ## b##", Texts({" a ", " b"})},
                      SplitCase{"Chinese",
                                "\xB2\xE2\xCA\xD4##\xB9\xD8\xBC\xFC\xB4\xCA##",
                                {Gbk("测试"), Gbk("关键词")}},
                      SplitCase{"ZeroByteEndsTheText", std::string("a##b\0c##", 8),
                                Texts({"a", "b"})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SiteStoreTest, ATypedSiteWithoutFileShowsNoKeywords) {
    WriteSite("site1", "a##");
    PickSite("site1");
    PickSite("no-such-site");
    EXPECT_TRUE(form.rows.empty());
    EXPECT_EQ(keywords.Count(), 0);
    EXPECT_EQ(form.siteAddress, Text("no-such-site"));
}

// ---- adding keywords ------------------------------------------------------------------

TEST_F(SiteStoreTest, AddingAKeywordAppendsItAfterTheFilesBytes) {
    WriteSite("site1", "a##b");  // edited by hand: no final separator
    PickSite("site1");
    form.keyword = "c";

    store.AddKeyword();

    EXPECT_EQ(ReadSite("site1"), "a##bc##");
    EXPECT_EQ(KeywordColumn(), Texts({"a", "bc"}));
    EXPECT_EQ(form.status(), Gbk("添加关键词成功！"));
    EXPECT_EQ(form.keyword, Text("c"));
}

struct AddKeywordCase {
    const char* name;
    const char* typed;      // UTF-8
    std::string fileAfter;  // UTF-8 of the GBK content
    std::vector<const char*> rowsAfter;
};

class AddKeywordTest : public SiteStoreTest,
                       public ::testing::WithParamInterface<AddKeywordCase> {};

TEST_P(AddKeywordTest, StoresTheKeywordAsTyped) {
    const AddKeywordCase& c = GetParam();
    WriteSite("site1", "kw##");
    PickSite("site1");
    form.keyword = Gbk(c.typed);

    store.AddKeyword();

    EXPECT_EQ(form.status(), Gbk("添加关键词成功！"));
    EXPECT_EQ(ReadSite("site1"), Gbk(c.fileAfter).str());
    std::vector<Text> rows;
    for (const char* r : c.rowsAfter)
        rows.push_back(Gbk(r));
    EXPECT_EQ(KeywordColumn(), rows);
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, AddKeywordTest,
    ::testing::Values(AddKeywordCase{"OtherLetterCase", "KW", "kw##KW##", {"kw", "KW"}},
                      // Stored as typed; read back it is two keywords.
                      AddKeywordCase{"HoldsSeparator", "x##y", "kw##x##y##", {"kw", "x", "y"}},
                      AddKeywordCase{"SpacesKept", "  kw  ", "kw##  kw  ##", {"kw", "  kw  "}},
                      AddKeywordCase{"Chinese", "关键词", "kw##关键词##", {"kw", "关键词"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SiteStoreTest, AKeywordPresentByteForByteIsNotAddedAgain) {
    WriteSite("site1", "a##b##");
    PickSite("site1");
    // The row copy puts a stored keyword into the box.
    form.selectedRow = 1;
    store.CopyCurrentRowKeyword();
    ASSERT_EQ(form.keyword, Text("b"));

    store.AddKeyword();

    EXPECT_EQ(form.status(), Gbk("关键词已经存在！"));
    EXPECT_EQ(ReadSite("site1"), "a##b##");
    EXPECT_EQ(form.rows.size(), 2u);
}

TEST_F(SiteStoreTest, KeywordExistsRereadsTheFileButLeavesTheRows) {
    WriteSite("site1", "a##");
    PickSite("site1");
    WriteSite("site1", "a##b##c##");  // changed by another program
    form.keyword = "zz";

    EXPECT_FALSE(store.KeywordExists());
    EXPECT_EQ(keywords.items(), Texts({"a", "b", "c"}));
    EXPECT_EQ(KeywordColumn(), Texts({"a"}));
    EXPECT_TRUE(form.statusLog.empty());

    form.keyword = "c";
    EXPECT_TRUE(store.KeywordExists());
    EXPECT_EQ(form.status(), Gbk("关键词已经存在！"));
}

TEST_F(SiteStoreTest, AddingAKeywordNeedsAKeywordAndThenASite) {
    WriteSite("site1", "a##");
    store.AddKeyword();
    EXPECT_EQ(form.status(), Gbk("请填写关键字！"));
    form.keyword = "k";
    store.AddKeyword();
    EXPECT_EQ(form.status(), Gbk("请选择要查询的网站！"));
    EXPECT_EQ(ReadSite("site1"), "a##");
    EXPECT_EQ(DirectoryEntries().size(), 1u);
}

TEST_F(SiteStoreTest, AddingAKeywordToATypedSiteCreatesItsFile) {
    form.sites.text = "typed.example";
    form.keyword = "k";
    store.AddKeyword();
    EXPECT_EQ(form.status(), Gbk("添加关键词成功！"));
    EXPECT_EQ(ReadSite("typed.example"), "k##");
    store.RefreshSiteList();
    EXPECT_EQ(form.sites.entries, Texts({"typed.example"}));
}

TEST_F(SiteStoreTest, AKeywordThatCannotBeWrittenIsReportedAsAFailure) {
    // The site file is a directory: nothing can be written under its name.
    fs::create_directory(m_dir / "site1.txt");
    form.sites.text = "site1";
    form.keyword = "k";
    store.AddKeyword();
    EXPECT_EQ(form.status(), Gbk("添加关键词失败！"));
    EXPECT_TRUE(fs::is_directory(m_dir / "site1.txt"));
    EXPECT_TRUE(form.rows.empty());

    // The site directory is a file.
    fs::remove(m_dir / "site1.txt");
    fs::remove(m_dir);
    WriteRaw(m_dir, "");
    store.AddKeyword();
    EXPECT_EQ(form.status(), Gbk("添加关键词失败！"));
}

// ---- deleting keywords ----------------------------------------------------------------

struct DeleteKeywordCase {
    const char* name;
    std::string before;  // raw bytes
    const char* keyword;
    std::string after;
};

class DeleteKeywordTest : public SiteStoreTest,
                          public ::testing::WithParamInterface<DeleteKeywordCase> {};

TEST_P(DeleteKeywordTest, RemovesExactlyTheWholeEntriesOfTheSelectedKeyword) {
    const DeleteKeywordCase& c = GetParam();
    WriteSite("site1", c.before);
    PickSite("site1");
    SelectRow(Text(c.keyword));
    form.keyword = "typed";

    store.DeleteKeyword();

    EXPECT_EQ(ReadSite("site1"), c.after);
    EXPECT_EQ(form.status(), Gbk("删除关键词成功！"));
    EXPECT_EQ(form.keyword, Text());
    // Rows are the reload of what is stored, numbered from 1 again.
    const std::string text = c.after.substr(0, c.after.find('\0'));
    EXPECT_EQ(keywords, SplitText(Text(text), "##"));
    ASSERT_EQ(form.rows.size(), static_cast<std::size_t>(keywords.Count()));
    for (std::size_t r = 0; r < form.rows.size(); ++r) {
        EXPECT_EQ(form.rows[r][kColumnNumber], NumberToText(static_cast<int>(r) + 1));
    }
}

INSTANTIATE_TEST_SUITE_P(
    SiteFiles, DeleteKeywordTest,
    ::testing::Values(DeleteKeywordCase{"Middle", "a##b##c##", "b", "a##c##"},
                      DeleteKeywordCase{"EveryDuplicate", "a##b##a##c##a##", "a", "b##c##"},
                      // A last entry without separator stays, as it did in the file.
                      DeleteKeywordCase{"LastWithoutSeparator", "a##b", "b", "a##b"},
                      DeleteKeywordCase{"DuplicateAndLastWithoutSeparator", "b##a##b", "b", "a##b"},
                      // Other keywords ending in the deleted one stay whole.
                      DeleteKeywordCase{"TailOfALongerKeyword", "cab##ab##", "ab", "cab##"},
                      DeleteKeywordCase{"HeadOfALongerKeyword", "ab##abc##", "ab", "abc##"},
                      DeleteKeywordCase{"TwoByteTail", "\xB2\xE2\xCA\xD4##\xCA\xD4##", "\xCA\xD4",
                                        "\xB2\xE2\xCA\xD4##"},
                      DeleteKeywordCase{"EmptyEntriesStay", "a####a##", "a", "##"},
                      DeleteKeywordCase{"OtherLetterCaseStays", "A##a##", "a", "A##"},
                      // Bytes after a zero byte (a hand-edited file) are kept.
                      DeleteKeywordCase{"BytesAfterZeroKept", std::string("a##b##\0a##tail", 14),
                                        "a", std::string("b##\0a##tail", 11)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SiteStoreTest, DeletingTheOnlyKeywordLeavesAnEmptyFile) {
    WriteSite("site1", "only##");
    PickSite("site1");
    SelectRow("only");
    store.DeleteKeyword();
    EXPECT_EQ(ReadSite("site1"), "");
    EXPECT_TRUE(form.rows.empty());
}

TEST_F(SiteStoreTest, DeletingNeedsASiteAndASelectedRowWithAKeyword) {
    WriteSite("site1", "a####b##");
    form.keyword = "a";  // never used as the keyword to delete
    store.DeleteKeyword();
    EXPECT_EQ(form.status(), Gbk("请选择目标网站！"));

    PickSite("site1");
    form.statusLog.clear();
    store.DeleteKeyword();  // no row selected
    EXPECT_EQ(form.status(), Gbk("请选择要删除的关键词！"));

    SelectRow("");  // the empty keyword between the separators
    store.DeleteKeyword();
    EXPECT_EQ(form.status(), Gbk("请选择要删除的关键词！"));

    EXPECT_EQ(ReadSite("site1"), "a####b##");
    EXPECT_EQ(form.keyword, Text("a"));
    EXPECT_EQ(form.rows.size(), 3u);
}

TEST_F(SiteStoreTest, DeletingFromATypedSiteWithoutFileCreatesNothing) {
    WriteSite("site1", "a##b##");
    PickSite("site1");
    SelectRow("a");
    form.sites.text = "typed.example";
    store.DeleteKeyword();
    // Nothing to take out of a file that does not exist.
    EXPECT_EQ(form.status(), Gbk("删除关键词成功！"));
    EXPECT_FALSE(SiteExists("typed.example"));
    EXPECT_EQ(ReadSite("site1"), "a##b##");
    EXPECT_TRUE(form.rows.empty());
}

// Writes larger than a few bytes fail while this lives, for root as well.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    sighandler_t m_handler;
};

TEST_F(SiteStoreTest, KeywordChangesThatCannotBeWrittenAreReportedAsFailures) {
    WriteSite("site1", "first-keyword##second-keyword##");
    PickSite("site1");
    SelectRow("first-keyword");
    {
        FileSizeLimit limit(8);
        store.DeleteKeyword();
        EXPECT_EQ(form.status(), Gbk("删除关键词失败！"));
        form.keyword = "third-keyword";
        store.AddKeyword();
        EXPECT_EQ(form.status(), Gbk("添加关键词失败！"));
    }
    // The file keeps its content and the rows show it.
    EXPECT_EQ(ReadSite("site1"), "first-keyword##second-keyword##");
    EXPECT_EQ(KeywordColumn(), Texts({"first-keyword", "second-keyword"}));
    // No temporary is left behind that would be listed as a site.
    store.RefreshSiteList();
    EXPECT_EQ(form.sites.entries, Texts({"site1"}));
}

// ---- copying the current row ------------------------------------------------------------

TEST_F(SiteStoreTest, CopyingTheCurrentRowPutsItsKeywordIntoTheKeywordBox) {
    WriteSite("site1", "a## b ##");
    PickSite("site1");
    form.selectedRow = 1;
    store.CopyCurrentRowKeyword();
    EXPECT_EQ(form.keyword, Text(" b "));
    form.selectedRow = -1;
    store.CopyCurrentRowKeyword();
    EXPECT_EQ(form.keyword, Text());
    EXPECT_TRUE(form.statusLog.empty());
}

// ---- the raw entry removal ------------------------------------------------------------

TEST(RemoveKeywordEntries, CountsTheEntriesItTakesOut) {
    int removed = -1;
    EXPECT_EQ(RemoveKeywordEntries(Bytes(std::string_view("x##y##x##x")), "x", removed),
              Bytes(std::string_view("y##x")));
    EXPECT_EQ(removed, 2);
    EXPECT_EQ(RemoveKeywordEntries(Bytes(), "x", removed), Bytes());
    EXPECT_EQ(removed, 0);
}

TEST(RemoveKeywordEntries, CutsEntriesOnlyWhereACharacterStarts) {
    // 0x81 0x23 is one character; the "##" after 0x81 is no separator.
    int removed = -1;
    const Bytes content(std::string_view("\x81##a##"));
    EXPECT_EQ(SplitText(BytesToText(content), "##").items(), std::vector<Text>{"\x81##a"});
    EXPECT_EQ(RemoveKeywordEntries(content, "a", removed), content);
    EXPECT_EQ(removed, 0);
    EXPECT_EQ(RemoveKeywordEntries(content, "\x81##a", removed), Bytes());
    EXPECT_EQ(removed, 1);
}

}  // namespace
}  // namespace qinghe
