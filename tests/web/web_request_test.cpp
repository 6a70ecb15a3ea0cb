#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "web_test_support.h"

namespace qinghe {
namespace {

using testing::AsString;
using testing::Call;
using testing::HttpServer;
using testing::RawResponse;
using testing::RawServer;
using testing::SentHeaders;

const std::string kOk = RawResponse("", "ok");

class WebRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::BypassProxyForLoopback();
        ClearCookieStore();
    }
};

TEST_F(WebRequestTest, DefaultHeaderBlockIsTheFixedBrowserBlock) {
    EXPECT_EQ(DefaultHeaderBlock("http://a.b/s?x=1").str(),
              "Referer: http://a.b/s?x=1\r\n"
              "Accept: */*\r\n"
              "Accept-Language: zh-cn\r\n"
              "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)\r\n"
              "Content-Type: application/x-www-form-urlencoded");
}

TEST_F(WebRequestTest, NoHeadersGivenSendsTheDefaultBlockInOrder) {
    RawServer server(testing::Answer(kOk));
    const std::string url = server.Url("/s?wd=%C7%E0%BA%CC&pn=0");
    Call call;
    EXPECT_EQ(AsString(call.Run(url)), "ok");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(RawServer::HeadLines(requests[0]),
              (std::vector<std::string>{
                  "GET /s?wd=%C7%E0%BA%CC&pn=0 HTTP/1.1",
                  "Host: 127.0.0.1:" + std::to_string(server.port()),
                  "Referer: " + url,
                  "Accept: */*",
                  "Accept-Language: zh-cn",
                  "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)",
                  "Content-Type: application/x-www-form-urlencoded",
              }));
    EXPECT_EQ(call.method, "GET");
    EXPECT_EQ(call.requestHeaders, DefaultHeaderBlock(Text(url)));
    EXPECT_EQ(call.finalUrl, Text(url));
}

struct HeaderCase {
    const char* name;
    friend void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }
    const char* requestHeaders;
    std::vector<std::string> sent;  // header lines after Host
};

class RequestHeaderLines : public WebRequestTest,
                           public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(RequestHeaderLines, AreSentAsSplitAtCrLf) {
    RawServer server(testing::Answer(kOk));
    Call call;
    call.requestHeaders = GetParam().requestHeaders;
    call.Run(server.Url("/"));

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    std::vector<std::string> sent = SentHeaders(requests[0]);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front().rfind("Host: ", 0), 0u);
    sent.erase(sent.begin());
    EXPECT_EQ(sent, GetParam().sent);
    EXPECT_EQ(call.requestHeaders, Text(GetParam().requestHeaders));
}

