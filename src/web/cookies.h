// Cookie texts ("a=1; b=2" and its variants) and the process-wide cookie store,
// addressed by "http://" + the site's last two domain labels.
#pragma once

#include "text/text.h"

namespace qinghe {

// Lower-case host of a URL without scheme, path and port; with reduce, only its
// last two dot-separated labels.
Text UrlHost(const Text& url, bool reduce);
Text CookieDomain(const Text& url);

// "name=value" pairs stored for the domain joined by "; ", or empty (also when
// the text would not fit the 1024-byte read buffer).
Text ReadStoreCookies(const Text& domain);
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
