// Any page text and site address into ParseResultPage: no crash, never more
// positions than blocks, the highest position within the block ids' range, and on
// a page of the classic layout what the patterns give applied plainly, block by
// block. The input's first line is the site address, the rest the page text
// (code page 936).
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "query/classic_reference.h"

#include "query/result_page_parser.h"
#include "text/regex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t newline = input.find('\n');
    std::string_view site = newline == input.npos ? std::string_view() : input.substr(0, newline);
    std::string_view page = newline == input.npos ? input : input.substr(newline + 1);

    qinghe::RegexObject blockMatcher;
    qinghe::RegexObject spanMatcher;
    qinghe::ParsedPage parsed =
        qinghe::ParseResultPage(qinghe::Text(page), qinghe::Text(site), blockMatcher, spanMatcher);
    if (parsed.positions.Count() > parsed.blockCount || parsed.highestPosition < 0 ||
        parsed.highestPosition > 1000 || (parsed.blockCount == 0 && parsed.highestPosition != 0)) {
        std::abort();
    }
    std::string lower(page);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.find("c-container") == std::string::npos) {
        const qinghe::testing::ClassicReference plain =
            qinghe::testing::ParseClassicPlainly(qinghe::Text(page), qinghe::Text(site));
        if (!plain.hitLimit &&
            (plain.positions != parsed.positions || plain.blockCount != parsed.blockCount)) {
            std::abort();
        }
    }
    qinghe::IsVerificationPage(qinghe::Text(page));
    return 0;
}