// libcurl adds "Accept: */*" itself unless the caller gives an Accept header.
INSTANTIATE_TEST_SUITE_P(
    Cases, RequestHeaderLines,
    ::testing::Values(
        HeaderCase{"OneLineWithoutCrLfKeepsLaterColons", "X-A: b:c", {"Accept: */*", "X-A: b:c"}},
        HeaderCase{"LineWithoutColonSkippedEmptyValueSent",
                   "A: 1\r\nno colon here\r\nB:",
                   {"Accept: */*", "A: 1", "B:"}},
        HeaderCase{"BlankOnlyValueSentEmpty", "B:   ", {"Accept: */*", "B:"}},
        HeaderCase{
            "ValueWithoutBlankPassedUnchanged", "X-Raw:value", {"Accept: */*", "X-Raw:value"}},
        HeaderCase{"EmptyPiecesAndTrailingCrLfIgnored",
                   "A: 1\r\n\r\nB: 2\r\n",
                   {"Accept: */*", "A: 1", "B: 2"}},
        HeaderCase{"CallersAcceptReplacesTheLibrarysOwn",
                   "Accept: text/html\r\nX: y",
                   {"Accept: text/html", "X: y"}},
        HeaderCase{"TextWithoutAnyColonSetsNothing", "nothing here", {"Accept: */*"}},
        HeaderCase{"LoneLineFeedCannotSmuggleAHeader",
                   "A: 1\nInjected: x\r\nB: 2",
                   {"Accept: */*", "B: 2"}},
        HeaderCase{
            "NameThatIsNoTokenIsLeftOut", "Bad Name: x\r\n: y\r\nB: 2", {"Accept: */*", "B: 2"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct CookieCase {
    const char* name;
    friend void PrintTo(const CookieCase& c, std::ostream* os) { *os << c.name; }
    const char* stored;
    const char* given;
    std::optional<std::string> cookieHeader;
};

class OutgoingCookies : public WebRequestTest, public ::testing::WithParamInterface<CookieCase> {};

TEST_P(OutgoingCookies, MergeStoreAndCallerIntoTheFirstHeader) {
    RawServer server(testing::Answer(kOk));
    const std::string url = server.Url("/");
    WriteStoreCookies(CookieDomain(Text(url)), GetParam().stored);
    Call call;
    call.cookies = GetParam().given;
    call.Run(url);

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::vector<std::string> sent = SentHeaders(requests[0]);
    ASSERT_GE(sent.size(), 2u);
    if (GetParam().cookieHeader) {
        EXPECT_EQ(sent[1], "Cookie: " + *GetParam().cookieHeader);
        EXPECT_EQ(call.cookies.str(), *GetParam().cookieHeader);
    } else {
        for (const auto& line : sent)
            EXPECT_NE(line.rfind("Cookie:", 0), 0u) << line;
        EXPECT_EQ(call.cookies, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutgoingCookies,
    ::testing::Values(CookieCase{"NothingStoredNothingGiven", "", "", std::nullopt},
                      CookieCase{"StoredOnly", "a=1; b=2", "", "a=1; b=2;"},
                      CookieCase{"CallerReplacesAndAdds", "a=1; b=2", "b=3; c=4", "a=1; b=3; c=4;"},
                      CookieCase{"CallerOnly", "", "k=v", "k=v;"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WebRequestTest, CookiesSetByOneResponseAreSentWithTheNext) {
    HttpServer server;
    server.routes().Get("/login", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "SID=abc; path=/");
        res.set_header("Set-Cookie", "LANG=zh; expires=Wed, 01 Jan 2031 00:00:00 GMT");
        res.set_content("in", "text/plain");
    });
    server.routes().Get("/next", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "SID=xyz; path=/");
        res.set_content("next", "text/plain");
    });
    server.Start();

    Call first;
    EXPECT_EQ(AsString(first.Run(server.Url("/login"))), "in");
    EXPECT_EQ(first.newCookies, "SID=abc; LANG=zh;");
    EXPECT_EQ(first.cookies, "SID=abc; LANG=zh;");
    EXPECT_EQ(ReadStoreCookies("0.1"), "SID=abc; LANG=zh");

    Call second;
    EXPECT_EQ(AsString(second.Run(server.Url("/next"))), "next");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_FALSE(requests[0].HasHeader("Cookie"));
    EXPECT_EQ(requests[1].Header("Cookie"), "SID=abc; LANG=zh;");
    EXPECT_EQ(second.newCookies, "SID=xyz;");
    EXPECT_EQ(second.cookies, "SID=xyz; LANG=zh;");
    EXPECT_EQ(ReadStoreCookies("0.1"), "SID=xyz; LANG=zh");
}

class Redirects : public WebRequestTest {
protected:
    void SetUp() override {
        WebRequestTest::SetUp();
        m_server.routes().Get("/old", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/new");
            res.set_content("moved here", "text/plain");
        });
        m_server.routes().Get("/new", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("X-Final", "yes");
            res.set_content("arrived", "text/plain");
        });
        m_server.Start();
    }
    HttpServer m_server;
};

TEST_F(Redirects, AreFollowedAndOnlyTheFinalResponseIsSeen) {
    Call call;
    EXPECT_EQ(AsString(call.Run(m_server.Url("/old"))), "arrived");
    EXPECT_EQ(m_server.Requests().size(), 2u);
    EXPECT_EQ(call.finalUrl, Text(m_server.Url("/new")));
    const std::string headers = call.responseHeaders.str();
    EXPECT_NE(headers.find("X-Final: yes"), std::string::npos) << headers;
    EXPECT_EQ(headers.find("Location"), std::string::npos) << headers;
    EXPECT_EQ(headers.find("HTTP/"), std::string::npos) << headers;
    // No Location line in the final response: the header text stands in for it.
    EXPECT_EQ(call.location, call.responseHeaders);
}

TEST_F(Redirects, NoRedirectReturnsTheRedirectItself) {
    Call call;
    call.noRedirect = true;
    EXPECT_EQ(AsString(call.Run(m_server.Url("/old"))), "moved here");
    EXPECT_EQ(m_server.Requests().size(), 1u);
    EXPECT_EQ(call.location, "/new");
    EXPECT_NE(call.responseHeaders.str().find("Location: /new"), std::string::npos);
    EXPECT_EQ(call.finalUrl, Text(m_server.Url("/old")));
}

struct LocationCase {
    const char* name;
    friend void PrintTo(const LocationCase& c, std::ostream* os) { *os << c.name; }
    const char* headerLines;
    const char* onEntry;
    std::optional<std::string> location;  // nullopt: the whole response header text
};

class LocationLines : public WebRequestTest, public ::testing::WithParamInterface<LocationCase> {};

TEST_P(LocationLines, GiveTheReportedLocation) {
    RawServer server(testing::Answer(RawResponse(GetParam().headerLines, "ok")));
    Call call;
    call.location = GetParam().onEntry;
    call.noRedirect = true;
    call.Run(server.Url("/"));

    EXPECT_EQ(call.responseHeaders.str(),
              std::string(GetParam().headerLines) + "\r\nContent-Length: 2\r\nConnection: close");
    EXPECT_EQ(call.location,
              GetParam().location ? Text(*GetParam().location) : call.responseHeaders);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LocationLines,
    ::testing::Values(
        LocationCase{"LaterLocationLineWins", "Location: /first\r\nLocation:  /second ", "",
                     "/second"},
        LocationCase{"ContentLocationCountsAsLocation", "Content-Location: /x", "", "Content- /x"},
        LocationCase{"LowerCaseNameIsNotRecognised", "location: /lower\r\nX-A: 1", "",
                     std::nullopt},
        LocationCase{"NoLocationGivesTheHeaderText", "X-A: 1\r\nX-B: 2", "", std::nullopt},
        LocationCase{"ValueOnEntryIsKeptWithoutLocation", "X-A: 1", "kept", "kept"}),
    [](const auto& info) { return std::string(info.param.name); });

class Bodies : public WebRequestTest {
protected:
    void SetUp() override {
        WebRequestTest::SetUp();
        m_server.routes().Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.body + std::string("\0\xFF", 2), "application/octet-stream");
        });
        m_server.Start();
    }
    HttpServer m_server;
};

