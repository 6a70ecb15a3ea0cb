#include "query/page_layout.h"

#include <array>
#include <string>

namespace qinghe {

namespace {

// A class attribute (either quote) whose value holds token as a whole word.
std::string ClassHoldsToken(std::string_view token) {
    std::string piece = R"re((?=[^<>]*\sclass=["'](?:[^"'<>]*\s)?)re";
    piece += token;
    piece += R"re((?:\s[^"'<>]*)?["']))re";
    return piece;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool IsNameChar(char c) {
    return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '-';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// True when the element name at offset at is exactly name, in any letter case.
bool NameAt(std::string_view markup, std::size_t at, std::string_view name) {
    if (at > markup.size() || markup.size() - at < name.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (AsciiLower(markup[at + i]) != AsciiLower(name[i])) {
            return false;
        }
    }
    std::size_t after = at + name.size();
    return after == markup.size() || !IsNameChar(markup[after]);
}

// Offset just after the '>' that ends the tag opened at start, or the end of the
// markup. A '>' inside a quoted attribute value does not end the tag.
std::size_t TagEnd(std::string_view markup, std::size_t start) {
    std::size_t i = start + 1;
    while (i < markup.size()) {
        char c = markup[i];
        if (c == '>') {
            return i + 1;
        }
        ++i;
        if (c == '=') {
            while (i < markup.size() && IsSpace(markup[i])) {
                ++i;
            }
            if (i < markup.size() && (markup[i] == '"' || markup[i] == '\'')) {
                std::size_t close = markup.find(markup[i], i + 1);
                if (close == std::string_view::npos) {
                    return markup.size();
                }
                i = close + 1;
            }
        }
    }
    return markup.size();
}

}  // namespace

const Text kContainerBlockPattern = [] {
    std::string p = R"re(<div(?=\s))re";
    p += ClassHoldsToken("c-container");
    p += R"re((?=[^<>]*\sid="([^"<>]*)"))re";
    p += R"re((?=(?:[^<>]*\smu="([^"<>]*)")?))re";
    p += R"re([^<>]*>)re";
    return Text(std::move(p));
}();

Text ElementWithClassPattern(std::string_view tagNames, std::string_view classToken) {
    std::string p = "<(";
    p += tagNames;
    p += R"re()(?=\s))re";
    p += ClassHoldsToken(classToken);
    p += "[^<>]*>";
    return Text(std::move(p));
}

std::span<const UrlElementRule> UrlElementRules() {
    static const std::array<UrlElementRule, 2> rules = {{
        // 2015: <span class="g">dict.cn/<b>number</b>&nbsp;2009-01-07&nbsp;</span>
        {"span class g (2015)", ElementWithClassPattern("span", "g")},
        // 2016-2021: <a ... class="c-showurl c-color-gray" ...>www.<b>hello</b>.com/</a>,
        // <span class="c-showurl">baike.baidu.com/</span>, or a div around such a span.
        {"class c-showurl (2016-2021)", ElementWithClassPattern("a|span|div", "c-showurl")},
    }};
    return rules;
}

const Text& UrlElementsPattern() {
    static const Text pattern = [] {
        Text joined;
        for (const UrlElementRule& rule : UrlElementRules()) {
            joined += joined.empty() ? Text() : Text("|");
            joined += rule.openingTag;
        }
        return joined;
    }();
    return pattern;
}

Text ReadableText(std::string_view markup) {
    std::string out;
    out.reserve(markup.size());
    std::size_t i = 0;
    const std::size_t n = markup.size();
    while (i < n) {
        char c = markup[i];
        if (c == '<' && markup.compare(i, 4, "<!--") == 0) {
            std::size_t close = markup.find("-->", i + 4);
            i = close == std::string_view::npos ? n : close + 3;
            continue;
        }
        if (c == '<' && i + 1 < n &&
            (IsAsciiLetter(markup[i + 1]) || markup[i + 1] == '/' || markup[i + 1] == '!' ||
             markup[i + 1] == '?')) {
            std::size_t end = TagEnd(markup, i);
            // What a style or script element holds is not shown.
            for (std::string_view hidden :
                 {std::string_view("style"), std::string_view("script")}) {
                if (NameAt(markup, i + 1, hidden)) {
                    std::size_t close = FindClosingTag(markup, end, hidden);
                    end = close == std::string_view::npos ? n : TagEnd(markup, close);
                    break;
                }
            }
            i = end;
            continue;
        }
        if (c == '&' && markup.compare(i, 6, "&nbsp;") == 0) {
            out += ' ';
            i += 6;
            continue;
        }
        std::size_t len = (static_cast<unsigned char>(c) >= 0x80 && i + 1 < n) ? 2 : 1;
        out.append(markup, i, len);
        i += len;
    }
    return Text(std::move(out));
}

Text UrlHost(std::string_view url) {
    std::size_t start = 0;
    std::size_t scheme = url.find("://");
    if (scheme != std::string_view::npos && scheme > 0 &&
        url.find_first_not_of(
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.") == scheme) {
        start = scheme + 3;
    }
    std::size_t end = url.find_first_of("/?#:\\", start);
    return Text(url.substr(start, end == std::string_view::npos ? url.npos : end - start));
}

std::size_t FindClosingTag(std::string_view markup, std::size_t from, std::string_view name) {
    while (from < markup.size()) {
        std::size_t at = markup.find("</", from);
        if (at == std::string_view::npos) {
            return at;
        }
        if (NameAt(markup, at + 2, name)) {
            return at;
        }
        from = at + 2;
    }
    return std::string_view::npos;
}

}  // namespace qinghe
