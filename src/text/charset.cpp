#include "text/charset.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unorm2.h>

#include <cstring>
#include <memory>
#include <string>

#include "text/charset_tables.h"

namespace qinghe {

namespace charset_detail {

namespace {

constexpr const char* kGbkConverter = "windows-936-2000";

std::unique_ptr<Tables> BuildTables() {
    auto t = std::make_unique<Tables>();
    std::memset(t.get(), 0, sizeof(Tables));
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_NFC_QUICK_CHECK) == UNORM_MAYBE) {
            t->combinesBackward[c >> 6] |= std::uint64_t{1} << (c & 63);
        }
    }

    UErrorCode status = U_ZERO_ERROR;
    UConverter* cnv = ucnv_open(kGbkConverter, &status);
    // A stopping callback tells a real mapping from a substitution.
    ucnv_setFromUCallBack(cnv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setToUCallBack(cnv, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    if (U_FAILURE(status)) {
        // Without converter data only ASCII converts; the rest becomes "?" / U+FFFD.
        ucnv_close(cnv);
        for (char32_t c = 1; c < 0x80; ++c)
            t->toGbk[c] = static_cast<std::uint16_t>(c);
        return t;
    }

    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const UChar unit = static_cast<UChar>(c);
        char out[4];
        status = U_ZERO_ERROR;
        const int n = ucnv_fromUChars(cnv, out, sizeof out, &unit, 1, &status);
        if (U_FAILURE(status))
            continue;
        if (n == 1)
            t->toGbk[c] = static_cast<unsigned char>(out[0]);
        if (n == 2) {
            t->toGbk[c] = static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) << 8 |
                                                     static_cast<unsigned char>(out[1]));
        }
    }

    UChar units[4];
    for (int b = 0x80; b <= 0xFF; ++b) {
        const char in = static_cast<char>(b);
        status = U_ZERO_ERROR;
        if (ucnv_toUChars(cnv, units, 4, &in, 1, &status) == 1 && U_SUCCESS(status)) {
            t->fromGbkSingle[b - 0x80] = units[0];
        }
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        if (t->fromGbkSingle[lead - 0x80] != 0)
            continue;
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            status = U_ZERO_ERROR;
            if (ucnv_toUChars(cnv, units, 4, in, 2, &status) == 1 && U_SUCCESS(status)) {
                t->fromGbk[lead - 0x81][trail] = units[0];
            }
        }
    }
    ucnv_close(cnv);
    return t;
}

}  // namespace

const Tables& GetTables() {
    static const std::unique_ptr<Tables> tables = BuildTables();
    return *tables;
}

char32_t ComposeIn936(char32_t base, char32_t mark) {
    static const UNormalizer2* const nfc = [] {
        UErrorCode status = U_ZERO_ERROR;
        const UNormalizer2* n = unorm2_getNFCInstance(&status);
        return U_SUCCESS(status) ? n : nullptr;
    }();
    if (nfc == nullptr)
        return 0;
    const UChar32 composed =
        unorm2_composePair(nfc, static_cast<UChar32>(base), static_cast<UChar32>(mark));
    if (composed <= 0 || composed >= 0x10000)
        return 0;
    return GetTables().toGbk[composed] != 0 ? static_cast<char32_t>(composed) : 0;
}

}  // namespace charset_detail

namespace {

using charset_detail::Tables;

// Writes characters in code page 936 into a buffer the caller sized. With
// composing on, a base character followed by a mark is written as the
// precomposed character where code page 936 has one (pair by pair, so a second
// mark can compose with the first result).
class GbkWriter {
public:
    GbkWriter(const Tables& t, char* out, bool composing)
        : m_t(t), m_begin(out), m_out(out), m_composing(composing) {}

    void PutAscii(const std::uint8_t* p, std::size_t n) {
        std::memcpy(m_out, p, n);
        m_out += n;
        m_prev = p[n - 1];
        m_prevAt = m_out - 1;
    }

