#include "web/cookies.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace qinghe {
namespace {

struct HostCase {
    const char* name;
    friend void PrintTo(const HostCase& c, std::ostream* os) { *os << c.name; }
    const char* url;
    const char* host;
    const char* domain;  // reduced
};

class UrlHosts : public ::testing::TestWithParam<HostCase> {};

TEST_P(UrlHosts, GiveHostAndCookieDomain) {
    EXPECT_EQ(UrlHost(GetParam().url, false), Text(GetParam().host));
    EXPECT_EQ(UrlHost(GetParam().url, true), Text(GetParam().domain));
    EXPECT_EQ(CookieDomain(GetParam().url), Text(GetParam().domain));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlHosts,
    ::testing::Values(
        HostCase{"PathPortAndCase", "http://Ab.Cd.EF:8080/x/y?z", "ab.cd.ef", "cd.ef"},
        HostCase{"Https", "https://www.Baidu.com/s?wd=1", "www.baidu.com", "baidu.com"},
        HostCase{"OneLabel", "http://localhost/", "localhost", "localhost"},
        HostCase{"Ipv4AddressKeepsItsLastTwoNumbers", "http://10.0.0.1/", "10.0.0.1", "0.1"},
        HostCase{"FourLabels", "http://a.b.c.d", "a.b.c.d", "c.d"},
        HostCase{"SchemeFoundAnywhere", "https://a.b/?u=http://c.d/e", "c.d", "c.d"},
        HostCase{"SchemeMatchIsCaseSensitive", "HTTP://A.B/", "http", "http"},
        HostCase{"NoSchemeAtAll", "www.Example.org/page", "www.example.org", "example.org"},
        HostCase{"TrailingDotGivesNoEmptyLabel", "http://a.b.c./", "a.b.c.", "b.c"},
        HostCase{"Empty", "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct MergeCase {
    const char* name;
    friend void PrintTo(const MergeCase& c, std::ostream* os) { *os << c.name; }
    const char* older;
    const char* newer;
    const char* merged;
    const char* newerNormalised;
};

class Merges : public ::testing::TestWithParam<MergeCase> {};

TEST_P(Merges, GiveLaterValuesWinning) {
    Text older = GetParam().older;
    Text newer = GetParam().newer;
    const Text result = MergeCookies(older, newer);
    EXPECT_EQ(result, Text(GetParam().merged));
    EXPECT_EQ(older, result);
    EXPECT_EQ(newer, Text(GetParam().newerNormalised));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Merges,
    ::testing::Values(
        MergeCase{"ReplacesAndAdds", "a=1; b=2", "b=3; c=4", "a=1; b=3; c=4;", "b=3; c=4;"},
        MergeCase{"BothEmpty", "", "", "", ""},
        MergeCase{"StoreShapeAlone", "a=1; b=2", "", "a=1; b=2;", ""},
        MergeCase{"CollectedShapeIsNormalised", "", "A=1; B=2; ", "A=1; B=2;", "A=1; B=2;"},
        MergeCase{"EmptyValueDropsTheCookie", "x=1; y=2", "x=", "y=2;", "x=;"},
        MergeCase{"DeletedDropsTheCookie", "x=1; y=2", "x=deleted", "y=2;", "x=deleted;"},
        MergeCase{"DeletedWithoutAnOlderCookie", "", "x=deleted", "", "x=deleted;"},
        MergeCase{"DeletedIsCaseSensitive", "", "x=DELETED", "x=DELETED;", "x=DELETED;"},
        MergeCase{"NameMatchedInsideALongerName", "XID=A; ID=1", "ID=5", "XID=5; ID=1;", "ID=5;"},
        MergeCase{"NameMatchIgnoresCase", "SID=1; a=2", "sid=9", "sid=9; a=2;", "sid=9;"},
        MergeCase{"PieceWithoutEqualsSkipped", "a=1", "junk; b=2", "a=1; b=2;", "junk; b=2;"},
        MergeCase{"ValueWithEqualsKept", "a=1", "t=x=y", "a=1; t=x=y;", "t=x=y;"},
        MergeCase{"SpacesAroundTrimmed", "  a=1  ", " b=2 ", "a=1; b=2;", "b=2;"}),
    [](const auto& info) { return std::string(info.param.name); });

// A short old segment replaced everywhere by a long piece would multiply the
// text's size with every piece; the result stays within its limit instead.
TEST(MergeLimit, ReplacementsCannotGrowTheTextBeyondItsLimit) {
    std::string older = "k=v;";
    for (int i = 0; i < 2000; ++i)
        older += "b;";
    std::string newer;
    for (int i = 0; i < 8; ++i)
        newer += "b=" + std::string(1000, 'b') + "; ";
    Text olderText(older);
    Text newerText(newer);
    const Text result = MergeCookies(olderText, newerText);
    EXPECT_LE(result.size(), kMaxCookieTextBytes);
    EXPECT_EQ(result.view().substr(0, 4), "k=v;");
}

TEST(MergeLimit, AppendedPiecesStopAtTheLimit) {
    std::string newer;
    for (int i = 0; i < 4000; ++i)
        newer += "n" + std::to_string(i) + "=v; ";
    Text older;
    Text newerText(newer);
    const Text result = MergeCookies(older, newerText);
    EXPECT_LE(result.size(), kMaxCookieTextBytes);
    EXPECT_EQ(result.view().substr(0, 11), "n0=v; n1=v;");
}

struct SetCookieCase {
    const char* name;
    friend void PrintTo(const SetCookieCase& c, std::ostream* os) { *os << c.name; }
    std::vector<Text> lines;
    const char* collected;
};

class SetCookieLines : public ::testing::TestWithParam<SetCookieCase> {};

TEST_P(SetCookieLines, GiveTheirPairs) {
    EXPECT_EQ(CollectSetCookies(TextArray(GetParam().lines)), Text(GetParam().collected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetCookieLines,
    ::testing::Values(
        SetCookieCase{
            "TwoCookies",
            {"Set-Cookie: A=1; path=/", "Content-Type: text/html", "Set-Cookie: B=2; expires=x"},
            "A=1; B=2; "},
        SetCookieCase{"PairWithoutSemicolonIsEmpty", {"Set-Cookie: A=1"}, "; "},
        SetCookieCase{"NoSetCookieLines", {"Content-Type: text/html", "X: y"}, ""},
        SetCookieCase{"LowerCaseNameIsNotRecognised", {"set-cookie: A=1; path=/"}, ""},
        SetCookieCase{"NoBlankAfterTheColon", {"Set-Cookie:A=1;"}, "A=1; "},
        SetCookieCase{"NameWithoutColonIsAnEmptyPair", {"X-Set-Cookie-Note: A=1; b"}, "; "},
        SetCookieCase{"NoLines", {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextBetween, TakesTheTextBetweenTheMarksIgnoringCase) {
    EXPECT_EQ(TextBetween("Set-Cookie: A=1; path=/", "SET-COOKIE:", ";"), " A=1");
    EXPECT_EQ(TextBetween("<a>x</A>", "<a>", "</a>"), "x");
    EXPECT_EQ(TextBetween("no marks", "[", "]"), "");
    EXPECT_EQ(TextBetween("[open only", "[", "]"), "");
}

TEST(TextBetween, QuoteWordInAMarkStandsForADoubleQuote) {
    const Text quoteWord("#\xD2\xFD\xBA\xC5");  // "#引号"
    EXPECT_EQ(TextBetween("name=\"v1\";", JoinText("name=", quoteWord), quoteWord), "v1");
}

class CookieStore : public ::testing::Test {
protected:
    void SetUp() override { ClearCookieStore(); }
};

TEST_F(CookieStore, KeepsCookiesPerDomainInTheStoreShape) {
    EXPECT_EQ(ReadStoreCookies("a.b"), "");
    WriteStoreCookies("a.b", "a=1; b=x=y");
    EXPECT_EQ(ReadStoreCookies("a.b"), "a=1; b=x=y");
    EXPECT_EQ(ReadStoreCookies("c.d"), "");
}

TEST_F(CookieStore, ASetCookieReplacesTheOneOfTheSameName) {
    WriteStoreCookies("a.b", "a=1; b=2;");
    WriteStoreCookies("a.b", "b=3; c=4;");
    EXPECT_EQ(ReadStoreCookies("a.b"), "a=1; b=3; c=4");
}

TEST_F(CookieStore, PiecesWithoutNameOrEqualsAreSkipped) {
    WriteStoreCookies("a.b", "junk; =v; ok=1; e=");
    EXPECT_EQ(ReadStoreCookies("a.b"), "ok=1; e=");
}

TEST_F(CookieStore, CookieWithALineBreakIsNotKept) {
    WriteStoreCookies("a.b", "a=1\r\nX-Injected: 1; b=2");
    EXPECT_EQ(ReadStoreCookies("a.b"), "b=2");
}

TEST_F(CookieStore, TextThatDoesNotFitTheReadBufferIsNotRead) {
    // name=value of 1023 bytes fits with its terminating zero; one more does not.
    WriteStoreCookies("a.b", JoinText("k=", std::string(1021, 'v')));
    EXPECT_EQ(ReadStoreCookies("a.b").size(), 1023u);
    WriteStoreCookies("a.b", JoinText("k=", std::string(1022, 'v')));
    EXPECT_EQ(ReadStoreCookies("a.b"), "");
}

TEST_F(CookieStore, EmptyDomainKeepsNothing) {
    WriteStoreCookies("", "a=1");
    EXPECT_EQ(ReadStoreCookies(""), "");
}

TEST_F(CookieStore, StaysBoundedPerDomain) {
    for (int i = 0; i < 200; ++i)
        WriteStoreCookies("a.b", JoinText("c", NumberToText(i), "=1"));
    const Text stored = ReadStoreCookies("a.b");
    EXPECT_EQ(FindText(stored, "c0=", false), -1);
    EXPECT_NE(FindText(stored, "c199=1", false), -1);
}

}  // namespace
}  // namespace qinghe
