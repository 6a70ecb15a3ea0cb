// Shared by the web request tests: one WebRequest call with every in/out
// parameter held, and canned raw responses.
#pragma once

#include <string>
#include <vector>

#include "support/loopback_server.h"
#include "web/cookies.h"
#include "web/web_request.h"

namespace qinghe::testing {

struct Call {
    Text method;
    Text bodyText;
    Text cookies;
    Text newCookies;
    Text requestHeaders;
    Text location;
    bool noRedirect = false;
    std::int32_t timeoutSeconds = 0;
    Text responseHeaders;
    Bytes bodyBytes;
    Text finalUrl;

    Bytes Run(const std::string& url) {
        return WebRequest(Text(url), &method, bodyText, &cookies, &newCookies, &requestHeaders,
                          &location, noRedirect, timeoutSeconds, &responseHeaders, bodyBytes,
                          &finalUrl);
    }
};

inline std::string AsString(const Bytes& bytes) {
    return std::string(bytes.view());
}

// A complete response that closes the connection after its body.
inline std::string RawResponse(const std::string& extraHeaderLines, const std::string& body,
                               const std::string& status = "200 OK") {
    std::string response = "HTTP/1.1 " + status + "\r\n";
    if (!extraHeaderLines.empty())
        response += extraHeaderLines + "\r\n";
    response += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    return response + body;
}

inline RawServer::Responder Answer(std::string response) {
    return [response](RawServer::Connection& c) { c.Send(response); };
}

// The header lines a raw request carried, without the request line.
inline std::vector<std::string> SentHeaders(const std::string& rawRequest) {
    std::vector<std::string> lines = RawServer::HeadLines(rawRequest);
    if (!lines.empty())
        lines.erase(lines.begin());
    return lines;
}

}  // namespace qinghe::testing
