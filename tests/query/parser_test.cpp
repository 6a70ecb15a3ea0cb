#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "classic_reference.h"
#include "query/result_page_parser.h"
#include "query_parse_pages.h"
#include "support/test_data.h"
#include "text/charset.h"
#include "text/regex.h"

namespace qinghe {
namespace {

using qinghe::testing::ReadTestFile;
using qinghe::testing::TestDataPath;

std::vector<std::string> Strings(const TextArray& texts) {
    std::vector<std::string> out;
    for (const Text& t : texts) {
        out.push_back(t.str());
    }
    return out;
}

// The small pages under classic/ are written as the parser sees a page: text in
// code page 936.
Text ClassicFixture(const std::string& name) {
    return Text(ReadTestFile(TestDataPath("classic/" + name)));
}

// Real pages are UTF-8 bodies; the query converts every body before parsing.
Text RealPage(const std::string& name) {
    return Utf8ToAnsi(Bytes(ReadTestFile(TestDataPath("pages/" + name))));
}

struct PageCase {
    const char* name;
    const char* file;
    const char* site;
    std::vector<std::string> positions;
    int blockCount;
    int highestPosition;
};

std::string CaseName(const ::testing::TestParamInfo<PageCase>& info) {
    return info.param.name;
}

ParsedPage Parse(const Text& page, const Text& site) {
    RegexObject blockMatcher;
    RegexObject spanMatcher;
    return ParseResultPage(page, site, blockMatcher, spanMatcher);
}

void ExpectParsed(const ParsedPage& parsed, const PageCase& c) {
    EXPECT_EQ(Strings(parsed.positions), c.positions);
    EXPECT_EQ(parsed.blockCount, c.blockCount);
    EXPECT_EQ(parsed.highestPosition, c.highestPosition);
}

// ---- classic layout: small pages, one per behaviour -------------------------------

class ClassicFixtureTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(ClassicFixtureTest, FindsPositions) {
    const PageCase& c = GetParam();
    ExpectParsed(Parse(ClassicFixture(c.file), c.site), c);
}

INSTANTIATE_TEST_SUITE_P(
    Parser, ClassicFixtureTest,
    ::testing::Values(
        PageCase{"SiteWithPathAndDateAfterOtherSite",
                 "OtherSiteThenSiteWithPathAndDate.html",
                 "www.example.com",
                 {"5"},
                 2,
                 5},
        PageCase{"EmptyAddressInEveryGreenSpan",
                 "OtherSiteThenSiteWithPathAndDate.html",
                 "",
                 {"4", "5"},
                 2,
                 5},
        PageCase{"EmptyPage", "EmptyPage.html", "www.example.com", {}, 0, 0},
        PageCase{"NoTableWithId", "NoTableWithId.html", "www.example.com", {}, 0, 0},
        PageCase{
            "AddressOutsideGreenSpan", "AddressOutsideGreenSpan.html", "www.example.com", {}, 2, 2},
        PageCase{"EmptyAddressNeedsGreenSpan", "AddressOutsideGreenSpan.html", "", {"2"}, 2, 2},
        PageCase{"AddressInOtherCase", "AddressCaseDiffers.html", "www.example.com", {}, 1, 3},
        PageCase{"AddressInCaseShown", "AddressCaseDiffers.html", "WWW.EXAMPLE.COM", {"3"}, 1, 3},
        PageCase{"TagsInAnyCaseAndQuote",
                 "TagsInAnyCaseAndQuote.html",
                 "www.example.com",
                 {"3", "4"},
                 2,
                 4},
        PageCase{"MarkupInsideGreenSpan",
                 "MarkupInsideGreenSpan.html",
                 "www.example.com",
                 {"2", "3"},
                 3,
                 4},
        PageCase{"MarkupInsideGreenSpanOtherSite",
                 "MarkupInsideGreenSpan.html",
                 "other.example.org",
                 {"4"},
                 3,
                 4},
        PageCase{"TwoGreenSpansOnePosition",
                 "TwoGreenSpansWithAddress.html",
                 "www.example.com",
                 {"7"},
                 1,
                 7},
        PageCase{"OddAndEmptyIdsVerbatim",
                 "OddAndEmptyIds.html",
                 "www.example.com",
                 {"3001", "x7", ""},
                 3,
                 0},
        PageCase{"IdOnNextLine", "IdOnNextLine.html", "www.example.com", {}, 0, 0},
        PageCase{"GreenSpanAcrossLines", "GreenSpanAcrossLines.html", "www.example.com", {}, 1, 2},
        PageCase{"NestedTableEndsBlock", "NestedTable.html", "www.example.com", {}, 1, 6},
        PageCase{"GreenSpanLeftOpenBelongsToNoOtherBlock",
                 "GreenSpanLeftOpenBeforeTableEnd.html",
                 "www.example.com",
                 {"4", "5"},
                 6,
                 6},
        PageCase{"AddressStartsInsideTwoByteCharacter",
                 "AddressStartsInsideTwoByteCharacter.html",
                 "a.example.com",
                 {"2"},
                 2,
                 2}),
    CaseName);

// Every classic page, sites that stand in it and sites that do not: the parser's
// shortcuts give what the patterns give when applied plainly, block by block.
TEST(ClassicParse, GivesWhatAPlainSearchPerBlockGives) {
    std::vector<std::pair<std::string, Text>> pages;
    for (const auto& entry : std::filesystem::directory_iterator(TestDataPath("classic"))) {
        pages.emplace_back(entry.path().filename().string(),
                           ClassicFixture(entry.path().filename().string()));
    }
    pages.emplace_back("classic-2011-mozilla", RealPage("classic-2011-mozilla.utf8.html"));
    pages.emplace_back("synthetic", Utf8ToAnsi(Bytes(pages::ClassicPage(256 << 10, 30))));
    for (const auto& [name, page] : pages) {
        for (const char* site : {"www.example.com", "www.mozilla.org", "www.target.example.com",
                                 "other.example.org", "", "g"}) {
            SCOPED_TRACE(name + " / " + site);
            const testing::ClassicReference expected = testing::ParseClassicPlainly(page, site);
            ASSERT_FALSE(expected.hitLimit);
            const ParsedPage parsed = Parse(page, site);
            EXPECT_EQ(Strings(parsed.positions), Strings(expected.positions));
            EXPECT_EQ(parsed.blockCount, expected.blockCount);
        }
    }
}

// ---- real pages, one table per layout ------------------------------------------------

class RealPageTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(RealPageTest, FindsPositions) {
    const PageCase& c = GetParam();
    ExpectParsed(Parse(RealPage(c.file), c.site), c);
}

// April 2011, tables with ids 1..10; Baidu bolds the keyword inside the green URL.
INSTANTIATE_TEST_SUITE_P(
    Classic2011, RealPageTest,
    ::testing::Values(
        PageCase{"MozillaOrg",
                 "classic-2011-mozilla.utf8.html",
                 "www.mozilla.org",
                 {"2", "6", "7"},
                 10,
                 10},
        PageCase{
            "MozillaCom", "classic-2011-mozilla.utf8.html", "www.mozilla.com", {"4", "5"}, 10, 10},
        PageCase{"Addons", "classic-2011-mozilla.utf8.html", "addons.mozilla.org", {"8"}, 10, 10},
        PageCase{"SiteNotThere", "classic-2011-mozilla.utf8.html", "www.example.com", {}, 10, 10},
        // A GBK body read as UTF-8 loses its Chinese text, not its ASCII addresses.
        PageCase{"GbkBodyMozillaOrg",
                 "classic-2011-mozilla.gbk.html",
                 "www.mozilla.org",
                 {"2", "6", "7"},
                 10,
                 10}),
    CaseName);

// 2015: c-container divs, the URL still in <span class="g">; the first page also
// holds a layout table with an id on its line.
INSTANTIATE_TEST_SUITE_P(
    Transitional2015, RealPageTest,
    ::testing::Values(
        PageCase{"DictCn", "transitional-2015-number.html", "dict.cn", {"5"}, 10, 10},
        PageCase{"OwnCardByMu", "transitional-2015-number.html", "fanyi.baidu.com", {"1"}, 10, 10},
        PageCase{"Page9Youku", "transitional-2015-a-pn80.html", "www.youku.com", {"85"}, 10, 90},
        PageCase{
            "Page9BoldedAddress", "transitional-2015-a-pn80.html", "www.a99.com", {"82"}, 10, 90}),
    CaseName);

// 2016-2021: the displayed URL in an element of class c-showurl.
INSTANTIATE_TEST_SUITE_P(
    Modern, RealPageTest,
    ::testing::Values(
        PageCase{"Cassius2016DictCn", "modern-2016-cassius.html", "dict.cn", {"7"}, 10, 10},
        PageCase{"Cassius2016Wikipedia",
                 "modern-2016-cassius.html",
                 "en.wikipedia.org",
                 {"3", "6", "9"},
                 10,
                 10},
        PageCase{"Cassius2016NestedShowUrl",
                 "modern-2016-cassius.html",
                 "image.baidu.com",
                 {"8"},
                 10,
                 10},
        PageCase{"Python2020", "modern-2020-python.html", "www.python.org", {"2", "3"}, 10, 10},
        PageCase{"Python2020OwnCard", "modern-2020-python.html", "baike.baidu.com", {"1"}, 10, 10},
        // Stands only in the style sheet inside the displayed URL, which nobody reads.
        PageCase{"Python2020StyleNotRead", "modern-2020-python.html", "b.bdstatic.com", {}, 10, 10},
        PageCase{"Hello2021", "modern-2021-hello.html", "www.hello.com", {"9"}, 11, 11},
        PageCase{"Hello2021DictCn", "modern-2021-hello.html", "dict.cn", {"11"}, 11, 11},
        PageCase{"Hello2021MuOnly", "modern-2021-hello.html", "music.baidu.com", {"4"}, 11, 11},
        PageCase{"Hello2021NestedCard", "modern-2021-hello.html", "tieba.baidu.com", {"3"}, 11, 11},
        PageCase{"Verification2020", "verification-2020.html", "www.baidu.com", {}, 0, 0}),
    CaseName);

TEST(VerificationPage, RecognisedByItsTitle) {
    EXPECT_TRUE(IsVerificationPage(RealPage("verification-2020.html")));
    for (const char* file : {"classic-2011-mozilla.utf8.html", "transitional-2015-number.html",
                             "modern-2021-hello.html"}) {
        SCOPED_TRACE(file);
        EXPECT_FALSE(IsVerificationPage(RealPage(file)));
    }
    EXPECT_FALSE(IsVerificationPage(Text()));
}

TEST(ResultPageParser, GivesThePositionsOfParseResultPage) {
    RegexObject blockMatcher;
    RegexObject spanMatcher;
    Text page = RealPage("classic-2011-mozilla.utf8.html");
    EXPECT_EQ(Strings(ResultPageParser(page, "www.mozilla.org", blockMatcher, spanMatcher)),
              (std::vector<std::string>{"2", "6", "7"}));
    // The same matchers serve the next page of the query.
    page = RealPage("modern-2021-hello.html");
    EXPECT_EQ(Strings(ResultPageParser(page, "www.hello.com", blockMatcher, spanMatcher)),
              (std::vector<std::string>{"9"}));
}

// ---- pages built to make the engine backtrack ----------------------------------------

constexpr std::size_t kHostileBytes = 8 << 20;

class HostilePageTest : public ::testing::TestWithParam<pages::Hostile> {};

TEST_P(HostilePageTest, ParsesToASaneResult) {
    ParsedPage parsed =
        Parse(Text(pages::HostilePage(GetParam(), kHostileBytes)), "www.example.com");
    EXPECT_LE(parsed.positions.Count(), parsed.blockCount);
    EXPECT_LE(parsed.blockCount, 1);
    EXPECT_LE(parsed.highestPosition, 1);
}

// Results ahead of the junk are read whatever the junk does to the engine: real
// blocks of the layout that the junk aims at come first.
TEST_P(HostilePageTest, KeepsTheResultsBeforeTheJunk) {
    const bool newerLayout = GetParam() == pages::Hostile::ContainersWithoutIds ||
                             GetParam() == pages::Hostile::UnclosedContainerTag ||
                             GetParam() == pages::Hostile::UnclosedUrlElements;
    std::string real = newerLayout ? pages::ModernPage(64 << 10, 10)
                                   : ClassicFixture("OtherSiteThenSiteWithPathAndDate.html").str();
    Text page = Utf8ToAnsi(Bytes(pages::HostilePage(GetParam(), kHostileBytes, real)));
    ParsedPage parsed = Parse(page, newerLayout ? "www.target.example.com" : "www.example.com");
    EXPECT_EQ(Strings(parsed.positions), std::vector<std::string>{newerLayout ? "7" : "5"});
}

INSTANTIATE_TEST_SUITE_P(Parser, HostilePageTest, ::testing::ValuesIn(pages::kHostileKinds),
                         [](const ::testing::TestParamInfo<pages::Hostile>& info) {
                             return std::string(pages::HostileName(info.param));
                         });

}  // namespace
}  // namespace qinghe
