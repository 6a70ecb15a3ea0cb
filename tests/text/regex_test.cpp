#include "text/regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <gtest/gtest.h>
#include <pcre2.h>

#include <string>
#include <utility>
#include <vector>

#include "support/test_data.h"
#include "synthetic_pages.h"
#include "text/charset.h"

namespace qinghe {
namespace {

const Text kBlockPattern = R"re(<table.*?id="(.*?)"[\s\S]*?</table>)re";
const Text kSpanPattern = "<span class=.g.>.*?</span>";

struct Found {
    std::string text;
    int position;
    friend bool operator==(const Found&, const Found&) = default;
};

std::vector<Found> AllMatches(const RegexObject& re) {
    std::vector<Found> out;
    for (int n = 1; n <= re.MatchCount(); ++n) {
        int position = -2;
        const Text t = re.MatchText(n, &position);
        out.push_back({t.str(), position});
    }
    return out;
}

std::vector<Found> Search(const Text& pattern, const Text& subject, bool caseSensitive = false,
                          bool singleLine = false) {
    RegexObject re;
    EXPECT_TRUE(re.Search(pattern, subject, caseSensitive, singleLine));
    EXPECT_FALSE(re.HitLimit());
    return AllMatches(re);
}

using V = std::vector<Found>;

TEST(RegexObject, EveryReadIsEmptyBeforeAnySearch) {
    const RegexObject re;
    EXPECT_EQ(re.MatchCount(), 0);
    int position = 7;
    EXPECT_EQ(re.MatchText(1, &position), Text());
    EXPECT_EQ(position, -1);
    EXPECT_EQ(re.SubMatchText(1, 1), Text());
    EXPECT_EQ(re.SubMatchCount(), 0);
    EXPECT_EQ(re.GetPattern(), Text());
    EXPECT_EQ(re.ReplaceMatches("x"), Text());
    EXPECT_FALSE(re.HitLimit());
}

TEST(RegexObject, IndicesOutsideTheMatchesGiveEmptyTexts) {
    RegexObject re;
    re.Search("(a)(b)?", "a ab");
    ASSERT_EQ(re.MatchCount(), 2);
    EXPECT_EQ(re.SubMatchCount(), 2);
    const std::pair<int, int> outside[] = {{0, 1}, {3, 1}, {-1, 1}, {1, 0}, {1, 3}, {1, -1}};
    for (const auto& [n, k] : outside) {
        SCOPED_TRACE(::testing::Message() << n << "," << k);
        int position = 7;
        EXPECT_EQ(re.SubMatchText(n, k, &position), Text());
        EXPECT_EQ(position, -1);
    }
    EXPECT_EQ(re.MatchText(0), Text());
    EXPECT_EQ(re.MatchText(3), Text());
    // A group that took no part: empty text, no position.
    int position = 7;
    EXPECT_EQ(re.SubMatchText(1, 2, &position), Text());
    EXPECT_EQ(position, -1);
    EXPECT_EQ(re.SubMatchText(2, 2, &position), Text("b"));
    EXPECT_EQ(position, 3);
}

TEST(RegexObject, DefaultsAreIgnoreCaseMultilineGlobal) {
    EXPECT_EQ(Search("<table", "<TABLE><Table>"), (V{{"<TABLE", 0}, {"<Table", 7}}));
    EXPECT_EQ(Search("<table", "<TABLE>", true), V{});
    EXPECT_EQ(Search("^b$", "a\nb\nc"), (V{{"b", 2}}));
    EXPECT_EQ(Search("^b$", "a\nb\nc", false, true), V{});
    EXPECT_EQ(Search("^a", "a\na\na", false, true), (V{{"a", 0}}));
    EXPECT_EQ(Search("a", "aXaXa"), (V{{"a", 0}, {"a", 2}, {"a", 4}}));
}

struct SemanticsCase {
    const char* name;
    const char* pattern;
    const char* subject;
    std::vector<Found> expected;
};

const SemanticsCase kSemantics[] = {
    {"dot_stops_at_line_feed", "a.b", "a\nb", {}},
    {"dot_takes_carriage_return", "a.b", "a\rb", {{"a\rb", 0}}},
    {"lazy_takes_least", "<b>.*?</b>", "<b>1</b><b>2</b>", {{"<b>1</b>", 0}, {"<b>2</b>", 8}}},
    {"greedy_takes_most", "<b>.*</b>", "<b>1</b><b>2</b>", {{"<b>1</b><b>2</b>", 0}}},
    {"lazy_dot_stays_on_its_line", "<b>.*?</b>", "<b>1\n</b>", {}},
    {"any_class_crosses_lines", R"(<b>[\s\S]*?</b>)", "<b>1\r\n2</b>", {{"<b>1\r\n2</b>", 0}}},
    {"script_any_class", "a[^]b", "a\nb", {{"a\nb", 0}}},
    {"no_overlap", "aba", "ababa", {{"aba", 0}}},
    {"empty_matches_advance", "x*", "axxb", {{"", 0}, {"xx", 1}, {"", 3}, {"", 4}}},
    {"empty_matches_step_characters", "", "\xD6\xD0\xCE\xC4", {{"", 0}, {"", 2}, {"", 4}}},
    {"lazy_empty_repeat", "a*?", "aa", {{"", 0}, {"", 1}, {"", 2}}},
    {"unicode_escape", R"(\u4E2D)", "a\xD6\xD0", {{"\xD6\xD0", 1}}},
    {"chinese_literal_after_chinese", "\xCE\xC4", "\xD6\xD0\xCE\xC4", {{"\xCE\xC4", 2}}},
    // 0xB0 0x69 is one character whose second byte is "i".
    {"trail_byte_starts_no_match", "i", "\xB0\x69", {}},
    {"trail_byte_is_no_part_of_match", "ii", "\xB0\x69i", {}},
    {"characters_after_two_byte_ones", "i", "\xB0\x69i\xB0\x69I", {{"i", 2}, {"I", 5}}},
    {"any_class_takes_whole_characters", R"([\s\S])", "\xB0\x69i", {{"\xB0\x69", 0}, {"i", 2}}},
    {"dot_takes_whole_characters", "<.>", "<\xD6\xD0><\x80>", {{"<\xD6\xD0>", 0}, {"<\x80>", 4}}},
    {"bad_lead_byte_is_a_character",
     "0",
     "\x81"
     "0",
     {{"0", 1}}},
};

class RegexSemantics : public ::testing::TestWithParam<SemanticsCase> {};

TEST_P(RegexSemantics, FindsExpectedMatches) {
    EXPECT_EQ(Search(GetParam().pattern, GetParam().subject), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Regex, RegexSemantics, ::testing::ValuesIn(kSemantics),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RegexObject, GroupsCountFromOneInOrderOfOpening) {
    RegexObject re;
    re.Search("(a)(b(c))", "xabc");
    ASSERT_EQ(re.MatchCount(), 1);
    EXPECT_EQ(re.SubMatchCount(), 3);
    int position = -2;
    EXPECT_EQ(re.SubMatchText(1, 1, &position), Text("a"));
    EXPECT_EQ(position, 1);
    EXPECT_EQ(re.SubMatchText(1, 2, &position), Text("bc"));
    EXPECT_EQ(position, 2);
    EXPECT_EQ(re.SubMatchText(1, 3), Text("c"));
}

TEST(RegexObject, EmptyFirstGroupGivesEmptyText) {
    RegexObject re;
    re.Search(kBlockPattern, "<table class=\"r\" id=\"\">\xD6\xD0</table>");
    ASSERT_EQ(re.MatchCount(), 1);
    int position = -2;
    EXPECT_EQ(re.SubMatchText(1, 1, &position), Text());
    EXPECT_EQ(position, 21);
}

TEST(RegexObject, RejectedPatternLeavesNoMatches) {
    RegexObject re;
    re.Search("a", "aaa");
    ASSERT_EQ(re.MatchCount(), 3);
    for (const char* bad : {"(", "a)", "[z-a]", "*a", "a{2,1}"}) {
        SCOPED_TRACE(bad);
        EXPECT_TRUE(re.Search(bad, "aaa"));
        EXPECT_EQ(re.MatchCount(), 0);
        EXPECT_EQ(re.MatchText(1), Text());
        EXPECT_EQ(re.SubMatchText(1, 1), Text());
        EXPECT_EQ(re.SubMatchCount(), 0);
        EXPECT_EQ(re.ReplaceMatches("x"), Text());
        EXPECT_EQ(re.GetPattern(), Text(bad));
        EXPECT_FALSE(re.HitLimit());
    }
}

TEST(RegexObject, SecondSearchDiscardsTheFirst) {
    RegexObject re;
    re.Search("(\\d)", "1 2 3");
    ASSERT_EQ(re.MatchCount(), 3);
    re.Search("(z)(z)", "zz");
    EXPECT_EQ(re.MatchCount(), 1);
    EXPECT_EQ(re.SubMatchCount(), 2);
    EXPECT_EQ(re.MatchText(2), Text());
    re.Search("q", "1 2 3");
    EXPECT_EQ(re.MatchCount(), 0);
    EXPECT_EQ(re.SubMatchCount(), 0);
    EXPECT_EQ(re.GetPattern(), Text("q"));
}

// Compiled patterns are kept between searches: a pattern met again with other
// options, or after many others have pushed it out, must still match as new.
TEST(RegexObject, RepeatedPatternsKeepTheirOwnOptions) {
    RegexObject re;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        re.Search("^a.", "Ab\naB", true);
        EXPECT_EQ(AllMatches(re), (V{{"aB", 3}}));
        re.Search("^a.", "Ab\naB");
        EXPECT_EQ(AllMatches(re), (V{{"Ab", 0}, {"aB", 3}}));
        re.Search("^a.", "Ab\naB", false, true);
        EXPECT_EQ(AllMatches(re), (V{{"Ab", 0}}));
        for (int k = 0; k < 40; ++k) {
            const std::string digits = std::to_string(k);
            re.Search("(" + digits + ")", "x" + digits + "x");
            ASSERT_EQ(re.SubMatchText(1, 1), Text(digits));
        }
        re.Search("(", "(");
        EXPECT_EQ(re.MatchCount(), 0);
    }
}

// A large subject followed by a tail of it: the tail is matched on its own,
// whether it starts at a character of the first subject or inside one.
TEST(RegexObject, TailOfThePreviousSubjectMatchesAsItsOwnText) {
    std::string page(100 * 1024, 'a');
    for (int k = 0; k < 1000; ++k)
        page += "\xD6\xD0";  // 中
    page += "\nz";
    struct Row {
        const char* name;
        std::size_t from;
        const char* first;  // first character of the tail
    };
    for (const Row& row : {Row{"whole", 0, "a"}, Row{"at an ASCII character", 7, "a"},
                           Row{"at a two-byte character", 100 * 1024 + 2, "\xD6\xD0"},
                           Row{"inside a two-byte character", 100 * 1024 + 1, "\xD0\xD6"}}) {
        SCOPED_TRACE(row.name);
        RegexObject re;
        re.Search("a", Text(page));
        const Text tail(std::string_view(page).substr(row.from));
        re.Search("^[^]|z$", tail);
        EXPECT_EQ(AllMatches(re), (V{{row.first, 0}, {"z", static_cast<int>(tail.size()) - 1}}));
    }
}

TEST(RegexObject, CopiesShareMatchesUntilOneSearchesAgain) {
    RegexObject original;
    original.Search("(b+)", "abbcb");
    RegexObject copy = original;
    EXPECT_EQ(AllMatches(copy), AllMatches(original));
    EXPECT_EQ(copy.SubMatchText(2, 1), Text("b"));
    copy.Search("c", "ccc");
    EXPECT_EQ(copy.MatchCount(), 3);
    EXPECT_EQ(AllMatches(original), (V{{"bb", 1}, {"b", 4}}));
    EXPECT_EQ(original.ReplaceMatches("<$1>"), Text("a<bb>c<b>"));

    RegexObject assigned;
    assigned = original;
    RegexObject moved = std::move(assigned);
    EXPECT_EQ(AllMatches(moved), AllMatches(original));
    EXPECT_EQ(moved.GetPattern(), Text("(b+)"));
}

TEST(RegexObject, ReplaceMatchesReadsScriptReplacementSyntax) {
    struct Case {
        const char* pattern;
        const char* subject;
        const char* replacement;
        const char* expected;
    };
    const Case cases[] = {
        {"(\\d+)-(\\d+)", "1-2 and 30-40", "$2-$1", "2-1 and 40-30"},
        {"b", "abc", "[$&]", "a[b]c"},
        {"b", "abc", "$$", "a$c"},
        {"b", "abc", "$`|$'", "aa|cc"},
        {"(b)", "abc", "$2$0$", "a$2$0$c"},
        {"(b)", "abc", "$10", "ab0c"},
        {"x", "abc", "y", "abc"},
        {"", "ab", "-", "-a-b-"},
        {"\xD6\xD0", "\xD6\xD0\xCE\xC4", "\xCE\xC4", "\xCE\xC4\xCE\xC4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern + std::string(" / ") + c.replacement);
        RegexObject re;
        re.Search(c.pattern, c.subject);
        EXPECT_EQ(re.ReplaceMatches(c.replacement), Text(c.expected));
    }
}

TEST(RegexObject, BlockAndSpanPatternsOnTheStoredClassicPage) {
    const Text page(
        testing::ReadTestFile(testing::TestDataPath("pages/classic-2011-mozilla.gbk.html")));
    RegexObject blocks;
    blocks.Search(kBlockPattern, page);
    ASSERT_EQ(blocks.MatchCount(), 10);
    int spans = 0;
    for (int n = 1; n <= blocks.MatchCount(); ++n) {
        EXPECT_EQ(blocks.SubMatchText(n, 1), Text(std::to_string(n)));
        int position = -1;
        const Text block = blocks.MatchText(n, &position);
        EXPECT_EQ(page.view().substr(static_cast<std::size_t>(position), block.size()),
                  block.view());
        RegexObject span;
        span.Search(kSpanPattern, block);
        spans += span.MatchCount();
    }
    EXPECT_EQ(spans, 7);
}

TEST(RegexObject, BlockPatternOnSyntheticPageFindsEveryBlock) {
    const Text page = Utf8ToAnsi(Bytes(synthetic::ClassicPage()));
    RegexObject blocks;
    blocks.Search(kBlockPattern, page);
    EXPECT_FALSE(blocks.HitLimit());
    ASSERT_EQ(blocks.MatchCount(), 100);
    for (int n = 1; n <= 100; ++n) {
        int position = -1;
        const Text id = blocks.SubMatchText(n, 1, &position);
        EXPECT_EQ(id, Text(std::to_string(n)));
        EXPECT_EQ(page.view().substr(static_cast<std::size_t>(position) - 4, 4 + id.size()),
                  "id=\"" + id.str());
    }
}

// The same search with PCRE2 directly on the UTF-8 form, no bounds at all: the
// texts of every match and of its first group.
std::vector<std::string> UnboundedMatches(const std::string& pattern, const std::string& subject) {
    int error;
    PCRE2_SIZE errorOffset;
    pcre2_compile_context* cc = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(cc, PCRE2_NEWLINE_LF);
    pcre2_code* code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                      PCRE2_UTF | PCRE2_CASELESS | PCRE2_MULTILINE, &error, &errorOffset, cc);
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    pcre2_match_data* md = pcre2_match_data_create_from_pattern(code, nullptr);
    pcre2_match_context* mc = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(mc, UINT32_MAX);
    pcre2_set_depth_limit(mc, UINT32_MAX);
    pcre2_set_heap_limit(mc, UINT32_MAX);
    pcre2_jit_stack* stack = pcre2_jit_stack_create(32 * 1024, 256 * 1024 * 1024, nullptr);
    pcre2_jit_stack_assign(mc, nullptr, stack);
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= subject.size()) {
        const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()),
                                   subject.size(), start, 0, md, mc);
        EXPECT_TRUE(rc > 0 || rc == PCRE2_ERROR_NOMATCH) << rc;
        if (rc <= 0)
            break;
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
        out.push_back(subject.substr(ov[0], ov[1] - ov[0]));
        out.push_back(subject.substr(ov[2], ov[3] - ov[2]));
        start = ov[1];  // the block pattern never matches empty
    }
    pcre2_jit_stack_free(stack);
    pcre2_match_context_free(mc);
    pcre2_match_data_free(md);
    pcre2_code_free(code);
    pcre2_compile_context_free(cc);
    return out;
}

