// The cycle of keyword changes that the crash test's helper program runs on each
// site: keywords 0..N-1 are added one by one, then deleted from the front one by
// one, and again. Every content a site file can hold is one state of the cycle.
#pragma once

#include <string>
#include <vector>

#include "text/text.h"

namespace qinghe::testing {

constexpr int kCycleKeywords = 12;
// States: 0..N are the first j keywords; N+1..2N-1 are keywords j-N..N-1.
constexpr int kCycleStates = 2 * kCycleKeywords;

// Sites of the crash test; the second one bears a two-byte name (GBK 站点二).
inline std::vector<Text> CycleSites() {
    return {"s1", "\xD5\xBE\xB5\xE3\xB6\xFE"};
}

// Keyword i: of varied length, from about 100 bytes to 1.6 KB, so that writes
// take long enough to be cut off at many points; it holds a two-byte word.
inline Text CycleKeyword(int i) {
    std::string keyword = "kw" + std::to_string(i) + "\xB9\xD8\xBC\xFC\xB4\xCA-";
    keyword.append(static_cast<std::size_t>(100 + (i * 7919) % 1500),
                   static_cast<char>('a' + i % 26));
    return Text(std::move(keyword));
}

// The content of a site file in a state of the cycle.
inline std::string CycleContent(int state) {
    const int first = state <= kCycleKeywords ? 0 : state - kCycleKeywords;
    const int end = state <= kCycleKeywords ? state : kCycleKeywords;
    std::string content;
    for (int i = first; i < end; ++i)
        content += CycleKeyword(i).str() + "##";
    return content;
}

}  // namespace qinghe::testing
