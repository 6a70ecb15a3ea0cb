#include <gtest/gtest.h>

#include <string>

#include "query/page_layout.h"
#include "text/regex.h"

namespace qinghe {
namespace {

struct TextCase {
    const char* name;
    std::string input;
    std::string expected;
};

std::string TextCaseName(const ::testing::TestParamInfo<TextCase>& info) {
    return info.param.name;
}

class ReadableTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ReadableTextTest, ReadsAsAPerson) {
    EXPECT_EQ(ReadableText(GetParam().input).str(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, ReadableTextTest,
    ::testing::Values(
        TextCase{"BoldRemoved", "www.<b>mozilla</b>.org/ 2010-12-18",
                 "www.mozilla.org/ 2010-12-18"},
        TextCase{"NbspIsSpace", "dict.cn/<b>number</b>&nbsp;2009-01-07&nbsp;",
                 "dict.cn/number 2009-01-07 "},
        TextCase{"OtherEntitiesKept", "a&amp;b&nbsp", "a&amp;b&nbsp"},
        TextCase{"StyleAndScriptNotShown",
                 "<style>.x{background:url(https://b.bdstatic.com/a.png)}</style><span><img "
                 "src=\"https://b.bdstatic.com/i.jpg\">zhihu</span><SCRIPT>var u='x.com'</SCRIPT>",
                 "zhihu"},
        TextCase{"CommentRemoved", "a<!-- www.example.com -->b", "ab"},
        TextCase{"QuotedGreaterThanInsideTag",
                 "<div data-tools='{\"title\":\"a>b\"}' title=\"c>d\">www.example.com</div>",
                 "www.example.com"},
        TextCase{"LessThanThatOpensNoTag", "a < b <3", "a < b <3"},
        TextCase{"UnclosedTagDropsTheRest", "www.example.com<b class=\"x", "www.example.com"},
        TextCase{"UnclosedStyleDropsTheRest", "x<style>www.example.com", "x"},
        // 0xB0 0x3C is no character: the lead byte takes the '<' with it, as every
        // scan of a text does.
        TextCase{"TwoByteCharactersWhole", "\xB0\xA1<b>\xB0</b>", "\xB0\xA1\xB0</b>"}),
    TextCaseName);

class UrlHostTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(UrlHostTest, TakesTheHost) {
    EXPECT_EQ(UrlHost(GetParam().input).str(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, UrlHostTest,
    ::testing::Values(
        TextCase{"Fragment", "http://fanyi.baidu.com/#en/zh/hello", "fanyi.baidu.com"},
        TextCase{"Query", "https://baike.baidu.com/item/hello/38467?fr=x", "baike.baidu.com"},
        TextCase{"HostOnly", "http://28608.recommend_list.baidu.com",
                 "28608.recommend_list.baidu.com"},
        TextCase{"Port", "http://music.baidu.com:8080/x", "music.baidu.com"},
        TextCase{"NoScheme", "image.baidu.com/search?x=1", "image.baidu.com"},
        TextCase{"Empty", "", ""}),
    TextCaseName);

TEST(FindClosingTag, FirstClosingTagOfThatNameInAnyCase) {
    const std::string_view markup = "<a>x</abbr></ A></A ></a>";
    EXPECT_EQ(FindClosingTag(markup, 3, "a"), 16u);
    EXPECT_EQ(FindClosingTag(markup, 17, "A"), 21u);
    EXPECT_EQ(FindClosingTag(markup, 22, "a"), std::string_view::npos);
    EXPECT_EQ(FindClosingTag("<b>x</b", 0, "b"), 4u);
}

// ---- what each rule's pattern matches ---------------------------------------------

struct RuleCase {
    const char* name;
    Text pattern;
    std::string markup;
    int matches;
    std::string subMatch1;  // of the first match
    std::string subMatch2;
};

std::string RuleCaseName(const ::testing::TestParamInfo<RuleCase>& info) {
    return info.param.name;
}

class LayoutRuleTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(LayoutRuleTest, MatchesWhatItSays) {
    const RuleCase& c = GetParam();
    RegexObject regex;
    regex.Search(c.pattern, c.markup);
    ASSERT_EQ(regex.MatchCount(), c.matches);
    if (c.matches > 0) {
        EXPECT_EQ(regex.SubMatchText(1, 1).str(), c.subMatch1);
        EXPECT_EQ(regex.SubMatchText(1, 2).str(), c.subMatch2);
    }
}

const Text& GreenSpan() {
    return UrlElementRules()[0].openingTag;
}
const Text& ShowUrl() {
    return UrlElementRules()[1].openingTag;
}

INSTANTIATE_TEST_SUITE_P(
    Layout, LayoutRuleTest,
    ::testing::Values(
        RuleCase{
            "BlockResult", kContainerBlockPattern,
            "<div class=\"result c-container \" id=\"2\" srcid=\"1528\" tpl=\"se_com_default\">", 1,
            "2", ""},
        RuleCase{"BlockOwnCardWithMu", kContainerBlockPattern,
                 "<div class=\"result-op c-container xpath-log\"  srcid=\"85\"  fk=\"number\" "
                 "id=\"1\" tpl=\"dict3\" mu=\"http://fanyi.baidu.com/#en/zh/number\">",
                 1, "1", "http://fanyi.baidu.com/#en/zh/number"},
        RuleCase{"BlockTagOnSeveralLines", kContainerBlockPattern,
                 "<div class=\"result-op c-container xpath-log new-pmd\"\n    srcid=\"5178\"\n\n"
                 "    id=\"4\"\n    mu=\"http://music.baidu.com/songsearch?key=Hello\"\n    "
                 "data-click={\"p1\":4,\"rsv_bdr\":\"0\"}\n>",
                 1, "4", "http://music.baidu.com/songsearch?key=Hello"},
        RuleCase{"BlockNeedsAnId", kContainerBlockPattern,
                 "<div class=\"result c-container\"><div class=\"c-container\" srcid=\"1\">", 0, "",
                 ""},
        RuleCase{"BlockNeedsTheWholeToken", kContainerBlockPattern,
                 "<div class=\"c-containers\" id=\"1\"><div class=\"xc-container\" id=\"2\">", 0,
                 "", ""},
        RuleCase{"BlockIsADiv", kContainerBlockPattern,
                 "<span class=\"c-container\" id=\"1\"><divx class=\"c-container\" id=\"2\">", 0,
                 "", ""},
        RuleCase{"BlockIdNotSrcid", kContainerBlockPattern,
                 "<div class=\"c-container\" srcid=\"1599\">", 0, "", ""},
        RuleCase{"GreenSpan2015", GreenSpan(), "<span class=\"g\">dict.cn/<b>number</b></span>", 1,
                 "span", ""},
        RuleCase{"GreenSpanNotOtherClass", GreenSpan(),
                 "<span class=\"gap\">x</span><span class=\"c-gap-right\">", 0, "", ""},
        RuleCase{"ShowUrlLink", ShowUrl(),
                 "<a target=\"_blank\" href=\"http://www.baidu.com/link?url=x\" "
                 "class=\"c-showurl c-color-gray\" style=\"text-decoration:none;\">",
                 1, "a", ""},
        RuleCase{"ShowUrlSpan", ShowUrl(), "<span class=\"c-showurl\">baike.baidu.com/</span>", 1,
                 "span", ""},
        RuleCase{"ShowUrlDivAroundSpan", ShowUrl(),
                 "<div class=\"c-showurl c-gap-top-xsmall\">\n<span class=\"c-showurl\">", 2, "div",
                 ""},
        // The markup that scripts carry as strings is no element.
        RuleCase{"ShowUrlNotInScriptString", ShowUrl(),
                 "s='<span class=\\\"c-showurl\\\">x</span>'", 0, "", ""}),
    RuleCaseName);

}  // namespace
}  // namespace qinghe
