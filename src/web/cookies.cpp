#include "web/cookies.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace qinghe {

namespace {

// "#引号" in code page 936: a stand-in for a double quote inside a mark.
const Text kQuoteWord("#\xD2\xFD\xBA\xC5");

// Cookie texts arrive from the network; the store stays bounded however many
// responses set cookies, evicting the oldest entry like a browser store does.
constexpr std::size_t kMaxCookieBytes = 4096;
constexpr std::size_t kMaxCookiesPerUrl = 50;
constexpr std::size_t kMaxStoreUrls = 1000;

struct StoredCookie {
    std::string name;
    std::string value;
};

class CookieStore {
public:
    static CookieStore& Instance() {
        static CookieStore store;
        return store;
    }

    void Set(const std::string& url, std::string name, std::string value) {
        std::lock_guard lock(m_mutex);
        auto it = m_cookies.find(url);
        if (it == m_cookies.end()) {
            if (m_urlOrder.size() >= kMaxStoreUrls) {
                m_cookies.erase(m_urlOrder.front());
                m_urlOrder.erase(m_urlOrder.begin());
            }
            it = m_cookies.emplace(url, std::vector<StoredCookie>()).first;
            m_urlOrder.push_back(url);
        }
        auto& list = it->second;
        const auto same = std::find_if(list.begin(), list.end(),
                                       [&](const StoredCookie& c) { return c.name == name; });
        if (same != list.end()) {
            same->value = std::move(value);
            return;
        }
        if (list.size() >= kMaxCookiesPerUrl)
            list.erase(list.begin());
        list.push_back({std::move(name), std::move(value)});
    }

    // The store's text for the URL, or empty when it has nothing or the text
    // does not fit a buffer of bufferSize bytes with its terminating zero.
    std::string Get(const std::string& url, std::size_t bufferSize) const {
        std::lock_guard lock(m_mutex);
        const auto it = m_cookies.find(url);
        if (it == m_cookies.end())
            return {};
        std::string text;
        for (const auto& c : it->second) {
            if (!text.empty())
                text += "; ";
            text += c.name;
            text += '=';
            text += c.value;
            if (text.size() >= bufferSize)
                return {};
        }
        return text;
    }

