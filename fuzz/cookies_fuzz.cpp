// Cookie texts come from responses: every operation on them must stay within
// its limits and keep the store's shape whatever the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "web/cookies.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Input: URL \n older \n newer \n header lines (CR LF separated).
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    auto next = [&rest] {
        const std::size_t end = rest.find('\n');
        const std::string_view part = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        return qinghe::Text(part);
    };
    const qinghe::Text url = next();
    qinghe::Text older = next();
    qinghe::Text newer = next();
    const qinghe::Text headers(rest);

    const qinghe::Text domain = qinghe::CookieDomain(url);
    if (domain.size() > qinghe::UrlHost(url, false).size())
        std::abort();

    qinghe::Text collected = qinghe::CollectSetCookies(qinghe::SplitText(headers, "\r\n"));
    qinghe::Text merged = qinghe::MergeCookies(older, newer);
    if (older != merged)
        std::abort();
    qinghe::MergeCookies(merged, collected);
    // A replacement never takes the text past its limit and the rebuild adds at
    // most a blank per piece: the text cannot multiply.
    if (merged.size() > 4 * (qinghe::kMaxCookieTextBytes + size) + 2)
        std::abort();

    qinghe::ClearCookieStore();
    qinghe::WriteStoreCookies(domain, merged);
    const qinghe::Text stored = qinghe::ReadStoreCookies(domain);
    if (stored.size() >= qinghe::kCookieReadBufferBytes)
        std::abort();
    if (qinghe::FindText(stored, "\r", false) > 0 || qinghe::FindText(stored, "\n", false) > 0) {
        std::abort();
    }
    return 0;
}
