// Servers on an ephemeral 127.0.0.1 port for tests that make real HTTP requests.
//   HttpServer - cpp-httplib with routes of the test's own; records every request.
//   RawServer  - a bare accept loop for what no HTTP library sends: exact header
//                order on the wire, stalls, resets, garbage. Records the raw bytes.
// Both stop (and join their threads) in their destructors. Link Threads::Threads
// and PkgConfig::CPP_HTTPLIB (pkg_check_modules(CPP_HTTPLIB ... cpp-httplib)).
#pragma once

#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace qinghe::testing {

// Requests to loopback must never go through a proxy named in the environment.
inline void BypassProxyForLoopback() {
    ::setenv("no_proxy", "127.0.0.1,localhost", 1);
    ::setenv("NO_PROXY", "127.0.0.1,localhost", 1);
}

inline std::string LoopbackUrl(int port, const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

// A port on which nothing listens (bound once, then released).
inline int UnusedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

struct RecordedRequest {
    std::string method;
    std::string target;  // path and query
    std::multimap<std::string, std::string> headers;
    std::string body;

    std::string Header(const std::string& name) const {
        for (const auto& [key, value] : headers) {
            if (std::equal(key.begin(), key.end(), name.begin(), name.end(),
                           [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
                return value;
            }
        }
        return {};
    }
    bool HasHeader(const std::string& name) const {
        return std::any_of(headers.begin(), headers.end(), [&](const auto& h) {
            return std::equal(h.first.begin(), h.first.end(), name.begin(), name.end(),
                              [](char a, char b) { return std::tolower(a) == std::tolower(b); });
        });
    }
};

class HttpServer {
public:
    HttpServer() {
        BypassProxyForLoopback();
        // Called with the whole request (body read) before the response is written.
        m_server.set_post_routing_handler([this](const httplib::Request& req, httplib::Response&) {
            RecordedRequest r;
            r.method = req.method;
            r.target = req.target;
            r.headers.insert(req.headers.begin(), req.headers.end());
            r.body = req.body;
            std::lock_guard lock(m_mutex);
            m_requests.push_back(std::move(r));
        });
    }
    ~HttpServer() { Stop(); }
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Register routes here before Start().
    httplib::Server& routes() { return m_server; }

    void Start() {
        m_port = m_server.bind_to_any_port("127.0.0.1");
        if (m_port > 0)
            m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    void Stop() {
        if (!m_thread.joinable())
            return;
        while (!m_server.is_running())
            std::this_thread::yield();
        m_server.stop();
        m_thread.join();
    }

    int port() const { return m_port; }
    std::string Url(const std::string& path) const { return LoopbackUrl(m_port, path); }
    std::vector<RecordedRequest> Requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::vector<RecordedRequest> m_requests;
};

class RawServer {
public:
    // One accepted connection, handed to the responder after the request head
    // (and a Content-Length body) has been read.
    class Connection {
    public:
        Connection(int fd, std::string request, RawServer& server)
            : m_fd(fd), m_request(std::move(request)), m_server(server) {}
        const std::string& request() const { return m_request; }
        // Writes everything; false once the peer has gone.
        bool Send(std::string_view data) {
            while (!data.empty()) {
                const ssize_t n = ::send(m_fd, data.data(), data.size(), MSG_NOSIGNAL);
                if (n <= 0)
                    return false;
                data.remove_prefix(static_cast<std::size_t>(n));
            }
            return true;
        }
        // Waits up to the given time; true when the server is stopping.
        bool WaitForStop(std::chrono::milliseconds wait) { return m_server.WaitForStop(wait); }
        // Drops the connection with a TCP reset instead of an orderly close.
        void Reset() {
            linger hard{1, 0};
            ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        }

    private:
        int m_fd;
        std::string m_request;
        RawServer& m_server;
    };
    using Responder = std::function<void(Connection&)>;

    explicit RawServer(Responder responder) : m_responder(std::move(responder)) {
        BypassProxyForLoopback();
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(m_listen, 16);
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_acceptThread = std::thread([this] { AcceptLoop(); });
    }
    ~RawServer() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_stopped.notify_all();
        m_acceptThread.join();
        for (auto& t : m_connections)
            t.join();
        ::close(m_listen);
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    int port() const { return m_port; }
    std::string Url(const std::string& path) const { return LoopbackUrl(m_port, path); }
    // The raw bytes of every request received, in order of arrival.
    std::vector<std::string> Requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

    // The header lines of a raw request, request line first, without line ends.
    static std::vector<std::string> HeadLines(const std::string& request) {
        std::vector<std::string> lines;
        std::size_t pos = 0;
        while (true) {
            const std::size_t end = request.find("\r\n", pos);
            if (end == std::string::npos || end == pos)
                break;
            lines.push_back(request.substr(pos, end - pos));
            pos = end + 2;
        }
        return lines;
    }
    static std::string Body(const std::string& request) {
        const std::size_t end = request.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : request.substr(end + 4);
    }

private:
    static constexpr std::size_t kMaxRequestBytes = 16u << 20;

    bool WaitForStop(std::chrono::milliseconds wait) {
        std::unique_lock lock(m_mutex);
        return m_stopped.wait_for(lock, wait, [this] { return m_stopping; });
    }
    bool Stopping() {
        std::lock_guard lock(m_mutex);
        return m_stopping;
    }

    void AcceptLoop() {
        while (!Stopping()) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const int fd = ::accept(m_listen, nullptr, nullptr);
            if (fd < 0)
                continue;
            m_connections.emplace_back([this, fd] { Serve(fd); });
        }
    }

    void Serve(int fd) {
        std::string request = ReadRequest(fd);
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        Connection connection(fd, std::move(request), *this);
        m_responder(connection);
        ::close(fd);
    }

    std::string ReadRequest(int fd) {
        std::string data;
        std::size_t wanted = std::string::npos;
        char buffer[4096];
        while (data.size() < kMaxRequestBytes && !Stopping()) {
            if (wanted == std::string::npos) {
                const std::size_t end = data.find("\r\n\r\n");
                if (end != std::string::npos)
                    wanted = end + 4 + ContentLength(data.substr(0, end));
            }
            if (wanted != std::string::npos && data.size() >= wanted)
                break;
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            data.append(buffer, static_cast<std::size_t>(n));
        }
        return data;
    }

    static std::size_t ContentLength(const std::string& head) {
        for (const std::string& line : HeadLines(head + "\r\n")) {
            std::string lower = line;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (lower.rfind("content-length:", 0) == 0) {
                return static_cast<std::size_t>(std::strtoull(line.c_str() + 15, nullptr, 10));
            }
        }
        return 0;
    }

    Responder m_responder;
    int m_listen = -1;
    int m_port = 0;
    std::thread m_acceptThread;
    std::vector<std::thread> m_connections;  // touched by the accept thread only
    mutable std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stopping = false;
    std::vector<std::string> m_requests;
};

}  // namespace qinghe::testing