TEST_F(Bodies, TextBodyIsPostedWithTheMethodUpperCased) {
    Call call;
    call.method = "post";
    call.bodyText = "wd=%C7%E0&rn=100";
    const Bytes result = call.Run(m_server.Url("/echo"));

    EXPECT_EQ(call.method, "POST");
    EXPECT_EQ(AsString(result), std::string("wd=%C7%E0&rn=100\0\xFF", 18));
    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].body, "wd=%C7%E0&rn=100");
    EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(Bodies, ByteBodyIsSentExactlyInsteadOfTheText) {
    Call call;
    call.method = "POST";
    call.bodyText = "not sent";
    call.bodyBytes = Bytes(std::string_view("\0a\xFF\0", 4));
    const Bytes result = call.Run(m_server.Url("/echo"));

    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, std::string("\0a\xFF\0", 4));
    EXPECT_EQ(requests[0].Header("Content-Length"), "4");
    EXPECT_EQ(AsString(result), std::string("\0a\xFF\0\0\xFF", 6));
}

TEST_F(WebRequestTest, RefusedConnectionGivesEmptyResultsAndStoresTheSentCookies) {
    const std::string url = testing::LoopbackUrl(testing::UnusedLoopbackPort(), "/");
    Call call;
    call.cookies = "k=v";
    call.newCookies = "stale";
    call.responseHeaders = "stale";
    call.finalUrl = "stale";

    EXPECT_TRUE(call.Run(url).empty());
    EXPECT_EQ(call.responseHeaders, "");
    EXPECT_EQ(call.newCookies, "");
    EXPECT_EQ(call.location, "");
    EXPECT_EQ(call.finalUrl, "");
    EXPECT_EQ(call.cookies, "k=v;");
    EXPECT_EQ(ReadStoreCookies("0.1"), "k=v");
}

struct StallCase {
    const char* name;
    friend void PrintTo(const StallCase& c, std::ostream* os) { *os << c.name; }
    const char* sentBeforeStall;
};

class StalledServer : public WebRequestTest, public ::testing::WithParamInterface<StallCase> {};

TEST_P(StalledServer, IsGivenUpAfterTheTimeout) {
    const std::string before = GetParam().sentBeforeStall;
    RawServer server([before](RawServer::Connection& c) {
        c.Send(before);
        c.WaitForStop(std::chrono::minutes(5));
    });
    Call call;
    call.timeoutSeconds = 1;
    EXPECT_TRUE(call.Run(server.Url("/")).empty());
    EXPECT_EQ(call.responseHeaders, "");
    EXPECT_EQ(server.Requests().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, StalledServer,
                         ::testing::Values(StallCase{"BeforeTheStatusLine", ""},
                                           StallCase{
                                               "InsideTheBody",
                                               "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WebRequestTest, BodyAnnouncedOverTheLimitIsAbandoned) {
    RawServer server([](RawServer::Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kMaxResponseBodyBytes + 1) +
               "\r\n\r\n");
        const std::string chunk(64 * 1024, 'x');
        for (int i = 0; i < 64 && c.Send(chunk); ++i) {
        }
    });
    Call call;
    EXPECT_TRUE(call.Run(server.Url("/")).empty());
    EXPECT_EQ(call.responseHeaders, "");
}

TEST_F(WebRequestTest, OnlyHttpAndHttpsAreFetched) {
    HttpServer server;
    server.routes().Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("file:///etc/hostname");
        res.set_content("redirect", "text/plain");
    });
    server.Start();
    for (const std::string& url :
         {std::string("file:///etc/hostname"),
          "ftp://127.0.0.1:" + std::to_string(server.port()) + "/", server.Url("/to-file")}) {
        SCOPED_TRACE(url);
        Call call;
        EXPECT_TRUE(call.Run(url).empty());
        EXPECT_EQ(call.responseHeaders, "");
    }
}

TEST_F(WebRequestTest, MethodThatIsNoTokenSendsNothing) {
    RawServer server(testing::Answer(kOk));
    Call call;
    call.method = "GET / HTTP/1.1\r\nX-Injected: 1\r\n\r\nGET";
    EXPECT_TRUE(call.Run(server.Url("/")).empty());
    EXPECT_TRUE(server.Requests().empty());
}

}  // namespace
}  // namespace qinghe
