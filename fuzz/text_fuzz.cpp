// The scanning text primitives over random texts and arguments. Each result is
// checked against a plain one-character-at-a-time reference written here, and
// against properties that hold whatever the implementation: hits and cuts sit on
// character starts of the scan, split pieces join back into the text, trimming
// leaves no space character at either end, case mapping leaves two-byte
// characters alone. Any failure aborts.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace {

using qinghe::Text;

void Check(bool ok) {
    if (!ok)
        std::abort();
}

bool Lead(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

char Fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

std::string FoldAll(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = Fold(c);
    return out;
}

std::size_t ScanOffset(int start) {
    return start > 1 ? static_cast<std::size_t>(start - 1) : 0;
}

// One character on from offset p: a byte of 0x80 or more is stepped over
// together with the byte after it; a lead byte that is the last byte ends the
// scan (the end of the text is returned).
std::size_t Step(std::string_view s, std::size_t p) {
    if (!Lead(s[p]))
        return p + 1;
    return p + 1 == s.size() ? s.size() : p + 2;
}

// Offsets a scan from `from` stands on, when it matches nothing.
std::vector<bool> Reached(std::string_view s, std::size_t from) {
    std::vector<bool> reached(s.size() + 1, false);
    for (std::size_t p = from; p < s.size(); p = Step(s, p))
        reached[p] = true;
    return reached;
}

bool MatchAt(std::string_view s, std::size_t p, std::string_view sub, bool fold) {
    if (p > s.size() || s.size() - p < sub.size())
        return false;
    for (std::size_t i = 0; i < sub.size(); ++i) {
        const char a = s[p + i];
        const char b = sub[i];
        if (fold ? Fold(a) != Fold(b) : a != b)
            return false;
    }
    return true;
}

bool HasZero(const Text& t) {
    return t.view().find('\0') != std::string_view::npos;
}

// ---- references, step by step --------------------------------------------------

int RefFind(std::string_view s, std::string_view sub, int start, bool ignoreCase) {
    std::size_t off = ScanOffset(start);
    if (off >= s.size())
        return -1;
    if (sub.empty())
        return 1;
    while (s.size() - off >= sub.size()) {
        if (MatchAt(s, off, sub, ignoreCase))
            return static_cast<int>(off + 1);
        if (Lead(s[off])) {
            if (off + 1 == s.size())
                return -1;
            off += 2;
        } else {
            off += 1;
        }
    }
    return -1;
}

struct RefReplaced {
    std::string text;
    std::size_t made = 0;
    bool dropped = false;
};

RefReplaced RefReplace(std::string_view s, std::string_view find, std::string_view replacement,
                       int start, std::optional<int> count, bool caseSensitive) {
    RefReplaced r;
    const std::size_t from = ScanOffset(start);
    if (s.empty() || find.empty() || count == 0 || from >= s.size()) {
        r.text = s;
        return r;
    }
    r.text = s.substr(0, from);
    std::size_t off = from;
    while (s.size() - off >= find.size()) {
        if (MatchAt(s, off, find, !caseSensitive)) {
            r.text += replacement;
            off += find.size();
            ++r.made;
            if (count && static_cast<long long>(r.made) == *count)
                break;
        } else if (Lead(s[off])) {
            if (off + 1 == s.size()) {
                r.dropped = true;
                off += 1;
                break;
            }
            r.text += s.substr(off, 2);
            off += 2;
        } else {
            r.text += s[off];
            off += 1;
        }
    }
    r.text += s.substr(off);
    return r;
}

std::vector<std::string> RefSplit(std::string_view s, std::string_view sep) {
    std::vector<std::string> out;
    if (s.empty())
        return out;
    std::size_t pieceStart = 0;
    std::size_t off = 0;
    while (s.size() - off >= sep.size()) {
        if (MatchAt(s, off, sep, false)) {
            out.emplace_back(s.substr(pieceStart, off - pieceStart));
            off += sep.size();
            pieceStart = off;
        } else if (Lead(s[off])) {
            if (off + 1 == s.size())
                break;
            off += 2;
        } else {
            off += 1;
        }
    }
    if (pieceStart < s.size())
        out.emplace_back(s.substr(pieceStart));
    return out;
}

bool SpaceAt(std::string_view s, std::size_t p) {
    return s[p] == ' ' || (p + 1 < s.size() && s[p] == '\xA1' && s[p + 1] == '\xA1');
}

std::string RefTrim(std::string_view s) {
    std::size_t begin = 0;
    while (begin < s.size() && SpaceAt(s, begin))
        begin += s[begin] == ' ' ? 1 : 2;
    std::size_t end = begin;
    std::size_t p = begin;
    while (p < s.size()) {
        if (!Lead(s[p])) {
            if (s[p] != ' ')
                end = p + 1;
            p += 1;
        } else if (p + 1 == s.size()) {
            end = p;  // the lone lead byte goes, the spaces before it stay
            break;
        } else {
            if (!SpaceAt(s, p))
                end = p + 2;
            p += 2;
        }
    }
    return std::string(s.substr(begin, end - begin));
}

// ---- checks ----------------------------------------------------------------------

void CheckFind(const Text& text, const Text& sub, int start, bool ignoreCase) {
    const std::string_view s = text.view();
    const int got = qinghe::FindText(text, sub, start, ignoreCase);
    Check(got == RefFind(s, sub.view(), start, ignoreCase));
    if (got == -1)
        return;
    const std::size_t p = static_cast<std::size_t>(got - 1);
    if (sub.empty()) {
        Check(got == 1);
        return;
    }
    // A hit is the first offset the scan stands on where the whole sub matches.
    const std::size_t from = ScanOffset(start);
    Check(p >= from && p + sub.size() <= s.size());
    const std::vector<bool> reached = Reached(s, from);
    Check(reached[p]);
    Check(MatchAt(s, p, sub.view(), ignoreCase));
    for (std::size_t q = from; q < p; ++q)
        Check(!reached[q] || !MatchAt(s, q, sub.view(), ignoreCase));
}

void CheckFindAll(const Text& text, const Text& sub, int start, bool ignoreCase) {
    CheckFind(text, sub, start, ignoreCase);
    if (start == 1)
        Check(qinghe::FindText(text, sub, ignoreCase) ==
              qinghe::FindText(text, sub, 1, ignoreCase));

    // Folding is per byte and keeps lead bytes what they are, so an ignore-case
    // search is an exact search over both texts folded.
    const int folded = qinghe::FindText(text, sub, start, true);
    Check(folded ==
          qinghe::FindText(Text(FoldAll(text.view())), Text(FoldAll(sub.view())), start, false));
    const int exact = qinghe::FindText(text, sub, start, false);
    if (exact != -1)
        Check(folded != -1 && folded <= exact);

    // Walking the hits as callers do, each scan restarting after the last hit.
    int at = start;
    for (int i = 0; i < 16 && !sub.empty(); ++i) {
        const int hit = qinghe::FindText(text, sub, at, ignoreCase);
        if (hit == -1)
            break;
        at = hit + static_cast<int>(sub.size());
        CheckFind(text, sub, at, ignoreCase);
    }
}

void CheckReplace(const Text& text, const Text& find, const Text& replacement, int start,
                  std::optional<int> count, bool caseSensitive) {
    const Text got = qinghe::ReplaceText(text, find, replacement, start, count, caseSensitive);
    Check(!HasZero(got));
    const RefReplaced ref =
        RefReplace(text.view(), find.view(), replacement.view(), start, count, caseSensitive);
    Check(got.view() == ref.text);
    Check(got.size() + ref.made * find.size() + (ref.dropped ? 1 : 0) ==
          text.size() + ref.made * replacement.size());
    if (count && *count > 0)
        Check(ref.made <= static_cast<std::size_t>(*count));
    // The part before the scan start is never touched.
    const std::size_t from = std::min(ScanOffset(start), text.size());
    Check(got.view().substr(0, from) == text.view().substr(0, from));

    if (!count) {
        // Every occurrence: a negative or unreachable count changes nothing.
        Check(qinghe::ReplaceText(text, find, replacement, start, -1, caseSensitive) == got);
        Check(qinghe::ReplaceText(text, find, replacement, start, std::numeric_limits<int>::max(),
                                  caseSensitive) == got);
    }
    if (start == 1 && !count && replacement.empty())
        Check(qinghe::ReplaceText(text, find, caseSensitive) == got);
    if (start == 1 && !count)
        Check(qinghe::ReplaceText(text, find, replacement, caseSensitive) == got);
}

// Replacing a text by itself gives the text back, but for a lead byte that is
// the last byte, stood on by a one-byte search and not matched: that one goes.
void CheckReplaceBySelf(const Text& text, const Text& find) {
    const Text got = qinghe::ReplaceText(text, find, find, true);
    if (got == text)
        return;
    const std::string_view s = text.view();
    Check(find.size() == 1 && !s.empty() && Lead(s.back()) && s.back() != find.view()[0]);
    Check(got.view() == s.substr(0, s.size() - 1));
}

void CheckSplit(const Text& text, const Text& sep, const Text& replacement) {
    const qinghe::TextArray parts = qinghe::SplitText(text, sep);
    Check(parts.At(0).empty() && parts.At(parts.Count() + 1).empty());
    Check((parts.Count() == 0) == text.empty());
    std::string joined;
    for (int i = 1; i <= parts.Count(); ++i) {
        Check(!HasZero(parts.At(i)));
        if (i > 1)
            joined += sep.view();
        joined += parts.At(i).view();
    }
    if (sep.empty()) {
        Check(joined == text.view());
        return;
    }

    std::vector<std::string> ref = RefSplit(text.view(), sep.view());
    Check(static_cast<std::size_t>(parts.Count()) == ref.size());
    for (int i = 1; i <= parts.Count(); ++i)
        Check(parts.At(i).view() == ref[i - 1]);

    // Rebuild the cuts from the pieces: each one is the first offset, stood on by
    // a scan from the end of the previous cut, where the separator matches.
    const std::string_view s = text.view();
    std::vector<std::size_t> cuts;
    std::size_t pieceStart = 0;
    for (int i = 1; i <= parts.Count(); ++i) {
        const std::size_t end = pieceStart + parts.At(i).size();
        Check(end <= s.size() && s.substr(pieceStart, parts.At(i).size()) == parts.At(i).view());
        const bool isCut = i < parts.Count() || end < s.size();
        const std::size_t scanEnd = isCut ? end : s.size();
        std::size_t q = pieceStart;
        for (; q < scanEnd; q = Step(s, q))
            Check(!MatchAt(s, q, sep.view(), false));
        if (!isCut)
            break;
        Check(q == end && MatchAt(s, end, sep.view(), false));
        cuts.push_back(end);
        pieceStart = end + sep.size();
    }
    // A trailing separator adds no piece, so joining gives the text less that
    // separator; otherwise it gives the text itself. A lone lead byte at the end
    // stays in the last piece.
    const bool trailing = !cuts.empty() && cuts.back() + sep.size() == s.size();
    Check(trailing ? joined + std::string(sep.view()) == s : joined == s);

    // Replacing every exact occurrence cuts at the same places; only the final
    // lone lead byte, stood on and unmatched by a one-byte search, is dropped.
    std::string expected;
    for (int i = 1; i <= parts.Count(); ++i) {
        if (i > 1)
            expected += replacement.view();
        expected += parts.At(i).view();
    }
    if (trailing)
        expected += replacement.view();
    const Text replaced = qinghe::ReplaceText(text, sep, replacement, true);
    if (replaced.view() != expected) {
        Check(sep.size() == 1 && Lead(s.back()) && s.back() != sep.view()[0]);
        Check(replaced.str() + s.back() == expected);
    }
}

void CheckTrim(const Text& text) {
    const Text got = qinghe::TrimSpaces(text);
    Check(!HasZero(got));
    Check(got.view() == RefTrim(text.view()));

    const std::string_view s = text.view();
    // Leading space characters, stepping from the start.
    std::size_t begin = 0;
    while (begin < s.size() && SpaceAt(s, begin))
        begin += s[begin] == ' ' ? 1 : 2;
    Check(s.substr(begin, got.size()) == got.view());
    const std::size_t end = begin + got.size();
    if (!got.empty())
        Check(!SpaceAt(s, begin));

    const std::vector<bool> reached = Reached(s, begin);
    const bool loneLead = !s.empty() && Lead(s.back()) && reached[s.size() - 1];
    if (loneLead) {
        // Only the lone lead byte goes; spaces before it stay.
        Check(end == s.size() - 1);
        return;
    }
    // The result ends on a character start and everything after it is spaces.
    Check(reached[end] || end == s.size());
    for (std::size_t q = end; q < s.size(); ++q)
        Check(!reached[q] || SpaceAt(s, q));
    // Its last character is no space.
    if (!got.empty()) {
        std::size_t last = begin;
        for (std::size_t q = begin; q < end; ++q)
            if (reached[q])
                last = q;
        Check(!SpaceAt(s, last));
    }
}

void CheckCase(const Text& text) {
    const Text upper = qinghe::ToUpper(text);
    const Text lower = qinghe::ToLower(text);
    Check(upper.size() == text.size() && lower.size() == text.size());
    const std::string_view s = text.view();
    const std::vector<bool> reached = Reached(s, 0);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        const bool single = reached[i] && !Lead(c);
        const char up = single && c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
        const char low = single ? Fold(c) : c;
        Check(upper.view()[i] == up && lower.view()[i] == low);
    }
    Check(qinghe::ToUpper(upper) == upper && qinghe::ToLower(lower) == lower);
    Check(qinghe::ToUpper(lower) == upper && qinghe::ToLower(upper) == lower);
}

