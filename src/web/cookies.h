// Cookie texts ("a=1; b=2" and its variants) and the process-wide cookie store,
// addressed by "http://" + the site's last two domain labels.
#pragma once

#include <cstddef>

#include "text/text.h"

namespace qinghe {

// A store read fills a buffer of this many bytes, its terminating zero included;
// a longer cookie text is not read at all.
constexpr std::size_t kCookieReadBufferBytes = 1024;
// MergeCookies leaves out a piece that would take its result past this size.
constexpr std::size_t kMaxCookieTextBytes = 16 * 1024;

// Lower-case host of a URL without scheme, path and port; with reduce, only its
// last two dot-separated labels.
Text UrlHost(const Text& url, bool reduce);
Text CookieDomain(const Text& url);

// "name=value" pairs stored for the domain joined by "; ", or empty (also when
// the text would not fit the 1024-byte read buffer).
Text ReadStoreCookies(const Text& domain);
// Sets every name=value piece of the text (split at ";") for the domain; a set
// cookie replaces the one of the same name. Names are kept without surrounding
// blanks; a piece with an empty name or a line break, or over 4096 bytes, is
// not kept. At most 50 cookies per domain and 1000 domains, the oldest dropped.
void WriteStoreCookies(const Text& domain, const Text& cookieText);
// Empties the store (for tests).
void ClearCookieStore();

// Merges newer into older, later values winning; older receives the result and
// newer its normalised form. Returns the result.
Text MergeCookies(Text& older, Text& newer);
// The name=value pairs of the response's Set-Cookie lines.
Text CollectSetCookies(const TextArray& lines);
// The part of text between startMark and endMark (case ignored); "#引号" in a
// mark stands for a double quote.
Text TextBetween(const Text& text, const Text& startMark, const Text& endMark);

}  // namespace qinghe