    void Clear() {
        std::lock_guard lock(m_mutex);
        m_cookies.clear();
        m_urlOrder.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::vector<StoredCookie>> m_cookies;
    std::vector<std::string> m_urlOrder;
};

Text StoreUrl(const Text& domain) {
    return JoinText("http://", domain);
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

std::string TrimBlanks(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

// Length that ReplaceText(text, find, replacement, all, case ignored) would give,
// counted with the same left-to-right scan, without building it.
std::size_t ReplacedLength(const Text& text, const Text& find, const Text& replacement) {
    if (find.empty())
        return text.size();
    std::size_t count = 0;
    int pos = FindText(text, find, 1, true);
    while (pos > 0) {
        ++count;
        pos = FindText(text, find, pos + TextLength(find), true);
    }
    return text.size() - count * find.size() + count * replacement.size();
}

void Normalise(Text& cookieText) {
    cookieText = TrimSpaces(cookieText);
    if (!cookieText.empty() && cookieText.byte(cookieText.size() - 1) != ';')
        cookieText += ";";
}

}  // namespace

Text UrlHost(const Text& url, bool reduce) {
    int start = 1;
    if (const int http = FindText(url, "http://", false); http > 0) {
        start = http + 7;
    } else if (const int https = FindText(url, "https://", false); https > 0) {
        start = https + 8;
    }
    Text host;
    if (const int slash = FindText(url, "/", start, false); slash > 0) {
        host = TextMid(url, start, slash - start);
    } else {
        host = TextMid(url, start, TextLength(url));
    }
    if (const int colon = FindText(host, ":", false); colon > 0)
        host = TextLeft(host, colon - 1);
    host = ToLower(host);
    if (reduce) {
        const TextArray labels = SplitText(host, ".");
        if (labels.Count() >= 2) {
            host = JoinText(labels.At(labels.Count() - 1), ".", labels.At(labels.Count()));
        }
    }
    return host;
}

Text CookieDomain(const Text& url) {
    return UrlHost(url, true);
}

Text ReadStoreCookies(const Text& domain) {
    // "http://" alone names no site: nothing is kept for it.
    if (domain.empty())
        return Text();
    return Text(CookieStore::Instance().Get(StoreUrl(domain).str(), kCookieReadBufferBytes));
}

void WriteStoreCookies(const Text& domain, const Text& cookieText) {
    if (domain.empty())
        return;
    const std::string url = StoreUrl(domain).str();
    for (const Text& piece : SplitText(cookieText, ";")) {
        const int eq = FindText(piece, "=", false);
        if (eq <= 0)
            continue;
        // The blank after a ";" separates pieces; it is not part of the name.
        std::string name = TrimBlanks(TextLeft(piece, eq - 1).view());
        std::string value = TextMid(piece, eq + 1, TextLength(piece)).str();
        // A cookie that could break a request header line, or one no server would
        // set, is not kept.
        if (name.empty() || HasLineBreak(name) || HasLineBreak(value) ||
            name.size() + value.size() > kMaxCookieBytes) {
            continue;
        }
        CookieStore::Instance().Set(url, std::move(name), std::move(value));
    }
}

void ClearCookieStore() {
    CookieStore::Instance().Clear();
}

Text MergeCookies(Text& older, Text& newer) {
    Normalise(older);
    Normalise(newer);
    for (const Text& piece : SplitText(newer, ";")) {
        const int eq = FindText(piece, "=", false);
        if (eq <= 0)
            continue;
        const Text name = TextLeft(piece, eq - 1);
        const int found = FindText(older, name, true);
        if (found <= 0) {
            // Pieces that would take the text past its limit are left out.
            if (older.size() + piece.size() + 1 <= kMaxCookieTextBytes)
                older = older + piece + ";";
            continue;
        }
        const int end = FindText(older, ";", found + TextLength(name), false);
        const Text segment =
            end > 0 ? TextMid(older, found, end - found) : TextMid(older, found, TextLength(older));
        // Every occurrence of the segment is replaced; a short segment and a long
        // piece could otherwise multiply the text's size with every piece.
        if (ReplacedLength(older, segment, piece) > kMaxCookieTextBytes)
            continue;
        older = ReplaceText(older, segment, piece, false);
    }
    Text rebuilt;
    for (const Text& piece : SplitText(older, ";")) {
        if (!piece.empty() && piece.byte(piece.size() - 1) == '=')
            continue;
        if (CompareText(TextRight(piece, 8), "=deleted") == 0)
            continue;
        rebuilt = JoinText(rebuilt, TrimSpaces(piece), "; ");
    }
    older = TrimSpaces(rebuilt);
    return older;
}

Text CollectSetCookies(const TextArray& lines) {
    Text result;
    for (const Text& line : lines) {
        if (FindText(line, "Set-Cookie", false) <= 0)
            continue;
        result = JoinText(result, TrimSpaces(TextBetween(line, "Set-Cookie:", ";")), "; ");
    }
    return result;
}

Text TextBetween(const Text& text, const Text& startMark, const Text& endMark) {
    const Text start = ReplaceText(startMark, kQuoteWord, "\"", true);
    const Text end = ReplaceText(endMark, kQuoteWord, "\"", true);
    const int at = FindText(text, start, true);
    if (at <= 0)
        return Text();
    const Text rest = TextMid(text, at + TextLength(start), TextLength(text));
    const int stop = FindText(rest, end, true);
    if (stop <= 0)
        return Text();
    return TextLeft(rest, stop - 1);
}

}  // namespace qinghe
