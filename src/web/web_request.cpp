#include "web/web_request.h"

#include <curl/curl.h>

#include <chrono>
#include <climits>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "web/cookies.h"

// One call is one libcurl easy handle, created and cleaned up within the call.
//
// Time-outs. The caller's T (milliseconds) stands for four time-outs: name
// resolution, connection, sending and receiving. On libcurl:
//   - resolution and connection: CURLOPT_CONNECTTIMEOUT_MS = T. libcurl counts
//     resolving, connecting and the TLS handshake against this one time-out.
//   - sending and receiving: a transfer in which no byte has moved for T is
//     given up. CURLOPT_XFERINFOFUNCTION, which libcurl calls at least about once
//     a second, aborts it; a byte "moves" when a connection is ready for the
//     request (CURLOPT_PREREQFUNCTION), a request body byte goes out, or a
//     response header or body byte comes in. libcurl's own low-speed limit is not
//     used: it averages over several seconds and so notices a stall late.
//   - the whole request: CURLOPT_TIMEOUT_MS = 4 T, the four phases together, so a
//     server that drips a byte now and then cannot hold the caller for ever.
// With T "not set" (-1) libcurl keeps its own connection time-out and has no
// overall limit, but a transfer in which nothing moves for 30 s is given up.
//
// Redirects: CURLOPT_FOLLOWLOCATION with CURLOPT_MAXREDIRS 10, off for
// noRedirect; only http and https, also as redirect targets.
//
// Request headers go through CURLOPT_HTTPHEADER in the order given, the Cookie
// header first. "Name: value" is handed over as Name, ":" and the value exactly;
// a value that is empty or blank-only is written "Name;", the form libcurl needs
// to send an empty header ("Name:" alone would remove one).
//
// Response headers: CURLOPT_HEADERFUNCTION sees the headers of every response of
// the transfer (redirects, 1xx, a proxy's CONNECT answer). A status line starts a
// new response and drops what was collected, so only the final response's header
// lines remain; the status line itself and the blank end line are not kept.
//
// No Accept-Encoding is sent and nothing is decoded: the body is the bytes as
// they came, and no compressed body can be inflated beyond the size limit.
// HTTP/1.1 is used throughout, so header names reach the caller in the server's
// own spelling (HTTP/2 would deliver them in lower case).

