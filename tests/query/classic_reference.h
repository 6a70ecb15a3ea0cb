// The classic-layout parse done the plain way, for comparison with the parser:
// the block pattern over the whole page, then the span pattern over each block's
// own text. The parser takes shortcuts (it searches only the part of the page
// between the first <table and the last </table>, and finds the spans of all
// blocks in one search); on a classic page it must give what this gives.
#pragma once

#include "query/page_layout.h"
#include "query/result_page_parser.h"
#include "text/regex.h"
#include "text/text.h"

namespace qinghe::testing {

struct ClassicReference {
    TextArray positions;
    int blockCount = 0;
    bool hitLimit = false;  // a search stopped at the engine's bound: no verdict
};

inline ClassicReference ParseClassicPlainly(const Text& page, const Text& site) {
    ClassicReference result;
    RegexObject blocks;
    RegexObject spans;
    blocks.Search(kClassicBlockPattern, page);
    result.hitLimit = blocks.HitLimit();
    result.blockCount = blocks.MatchCount();
    for (int j = 1; j <= blocks.MatchCount(); ++j) {
        spans.Search(kClassicSpanPattern, blocks.MatchText(j));
        result.hitLimit = result.hitLimit || spans.HitLimit();
        for (int k = 1; k <= spans.MatchCount(); ++k) {
            const Text span = spans.MatchText(k);
            if (FindText(span, site, false) != -1 ||
                FindText(ReadableText(span.view()), site, false) != -1) {
                result.positions.Append(blocks.SubMatchText(j, 1));
                break;
            }
        }
    }
    return result;
}

}  // namespace qinghe::testing
