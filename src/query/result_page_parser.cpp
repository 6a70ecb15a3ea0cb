#include "query/result_page_parser.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "query/page_layout.h"

namespace qinghe {

const Text kClassicBlockPattern = R"re(<table.*?id="(.*?)"[\s\S]*?</table>)re";
const Text kClassicSpanPattern = "<span class=.g.>.*?</span>";

namespace {

// Baidu numbers its ad blocks from 3001 on and serves no result beyond about
// 800; a larger id says nothing about how far the results reach.
constexpr int kHighestResultPosition = 1000;

// "百度安全验证" in code page 936.
const Text kVerificationTitle = "\xB0\xD9\xB6\xC8\xB0\xB2\xC8\xAB\xD1\xE9\xD6\xA4";

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool EqualsIgnoreCaseAt(std::string_view text, std::size_t at, std::string_view lowerWord) {
    for (std::size_t i = 0; i < lowerWord.size(); ++i) {
        if (AsciiLower(text[at + i]) != lowerWord[i]) {
            return false;
        }
    }
    return true;
}

std::size_t FindIgnoreCase(std::string_view text, std::string_view lowerWord) {
    for (std::size_t at = text.find('<'); at != text.npos; at = text.find('<', at + 1)) {
        if (text.size() - at >= lowerWord.size() && EqualsIgnoreCaseAt(text, at, lowerWord)) {
            return at;
        }
    }
    return text.npos;
}

std::size_t FindLastIgnoreCase(std::string_view text, std::string_view lowerWord) {
    if (text.size() < lowerWord.size()) {
        return text.npos;
    }
    for (std::size_t at = text.rfind('<', text.size() - lowerWord.size()); at != text.npos;
         at = at == 0 ? text.npos : text.rfind('<', at - 1)) {
        if (EqualsIgnoreCaseAt(text, at, lowerWord)) {
            return at;
        }
    }
    return text.npos;
}

// Whether text holds c-container in any letter case. Only '-' is looked for
// with memchr: it is rare in markup, where most letters are not.
bool ContainsContainerWord(std::string_view text) {
    constexpr std::string_view kWord = "container";
    for (std::size_t at = text.find('-', 1); at != text.npos; at = text.find('-', at + 1)) {
        if (AsciiLower(text[at - 1]) == 'c' && text.size() - at - 1 >= kWord.size() &&
            EqualsIgnoreCaseAt(text, at + 1, kWord)) {
            return true;
        }
    }
    return false;
}

// The part of text from the first opening word to the end of the last closing
// word, both ASCII and starting with '<'. Every match of a pattern that begins
// with the one and ends with the other lies inside it, so searching only that
// part gives the same matches, and spares the engine the attempts that would scan
// an unclosed tail to its end in vain (a page of unclosed tables).
std::string_view Framed(std::string_view text, std::string_view opening, std::string_view closing) {
    std::size_t first = FindIgnoreCase(text, opening);
    std::size_t last = FindLastIgnoreCase(text, closing);
    if (first == text.npos || last == text.npos || last < first) {
        return {};
    }
    return text.substr(first, last + closing.size() - first);
}

void NoteBlockId(const Text& id, ParsedPage& page) {
    if (id.empty() || id.size() > 4 || !std::all_of(id.view().begin(), id.view().end(), [](char c) {
            return c >= '0' && c <= '9';
        })) {
        return;
    }
    int value = 0;
    for (char c : id.view()) {
        value = value * 10 + (c - '0');
    }
    if (value <= kHighestResultPosition) {
        page.highestPosition = std::max(page.highestPosition, value);
    }
}

bool ShowsAddress(const Text& shown, const Text& siteAddress) {
    return FindText(shown, siteAddress, false) != -1;
}

// Classic layout: a green span shows the site when its text holds the address
// either as the page writes it or as a person reads it (Baidu bolds the searched
// words inside the URL: www.<b>mozilla</b>.org).
bool SpanShowsSite(const Text& span, const Text& siteAddress) {
    return ShowsAddress(span, siteAddress) || ShowsAddress(ReadableText(span.view()), siteAddress);
}

// The green spans of one block, searched in the block's own text.
bool BlockSearchShowsSite(const Text& block, const Text& siteAddress, RegexObject& spanMatcher) {
    std::string_view spans = Framed(block.view(), "<span", "</span>");
    if (spans.empty()) {
        return false;
    }
    spanMatcher.Search(kClassicSpanPattern, Text(spans));
    const int count = spanMatcher.MatchCount();
    for (int k = 1; k <= count; ++k) {
        if (SpanShowsSite(spanMatcher.MatchText(k), siteAddress)) {
            return true;
        }
    }
    return false;
}

struct Extent {
    std::size_t start = 0;
    std::size_t end = 0;
};

std::vector<Extent> MatchExtents(const RegexObject& matcher) {
    std::vector<Extent> extents(static_cast<std::size_t>(matcher.MatchCount()));
    for (std::size_t k = 0; k < extents.size(); ++k) {
        int position = 0;
        const std::size_t size = matcher.MatchText(static_cast<int>(k) + 1, &position).size();
        extents[k] = {static_cast<std::size_t>(position), static_cast<std::size_t>(position) + size};
    }
    return extents;
}

void ParseClassicBlocks(const Text& pageText, const Text& siteAddress, RegexObject& blockMatcher,
                        RegexObject& spanMatcher, ParsedPage& page) {
    std::string_view tables = Framed(pageText.view(), "<table", "</table>");
    if (tables.empty()) {
        return;
    }
    const Text region(tables);
    blockMatcher.Search(kClassicBlockPattern, region);
    page.blockCount = blockMatcher.MatchCount();
    if (page.blockCount == 0) {
        return;
    }
    // The spans of all blocks are found in one search of the same text, which
    // costs a fraction of a search per block. Within a block this finds exactly
    // what a search of the block's own text finds, unless a span match runs
    // across the block's start or end (a span left open before </table>): such a
    // block, or every block when the search stopped at the engine's bound, is
    // searched on its own.
    spanMatcher.Search(kClassicSpanPattern, region);
    const bool spansComplete = !spanMatcher.HitLimit();
    const std::vector<Extent> spans = MatchExtents(spanMatcher);
    std::vector<char> shows(static_cast<std::size_t>(page.blockCount), 0);
    std::vector<int> searchAlone;
    const std::vector<Extent> blocks = MatchExtents(blockMatcher);
    std::size_t s = 0;
    for (int j = 1; j <= page.blockCount; ++j) {
        const Extent& block = blocks[static_cast<std::size_t>(j - 1)];
        while (s < spans.size() && spans[s].end <= block.start) {
            ++s;
        }
        bool straddles = !spansComplete || (s < spans.size() && spans[s].start < block.start);
        // A span running past the end stays current: it may reach into the next
        // block too.
        for (; !straddles && s < spans.size() && spans[s].start < block.end; ++s) {
            if (spans[s].end > block.end) {
                straddles = true;
                break;
            }
            if (!shows[static_cast<std::size_t>(j - 1)]) {
                shows[static_cast<std::size_t>(j - 1)] = SpanShowsSite(
                    spanMatcher.MatchText(static_cast<int>(s) + 1), siteAddress);
            }
        }
        if (straddles) {
            searchAlone.push_back(j);
        }
    }
    // Searching a block alone replaces the spans' matches, so it comes last.
    for (int j : searchAlone) {
        shows[static_cast<std::size_t>(j - 1)] =
            BlockSearchShowsSite(blockMatcher.MatchText(j), siteAddress, spanMatcher);
    }
    for (int j = 1; j <= page.blockCount; ++j) {
        Text id = blockMatcher.SubMatchText(j, 1);
        NoteBlockId(id, page);
        if (shows[static_cast<std::size_t>(j - 1)]) {
            page.positions.Append(std::move(id));
        }
    }
}

struct ContainerBlock {
    std::size_t start = 0;  // offset of the opening tag in the page
    std::size_t end = 0;    // offset of the next block's opening tag, or the page's end
    Text id;
    bool showsSite = false;
};

struct UrlElement {
    std::size_t start = 0;         // offset of the opening tag in the page
    std::size_t contentStart = 0;  // offset after the opening tag
    Text name;
};

// The displayed-URL elements of every rule in the page from offset from on, in
// page order.
std::vector<UrlElement> FindUrlElements(std::string_view page, std::size_t from,
                                        RegexObject& spanMatcher) {
    spanMatcher.Search(UrlElementsPattern(), Text(page.substr(from)));
    const int count = spanMatcher.MatchCount();
    const int rules = static_cast<int>(UrlElementRules().size());
    std::vector<UrlElement> elements;
    elements.reserve(static_cast<std::size_t>(count));
    for (int k = 1; k <= count; ++k) {
        int position = 0;
        Text tag = spanMatcher.MatchText(k, &position);
        std::size_t start = from + static_cast<std::size_t>(std::max(position, 0));
        Text name;
        for (int rule = 1; rule <= rules && name.empty(); ++rule) {
            name = spanMatcher.SubMatchText(k, rule);
        }
        elements.push_back({start, start + tag.size(), std::move(name)});
    }
    return elements;
}

// Marks the blocks in which the elements show the site. An element's text runs
// to its closing tag but never past its block or into the next element (nested
// elements each get their own text), so every byte is read once.
void MarkBlocksShowingSite(const std::vector<UrlElement>& elements, std::string_view page,
                           const Text& siteAddress, std::vector<ContainerBlock>& blocks) {
    std::size_t b = 0;
    for (std::size_t e = 0; e < elements.size(); ++e) {
        const UrlElement& element = elements[e];
        while (b < blocks.size() && element.start >= blocks[b].end) {
            ++b;
        }
        if (b == blocks.size()) {
            return;
        }
        if (blocks[b].showsSite) {
            continue;
        }
        std::size_t limit = blocks[b].end;
        if (e + 1 < elements.size()) {
            limit = std::min(limit, elements[e + 1].start);
        }
        limit = std::max(limit, element.contentStart);
        std::size_t close =
            FindClosingTag(page.substr(0, limit), element.contentStart, element.name.view());
        std::size_t end = close == page.npos ? limit : close;
        Text shown = ReadableText(page.substr(element.contentStart, end - element.contentStart));
        blocks[b].showsSite = ShowsAddress(shown, siteAddress);
    }
}

// Newer layouts: false when the page holds no c-container block with an id.
bool ParseContainerBlocks(const Text& pageText, const Text& siteAddress, RegexObject& blockMatcher,
                          RegexObject& spanMatcher, ParsedPage& page) {
    // A page without the word needs no search (every classic page).
    if (!ContainsContainerWord(pageText.view())) {
        return false;
    }
    blockMatcher.Search(kContainerBlockPattern, pageText);
    const int count = blockMatcher.MatchCount();
    if (count == 0) {
        return false;
    }
    const std::string_view view = pageText.view();
    std::vector<ContainerBlock> blocks(static_cast<std::size_t>(count));
    for (int j = 1; j <= count; ++j) {
        ContainerBlock& block = blocks[static_cast<std::size_t>(j - 1)];
        int position = 0;
        blockMatcher.MatchText(j, &position);
        block.start = static_cast<std::size_t>(std::max(position, 0));
        block.id = blockMatcher.SubMatchText(j, 1);
        // Baidu's own cards name their source in the mu attribute.
        Text mu = blockMatcher.SubMatchText(j, 2);
        block.showsSite = !mu.empty() && ShowsAddress(UrlHost(mu.view()), siteAddress);
    }
    for (std::size_t j = 0; j < blocks.size(); ++j) {
        blocks[j].end = j + 1 < blocks.size() ? blocks[j + 1].start : view.size();
    }
    MarkBlocksShowingSite(FindUrlElements(view, blocks.front().start, spanMatcher), view,
                          siteAddress, blocks);
    page.blockCount = count;
    for (ContainerBlock& block : blocks) {
        NoteBlockId(block.id, page);
        if (block.showsSite) {
            page.positions.Append(std::move(block.id));
        }
    }
    return true;
}

}  // namespace

ParsedPage ParseResultPage(const Text& pageText, const Text& siteAddress, RegexObject& blockMatcher,
                           RegexObject& spanMatcher) {
    ParsedPage page;
    if (pageText.empty()) {
        return page;
    }
    // The newer layouts come first: their pages can still hold a layout table
    // with an id somewhere on its line, which the classic pattern takes for a
    // block.
    if (!ParseContainerBlocks(pageText, siteAddress, blockMatcher, spanMatcher, page)) {
        ParseClassicBlocks(pageText, siteAddress, blockMatcher, spanMatcher, page);
    }
    return page;
}

TextArray ResultPageParser(const Text& pageText, const Text& siteAddress, RegexObject& blockMatcher,
                           RegexObject& spanMatcher) {
    return ParseResultPage(pageText, siteAddress, blockMatcher, spanMatcher).positions;
}

bool IsVerificationPage(const Text& pageText) {
    return FindText(pageText, kVerificationTitle, false) != -1;
}

}  // namespace qinghe
