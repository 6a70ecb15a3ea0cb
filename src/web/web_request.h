// The web layer: the program's one HTTP routine and the process-wide cookie
// store it keeps per site (cookies.h). Written over libcurl's easy interface.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/text.h"

namespace qinghe {

// The header block sent when the caller gives none; the Referer is the URL.
Text DefaultHeaderBlock(const Text& url);

// One synchronous request; returns the response body as raw bytes, empty bytes
// when no body could be had. Never throws. The pointer parameters are in/out or
// out as noted; a null pointer is an omitted argument (it behaves as an empty
// text and nothing is handed back through it).
//   method          in/out  upper-cased; "GET" when empty
//   bodyText        in      request body when bodyBytes is empty
//   cookies         in/out  cookies to send besides the stored ones; on return
//                           the merged cookie text after the response
//   newCookies      out     the cookies this response set
//   requestHeaders  in/out  header lines separated by CR LF; when empty it is
//                           replaced by DefaultHeaderBlock(url)
//   location        out     redirect location, or the whole response header text
//                           when the response has none; not cleared on entry
//   noRedirect      in      true: redirects are not followed
//   timeoutSeconds  in      -1: libcurl's own time-outs (a 30 s stall still ends
//                           the request); below 1: 15 s; else seconds. T covers
//                           connecting and each stall; the request as a whole
//                           gets 4 T
//   responseHeaders out     header lines of the final response, CR LF separated
//   bodyBytes       in      request body, used instead of bodyText when not empty
//   finalUrl        out     the URL of the response finally received (after
//                           redirects); empty when the request failed
Bytes WebRequest(const Text& url, Text* method = nullptr, const Text& bodyText = Text(),
                 Text* cookies = nullptr, Text* newCookies = nullptr,
                 Text* requestHeaders = nullptr, Text* location = nullptr, bool noRedirect = false,
                 std::int32_t timeoutSeconds = 0, Text* responseHeaders = nullptr,
                 const Bytes& bodyBytes = Bytes(), Text* finalUrl = nullptr);

// Responses larger than this are abandoned and count as failures.
constexpr std::size_t kMaxResponseBodyBytes = 64u * 1024u * 1024u;
// So are responses whose header lines (one response's) come to more than this.
constexpr std::size_t kMaxResponseHeaderBytes = 256u * 1024u;

}  // namespace qinghe