std::vector<std::string> BoundedMatches(const std::string& utf8Subject, bool* hitLimit = nullptr) {
    RegexObject re;
    re.Search(kBlockPattern, Utf8ToAnsi(Bytes(utf8Subject)));
    if (hitLimit != nullptr)
        *hitLimit = re.HitLimit();
    std::vector<std::string> out;
    for (int n = 1; n <= re.MatchCount(); ++n) {
        out.push_back(AnsiToUtf8(re.MatchText(n)).str());
        out.push_back(AnsiToUtf8(re.SubMatchText(n, 1)).str());
    }
    return out;
}

TEST(RegexObject, HostilePagesGiveWhatAnUnboundedEngineGives) {
    const std::string blocks = synthetic::ClassicPage(20000, 5);
    const std::string hostile = synthetic::HostilePage(64 * 1024);
    struct Case {
        const char* name;
        std::string subject;
        std::size_t matches;
    };
    const Case cases[] = {
        {"hostile_alone", hostile, 0},
        {"blocks_then_hostile", blocks + hostile, 5},
        // The first hostile tag runs on to the first closing tag of the next line.
        {"hostile_between_blocks", blocks + hostile + "\n" + blocks, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto unbounded = UnboundedMatches(kBlockPattern.str(), c.subject);
        EXPECT_EQ(unbounded.size(), 2 * c.matches);
        EXPECT_TRUE(BoundedMatches(c.subject) == unbounded);
    }
}

TEST(RegexObject, LargeHostilePageStillGivesTheBlocksBeforeIt) {
    // Too big for an unbounded run to be sure to end; with no closing tag after
    // the blocks there is nothing more it could find.
    const std::string subject = synthetic::ClassicPage(20000, 5) + synthetic::HostilePage(8 << 20);
    const auto found = BoundedMatches(subject);
    ASSERT_EQ(found.size(), 10u);
    EXPECT_EQ(found[9], "5");
}

TEST(RegexObject, SearchStoppedAtTheBoundKeepsEarlierMatches) {
    // Nested repeats that cannot reach the final "y" backtrack exponentially (the
    // "y" at the end keeps the engine from seeing at once that none follows).
    RegexObject re;
    re.Search("(x+x+)+y", "xxy xxxy " + std::string(64, 'x') + "-y");
    EXPECT_TRUE(re.HitLimit());
    EXPECT_EQ(AllMatches(re), (V{{"xxy", 0}, {"xxxy", 4}}));
    re.Search("(x+x+)+y", "xxy");
    EXPECT_FALSE(re.HitLimit());
}

}  // namespace
}  // namespace qinghe
