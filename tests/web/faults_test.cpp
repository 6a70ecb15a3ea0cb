// Servers that misbehave on the network: each request gives empty results, and a
// request to a sound server in the same process works afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

#include "web_test_support.h"

namespace qinghe {
namespace {

using testing::AsString;
using testing::Call;
using testing::HttpServer;
using testing::RawResponse;
using testing::RawServer;

// Sends the head, then `total` bytes of filler (or until the peer goes).
void SendFiller(RawServer::Connection& c, const std::string& head, std::size_t total) {
    if (!c.Send(head))
        return;
    const std::string chunk(256 * 1024, 'x');
    while (total > 0) {
        const std::size_t n = std::min(total, chunk.size());
        if (!c.Send(std::string_view(chunk).substr(0, n)))
            return;
        total -= n;
    }
}

struct FaultCase {
    const char* name;
    friend void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }
    std::int32_t timeoutSeconds;
    std::function<void(RawServer::Connection&)> respond;
};

class NetworkFaults : public ::testing::TestWithParam<FaultCase> {
protected:
    void SetUp() override {
        testing::BypassProxyForLoopback();
        ClearCookieStore();
        m_sound.routes().Get("/ok", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("fine", "text/plain");
        });
        m_sound.Start();
    }
    HttpServer m_sound;
};

TEST_P(NetworkFaults, GiveEmptyResultsAndLeaveTheNextRequestWorking) {
    RawServer server(GetParam().respond);

    Call failing;
    failing.timeoutSeconds = GetParam().timeoutSeconds;
    EXPECT_TRUE(failing.Run(server.Url("/fault")).empty());
    EXPECT_EQ(failing.responseHeaders, "");
    EXPECT_EQ(failing.newCookies, "");
    EXPECT_EQ(failing.finalUrl, "");

    Call next;
    EXPECT_EQ(AsString(next.Run(m_sound.Url("/ok"))), "fine");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NetworkFaults,
    ::testing::Values(
        FaultCase{"ResetInTheMiddleOfTheBody", 0,
                  [](RawServer::Connection& c) {
                      c.Send(
                          "HTTP/1.1 200 OK\r\nSet-Cookie: A=1; path=/\r\n"
                          "Content-Length: 1000\r\n\r\n" +
                          std::string(100, 'x'));
                      c.WaitForStop(std::chrono::milliseconds(100));
                      c.Reset();
                  }},
        FaultCase{"ClosedBeforeTheBodyIsComplete", 0,
                  [](RawServer::Connection& c) {
                      c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" +
                             std::string(100, 'x'));
                  }},
        FaultCase{"DripsOneByteASecond", 2,
                  [](RawServer::Connection& c) {
                      if (!c.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n"))
                          return;
                      while (!c.WaitForStop(std::chrono::seconds(1)) && c.Send("x")) {
                      }
                  }},
        FaultCase{"GarbageInsteadOfAStatusLine", 0,
                  [](RawServer::Connection& c) {
                      c.Send("SSH-2.0-OpenSSH_9.2p1\r\n\x01\x02\xFF garbage\r\n\r\n");
                  }},
        FaultCase{"NoAnswerAtAll", 0, [](RawServer::Connection&) {}},
        FaultCase{"RedirectLoop", 0,
                  [](RawServer::Connection& c) {
                      c.Send(RawResponse("Location: /fault", "again", "302 Found"));
                  }},
        FaultCase{"TenMegabytesOfHeaderLines", 0,
                  [](RawServer::Connection& c) {
                      if (!c.Send("HTTP/1.1 200 OK\r\n"))
                          return;
                      const std::string line = "X-Filler: " + std::string(88, 'h') + "\r\n";
                      for (int i = 0; i < 100 * 1024 && c.Send(line); ++i) {
                      }
                  }},
        FaultCase{"OneHeaderLineOfTenMegabytes", 0,
                  [](RawServer::Connection& c) {
                      SendFiller(c, "HTTP/1.1 200 OK\r\nX-Filler: ", 10u << 20);
                  }},
        FaultCase{"BodyOneByteOverTheLimitWithoutLength", 0,
                  [](RawServer::Connection& c) {
                      SendFiller(c, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n",
                                 kMaxResponseBodyBytes + 1);
                  }},
        FaultCase{"ChunkedBodyOverTheLimit", 0,
                  [](RawServer::Connection& c) {
                      if (!c.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"))
                          return;
                      const std::string chunk = "40000\r\n" + std::string(0x40000, 'x') + "\r\n";
                      for (std::size_t sent = 0; sent <= kMaxResponseBodyBytes && c.Send(chunk);
                           sent += 0x40000) {
                      }
                      c.Send("0\r\n\r\n");
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BodyLimit, BodyOfExactlyTheLimitIsKept) {
    testing::BypassProxyForLoopback();
    RawServer server([](RawServer::Connection& c) {
        SendFiller(c, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", kMaxResponseBodyBytes);
    });
    Call call;
    EXPECT_EQ(call.Run(server.Url("/")).size(), kMaxResponseBodyBytes);
}

}  // namespace
}  // namespace qinghe
