// Reading one search result page: which result blocks it holds, at which
// positions the site's address stands in their displayed URLs, and whether the
// page is the search engine's verification page rather than a result page.
#pragma once

#include "text/regex.h"
#include "text/text.h"

namespace qinghe {

// The block and span patterns of the classic layout (one table per result).
extern const Text kClassicBlockPattern;  // <table.*?id="(.*?)"[\s\S]*?</table>
extern const Text kClassicSpanPattern;   // <span class=.g.>.*?</span>

struct ParsedPage {
    // Position texts (the blocks' ids, verbatim), one per block in which the site
    // stands, in page order.
    TextArray positions;
    // Result blocks found on the page, whatever their content.
    int blockCount = 0;
    // Highest numeric block id seen on the page; 0 when there is none. Ids above
    // 1000 (Baidu's ad blocks, numbered from 3001) do not count.
    int highestPosition = 0;
};

// The positions of the site on the page. blockMatcher and spanMatcher are the
// query's two regex objects (the block matches must stay readable while the
// spans of a block are searched).
ParsedPage ParseResultPage(const Text& pageText, const Text& siteAddress, RegexObject& blockMatcher,
                           RegexObject& spanMatcher);

// Only the position texts of ParseResultPage.
TextArray ResultPageParser(const Text& pageText, const Text& siteAddress, RegexObject& blockMatcher,
                           RegexObject& spanMatcher);

// True for the verification page served instead of results (its text holds
// "百度安全验证").
bool IsVerificationPage(const Text& pageText);

}  // namespace qinghe