    void Put(char32_t c) {
        if (m_composing && m_prevAt != nullptr && m_t.CombinesBackward(c)) {
            if (const char32_t composed = charset_detail::ComposeIn936(m_prev, c)) {
                m_out = m_prevAt;
                PutMapped(composed);
                return;
            }
        }
        PutMapped(c);
    }

    // Writes the run of well-formed three-byte UTF-8 sequences at p (leads E1..EC
    // and EE..EF, which take any continuation bytes: the bulk of a Chinese text)
    // and returns where it ends. The same as Put for each character, in a loop
    // that keeps its state in locals: stores through char pointers would make the
    // compiler reload members on every character.
    const std::uint8_t* PutThreeByteRun(const std::uint8_t* p, const std::uint8_t* end) {
        const std::uint16_t* toGbk = m_t.toGbk;
        char* out = m_out;
        char* prevAt = m_prevAt;
        char32_t prev = m_prev;
        while (end - p >= 3 && p[0] >= 0xE1 && p[0] <= 0xEF && p[0] != 0xED &&
               (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
            const auto c =
                static_cast<char32_t>((p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
            p += 3;
            if (m_composing && prevAt != nullptr && m_t.CombinesBackward(c)) {
                m_out = out;
                m_prevAt = prevAt;
                m_prev = prev;
                Put(c);
                out = m_out;
                prevAt = m_prevAt;
                prev = m_prev;
                continue;
            }
            prev = c;
            prevAt = out;
            const std::uint16_t g = toGbk[c];
            if (g > 0xFF) {
                out[0] = static_cast<char>(g >> 8);
                out[1] = static_cast<char>(g & 0xFF);
                out += 2;
            } else {
                *out++ = g == 0 ? '?' : static_cast<char>(g);
            }
        }
        m_out = out;
        m_prevAt = prevAt;
        m_prev = prev;
        return p;
    }

    std::size_t size() const { return static_cast<std::size_t>(m_out - m_begin); }

private:
    void PutMapped(char32_t c) {
        m_prev = c;
        m_prevAt = m_out;
        const std::uint16_t g = c < 0x10000 ? m_t.toGbk[c] : 0;
        if (g == 0) {
            *m_out++ = '?';
        } else if (g <= 0xFF) {
            *m_out++ = static_cast<char>(g);
        } else {
            *m_out++ = static_cast<char>(g >> 8);
            *m_out++ = static_cast<char>(g & 0xFF);
        }
    }

    const Tables& m_t;
    char* m_begin;
    char* m_out;
    bool m_composing;
    char32_t m_prev = 0;
    char* m_prevAt = nullptr;  // where the previous character's bytes start
};

bool IsHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

void AppendUnits(Utf16& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        out.push_back(static_cast<char16_t>(0xD7C0 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
    }
}

// Units up to the first zero unit, surrogate pairs joined; a lone surrogate
// stays a surrogate code point.
template <typename F>
void ForEachCodePoint(const Utf16& units, F&& f) {
    for (std::size_t i = 0; i < units.size() && units[i] != 0; ++i) {
        char32_t c = units[i];
        if (IsHighSurrogate(units[i]) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        }
        f(c);
    }
}

std::size_t UnitsBeforeZero(const Utf16& units) {
    std::size_t n = 0;
    while (n < units.size() && units[n] != 0)
        ++n;
    return n;
}

Text EncodeGbk(const Utf16& units, bool composing) {
    std::string out(UnitsBeforeZero(units) * 2, '\0');
    if (out.empty())
        return {};
    GbkWriter writer(charset_detail::GetTables(), out.data(), composing);
    ForEachCodePoint(units, [&](char32_t c) { writer.Put(c); });
    out.resize(writer.size());
    return Text(std::move(out));
}

// Any other code page ICU knows, by its Windows name or its IBM name.
UConverter* OpenCodePage(int codePage) {
    for (const char* prefix : {"windows-", "ibm-"}) {
        UErrorCode status = U_ZERO_ERROR;
        UConverter* cnv = ucnv_open((prefix + std::to_string(codePage)).c_str(), &status);
        if (U_SUCCESS(status))
            return cnv;
        ucnv_close(cnv);
    }
    return nullptr;
}

}  // namespace

Utf16 Utf8ToUtf16(const Bytes& bytes) {
    Utf16 out;
    out.reserve(bytes.size());
    const std::uint8_t* p = bytes.data();
    const std::uint8_t* end = p + bytes.size();
    while (p < end)
        AppendUnits(out, charset_detail::DecodeUtf8(p, end));
    return out;
}

Text Utf16ToGbk(const Utf16& units) {
    return EncodeGbk(units, true);
}

Text Utf8ToAnsi(const Bytes& bytes) {
    // A U+0000 ends the text, and in UTF-8 only U+0000 holds a zero byte.
    // An empty Bytes has no buffer: memchr must not see its null pointer.
    if (bytes.empty())
        return {};
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    if (const void* zero = std::memchr(p, 0, n)) {
        n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - p);
    }
    if (n == 0)
        return {};
    const std::uint8_t* end = p + n;

    // Every character takes at least as many UTF-8 bytes as its 936 form.
    std::string out(n, '\0');
    GbkWriter writer(charset_detail::GetTables(), out.data(), true);
    while (p < end) {
        const std::uint8_t* run = p;
        p = charset_detail::SkipAscii(p, end);
        if (p != run) {
            writer.PutAscii(run, static_cast<std::size_t>(p - run));
            if (p == end)
                break;
        }
        p = writer.PutThreeByteRun(p, end);
        if (p < end && *p >= 0x80)
            writer.Put(charset_detail::DecodeUtf8(p, end));
    }
    out.resize(writer.size());
    return Text(std::move(out));
}

Utf16 CodePageToUtf16(const Text& text, int codePage) {
    Utf16 out;
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto* end = p + text.size();
    if (codePage == kCodePageGbk) {
        const Tables& t = charset_detail::GetTables();
        out.reserve(text.size() + 1);
        while (p < end)
            AppendUnits(out, charset_detail::DecodeGbk(t, p, end));
    } else if (codePage == kCodePageUtf8) {
        out.reserve(text.size() + 1);
        while (p < end)
            AppendUnits(out, charset_detail::DecodeUtf8(p, end));
    } else {
        UConverter* cnv = OpenCodePage(codePage);
        if (cnv == nullptr)
            return {};
        out.resize(text.size() * 2 + 2);
        UErrorCode status = U_ZERO_ERROR;
        const int n = ucnv_toUChars(cnv, reinterpret_cast<UChar*>(out.data()),
                                    static_cast<int32_t>(out.size()), text.data(),
                                    static_cast<int32_t>(text.size()), &status);
        ucnv_close(cnv);
        if (U_FAILURE(status))
            return {};
        out.resize(static_cast<std::size_t>(n));
    }
    out.push_back(0);
    return out;
}

Text Utf16ToCodePage(const Utf16& units, int codePage) {
    if (codePage == kCodePageGbk)
        return EncodeGbk(units, false);
    if (codePage == kCodePageUtf8) {
        std::string out;
        out.reserve(UnitsBeforeZero(units) * 3);
        char buf[4];
        ForEachCodePoint(units,
                         [&](char32_t c) { out.append(buf, charset_detail::EncodeUtf8(c, buf)); });
        return Text(std::move(out));
    }
    const std::size_t n = UnitsBeforeZero(units);
    if (n == 0)
        return {};
    UConverter* cnv = OpenCodePage(codePage);
    if (cnv == nullptr)
        return {};
    UErrorCode status = U_ZERO_ERROR;
    std::string out(n * static_cast<std::size_t>(ucnv_getMaxCharSize(cnv)) + 1, '\0');
    const int written = ucnv_fromUChars(cnv, out.data(), static_cast<int32_t>(out.size()),
                                        reinterpret_cast<const UChar*>(units.data()),
                                        static_cast<int32_t>(n), &status);
    ucnv_close(cnv);
    if (U_FAILURE(status))
        return {};
    out.resize(static_cast<std::size_t>(written));
    return Text(std::move(out));
}

Text AnsiToUtf8(const Text& text) {
    return Utf16ToCodePage(CodePageToUtf16(text, kCodePageGbk), kCodePageUtf8);
}

}  // namespace qinghe