namespace qinghe {

namespace {

constexpr int kDefaultTimeoutMs = 15000;
// With T not set, a transfer in which nothing moves for this long is given up.
constexpr std::chrono::seconds kStallLimitWithoutTimeout{30};
constexpr long kMaxRedirects = 10;

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct SlistCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;
using HeaderList = std::unique_ptr<curl_slist, SlistCleanup>;

using Clock = std::chrono::steady_clock;

// What the callbacks collect: the latest response's header lines and body, and
// when a byte last moved.
struct Received {
    std::vector<std::uint8_t> body;
    std::vector<Text> headerLines;
    std::size_t headerBytes = 0;
    Clock::duration stallLimit{};
    Clock::time_point lastMove = Clock::now();
    curl_off_t lastUploaded = 0;
};

int OnConnectionReady(void* user, char*, char*, int, int) {
    static_cast<Received*>(user)->lastMove = Clock::now();
    return CURL_PREREQFUNC_OK;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded) {
    auto* received = static_cast<Received*>(user);
    const auto now = Clock::now();
    if (uploaded != received->lastUploaded) {
        received->lastUploaded = uploaded;
        received->lastMove = now;
    }
    return now - received->lastMove > received->stallLimit ? 1 : 0;  // 1 aborts
}

std::size_t OnHeaderLine(char* data, std::size_t size, std::size_t count, void* user) {
    auto* received = static_cast<Received*>(user);
    const std::size_t n = size * count;
    received->lastMove = Clock::now();
    std::string_view line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.starts_with("HTTP/")) {
        received->headerLines.clear();
        received->headerBytes = 0;
        received->body.clear();
        return n;
    }
    if (line.empty())
        return n;
    received->headerBytes += line.size() + 2;
    if (received->headerBytes > kMaxResponseHeaderBytes)
        return 0;  // abandons the transfer
    // A text holds no zero byte; such a line could only be cut short.
    if (line.find('\0') == std::string_view::npos)
        received->headerLines.emplace_back(line);
    return n;
}

std::size_t OnBodyData(char* data, std::size_t size, std::size_t count, void* user) {
    auto* received = static_cast<Received*>(user);
    const std::size_t n = size * count;
    received->lastMove = Clock::now();
    if (n > kMaxResponseBodyBytes - received->body.size())
        return 0;  // abandons the transfer
    received->body.insert(received->body.end(), data, data + n);
    return n;
}

bool IsTokenChar(unsigned char c) {
    if (c >= '0' && c <= '9')
        return true;
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')
        return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsToken(std::string_view s) {
    if (s.empty())
        return false;
    for (const char c : s) {
        if (!IsTokenChar(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// Appends one request header; a name that is no header name, or a line break
// that would start a header of its own, makes the header be left out.
void AddHeader(curl_slist*& list, const Text& name, const Text& value, bool& ok) {
    if (!IsToken(name.view()) || HasLineBreak(value.view()))
        return;
    std::string line = name.str();
    if (value.view().find_first_not_of(" \t") == std::string_view::npos) {
        line += ';';
    } else {
        line += ':';
        line += value.str();
    }
    curl_slist* grown = curl_slist_append(list, line.c_str());
    if (grown == nullptr) {
        ok = false;
        return;
    }
    list = grown;
}

int TimeoutMilliseconds(std::int32_t timeoutSeconds) {
    if (timeoutSeconds < 1)
        return kDefaultTimeoutMs;
    const double ms = static_cast<double>(timeoutSeconds) * 1000.0;
    return ms >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(ms);
}

// libcurl refuses an option it does not know; any refusal fails the setup.
template <typename Value>
void Set(CURL* handle, CURLoption option, Value value, bool& ok) {
    if (curl_easy_setopt(handle, option, value) != CURLE_OK)
        ok = false;
}

}  // namespace

Text DefaultHeaderBlock(const Text& url) {
    return JoinText("Referer: ", url,
                    "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nUser-Agent: Mozilla/5.0 "
                    "(compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)\r\nContent-Type: "
                    "application/x-www-form-urlencoded");
}

Bytes WebRequest(const Text& url, Text* method, const Text& bodyText, Text* cookies,
                 Text* newCookies, Text* requestHeaders, Text* location, bool noRedirect,
                 std::int32_t timeoutSeconds, Text* responseHeaders, const Bytes& bodyBytes,
                 Text* finalUrl) {
    InitialiseCurlOnce();
    EasyHandle easy(curl_easy_init());
    if (!easy)
        return Bytes();  // no request could be set up: nothing is changed
    CURL* handle = easy.get();

    Text requestMethod = ToUpper(method ? *method : Text());
    if (requestMethod.empty())
        requestMethod = "GET";
    Text headerText = requestHeaders ? *requestHeaders : Text();
    if (headerText.empty())
        headerText = DefaultHeaderBlock(url);
    Text cookieText = cookies ? *cookies : Text();
    Text locationText = location ? *location : Text();

    bool ok = true;
    Received received;
    Set(handle, CURLOPT_NOSIGNAL, 1L, ok);
    Set(handle, CURLOPT_URL, url.c_str(), ok);
    Set(handle, CURLOPT_PROTOCOLS_STR, "http,https", ok);
    Set(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https", ok);
    Set(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1), ok);
    Set(handle, CURLOPT_SSL_VERIFYPEER, 1L, ok);
    Set(handle, CURLOPT_SSL_VERIFYHOST, 2L, ok);
    Set(handle, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L, ok);
    Set(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxResponseBodyBytes), ok);
    Set(handle, CURLOPT_HEADERFUNCTION, &OnHeaderLine, ok);
    Set(handle, CURLOPT_HEADERDATA, &received, ok);
    Set(handle, CURLOPT_WRITEFUNCTION, &OnBodyData, ok);
    Set(handle, CURLOPT_WRITEDATA, &received, ok);

    if (timeoutSeconds != -1) {
        const int t = TimeoutMilliseconds(timeoutSeconds);
        Set(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(t), ok);
        Set(handle, CURLOPT_TIMEOUT_MS, 4L * t, ok);
        received.stallLimit = std::chrono::milliseconds(t);
    } else {
        received.stallLimit = kStallLimitWithoutTimeout;
    }
    Set(handle, CURLOPT_PREREQFUNCTION, &OnConnectionReady, ok);
    Set(handle, CURLOPT_PREREQDATA, &received, ok);
    Set(handle, CURLOPT_XFERINFOFUNCTION, &OnProgress, ok);
    Set(handle, CURLOPT_XFERINFODATA, &received, ok);
    Set(handle, CURLOPT_NOPROGRESS, 0L, ok);

    // The method goes on the request line; only a header token can be sent.
    if (!IsToken(requestMethod.view()))
        ok = false;
    const bool hasBytes = !bodyBytes.empty();
    const void* bodyData = hasBytes ? static_cast<const void*>(bodyBytes.data())
                                    : static_cast<const void*>(bodyText.data());
    const auto bodySize = static_cast<curl_off_t>(hasBytes ? bodyBytes.size() : bodyText.size());
    if (requestMethod == "HEAD") {
        Set(handle, CURLOPT_NOBODY, 1L, ok);
    } else if (requestMethod == "GET" && bodySize == 0) {
        Set(handle, CURLOPT_HTTPGET, 1L, ok);
    } else {
        Set(handle, CURLOPT_POSTFIELDSIZE_LARGE, bodySize, ok);
        Set(handle, CURLOPT_POSTFIELDS, bodyData, ok);
        if (requestMethod != "POST")
            Set(handle, CURLOPT_CUSTOMREQUEST, requestMethod.c_str(), ok);
    }

    if (noRedirect) {
        Set(handle, CURLOPT_FOLLOWLOCATION, 0L, ok);
    } else {
        Set(handle, CURLOPT_FOLLOWLOCATION, 1L, ok);
        Set(handle, CURLOPT_MAXREDIRS, kMaxRedirects, ok);
    }

    // The site's stored cookies, with the caller's taking the place of stored
    // ones of the same name; sent before every other header.
    const Text domain = CookieDomain(url);
    Text storedCookies = ReadStoreCookies(domain);
    cookieText = MergeCookies(storedCookies, cookieText);
    curl_slist* list = nullptr;
    if (!cookieText.empty())
        AddHeader(list, "Cookie", JoinText(" ", cookieText), ok);
    for (const Text& line : SplitText(headerText, "\r\n")) {
        const int colon = FindText(line, ":", false);
        if (colon <= 0)
            continue;
        AddHeader(list, TextLeft(line, colon - 1), TextMid(line, colon + 1, TextLength(line)), ok);
    }
    // libcurl would otherwise ask large bodies to wait for "100 Continue".
    if (curl_slist* grown = curl_slist_append(list, "Expect:"))
        list = grown;
    HeaderList headerList(list);
    Set(handle, CURLOPT_HTTPHEADER, headerList.get(), ok);

    if (ok) {
        received.lastMove = Clock::now();
        ok = curl_easy_perform(handle) == CURLE_OK;
    }

    Bytes body;
    Text headers;
    Text effectiveUrl;
    if (ok) {
        body = Bytes(std::move(received.body));
        std::string joined;
        for (const Text& line : received.headerLines) {
            if (!joined.empty())
                joined += "\r\n";
            joined += line.str();
        }
        headers = Text(std::move(joined));
        char* finalAddress = nullptr;
        if (curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &finalAddress) == CURLE_OK &&
            finalAddress != nullptr) {
            effectiveUrl = Text(finalAddress);
        }
    }

    const TextArray headerLines = SplitText(headers, "\r\n");
    Text setCookies = CollectSetCookies(headerLines);
    for (const Text& line : headerLines) {
        if (FindText(line, "Location:", false) <= 0)
            continue;
        locationText = TrimSpaces(ReplaceText(line, "Location:", Text(), 1, 1, false));
    }
    cookieText = MergeCookies(cookieText, setCookies);
    WriteStoreCookies(domain, cookieText);
    if (locationText.empty())
        locationText = headers;

    if (method)
        *method = requestMethod;
    if (cookies)
        *cookies = cookieText;
    if (newCookies)
        *newCookies = setCookies;
    if (requestHeaders)
        *requestHeaders = headerText;
    if (location)
        *location = locationText;
    if (responseHeaders)
        *responseHeaders = headers;
    if (finalUrl)
        *finalUrl = effectiveUrl;
    return body;
}

}  // namespace qinghe
