#include "query/search_request.h"

#include <string>

#include "text/charset.h"

namespace qinghe {
namespace {

// ASCII letters and digits and , - . / go out as they are when keepPlain asks.
bool IsPlainByte(std::uint8_t b) {
    return (b >= 0x2C && b <= 0x39) || (b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A);
}

}  // namespace

Text UrlEncode(const Text& text, bool keepPlain, bool asUtf8, Form* form) {
    const Bytes bytes = TextToBytes(asUtf8 ? AnsiToUtf8(text) : text);
    std::string encoded;
    encoded.reserve(bytes.size() * 3);
    for (const std::uint8_t b : bytes) {
        if (keepPlain && IsPlainByte(b)) {
            encoded += static_cast<char>(b);
        } else {
            const Text hex = HexText(b);
            encoded += '%';
            if (hex.size() == 1) {
                encoded += '0';
            }
            encoded += hex.str();
        }
        // The window stays responsive while a long keyword is encoded.
        if (form != nullptr) {
            form->ProcessEvents();
        }
    }
    return Text(std::move(encoded));
}

Text SearchRequest(const Text& host, const Text& keyword, int pageOffset, int inputT, Form* form) {
    return JoinText("http://", host, "/s?wd=", UrlEncode(keyword, true, false, form),
                    "&rsv_bp=0&rsv_spt=3&rsv_sug3=7&rsv_sug=0&rsv_sug4=312&rsv_sug1=6&pn=",
                    NumberToText(pageOffset), "&rn=100&inputT=", NumberToText(inputT));
}

}  // namespace qinghe