void CheckCutting(const Text& text, int start, int n) {
    const std::string_view s = text.view();
    const long long len = static_cast<long long>(s.size());
    const Text mid = qinghe::TextMid(text, start, n);
    if (start < 1 || start > len || n <= 0) {
        Check(mid.empty());
    } else {
        const long long take = std::min<long long>(n, len - start + 1);
        Check(mid.view() ==
              s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(take)));
    }
    const std::size_t keep = n <= 0 ? 0 : static_cast<std::size_t>(std::min<long long>(n, len));
    Check(qinghe::TextLeft(text, n).view() == s.substr(0, keep));
    Check(qinghe::TextRight(text, n).view() == s.substr(s.size() - keep));
}

// A small alphabet makes separators, spaces, wide spaces and lead bytes in front
// of ASCII bytes common enough to matter.
constexpr char kAlphabet[16] = {'#',    '#',    'a',    'A',    'b',    ' ',  ' ', '\xA1',
                                '\xA1', '\x81', '\xB0', '\xFF', '\x80', '\t', 'z', '@'};

std::string Take(FuzzedDataProvider& in, std::size_t maxLength, bool small) {
    std::string s = in.ConsumeRandomLengthString(maxLength);
    if (small) {
        for (char& c : s)
            c = kAlphabet[static_cast<unsigned char>(c) % 16];
    }
    return s;
}

