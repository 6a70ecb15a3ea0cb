// Code-page-936 texts from UTF-8 literals for the store tests, converted with the
// C library's iconv so that the expectations do not depend on the code under test.
#pragma once

#include <iconv.h>

#include <ostream>

#include <stdexcept>
#include <string>
#include <string_view>

#include "text/text.h"

namespace qinghe::testing {

inline std::string ConvertCharset(std::string_view input, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv_open failed");
    std::string out(input.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* dst = out.data();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1))
        throw std::runtime_error("iconv failed");
    out.resize(out.size() - outLeft);
    return out;
}

// The code-page-936 text of a UTF-8 literal: Gbk("添加网站成功！").
inline Text Gbk(std::string_view utf8) {
    return Text(ConvertCharset(utf8, "GBK", "UTF-8"));
}

// The UTF-8 spelling of a code-page-936 text, for file names on disk.
inline std::string Utf8(const Text& gbk) {
    return ConvertCharset(gbk.view(), "UTF-8", "GBK");
}

}  // namespace qinghe::testing

namespace qinghe {

// Test failures show texts as UTF-8 where they convert, as escapes otherwise.
inline void PrintTo(const Text& text, std::ostream* os) {
    try {
        *os << '"' << testing::Utf8(text) << '"';
    } catch (const std::exception&) {
        *os << '"';
        for (unsigned char c : text.str()) {
            if (c >= 0x20 && c < 0x7F) {
                *os << c;
            } else {
                static const char* kHex = "0123456789ABCDEF";
                *os << "\\x" << kHex[c >> 4] << kHex[c & 15];
            }
        }
        *os << '"';
    }
}

}  // namespace qinghe
