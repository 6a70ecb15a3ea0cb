// Lookup tables and character decoders shared by the charset conversion and the
// regex object. The tables are read out of ICU's code page 936 converter once, so
// the fast paths give exactly what ICU gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace qinghe::charset_detail {

constexpr char32_t kReplacement = 0xFFFD;

struct Tables {
    // BMP code point to its code-page-936 form: 0 when 936 lacks it, a value up to
    // 0xFF for a one-byte form, otherwise lead byte << 8 | trail byte.
    std::uint16_t toGbk[0x10000];
    // Code points that may combine with the character before them (NFC quick
    // check "maybe"); only after one of these is a composition tried.
    std::uint64_t combinesBackward[0x10000 / 64];
    // Two-byte characters: [lead - 0x81][trail], 0 for a trail the lead does not take.
    char16_t fromGbk[0xFE - 0x81 + 1][256];
    // One-byte characters 0x80..0xFF: their code point, 0 for a lead byte.
    char16_t fromGbkSingle[0x80];

    bool CombinesBackward(char32_t c) const {
        return c < 0x10000 && (combinesBackward[c >> 6] >> (c & 63) & 1) != 0;
    }
};

// Built on first use; thread-safe.
const Tables& GetTables();

// The precomposed form of base followed by mark, when code page 936 holds one;
// otherwise 0.
char32_t ComposeIn936(char32_t base, char32_t mark);

// Decodes one UTF-8 character at p (p < end) and moves p past it. An ill-formed
// sequence gives one U+FFFD for each maximal subpart (the bytes that start a
// well-formed sequence but do not finish one, or a single bad byte), the same
// as ICU's converter.
inline char32_t DecodeUtf8(const std::uint8_t*& p, const std::uint8_t* end) {
    const std::uint8_t b0 = *p++;
    if (b0 < 0x80)
        return b0;
    int more;
    char32_t c;
    std::uint8_t lo = 0x80, hi = 0xBF;  // range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        more = 1;
        c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        more = 2;
        c = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0;  // no overlong forms
        if (b0 == 0xED)
            hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        more = 3;
        c = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        if (b0 == 0xF4)
            hi = 0x8F;  // nothing above U+10FFFF
    } else {
        return kReplacement;
    }
    if (p == end || *p < lo || *p > hi)
        return kReplacement;
    c = c << 6 | (*p++ & 0x3F);
    while (--more > 0) {
        if (p == end || (*p & 0xC0) != 0x80)
            return kReplacement;
        c = c << 6 | (*p++ & 0x3F);
    }
    return c;
}

// Decodes one code-page-936 character at p (p < end) and moves p past it, as
// ICU's converter does: a lead byte whose next byte is no valid trail gives
// U+FFFD alone and the next byte is read on its own.
inline char32_t DecodeGbk(const Tables& t, const std::uint8_t*& p, const std::uint8_t* end) {
    const std::uint8_t b0 = *p++;
    if (b0 < 0x80)
        return b0;
    if (const char16_t single = t.fromGbkSingle[b0 - 0x80])
        return single;
    if (p != end) {
        if (const char16_t c = t.fromGbk[b0 - 0x81][*p]) {
            ++p;
            return c;
        }
    }
    return kReplacement;
}

// Appends c as UTF-8 at out, returns the number of bytes (1 to 4). A surrogate
// code point is written as U+FFFD.
inline std::size_t EncodeUtf8(char32_t c, char* out) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | c >> 6);
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c >= 0xD800 && c <= 0xDFFF)
        c = kReplacement;
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | c >> 12);
        out[1] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | c >> 18);
    out[1] = static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out[2] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

// The end of the run of ASCII bytes that starts at p: eight bytes at a time
// while no high bit is set, then byte by byte.
inline const std::uint8_t* SkipAscii(const std::uint8_t* p, const std::uint8_t* end) {
    std::uint64_t word;
    while (end - p >= 8) {
        std::memcpy(&word, p, 8);
        if ((word & 0x8080808080808080ULL) != 0)
            break;
        p += 8;
    }
    while (p < end && *p < 0x80)
        ++p;
    return p;
}

}  // namespace qinghe::charset_detail