Text AsText(const std::string& raw) {
    const Text t(raw);
    Check(!HasZero(t) && t.view() == std::string_view(raw).substr(0, raw.find('\0')));
    return t;
}

int TakePosition(FuzzedDataProvider& in, bool wide, std::size_t size) {
    if (wide)
        return in.ConsumeIntegral<int>();
    return in.ConsumeIntegralInRange<int>(-2, static_cast<int>(size) + 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const auto flags = in.ConsumeIntegral<std::uint8_t>();
    const bool smallText = (flags & 0x01) == 0;
    const bool smallArgs = (flags & 0x02) == 0;
    const bool ignoreCase = (flags & 0x04) != 0;
    const bool caseSensitive = (flags & 0x08) != 0;
    const bool wide = (flags & 0x10) != 0;
    const bool hasCount = (flags & 0x20) != 0;

    const Text text = AsText(Take(in, 4096, smallText));
    const Text sub = AsText(Take(in, 8, smallArgs));
    const Text replacement = AsText(Take(in, 8, smallArgs));
    const int start = TakePosition(in, wide, text.size());
    std::optional<int> count;
    if (hasCount)
        count = wide ? in.ConsumeIntegral<int>() : in.ConsumeIntegralInRange<int>(-1, 6);
    const int cutLength = TakePosition(in, wide, text.size());

    CheckFindAll(text, sub, start, ignoreCase);
    CheckFindAll(text, sub, 1, !ignoreCase);
    CheckReplace(text, sub, replacement, start, count, caseSensitive);
    CheckReplace(text, sub, replacement, 1, std::nullopt, !caseSensitive);
    CheckReplaceBySelf(text, sub);
    CheckSplit(text, sub, replacement);
    CheckSplit(text, Text("##"), replacement);
    CheckTrim(text);
    CheckTrim(sub);
    CheckCase(text);
    CheckCutting(text, start, cutLength);
    return 0;
}
