#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "text/text.h"

namespace qinghe {
namespace {

// GBK bytes used below. 0x81 0x41 is a two-byte character whose second byte is
// "A"; 0xC4E3 0xBAC3 is 你好; 0xA1 0xA1 is the double-byte space.
const std::string kLeadA =
    "\x81"
    "A";
const std::string kNiHao = "\xC4\xE3\xBA\xC3";
const std::string kWideSpace = "\xA1\xA1";

// ---- FindText -------------------------------------------------------------------

struct FindCase {
    const char* name;
    std::string text;
    std::string sub;
    int start;
    bool ignoreCase;
    int expected;
};

class FindTextTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, Finds) {
    const FindCase& c = GetParam();
    EXPECT_EQ(FindText(Text(c.text), Text(c.sub), c.start, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTextTest,
    ::testing::Values(FindCase{"StartPastEnd", "abc", "c", 10, false, -1},
                      FindCase{"StartAtLastByte", "abc", "c", 3, false, 3},
                      FindCase{"StartZeroMeansOne", "abc", "a", 0, false, 1},
                      FindCase{"StartNegativeMeansOne", "abc", "a", -7, false, 1},
                      FindCase{"EmptySubStartPastEnd", "abc", "", 10, false, -1},
                      FindCase{"EmptySubStartTwoGivesOne", "abc", "", 2, false, 1},
                      FindCase{"EmptySubEmptyText", "", "", 1, false, -1},
                      FindCase{"EmptyText", "", "a", 1, false, -1},
                      FindCase{"SubLongerThanRest", "abc", "bcd", 1, false, -1},
                      FindCase{"SecondOccurrenceFromStart", "a.txt.txt", ".txt", 3, false, 6},
                      FindCase{"IgnoreCaseHeaderName", "Set-Cookie: a=1", "SET-COOKIE", 1, true, 1},
                      FindCase{"ExactCaseHeaderName", "Set-Cookie: a=1", "SET-COOKIE", 1, false,
                               -1},
                      FindCase{"IgnoreCaseRareFirstLetter", "SSSSSSSSxs", "s", 1, false, 10},
                      FindCase{"IgnoreCaseLaterMatch", "SeSeSet", "set", 1, true, 5},
                      FindCase{"SecondByteIsNeverAMatch", kLeadA, "A", 1, false, -1},
                      FindCase{"SecondByteIsNeverAMatchIgnoringCase", kLeadA, "a", 1, true, -1},
                      FindCase{"MatchAfterPairWithSameSecondByte", kLeadA + "A", "A", 1, false, 3},
                      FindCase{"StartOnSecondByteScansFromThere", kLeadA, "A", 2, false, 2},
                      FindCase{"PairsAreWholeCharacters", kNiHao, "\xE3\xBA", 1, false, -1},
                      FindCase{"SecondCharacterOfPairRun", kNiHao, "\xBA\xC3", 1, false, 3},
                      FindCase{"OddRunOfLeadBytes",
                               "x\xB0\xB0\xB0"
                               "A",
                               "A", 1, false, -1},
                      FindCase{"EvenRunOfLeadBytes",
                               "x\xB0\xB0\xB0\xB0"
                               "A",
                               "A", 1, false, 6},
                      FindCase{"LoneLeadByteAtEnd", "a\x81", "\x81", 1, false, 2},
                      FindCase{"FoldsEveryByteOnItsOwn", kLeadA,
                               "\x81"
                               "a",
                               1, true, 1},
                      FindCase{"NoFoldingWithoutIgnoreCase", kLeadA,
                               "\x81"
                               "a",
                               1, false, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FindTextTest, OmittedStartMeansOne) {
    EXPECT_EQ(FindText(Text("xaxa"), Text("a"), false), 2);
}

// ---- ReplaceText ----------------------------------------------------------------

struct ReplaceCase {
    const char* name;
    std::string text;
    std::string find;
    std::string replacement;
    int start;
    std::optional<int> count;
    bool caseSensitive;
    std::string expected;
};

class ReplaceTextTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTextTest, Replaces) {
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(ReplaceText(Text(c.text), Text(c.find), Text(c.replacement), c.start, c.count,
                          c.caseSensitive)
                  .str(),
              c.expected);
}

constexpr std::optional<int> kAll = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTextTest,
    ::testing::Values(
        ReplaceCase{"RemovesEveryOccurrence", "a.txt.txt", ".txt", "", 1, kAll, true, "a"},
        ReplaceCase{"CaseSensitiveLeavesOtherCase", "A.TXT", ".txt", "", 1, kAll, true, "A.TXT"},
        ReplaceCase{"CountOneAnyCase", "X.TXT.txt", ".txt", "!", 1, 1, false, "X!.txt"},
        ReplaceCase{"CountTwoOfThree", "a-a-a", "a", "b", 1, 2, true, "b-b-a"},
        ReplaceCase{"NegativeCountReplacesAll", "a-a-a", "a", "b", 1, -1, true, "b-b-b"},
        ReplaceCase{"CountZeroUnchanged", "aaa", "a", "b", 1, 0, true, "aaa"},
        ReplaceCase{"StartPastEndUnchanged", "aaa", "a", "b", 4, kAll, true, "aaa"},
        ReplaceCase{"StartKeepsPrefix", "aXaXa", "a", "b", 2, kAll, true, "aXbXb"},
        ReplaceCase{"EmptyFindUnchanged", "abc", "", "x", 1, kAll, true, "abc"},
        ReplaceCase{"EmptyTextStaysEmpty", "", "a", "x", 1, kAll, true, ""},
        ReplaceCase{"NoOverlap", "aaa", "aa", "b", 1, kAll, true, "ba"},
        ReplaceCase{"ReplacementNotRescanned", "aba", "a", "aa", 1, kAll, true, "aabaa"},
        ReplaceCase{"SecondByteNotReplaced", kLeadA + "A", "A", "b", 1, kAll, true, kLeadA + "b"},
        ReplaceCase{"LoneLeadDroppedForOneBytePattern", "xa\x81", "a", "b", 1, kAll, true, "xb"},
        ReplaceCase{"LoneLeadDroppedWithoutAnyMatch", "xy\x81", "a", "b", 1, kAll, true, "xy"},
        ReplaceCase{"LoneLeadKeptForLongerPattern", "xa\x81", "ab", "z", 1, kAll, true, "xa\x81"},
        ReplaceCase{"LoneLeadKeptWhenCountReached", "a\x81", "a", "b", 1, 1, true, "b\x81"},
        ReplaceCase{"LoneLeadReplacedWhenItIsThePattern", "a\x81", "\x81", "Z", 1, kAll, true,
                    "aZ"},
        ReplaceCase{"LoneLeadAfterPairKept", kNiHao + "\x81", "a", "b", 1, kAll, true, kNiHao},
        ReplaceCase{"StartOnSecondByte", kLeadA + "\x81", "A", "b", 2, kAll, true,
                    "\x81"
                    "b"},
        ReplaceCase{"ChineseReplaced", kNiHao + "a" + kNiHao, kNiHao, "-", 1, kAll, true, "-a-"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplaceTextTest, OmittedReplacementDeletes) {
    EXPECT_EQ(ReplaceText(Text("http://a.com/"), Text("http://"), true), Text("a.com/"));
    EXPECT_EQ(ReplaceText(Text("a/b/c"), Text("/"), Text("-"), true), Text("a-b-c"));
}

// ---- SplitText ------------------------------------------------------------------

struct SplitCase {
    const char* name;
    std::string text;
    std::string separator;
    std::vector<std::string> expected;
};

class SplitTextTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTextTest, Splits) {
    const SplitCase& c = GetParam();
    const TextArray parts = SplitText(Text(c.text), Text(c.separator));
    std::vector<std::string> got;
    for (const Text& t : parts)
        got.push_back(t.str());
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(parts.Count(), static_cast<int>(c.expected.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitTextTest,
    ::testing::Values(SplitCase{"EmptyTextNoElements", "", "##", {}},
                      SplitCase{"TrailingSeparatorAddsNothing", "kw1##kw2##", "##", {"kw1", "kw2"}},
                      SplitCase{"LeadingSeparatorEmptyFirst", "##a", "##", {"", "a"}},
                      SplitCase{"AdjacentSeparatorsEmptyBetween", "a####b", "##", {"a", "", "b"}},
                      SplitCase{"SeparatorOnly", "##", "##", {""}},
                      SplitCase{"NoSeparator", "abc", "##", {"abc"}},
                      SplitCase{"ThreeHashes", "a###b", "##", {"a", "#b"}},
                      SplitCase{"LastPieceWithoutSeparator", "a##b", "##", {"a", "b"}},
                      SplitCase{"SecondByteIsNoSeparator",
                                "\x81#"
                                "#x",
                                "##",
                                {"\x81##x"}},
                      SplitCase{"ChineseKeywords",
                                kNiHao + "##" + kNiHao + " 2##",
                                "##",
                                {kNiHao, kNiHao + " 2"}},
                      SplitCase{"LoneLeadAtEndKept", "a##\x81", "##", {"a", "\x81"}},
                      SplitCase{"HeaderLines", "A: 1\r\nB: 2\r\n", "\r\n", {"A: 1", "B: 2"}},
                      SplitCase{"CaseMatters", "aXbxc", "x", {"aXb", "c"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitTextTest, ElementsCountFromOne) {
    const TextArray parts = SplitText(Text("a;b"), Text(";"));
    EXPECT_EQ(parts.At(1), Text("a"));
    EXPECT_EQ(parts.At(2), Text("b"));
    EXPECT_EQ(parts.At(0), Text());
    EXPECT_EQ(parts.At(3), Text());
}

// ---- TrimSpaces -----------------------------------------------------------------

struct TrimCase {
    const char* name;
    std::string text;
    std::string expected;
};

class TrimSpacesTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimSpacesTest, Trims) {
    const TrimCase& c = GetParam();
    EXPECT_EQ(TrimSpaces(Text(c.text)).str(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrimSpacesTest,
    ::testing::Values(TrimCase{"BothEnds", "  a b  ", "a b"}, TrimCase{"Empty", "", ""},
                      TrimCase{"SpacesOnly", "   ", ""},
                      TrimCase{"TabsAndLineBreaksStay", " \ta\r\n ", "\ta\r\n"},
                      TrimCase{"WideSpacesAtBothEnds", kWideSpace + "a" + kWideSpace, "a"},
                      TrimCase{"MixedSpacesOnly", kWideSpace + " " + kWideSpace, ""},
                      TrimCase{"LoneLeadAtEndDroppedSpacesStay", "a \x81", "a "},
                      TrimCase{"LoneLeadOnly", "\x81", ""}, TrimCase{"LoneA1Only", "\xA1", ""},
                      // B0 A1 is one character; the A1 after it has no second byte.
                      TrimCase{"A1PairAcrossCharacterIsNoSpace", "\xB0\xA1\xA1", "\xB0\xA1"},
                      TrimCase{"WideSpaceAfterCharacter", "\xB0\xA1" + kWideSpace, "\xB0\xA1"},
                      TrimCase{"LeadingA1StartsCharacter", kWideSpace + "\xA1\xB0", "\xA1\xB0"},
                      TrimCase{"SecondByteSpaceStays", "\x81 ", "\x81 "}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- case -----------------------------------------------------------------------

TEST(CaseTest, OnlySingleByteLettersChange) {
    const Text mixed("abZ-" + kLeadA +
                     "\x81"
                     "a" +
                     "q\x81");
    EXPECT_EQ(ToUpper(mixed).str(), "ABZ-" + kLeadA +
                                        "\x81"
                                        "a" +
                                        "Q\x81");
    EXPECT_EQ(ToLower(mixed).str(), "abz-" + kLeadA +
                                        "\x81"
                                        "a" +
                                        "q\x81");
    EXPECT_EQ(ToUpper(Text()), Text());
}

// ---- cutting --------------------------------------------------------------------

struct CutCase {
    const char* name;
    Text got;
    std::string expected;
};

class CuttingTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(CuttingTest, Cuts) {
    EXPECT_EQ(GetParam().got.str(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CuttingTest,
    ::testing::Values(CutCase{"LeftLongerThanText", TextLeft(Text("abc"), 100), "abc"},
                      CutCase{"LeftTwo", TextLeft(Text("abc"), 2), "ab"},
                      CutCase{"LeftZero", TextLeft(Text("abc"), 0), ""},
                      CutCase{"LeftNegative", TextLeft(Text("abc"), -1), ""},
                      CutCase{"LeftHalvesCharacter", TextLeft(Text(kNiHao), 1), "\xC4"},
                      CutCase{"RightTwo", TextRight(Text("abc"), 2), "bc"},
                      CutCase{"RightLongerThanText", TextRight(Text("abc"), 9), "abc"},
                      CutCase{"RightZero", TextRight(Text("abc"), 0), ""},
                      CutCase{"MidMiddle", TextMid(Text("abcdef"), 2, 3), "bcd"},
                      CutCase{"MidToEnd", TextMid(Text("abcdef"), 5, 100), "ef"},
                      CutCase{"MidJustPastEnd", TextMid(Text("abc"), 4, 5), ""},
                      CutCase{"MidStartZero", TextMid(Text("abc"), 0, 2), ""},
                      CutCase{"MidCountZero", TextMid(Text("abc"), 1, 0), ""},
                      CutCase{"MidHalvesCharacter", TextMid(Text(kNiHao), 2, 2), "\xE3\xBA"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- conversions ----------------------------------------------------------------

INSTANTIATE_TEST_SUITE_P(
    Conversions, CuttingTest,
    ::testing::Values(
        CutCase{"CharFromCode65", CharFromCode(65), "A"},
        CutCase{"CharFromCode0", CharFromCode(0), ""},
        CutCase{"CharFromCode255", CharFromCode(255), "\xFF"}, CutCase{"Hex5", HexText(5), "5"},
        CutCase{"Hex10", HexText(10), "A"}, CutCase{"Hex171", HexText(171), "AB"},
        CutCase{"Hex255", HexText(255), "FF"}, CutCase{"Hex0", HexText(0), "0"},
        CutCase{"HexMinusOne", HexText(-1), "FFFFFFFF"},
        CutCase{"HexMinimum", HexText(INT32_MIN), "80000000"},
        CutCase{"IntZero", NumberToText(0), "0"}, CutCase{"IntNegative", NumberToText(-42), "-42"},
        CutCase{"IntMinimum", NumberToText(INT_MIN), "-2147483648"},
        CutCase{"Double300", NumberToText(300.0), "300"},
        CutCase{"DoubleZero", NumberToText(0.0), "0"},
        CutCase{"DoubleHalf", NumberToText(1.5), "1.5"},
        CutCase{"DoubleTenth", NumberToText(0.1), "0.1"},
        CutCase{"DoubleThirteenDigits", NumberToText(1234567890123.0), "1234567890123"},
        CutCase{"DoubleThird", NumberToText(1.0 / 3.0), "0.3333333333333"},
        CutCase{"BlankThree", BlankText(3), "   "}, CutCase{"BlankZero", BlankText(0), ""},
        CutCase{"BlankNegative", BlankText(-2), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BytesTest, TextStopsAtFirstZeroByte) {
    EXPECT_EQ(BytesToText(Bytes(std::vector<std::uint8_t>{0x41, 0x00, 0x42})), Text("A"));
    EXPECT_EQ(BytesToText(Bytes(std::vector<std::uint8_t>{0x00, 0x41})), Text());
    EXPECT_EQ(BytesToText(Bytes()), Text());
    EXPECT_EQ(BytesToText(Bytes(std::string_view("ab"))), Text("ab"));
}

TEST(BytesTest, TextToBytesHasNoTerminator) {
    EXPECT_EQ(TextToBytes(Text(kNiHao)).vec(), (std::vector<std::uint8_t>{0xC4, 0xE3, 0xBA, 0xC3}));
    EXPECT_TRUE(TextToBytes(Text()).empty());
}

TEST(BytesTest, BlankBytesAreZeros) {
    EXPECT_EQ(BlankBytes(3).vec(), (std::vector<std::uint8_t>{0, 0, 0}));
    EXPECT_TRUE(BlankBytes(0).empty());
    EXPECT_TRUE(BlankBytes(-1).empty());
    EXPECT_EQ(BytesLength(BlankBytes(4)), 4);
}

TEST(JoinTest, JoinsInOrder) {
    EXPECT_EQ(JoinText(Text("a"), "b", Text("c")), Text("abc"));
    EXPECT_EQ(JoinBytes(Bytes(), Bytes(std::string_view("x")), Bytes()).vec(),
              (std::vector<std::uint8_t>{'x'}));
    EXPECT_TRUE(JoinBytes(Bytes(), Bytes()).empty());
}

TEST(CompareTextTest, UnsignedBytesAndPrefixes) {
    EXPECT_EQ(CompareText(Text("abc"), Text("abc")), 0);
    EXPECT_EQ(CompareText(Text(), Text()), 0);
    EXPECT_LT(CompareText(Text(), Text("a")), 0);
    EXPECT_LT(CompareText(Text("ab"), Text("abc")), 0);
    EXPECT_GT(CompareText(Text("abc"), Text("ab")), 0);
    EXPECT_GT(CompareText(Text("\x81"), Text("a")), 0);
    EXPECT_NE(CompareText(Text("a"), Text("A")), 0);
    EXPECT_EQ(TextLength(Text(kNiHao)), 4);
    EXPECT_EQ(TextLength(Text()), 0);
}

// ---- the fast searches against a scan that steps one character at a time --------

// The scan exactly as the primitives are described, without the byte-search short
// cuts, so random texts full of lead bytes check the character stepping.
int StepwiseFind(const std::string& text, const std::string& sub, int start, bool fold) {
    auto low = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    const std::size_t n = text.size();
    std::size_t off = start > 1 ? static_cast<std::size_t>(start - 1) : 0;
    if (off >= n)
        return -1;
    if (sub.empty())
        return 1;
    while (n - off >= sub.size()) {
        bool equal = true;
        for (std::size_t i = 0; i < sub.size() && equal; ++i) {
            const auto a = static_cast<unsigned char>(text[off + i]);
            const auto b = static_cast<unsigned char>(sub[i]);
            equal = fold ? low(a) == low(b) : a == b;
        }
        if (equal)
            return static_cast<int>(off + 1);
        if (static_cast<unsigned char>(text[off]) >= 0x80) {
            if (off == n - 1)
                return -1;
            off += 2;
        } else {
            off += 1;
        }
    }
    return -1;
}

std::string StepwiseReplace(const std::string& text, const std::string& find,
                            const std::string& repl, int start, std::optional<int> count,
                            bool exact) {
    const std::size_t n = text.size();
    std::size_t off = start > 1 ? static_cast<std::size_t>(start - 1) : 0;
    if (text.empty() || find.empty() || count == 0 || off >= n)
        return text;
    std::string out = text.substr(0, off);
    int made = 0;
    while (n - off >= find.size()) {
        if (StepwiseFind(text.substr(off, find.size()), find, 1, !exact) == 1) {
            out += repl;
            off += find.size();
            if (count && ++made == *count)
                break;
        } else if (static_cast<unsigned char>(text[off]) >= 0x80) {
            if (off == n - 1) {
                off = n;
                break;
            }
            out += text.substr(off, 2);
            off += 2;
        } else {
            out += text[off];
            off += 1;
        }
    }
    return out + text.substr(off);
}

std::vector<std::string> StepwiseSplit(const std::string& text, const std::string& sep) {
    std::vector<std::string> parts;
    std::size_t pieceStart = 0;
    std::size_t off = 0;
    while (off + sep.size() <= text.size()) {
        if (text.compare(off, sep.size(), sep) == 0) {
            parts.push_back(text.substr(pieceStart, off - pieceStart));
            off += sep.size();
            pieceStart = off;
        } else {
            off += static_cast<unsigned char>(text[off]) >= 0x80 ? 2 : 1;
        }
    }
    if (pieceStart < text.size())
        parts.push_back(text.substr(pieceStart));
    return parts;
}

TEST(FastSearchTest, AgreesWithStepwiseScanOnRandomTexts) {
    const std::string alphabet = "aA#s S\x81\xA1\xB0";
    std::mt19937 rng(12345);
    auto randomText = [&](std::size_t maxLen) {
        std::string s(rng() % (maxLen + 1), ' ');
        for (char& c : s)
            c = alphabet[rng() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string text = randomText(24);
        const std::string sub = randomText(3);
        const int start = static_cast<int>(rng() % 28) - 2;
        const bool fold = rng() % 2 == 0;
        const std::optional<int> count =
            rng() % 3 == 0 ? std::nullopt : std::optional<int>(static_cast<int>(rng() % 4));
        SCOPED_TRACE(::testing::Message() << "round " << round << " text '" << text << "' sub '"
                                          << sub << "' start " << start << " fold " << fold);
        ASSERT_EQ(FindText(Text(text), Text(sub), start, fold),
                  StepwiseFind(text, sub, start, fold));
        ASSERT_EQ(ReplaceText(Text(text), Text(sub), Text("<>"), start, count, !fold).str(),
                  StepwiseReplace(text, sub, "<>", start, count, !fold));
        if (!sub.empty()) {
            std::vector<std::string> got;
            for (const Text& t : SplitText(Text(text), Text(sub)))
                got.push_back(t.str());
            ASSERT_EQ(got, StepwiseSplit(text, sub));
        }
    }
}

}  // namespace
}  // namespace qinghe
