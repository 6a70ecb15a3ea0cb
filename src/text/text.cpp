#include "text/text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace qinghe {

namespace {

constexpr unsigned char kLeadMin = 0x80;

bool IsLead(unsigned char c) {
    return c >= kLeadMin;
}

unsigned char FoldByte(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

bool HasLetter(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
    });
}

bool EqualFolded(const unsigned char* a, const unsigned char* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (FoldByte(a[i]) != FoldByte(b[i]))
            return false;
    }
    return true;
}

std::size_t StartOffset(int start) {
    return start > 1 ? static_cast<std::size_t>(start - 1) : 0;
}

// Tells whether a byte offset is a character boundary as seen by a scan that steps
// characters from a known boundary onwards. Queries must come in increasing order;
// each one moves the known boundary forward, so a whole scan stays linear however
// many candidates the fast byte search proposes.
//
// Why the backward look suffices: a byte below 0x80 at offset x (x >= the known
// boundary) is either a one-byte character or the second byte of a pair, and in
// both cases x + 1 is a boundary. From there on, bytes of 0x80 or more pair up.
class BoundaryTracker {
public:
    BoundaryTracker(const unsigned char* s, std::size_t known) : m_s(s), m_known(known) {}

    bool Reached(std::size_t p) {
        std::size_t q = p;
        while (q > m_known && IsLead(m_s[q - 1]))
            --q;
        const bool reached = (p - q) % 2 == 0;
        m_known = reached ? p : p + 1;
        return reached;
    }
    void Restart(std::size_t boundary) { m_known = boundary; }

private:
    const unsigned char* m_s;
    std::size_t m_known;
};

// Finds occurrences of a pattern that begin on character boundaries, left to
// right. Candidates come from a byte search (memchr-based), then the boundary
// tracker rejects those that start on the second byte of a two-byte character.
class Matcher {
public:
    Matcher(std::string_view text, std::string_view sub, bool fold, std::size_t from)
        : m_text(text),
          m_sub(sub),
          m_fold(fold && HasLetter(sub)),
          m_tracker(reinterpret_cast<const unsigned char*>(text.data()), from) {
        if (m_fold && !m_sub.empty()) {
            const auto first = static_cast<unsigned char>(m_sub[0]);
            m_firstLower = static_cast<char>(FoldByte(first));
            m_firstUpper = m_firstLower >= 'a' && m_firstLower <= 'z'
                               ? static_cast<char>(m_firstLower - ('a' - 'A'))
                               : m_firstLower;
        }
    }

    // Offset of the first occurrence at or after `from` (itself a boundary of the
    // scan), or npos. `from` must not be less than an earlier match's end.
    std::size_t Next(std::size_t from) {
        m_tracker.Restart(from);
        while (true) {
            const std::size_t p = Candidate(from);
            if (p == std::string_view::npos)
                return p;
            if (m_tracker.Reached(p))
                return p;
            from = p + 1;
        }
    }

    // Whether a scan from `from` would step onto offset p (p >= from).
    bool Reaches(std::size_t from, std::size_t p) {
        m_tracker.Restart(from);
        return m_tracker.Reached(p);
    }

private:
    std::size_t Candidate(std::size_t from) {
        if (!m_fold)
            return m_text.find(m_sub, from);
        const std::size_t n = m_sub.size();
        const auto* s = reinterpret_cast<const unsigned char*>(m_text.data());
        const auto* sub = reinterpret_cast<const unsigned char*>(m_sub.data());
        while (from + n <= m_text.size()) {
            const std::size_t p = FindFirstByte(from, m_text.size() - n + 1);
            if (p == std::string_view::npos)
                return p;
            if (EqualFolded(s + p, sub, n))
                return p;
            from = p + 1;
        }
        return std::string_view::npos;
    }

    // First offset at or after `from` (up to the last one where the pattern
    // fits) holding the pattern's first byte in either case. The next position
    // of each case is remembered, so a case that is rare is not searched for
    // again and again across the whole text.
    std::size_t FindFirstByte(std::size_t from, std::size_t end) {
        const std::size_t lower = NextOf(m_firstLower, m_nextLower, from, end);
        if (m_firstUpper == m_firstLower)
            return lower;
        const std::size_t upper = NextOf(m_firstUpper, m_nextUpper, from, end);
        return std::min(lower, upper);
    }

    std::size_t NextOf(char c, std::size_t& cache, std::size_t from, std::size_t end) const {
        if (cache != kUnknown && (cache == std::string_view::npos || cache >= from))
            return cache;
        const char* base = m_text.data();
        const void* hit = std::memchr(base + from, c, end - from);
        cache = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - base)
                    : std::string_view::npos;
        return cache;
    }

    static constexpr std::size_t kUnknown = std::string_view::npos - 1;

    std::string_view m_text;
    std::string_view m_sub;
    bool m_fold;
    char m_firstLower = 0;
    char m_firstUpper = 0;
    std::size_t m_nextLower = kUnknown;
    std::size_t m_nextUpper = kUnknown;
    BoundaryTracker m_tracker;
};

template <typename Convert>
Text MapSingleBytes(const Text& text, Convert convert) {
    std::string out(text.view());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (IsLead(c)) {
            ++i;  // the second byte of a pair is never converted
        } else {
            out[i] = static_cast<char>(convert(c));
        }
    }
    return Text(std::move(out));
}

}  // namespace

// ---- comparison, joining, length -------------------------------------------------

