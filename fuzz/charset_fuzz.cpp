// Any bytes into Utf8ToAnsi: never fails, no zero byte, at most as long as the
// input, the same as its two steps and as plain ICU. And a valid code-page-936
// text made from the same bytes survives AnsiToUtf8 and back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "charset_icu_reference.h"
#include "text/charset.h"

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

// Every input byte pair chooses a character: ASCII (no zero), one of the two
// one-byte characters above 0x7F, or a two-byte character.
std::string ValidGbk(const std::uint8_t* data, std::size_t size) {
    std::string out;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const std::uint8_t a = data[i], b = data[i + 1];
        if (a < 0x80) {
            out += static_cast<char>(a == 0 ? 'z' : a);
        } else if (a == 0x80 || a == 0xFF) {
            out += static_cast<char>(a);
        } else {
            // Trail bytes are 0x40-0xFE without 0x7F; a low byte is lifted into
            // that range first, so 0x3F becomes 0x7F and is moved on as well.
            const int trail = b < 0x40 ? b + 0x40 : b;
            out += static_cast<char>(a);
            out += static_cast<char>(trail == 0x7F || trail == 0xFF ? 0x80 : trail);
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static qinghe::testing::IcuReference icu;
    const qinghe::Bytes bytes(data, size);
    const qinghe::Text ansi = qinghe::Utf8ToAnsi(bytes);
    Check(ansi.str().find('\0') == std::string::npos);
    Check(ansi.size() <= size);
    Check(ansi == qinghe::Utf16ToGbk(qinghe::Utf8ToUtf16(bytes)));
    Check(ansi.str() == icu.Utf8ToAnsi(bytes.view()));

    const qinghe::Text gbk(ValidGbk(data, size));
    const qinghe::Text utf8 = qinghe::AnsiToUtf8(gbk);
    Check(qinghe::Utf8ToAnsi(qinghe::TextToBytes(utf8)) == gbk);
    return 0;
}
