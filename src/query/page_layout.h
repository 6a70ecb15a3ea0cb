// How the generations of Baidu result pages mark their result blocks and the
// displayed URL of each result, and how that URL is read as a person reads it.
//
// Classic pages (up to about 2014) hold one <table id="N"> per result with the
// green URL in <span class="g">; the two patterns for them are in
// result_page_parser.h. Later pages hold one <div class="... c-container ..."
// id="N"> per result; the displayed URL moved from <span class="g"> (2015) to an
// element of class c-showurl (2016 on), and Baidu's own cards name their source in
// the mu attribute of the block. A new generation adds a pattern here and a row to
// the rule table; everything else is shared.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "text/text.h"

namespace qinghe {

// The opening tag of a result block of the newer layouts: a div whose class
// holds the token c-container and that carries an id attribute. Sub-match 1 is
// the id, sub-match 2 the mu attribute (empty when the tag has none). Attributes
// may stand on several lines; a tag that holds a '<' is not taken (no real block
// tag does, and it keeps every attempt within one tag).
extern const Text kContainerBlockPattern;

// One way of marking the displayed URL inside a block.
struct UrlElementRule {
    const char* generation;  // which pages use it, for readers and test names
    // Opening tag of the element; sub-match 1 is the tag name, and there is no
    // other group. The element's text runs to the first closing tag of that name.
    Text openingTag;
};

// The displayed-URL elements of the newer layouts.
std::span<const UrlElementRule> UrlElementRules();

// The rules' opening tags as one alternation, so that a page is searched once:
// sub-match i is the tag name when rule i matched, empty otherwise.
const Text& UrlElementsPattern();

// The pattern of an element's opening tag whose class holds the token
// classToken; tagNames is an alternation of element names (a regex piece) and
// becomes sub-match 1. Used by the rules above.
Text ElementWithClassPattern(std::string_view tagNames, std::string_view classToken);

// The text of a piece of markup as a person reads it: tags and comments
// removed, the content of style and script elements dropped, &nbsp; read as a
// space. Two-byte characters are stepped over whole.
Text ReadableText(std::string_view markup);

// The host of an address such as the mu attribute's: without scheme, port, path,
// query or fragment.
Text UrlHost(std::string_view url);

// 0-based offset of the first closing tag of element name (any letter case) at
// or after from, or npos.
std::size_t FindClosingTag(std::string_view markup, std::size_t from, std::string_view name);

}  // namespace qinghe
