// A search engine on loopback for tests of the rank query: it answers /s with
// generated classic result pages (one table per result, the displayed URL in a
// span of class g) or with fixture pages, and records every request.
//   SearchEngine       - which results a keyword has, and how many a page serves
//   ClassicResultPage  - a result page in the classic layout, UTF-8
//   SearchServer       - HttpServer (loopback_server.h) with the engine behind /s
// Link Threads::Threads and cpp-httplib.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/loopback_server.h"

namespace qinghe::testing {

struct ResultEntry {
    std::string id;        // the table's id attribute: the absolute position
    std::string shownUrl;  // the green URL line
};

inline std::string ClassicResultPage(const std::vector<ResultEntry>& results) {
    std::string page =
        "<!DOCTYPE html>\n<html><head><meta http-equiv=\"content-type\" "
        "content=\"text/html;charset=utf-8\"><title>\xE7\x99\xBE\xE5\xBA\xA6\xE6\x90\x9C"
        "\xE7\xB4\xA2</title></head>\n<body><div id=\"container\">\n";
    for (const ResultEntry& r : results) {
        page += "<table cellpadding=\"0\" cellspacing=\"0\" class=\"result\" id=\"" + r.id +
                "\" ><tr><td class=f><h3 class=\"t\"><a href=\"http://" + r.shownUrl +
                "\" target=\"_blank\">Result " + r.id +
                "</a></h3><font size=-1>A snippet about the page.<br><span class=\"g\">" +
                r.shownUrl + " 2011-4-12 </span></font></td></tr></table><br>\n";
    }
    page += "</div></body></html>\n";
    return page;
}

// A well-formed page without any result block (past the end of the results).
inline std::string EmptyResultPage() {
    return ClassicResultPage({});
}

struct SearchReply {
    int status = 200;
    std::string body;
    std::string contentType = "text/html; charset=utf-8";
    httplib::Headers headers;  // extra response headers (Set-Cookie, Location)
};

inline SearchReply PageReply(std::string body) {
    SearchReply reply;
    reply.body = std::move(body);
    return reply;
}

// The results of every keyword are positions 1..totalResults; a position placed
// for the keyword shows that URL, any other one a filler site. A page starts at
// position pn + 1 and holds rn results, or pageCap when the engine serves fewer.
struct SearchEngine {
    std::map<std::string, std::map<int, std::string>> placements;  // wd bytes -> position -> URL
    int totalResults = 800;
    int pageCap = 100;
    bool ignoresOffset = false;  // every page starts at position 1

    SearchEngine& Place(const std::string& keyword, int position, const std::string& url) {
        placements[keyword][position] = url;
        return *this;
    }

    std::vector<ResultEntry> Results(const std::string& keyword, int pn, int rn) const {
        const int first = ignoresOffset ? 1 : pn + 1;
        const int last = std::min(first - 1 + std::min(rn, pageCap), totalResults);
        const auto placed = placements.find(keyword);
        std::vector<ResultEntry> results;
        for (int position = first; position <= last; ++position) {
            std::string url = "www.filler" + std::to_string(position) + ".example/page.html";
            if (placed != placements.end()) {
                const auto it = placed->second.find(position);
                if (it != placed->second.end())
                    url = it->second;
            }
            results.push_back({std::to_string(position), url});
        }
        return results;
    }

    SearchReply operator()(const httplib::Request& req) const {
        const auto number = [&](const char* key, int fallback) {
            return req.has_param(key) ? std::atoi(req.get_param_value(key).c_str()) : fallback;
        };
        return PageReply(ClassicResultPage(
            Results(req.get_param_value("wd"), number("pn", 0), number("rn", 10))));
    }
};

// Answers GET /s with the handler's reply (called on the server's threads: it
// must only read what the test set up before the query). Every request of any
// path is recorded.
class SearchServer {
public:
    using Handler = std::function<SearchReply(const httplib::Request&)>;

    explicit SearchServer(Handler handler) : m_handler(std::move(handler)) {
        m_http.routes().Get("/s", [this](const httplib::Request& req, httplib::Response& res) {
            Answer(m_handler(req), res);
        });
    }

    // Further routes (a redirect target, say) go here before Start().
    void Route(const std::string& path, Handler handler) {
        m_http.routes().Get(path, [handler = std::move(handler)](const httplib::Request& req,
                                                                 httplib::Response& res) {
            Answer(handler(req), res);
        });
    }

    void Start() { m_http.Start(); }
    int port() const { return m_http.port(); }
    // The host part of the search URL: 127.0.0.1:port.
    std::string host() const { return "127.0.0.1:" + std::to_string(m_http.port()); }

    std::vector<RecordedRequest> Requests() const { return m_http.Requests(); }
    // Requests of the search path only.
    std::vector<RecordedRequest> Searches() const {
        std::vector<RecordedRequest> searches;
        for (RecordedRequest& r : m_http.Requests()) {
            if (r.target.rfind("/s?", 0) == 0)
                searches.push_back(std::move(r));
        }
        return searches;
    }

private:
    static void Answer(const SearchReply& reply, httplib::Response& res) {
        res.status = reply.status;
        for (const auto& [name, value] : reply.headers)
            res.set_header(name, value);
        res.set_content(reply.body, reply.contentType.c_str());
    }

    Handler m_handler;
    HttpServer m_http;
};

// The decoded fields of a search request's query string, in their order.
inline std::vector<std::pair<std::string, std::string>> QueryFields(const std::string& target) {
    std::vector<std::pair<std::string, std::string>> fields;
    const std::size_t question = target.find('?');
    if (question == std::string::npos)
        return fields;
    const std::string query = target.substr(question + 1);
    std::size_t pos = 0;
    while (pos <= query.size()) {
        std::size_t end = query.find('&', pos);
        if (end == std::string::npos)
            end = query.size();
        const std::string piece = query.substr(pos, end - pos);
        const std::size_t eq = piece.find('=');
        fields.emplace_back(piece.substr(0, eq),
                            eq == std::string::npos ? std::string() : piece.substr(eq + 1));
        pos = end + 1;
    }
    return fields;
}

}  // namespace qinghe::testing