int CompareText(const Text& a, const Text& b) {
    const std::size_t n = std::min(a.size(), b.size());
    const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (c != 0)
        return c < 0 ? -1 : 1;
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

int TextLength(const Text& t) {
    return static_cast<int>(t.size());
}
int BytesLength(const Bytes& b) {
    return static_cast<int>(b.size());
}

// ---- searching, replacing, splitting, trimming ------------------------------------

int FindText(const Text& text, const Text& sub, int start, bool ignoreCase) {
    const std::size_t from = StartOffset(start);
    if (from >= text.size())
        return -1;
    if (sub.empty())
        return 1;
    Matcher matcher(text.view(), sub.view(), ignoreCase, from);
    const std::size_t p = matcher.Next(from);
    return p == std::string_view::npos ? -1 : static_cast<int>(p + 1);
}

Text ReplaceText(const Text& text, const Text& find, const Text& replacement, int start,
                 std::optional<int> count, bool caseSensitive) {
    const std::size_t from = StartOffset(start);
    if (text.empty() || find.empty() || count == 0 || from >= text.size())
        return text;

    const std::string_view s = text.view();
    const std::size_t n = find.size();
    Matcher matcher(s, find.view(), !caseSensitive, from);
    std::string out;
    out.reserve(s.size());
    out.append(s.substr(0, from));

    // A negative count is never reached, so it replaces every occurrence.
    int made = 0;
    std::size_t pos = from;
    while (true) {
        const std::size_t p = matcher.Next(pos);
        if (p == std::string_view::npos) {
            // The scan steps onto the last byte only for a one-byte pattern; a
            // lead byte there has no second byte and is dropped.
            const std::size_t last = s.size() - 1;
            if (n == 1 && pos <= last && IsLead(static_cast<unsigned char>(s[last])) &&
                matcher.Reaches(pos, last)) {
                out.append(s.substr(pos, last - pos));
                pos = s.size();
            }
            break;
        }
        out.append(s.substr(pos, p - pos));
        out.append(replacement.view());
        pos = p + n;
        if (count && ++made == *count)
            break;
    }
    out.append(s.substr(pos));
    return Text(std::move(out));
}

TextArray SplitText(const Text& text, const Text& separator) {
    TextArray result;
    if (text.empty())
        return result;
    if (separator.empty()) {
        result.Append(text);
        return result;
    }
    const std::string_view s = text.view();
    Matcher matcher(s, separator.view(), false, 0);
    std::size_t pieceStart = 0;
    while (true) {
        const std::size_t p = matcher.Next(pieceStart);
        if (p == std::string_view::npos)
            break;
        result.Append(Text(s.substr(pieceStart, p - pieceStart)));
        pieceStart = p + separator.size();
    }
    if (pieceStart < s.size())
        result.Append(Text(s.substr(pieceStart)));
    return result;
}

Text TrimSpaces(const Text& text) {
    const std::size_t len = text.size();
    auto isWideSpace = [&](std::size_t i) {
        return i + 1 < len && text.byte(i) == 0xA1 && text.byte(i + 1) == 0xA1;
    };

    std::size_t begin = 0;
    while (begin < len) {
        if (text.byte(begin) == ' ') {
            ++begin;
        } else if (isWideSpace(begin)) {
            begin += 2;
        } else {
            break;
        }
    }

    std::size_t end = begin;
    std::size_t i = begin;
    while (i < len) {
        const unsigned char c = text.byte(i);
        if (!IsLead(c)) {
            if (c != ' ')
                end = i + 1;
            ++i;
        } else if (i + 1 == len) {
            // A lone lead byte at the very end is cut off together with nothing
            // else: the spaces in front of it stay.
            end = i;
            break;
        } else {
            if (!isWideSpace(i))
                end = i + 2;
            i += 2;
        }
    }
    return Text(text.view().substr(begin, end - begin));
}

// ---- case and cutting ---------------------------------------------------------------

Text ToUpper(const Text& text) {
    return MapSingleBytes(text, [](unsigned char c) {
        return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
    });
}

Text ToLower(const Text& text) {
    return MapSingleBytes(text, FoldByte);
}

Text TextLeft(const Text& text, int n) {
    if (n <= 0)
        return Text();
    return Text(text.view().substr(0, static_cast<std::size_t>(n)));
}

Text TextRight(const Text& text, int n) {
    if (n <= 0)
        return Text();
    const std::size_t keep = std::min(static_cast<std::size_t>(n), text.size());
    return Text(text.view().substr(text.size() - keep));
}

Text TextMid(const Text& text, int start, int n) {
    if (start < 1 || n <= 0 || static_cast<std::size_t>(start) > text.size())
        return Text();
    return Text(
        text.view().substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(n)));
}

// ---- conversions --------------------------------------------------------------------

Text CharFromCode(int code) {
    if (code <= 0 || code > 255)
        return Text();
    return Text(std::string(1, static_cast<char>(code)));
}

Text HexText(std::int32_t value) {
    std::array<char, 16> buf{};
    std::snprintf(buf.data(), buf.size(), "%X",
                  static_cast<unsigned>(static_cast<std::uint32_t>(value)));
    return Text(buf.data());
}

Text NumberToText(int value) {
    return Text(std::to_string(value));
}

Text NumberToText(double value) {
    std::array<char, 64> buf{};
    std::snprintf(buf.data(), buf.size(), "%.13g", value);
    return Text(buf.data());
}

Bytes TextToBytes(const Text& text) {
    return Bytes(text.view());
}

Text BytesToText(const Bytes& bytes) {
    return Text(bytes.view());
}

Text BlankText(int n) {
    if (n < 1)
        return Text();
    return Text(std::string(static_cast<std::size_t>(n), ' '));
}

Bytes BlankBytes(int n) {
    if (n <= 0)
        return Bytes();
    return Bytes(std::vector<std::uint8_t>(static_cast<std::size_t>(n), 0));
}

}  // namespace qinghe
