// UTF-8 to code page 936 done the plain way, with ICU's converters and
// normaliser and nothing of our own tables: the reference the table-driven
// conversion must equal byte for byte.
#pragma once

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <string>
#include <string_view>
#include <vector>

namespace qinghe::testing {

class IcuReference {
public:
    IcuReference() {
        UErrorCode status = U_ZERO_ERROR;
        m_utf8 = ucnv_open("UTF-8", &status);
        m_gbk = ucnv_open("windows-936-2000", &status);
        ucnv_setFromUCallBack(m_gbk, &QuestionMarkForEveryMissing, nullptr, nullptr, nullptr,
                              &status);
        m_gbkStrict = ucnv_open("windows-936-2000", &status);
        ucnv_setFromUCallBack(m_gbkStrict, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                              &status);
        m_nfc = unorm2_getNFCInstance(&status);
    }
    ~IcuReference() {
        ucnv_close(m_utf8);
        ucnv_close(m_gbk);
        ucnv_close(m_gbkStrict);
    }
    IcuReference(const IcuReference&) = delete;
    IcuReference& operator=(const IcuReference&) = delete;

    std::u16string Utf8ToUtf16(std::string_view utf8) { return ToUnicode(m_utf8, utf8); }
    std::u16string GbkToUtf16(std::string_view gbk) { return ToUnicode(m_gbk, gbk); }

    // Decode, compose base + mark pairs where 936 has the composite, encode with
    // "?" for what 936 lacks, cut at the first zero byte.
    std::string Utf8ToAnsi(std::string_view utf8) {
        const std::u16string units = Utf8ToUtf16(utf8);
        std::vector<UChar32> chars;
        for (std::size_t i = 0; i < units.size();) {
            UChar32 c;
            U16_NEXT(units.data(), i, units.size(), c);
            if (!chars.empty() && u_getIntPropertyValue(c, UCHAR_NFC_QUICK_CHECK) == UNORM_MAYBE) {
                const UChar32 composed = unorm2_composePair(m_nfc, chars.back(), c);
                if (composed > 0 && InGbk(composed)) {
                    chars.back() = composed;
                    continue;
                }
            }
            chars.push_back(c);
        }
        std::u16string composed;
        for (UChar32 c : chars) {
            UChar buf[2];
            int32_t n = 0;
            U16_APPEND_UNSAFE(buf, n, c);
            composed.append(reinterpret_cast<char16_t*>(buf), static_cast<std::size_t>(n));
        }
        std::string out(composed.size() * 2 + 1, '\0');
        UErrorCode status = U_ZERO_ERROR;
        const int32_t n = ucnv_fromUChars(m_gbk, out.data(), static_cast<int32_t>(out.size()),
                                          reinterpret_cast<const UChar*>(composed.data()),
                                          static_cast<int32_t>(composed.size()), &status);
        out.resize(static_cast<std::size_t>(n));
        return out.substr(0, out.find('\0'));
    }

private:
    // ICU's own substitution silently drops default-ignorable characters
    // (U+00AD, U+034F, U+200B, U+FEFF, ...); code page 936 writes "?" for them
    // as for any other character it lacks.
    static void QuestionMarkForEveryMissing(const void*, UConverterFromUnicodeArgs* args,
                                            const UChar*, int32_t, UChar32,
                                            UConverterCallbackReason reason, UErrorCode* err) {
        if (reason <= UCNV_IRREGULAR) {
            *err = U_ZERO_ERROR;
            ucnv_cbFromUWriteSub(args, 0, err);
        }
    }

    std::u16string ToUnicode(UConverter* cnv, std::string_view bytes) {
        std::u16string out(bytes.size() * 2 + 2, u'\0');
        UErrorCode status = U_ZERO_ERROR;
        const int32_t n = ucnv_toUChars(cnv, reinterpret_cast<UChar*>(out.data()),
                                        static_cast<int32_t>(out.size()), bytes.data(),
                                        static_cast<int32_t>(bytes.size()), &status);
        out.resize(static_cast<std::size_t>(n));
        return out;
    }

    bool InGbk(UChar32 c) {
        UChar buf[2];
        int32_t n = 0;
        U16_APPEND_UNSAFE(buf, n, c);
        char out[8];
        UErrorCode status = U_ZERO_ERROR;
        ucnv_fromUChars(m_gbkStrict, out, sizeof out, buf, n, &status);
        return U_SUCCESS(status);
    }

    UConverter* m_utf8 = nullptr;
    UConverter* m_gbk = nullptr;
    UConverter* m_gbkStrict = nullptr;
    const UNormalizer2* m_nfc = nullptr;
};

}  // namespace qinghe::testing
