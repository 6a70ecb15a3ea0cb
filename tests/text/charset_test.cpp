#include "text/charset.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "charset_icu_reference.h"
#include "support/test_data.h"

namespace qinghe {
namespace {

std::string Hex(std::string_view s) {
    std::string out;
    char buf[4];
    for (unsigned char c : s) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    return out;
}

Bytes B(std::string_view raw) {
    return Bytes(raw);
}

struct Utf8Case {
    const char* name;
    std::string_view utf8;
    std::string_view ansi;
};

// Malformed sequences become "?" per maximal subpart (what ICU and the Unicode
// recommendation give) and the following characters convert as usual.
const Utf8Case kUtf8Cases[] = {
    {"chinese", "\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},
    {"empty", "", ""},
    {"ascii_unchanged", "<table id=\"1\">\r\n\t~\x7F", "<table id=\"1\">\r\n\t~\x7F"},
    {"zero_byte_ends_text", std::string_view("AB\0CD", 5), "AB"},
    {"zero_after_chinese", std::string_view("\xE4\xB8\xAD\0\xE6\x96\x87", 7), "\xD6\xD0"},
    {"leading_zero", std::string_view("\0abc", 4), ""},
    {"truncated_before_ascii",
     "\xE4\xB8"
     "A\xE4\xB8\xAD",
     "?A\xD6\xD0"},
    {"truncated_at_end", "ab\xE6\x96", "ab?"},
    {"truncated_four_byte",
     "\xF0\x9F\x98"
     "x",
     "?x"},
    {"truncated_before_zero", std::string_view("\xE4\0z", 3), "?"},
    {"overlong_two_byte",
     "\xC0\x80"
     "A",
     "??A"},
    {"overlong_slash", "\xC1\xAF/", "?\x3F/"},
    {"overlong_three_byte", "\xE0\x80\xAF", "???"},
    {"overlong_four_byte", "\xF0\x80\x80\xAF", "????"},
    {"encoded_surrogate", "\xED\xA0\x80\xE4\xB8\xAD", "???\xD6\xD0"},
    {"encoded_surrogate_pair", "\xED\xA0\xBD\xED\xB8\x80", "??????"},
    {"stray_continuations",
     "\x80\xBF"
     "A\xBF",
     "??A?"},
    {"above_max_code_point", "\xF4\x90\x80\x80", "????"},
    {"invalid_lead_bytes",
     "\xF5\xFE\xFF"
     "a",
     "???a"},
    {"lead_then_lead", "\xC3\xE4\xB8\xAD", "?\xD6\xD0"},
    {"replacement_char_itself", "\xEF\xBF\xBD", "?"},
    {"emoji_outside_936",
     "a\xF0\x9F\x98\x80"
     "b",
     "a?b"},
    {"u_umlaut_a_outside_936", "\xC3\xA4", "?"},
    {"euro_single_byte_in_936", "\xE2\x82\xAC", "\x80"},
    {"ideographic_space", "\xE3\x80\x80", "\xA1\xA1"},
    {"e_acute_precomposed", "\xC3\xA9", "\xA8\xA6"},
    {"e_plus_acute_composes", "e\xCC\x81", "\xA8\xA6"},
    {"u_plus_diaeresis_composes", "u\xCC\x88", "\xA8\xB9"},
    {"u_diaeresis_acute_chain", "u\xCC\x88\xCC\x81", "\xA8\xB6"},
    {"u_umlaut_plus_acute", "\xC3\xBC\xCC\x81", "\xA8\xB6"},
    {"a_plus_diaeresis_no_composite", "a\xCC\x88", "a?"},
    {"mark_without_base",
     "\xCC\x81"
     "e",
     "?e"},
    {"mark_after_chinese", "\xE4\xB8\xAD\xCC\x81", "\xD6\xD0?"},
    {"mark_after_bad_byte", "\xFF\xCC\x81", "??"},
    // Default-ignorable characters are characters 936 lacks like any other.
    {"ignorable_grapheme_joiner_after_bad_bytes", "\x95\xC5\xCD\x8F\x8B", "????"},
    {"ignorable_soft_hyphen",
     "a\xC2\xAD"
     "b",
     "a?b"},
    {"ignorable_zero_width_space",
     "a\xE2\x80\x8B"
     "b",
     "a?b"},
    {"ignorable_byte_order_mark_inside",
     "a\xEF\xBB\xBF"
     "b",
     "a?b"},
};

class Utf8ToAnsiCases : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ToAnsiCases, GivesExpectedBytes) {
    const Utf8Case& c = GetParam();
    const Text got = Utf8ToAnsi(B(c.utf8));
    EXPECT_EQ(Hex(got.view()), Hex(c.ansi));
    // The same through the two steps, and the same as plain ICU.
    EXPECT_EQ(Hex(Utf16ToGbk(Utf8ToUtf16(B(c.utf8))).view()), Hex(c.ansi));
    testing::IcuReference icu;
    EXPECT_EQ(Hex(icu.Utf8ToAnsi(c.utf8)), Hex(c.ansi));
}

INSTANTIATE_TEST_SUITE_P(Charset, Utf8ToAnsiCases, ::testing::ValuesIn(kUtf8Cases),
                         [](const auto& info) { return std::string(info.param.name); });

// An empty Bytes has a null data(); passing it on to memchr was undefined
// (seen by clang's UBSan in the fuzz build).
TEST(Utf8ToAnsi, EmptyBytesPassNoNullPointerToMemchr) {
    EXPECT_EQ(Utf8ToAnsi(Bytes()).str(), "");
    EXPECT_EQ(Utf8ToAnsi(Bytes(std::vector<std::uint8_t>{})).str(), "");
}

TEST(Utf8ToUtf16, GivesExactlyTheDecodedUnits) {
    EXPECT_EQ(Utf8ToUtf16(B("")), Utf16{});
    EXPECT_EQ(Utf8ToUtf16(B(std::string_view("a\0b", 3))), (Utf16{u'a', 0, u'b'}));
    EXPECT_EQ(Utf8ToUtf16(B("\xF0\x9F\x98\x80\xE4\xB8")), (Utf16{0xD83D, 0xDE00, 0xFFFD}));
}

TEST(Utf16ToGbk, StopsAtZeroUnitAndReplacesLoneSurrogates) {
    EXPECT_EQ(Utf16ToGbk(Utf16{u'a', 0, u'b'}).str(), "a");
    EXPECT_EQ(Utf16ToGbk(Utf16{}).str(), "");
    EXPECT_EQ(Utf16ToGbk(Utf16{0xD800, u'x', 0xDC00}).str(), "?x?");
    EXPECT_EQ(Hex(Utf16ToGbk(Utf16{u'e', 0x0301}).view()), Hex("\xA8\xA6"));
}

struct AnsiCase {
    const char* name;
    std::string_view ansi;
    std::string_view utf8;
};

const AnsiCase kAnsiCases[] = {
    {"zhong", "\xD6\xD0", "\xE4\xB8\xAD"},
    {"empty", "", ""},
    {"ascii_unchanged", "http://a.example/?q=1&r=2", "http://a.example/?q=1&r=2"},
    {"euro_byte", "\x80", "\xE2\x82\xAC"},
    {"lone_lead_at_end", "a\x81", "a\xEF\xBF\xBD"},
    {"lead_with_ascii_trail_outside_range", "\x81\x30",
     "\xEF\xBF\xBD"
     "0"},
    {"user_defined_area", "\xAA\xA1", "\xEE\x80\x80"},
};

class AnsiToUtf8Cases : public ::testing::TestWithParam<AnsiCase> {};

TEST_P(AnsiToUtf8Cases, GivesExpectedBytes) {
    EXPECT_EQ(Hex(AnsiToUtf8(Text(GetParam().ansi)).view()), Hex(GetParam().utf8));
}

INSTANTIATE_TEST_SUITE_P(Charset, AnsiToUtf8Cases, ::testing::ValuesIn(kAnsiCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CodePageSteps, DecodeEndsWithOneZeroUnitAndEncodeStopsAtIt) {
    EXPECT_EQ(CodePageToUtf16(Text(), kCodePageGbk), Utf16{0});
    EXPECT_EQ(CodePageToUtf16(Text("\xD6\xD0"
                                   "a"),
                              kCodePageGbk),
              (Utf16{0x4E2D, u'a', 0}));
    EXPECT_EQ(CodePageToUtf16(Text("\xE4\xB8\xAD"), kCodePageUtf8), (Utf16{0x4E2D, 0}));
    EXPECT_EQ(Utf16ToCodePage(Utf16{0x4E2D, 0, u'x'}, kCodePageUtf8).str(), "\xE4\xB8\xAD");
    EXPECT_EQ(Utf16ToCodePage(Utf16{0x4E2D, 0, u'x'}, kCodePageGbk).str(), "\xD6\xD0");
    EXPECT_EQ(Utf16ToCodePage(Utf16{0xD83D, 0xDE00}, kCodePageUtf8).str(), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToCodePage(Utf16{0xDE00}, kCodePageUtf8).str(), "\xEF\xBF\xBD");
    // Another code page ICU knows.
    EXPECT_EQ(Utf16ToCodePage(CodePageToUtf16(Text("\xE9"), 1252), kCodePageUtf8).str(),
              "\xC3\xA9");
    EXPECT_EQ(CodePageToUtf16(Text("a"), 99999), Utf16{});
}

std::vector<std::string> AllTwoByteCodes() {
    std::vector<std::string> codes;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            codes.push_back({static_cast<char>(lead), static_cast<char>(trail)});
        }
    }
    return codes;
}

TEST(GbkRoundTrip, EveryTwoByteCodeSurvivesUtf8AndBack) {
    const auto codes = AllTwoByteCodes();
    ASSERT_EQ(codes.size(), 23940u);
    testing::IcuReference icu;
    std::string all;
    for (const std::string& code : codes) {
        const Text utf8 = AnsiToUtf8(Text(code));
        ASSERT_EQ(icu.GbkToUtf16(code).size(), 1u) << Hex(code);
        ASSERT_EQ(Utf8ToAnsi(TextToBytes(utf8)).str(), code) << Hex(code);
        all += code;
        all += 'i';  // an ASCII byte between the characters
    }
    EXPECT_EQ(Utf8ToAnsi(TextToBytes(AnsiToUtf8(Text(all)))).str(), all);
}

// Pieces that random inputs are made of: well-formed characters of every length,
// combining marks, and the malformed kinds.
const std::vector<std::string> kPieces = {"a",
                                          "<",
                                          "\"",
                                          "\r\n",
                                          "e",
                                          "u",
                                          "\xE4\xB8\xAD",
                                          "\xE6\x96\x87",
                                          "\xC3\xA9",
                                          "\xC3\xBC",
                                          "\xCC\x81",
                                          "\xCC\x88",
                                          "\xCC\x84",
                                          "\xE2\x82\xAC",
                                          "\xF0\x9F\x98\x80",
                                          "\xEF\xBF\xBD",
                                          "\xEF\xA3\xB5",
                                          "\x80",
                                          "\xBF",
                                          "\xC0",
                                          "\xC1\xBF",
                                          "\xE0\x80",
                                          "\xED\xA0\x80",
                                          "\xF4\x90",
                                          "\xF8",
                                          "\xFF",
                                          "\xE4",
                                          "\xE4\xB8",
                                          "\xF0\x9F",
                                          "\xEA\xB0\x80",
                                          "\xE1\x85\xA1",
                                          std::string(1, '\0')};

std::string RandomUtf8ish(std::mt19937& rng) {
    std::string s;
    const int n = std::uniform_int_distribution<int>(0, 24)(rng);
    for (int i = 0; i < n; ++i) {
        if (rng() % 8 == 0) {
            s += static_cast<char>(rng() % 256);
        } else {
            s += kPieces[rng() % kPieces.size()];
        }
    }
    return s;
}

TEST(FastPathEqualsIcu, OnRandomWellAndIllFormedInput) {
    testing::IcuReference icu;
    std::mt19937 rng(20261211);
    for (int i = 0; i < 20000; ++i) {
        const std::string in = RandomUtf8ish(rng);
        SCOPED_TRACE(Hex(in));
        ASSERT_EQ(Hex(Utf8ToAnsi(B(in)).view()), Hex(icu.Utf8ToAnsi(in)));
        const Utf16 units = Utf8ToUtf16(B(in));
        ASSERT_EQ(std::u16string(units.begin(), units.end()), icu.Utf8ToUtf16(in));
    }
}

TEST(FastPathEqualsIcu, GbkDecodingOnRandomBytes) {
    testing::IcuReference icu;
    std::mt19937 rng(936);
    for (int i = 0; i < 20000; ++i) {
        std::string in;
        const int n = std::uniform_int_distribution<int>(0, 12)(rng);
        for (int k = 0; k < n; ++k) {
            const unsigned r = rng() % 4;
            in += static_cast<char>(r == 0 ? 0x20 + rng() % 0x60 : 0x80 + rng() % 0x80);
        }
        in = in.substr(0, in.find('\0'));
        SCOPED_TRACE(Hex(in));
        Utf16 units = CodePageToUtf16(Text(in), kCodePageGbk);
        ASSERT_FALSE(units.empty());
        ASSERT_EQ(units.back(), 0);
        units.pop_back();
        ASSERT_EQ(std::u16string(units.begin(), units.end()), icu.GbkToUtf16(in));
    }
}

TEST(FastPathEqualsIcu, OnEveryStoredPage) {
    testing::IcuReference icu;
    int pages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(testing::TestDataPath("pages"))) {
        if (entry.path().extension() != ".html")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        const std::string page = testing::ReadTestFile(entry.path());
        ASSERT_FALSE(page.empty());
        const Text fast = Utf8ToAnsi(B(page));
        EXPECT_TRUE(fast.str() == icu.Utf8ToAnsi(page));
        ++pages;
    }
    EXPECT_GE(pages, 7);
}

TEST(RealPage, Utf8CopyConvertsToTheServedGbkPage) {
    const std::string utf8 =
        testing::ReadTestFile(testing::TestDataPath("pages/classic-2011-mozilla.utf8.html"));
    const std::string gbk =
        testing::ReadTestFile(testing::TestDataPath("pages/classic-2011-mozilla.gbk.html"));
    ASSERT_FALSE(gbk.empty());
    EXPECT_TRUE(Utf8ToAnsi(B(utf8)).str() == gbk);
    EXPECT_TRUE(AnsiToUtf8(Text(gbk)).str() == utf8);
}

}  // namespace
}  // namespace qinghe
