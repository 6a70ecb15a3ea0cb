// The rank query end to end: the real driver, search URL, web request, charset
// conversion and parser against a search engine on loopback, with the window
// faked and its pauses run on a virtual clock.
#include "query/rank_query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "support/fake_form.h"
#include "support/search_server.h"
#include "support/test_data.h"
#include "web/cookies.h"
#include "web/web_request.h"

namespace qinghe {
namespace {

using testing::FakeForm;
using testing::PageReply;
using testing::QueryFields;
using testing::RecordedRequest;
using testing::ResultEntry;
using testing::SearchEngine;
using testing::SearchReply;
using testing::SearchServer;

// The window's texts, code page 936.
const Text kNoSite =
    "\xC7\xEB\xD1\xA1\xD4\xF1\xCD\xF8\xD5\xBE\xB5\xD8\xD6\xB7!";  // 请选择网站地址!
const Text kSearching =
    "\xCB\xD1\xCB\xF7\xB9\xD8\xBC\xFC\xB4\xCA\xC5\xC5\xC3\xFB\xD6\xD0....";  // 搜索关键词排名中....
const Text kDone = "\xCB\xD1\xCB\xF7\xCD\xEA\xB1\xCF....";                   // 搜索完毕....
// 搜索完毕....（百度要求安全验证，部分结果未能查询）
const Text kDoneBlocked =
    "\xCB\xD1\xCB\xF7\xCD\xEA\xB1\xCF....\xA3\xA8\xB0\xD9\xB6\xC8\xD2\xAA\xC7\xF3\xB0\xB2\xC8\xAB"
    "\xD1\xE9\xD6\xA4\xA3\xAC\xB2\xBF\xB7\xD6\xBD\xE1\xB9\xFB\xCE\xB4\xC4\xDC\xB2\xE9\xD1\xAF\xA3"
    "\xA9";
const Text kFailed = "\xB2\xE9\xD1\xAF\xCA\xA7\xB0\xDC";  // 查询失败
Text Beyond(int limit) {                                  // N名以后 :(
    return JoinText(NumberToText(limit), "\xC3\xFB\xD2\xD4\xBA\xF3 :(");
}

// FakeForm that also counts the accesses to the result column, and those to rows
// that do not exist.
class RecordingForm : public FakeForm {
public:
    std::map<int, int> rankReads;
    std::map<int, int> rankWrites;
    int strayCellAccesses = 0;

    Text ReadCell(int row, int column) override {
        Note(row, column, rankReads);
        return FakeForm::ReadCell(row, column);
    }
    void WriteCell(int row, int column, const Text& text) override {
        Note(row, column, rankWrites);
        FakeForm::WriteCell(row, column, text);
    }

private:
    void Note(int row, int column, std::map<int, int>& counts) {
        if (row < 0 || row >= static_cast<int>(rows.size()))
            ++strayCellAccesses;
        if (column == kColumnRank)
            ++counts[row];
    }
};

std::string ReadPage(const std::string& name) {
    return testing::ReadTestFile(testing::TestDataPath("pages/" + name));
}

class RankQueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearCookieStore();
        SeedRandomWithTick(4242);
    }

    // What picking a site does: its keywords in KeywordArray, one row each.
    void LoadSite(const Text& site, const std::vector<Text>& words) {
        form.sites.entries = {site};
        form.PickSite(0);
        LoadKeywords(words);
    }
    void LoadKeywords(const std::vector<Text>& words) {
        keywords = TextArray(words);
        form.rows.clear();
        for (std::size_t i = 0; i < words.size(); ++i) {
            form.rows.push_back({NumberToText(static_cast<int>(i) + 1), words[i], Text()});
        }
    }
    void SelectRange(int pages) {
        form.range.selected = pages - 1;
        form.range.text = form.ComboEntryText(ComboBox::组合框_搜索范围, pages - 1);
    }
    std::vector<Text> Cells() const {
        std::vector<Text> cells;
        for (const auto& row : form.rows)
            cells.push_back(row[kColumnRank]);
        return cells;
    }
    static QuerySettings OnHost(const std::string& host) {
        QuerySettings settings;
        settings.searchHost = host;
        return settings;
    }
    static QuerySettings At(const SearchServer& server) { return OnHost(server.host()); }
    static std::vector<std::string> Field(const std::vector<RecordedRequest>& requests,
                                          const std::string& key) {
        std::vector<std::string> values;
        for (const RecordedRequest& r : requests) {
            for (const auto& [k, v] : QueryFields(r.target)) {
                if (k == key)
                    values.push_back(v);
            }
        }
        return values;
    }

    RecordingForm form;
    TextArray keywords;
};

// ---- the steps of one query -------------------------------------------------------

TEST_F(RankQueryTest, WithoutASiteOnlyAsksForOne) {
    SearchServer server(SearchEngine{});
    server.Start();
    LoadSite("www.site.com", {"k1"});
    form.sites.text = Text();
    form.rows[0][kColumnRank] = "7 ";
    RankQuery query(form, keywords, At(server));
    query.Run();

    EXPECT_EQ(form.statusLog, std::vector<Text>{kNoSite});
    EXPECT_EQ(form.progressShowCount, 0);
    EXPECT_EQ(Cells(), std::vector<Text>{"7 "});
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(RankQueryTest, ASiteWithoutKeywordsMakesNoRequest) {
    SearchServer server(SearchEngine{});
    server.Start();
    LoadSite("www.site.com", {});
    RankQuery query(form, keywords, At(server));
    query.Run();

    EXPECT_EQ(form.statusLog, (std::vector<Text>{kSearching, kDone}));
    EXPECT_EQ(form.progressShowCount, 1);
    EXPECT_FALSE(form.progressShown);
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(RankQueryTest, WritesEveryPositionInTheRangeAndTheLimitWhereThereIsNone) {
    SearchEngine engine;
    engine.Place("k1", 5, "www.site.com/a.html").Place("k1", 130, "www.site.com/b/c.html");
    engine.Place("k2", 200, "www.site.com/last-of-the-range.html");
    SearchServer server(engine);
    server.Start();
    LoadSite("www.site.com", {"k1", "k2", "k3"});
    SelectRange(2);
    RankQuery query(form, keywords, At(server));
    query.Run();

    EXPECT_EQ(Cells(), (std::vector<Text>{"5 130 ", "200 ", Beyond(200)}));
    EXPECT_EQ(server.Searches().size(), 6u);  // K x P
    EXPECT_EQ(form.statusLog, (std::vector<Text>{kSearching, kDone}));
    EXPECT_FALSE(form.progressShown);
    EXPECT_EQ(form.progressShowCount, 1);
}

TEST_F(RankQueryTest, RunningAgainGivesTheSameCellsNotAccumulatedOnes) {
    SearchEngine engine;
    engine.Place("k1", 5, "www.site.com/");
    SearchServer server(engine);
    server.Start();
    LoadSite("www.site.com", {"k1", "k2"});
    RankQuery query(form, keywords, At(server));
    query.Run();
    const std::vector<Text> first = Cells();
    query.Run();
    EXPECT_EQ(Cells(), first);
    EXPECT_EQ(first, (std::vector<Text>{"5 ", Beyond(100)}));
}

TEST_F(RankQueryTest, EveryRequestCarriesTheTenFieldsAndOneInputTPerQuery) {
    SearchServer server(SearchEngine{});
    server.Start();
    LoadSite("www.site.com", {"\xC5\xC5\xC3\xFB abc", "a&b=c"});  // 排名 abc
    SelectRange(3);
    RankQuery query(form, keywords, At(server));
    query.Run();
    query.Run();

    const std::vector<RecordedRequest> searches = server.Searches();
    ASSERT_EQ(searches.size(), 12u);
    const std::vector<std::string> order = {"wd",      "rsv_bp",   "rsv_spt",  "rsv_sug3",
                                            "rsv_sug", "rsv_sug4", "rsv_sug1", "pn",
                                            "rn",      "inputT"};
    std::set<std::string> inputTs[2];
    for (std::size_t n = 0; n < searches.size(); ++n) {
        SCOPED_TRACE(searches[n].target);
        const auto fields = QueryFields(searches[n].target);
        ASSERT_EQ(fields.size(), order.size());
        for (std::size_t f = 0; f < order.size(); ++f)
            EXPECT_EQ(fields[f].first, order[f]);
        const std::size_t keyword = (n % 6) / 3;
        EXPECT_EQ(fields[0].second, keyword == 0 ? "%C5%C5%C3%FB%20abc" : "a%26b%3Dc");
        EXPECT_EQ(fields[1].second, "0");
        EXPECT_EQ(fields[2].second, "3");
        EXPECT_EQ(fields[3].second, "7");
        EXPECT_EQ(fields[4].second, "0");
        EXPECT_EQ(fields[5].second, "312");
        EXPECT_EQ(fields[6].second, "6");
        EXPECT_EQ(fields[7].second, std::to_string((n % 3) * 100));
        EXPECT_EQ(fields[8].second, "100");
        const int inputT = std::stoi(fields[9].second);
        EXPECT_GE(inputT, 1221);
        EXPECT_LE(inputT, 6894);
        inputTs[n / 6].insert(fields[9].second);
    }
    EXPECT_EQ(inputTs[0].size(), 1u);
    EXPECT_EQ(inputTs[1].size(), 1u);
    EXPECT_NE(*inputTs[0].begin(), *inputTs[1].begin()) << "each query draws its own";
}

// Compared on the wire: the test server library decodes header values.
TEST_F(RankQueryTest, TheRefererIsTheRequestUrl) {
    testing::RawServer server([](testing::RawServer::Connection& connection) {
        const std::string body = testing::EmptyResultPage();
        connection.Send(
            "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
            "Connection: close\r\nContent-Length: " +
            std::to_string(body.size()) + "\r\n\r\n" + body);
    });
    LoadSite("www.site.com", {"\xC5\xC5\xC3\xFB a&b"});  // 排名 a&b
    RankQuery query(form, keywords, OnHost("127.0.0.1:" + std::to_string(server.port())));
    query.Run();

    const std::vector<std::string> requests = server.Requests();
    ASSERT_FALSE(requests.empty());
    const std::vector<std::string> lines = testing::RawServer::HeadLines(requests[0]);
    ASSERT_FALSE(lines.empty());
    const std::string target =
        lines[0].substr(4, lines[0].rfind(' ') - 4);  // GET <target> HTTP/1.1
    EXPECT_EQ(target.rfind("/s?wd=%C5%C5%C3%FB%20a%26b&rsv_bp=0&", 0), 0u) << target;
    const std::string referer =
        "Referer: http://127.0.0.1:" + std::to_string(server.port()) + target;
    EXPECT_NE(std::find(lines.begin(), lines.end(), referer), lines.end()) << requests[0];
}

TEST_F(RankQueryTest, SendsTheCookiesOfTheFirstPageWithTheNext) {
    auto first = std::make_shared<std::atomic<bool>>(true);
    SearchServer server([first](const httplib::Request& req) {
        SearchReply reply = SearchEngine{}(req);
        if (first->exchange(false))
            reply.headers.emplace("Set-Cookie", "BAIDUID=ab12; path=/");
        return reply;
    });
    server.Start();
    LoadSite("www.site.com", {"k1"});
    SelectRange(3);
    RankQuery query(form, keywords, At(server));
    query.Run();

    const std::vector<RecordedRequest> searches = server.Searches();
    ASSERT_EQ(searches.size(), 3u);
    EXPECT_FALSE(searches[0].HasHeader("Cookie"));
    EXPECT_NE(searches[1].Header("Cookie").find("BAIDUID=ab12"), std::string::npos);
    EXPECT_NE(searches[2].Header("Cookie").find("BAIDUID=ab12"), std::string::npos);
}

TEST_F(RankQueryTest, ReadsAndWritesTheCellOncePerPosition) {
    SearchEngine engine;
    for (int position : {3, 17, 64})
        engine.Place("k1", position, "www.site.com/p");
    SearchServer server(engine);
    server.Start();
    LoadSite("www.site.com", {"k1", "k2"});
    RankQuery query(form, keywords, At(server));
    query.Run();

    EXPECT_EQ(Cells(), (std::vector<Text>{"3 17 64 ", Beyond(100)}));
    // Clearing, then one write per position; one read per position and the final check.
    EXPECT_EQ(form.rankWrites[0], 4);
    EXPECT_EQ(form.rankReads[0], 4);
    EXPECT_EQ(form.rankWrites[1], 2);  // cleared, then the limit
    EXPECT_EQ(form.rankReads[1], 1);
}

TEST_F(RankQueryTest, PausesFrom500To2000MsAfterEveryPage) {
    SearchServer server(SearchEngine{});
    server.Start();
    LoadSite("www.site.com", {"abc", "xyz"});
    SelectRange(3);
    std::vector<std::uint32_t> fetchedAt;
    QuerySettings settings = At(server);
    settings.fetch = [&](const Text& url, Text& finalUrl) {
        fetchedAt.push_back(form.now);
        return WebRequest(url, nullptr, Text(), nullptr, nullptr, nullptr, nullptr, false, 0,
                          nullptr, Bytes(), &finalUrl);
    };
    RankQuery query(form, keywords, settings);
    query.Run();

    ASSERT_EQ(fetchedAt.size(), 6u);
    fetchedAt.push_back(form.now + 3 * form.msPerEventRound);  // as if a next URL were encoded
    std::set<std::uint32_t> pauses;
    for (std::size_t n = 1; n < fetchedAt.size(); ++n) {
        // Between two fetches: the pause, then three event rounds of encoding.
        const std::uint32_t pause = fetchedAt[n] - fetchedAt[n - 1] - 3 * form.msPerEventRound;
        SCOPED_TRACE(n);
        EXPECT_GT(pause, 500u);
        EXPECT_LE(pause, 2000u + form.msPerEventRound);
        pauses.insert(pause);
    }
    EXPECT_GT(pauses.size(), 1u) << "drawn afresh for every page";
}

TEST_F(RankQueryTest, NothingSelectedInTheRangeFetchesNothing) {
    SearchServer server(SearchEngine{});
    server.Start();
    LoadSite("www.site.com", {"k1"});
    form.range.selected = -1;
    RankQuery query(form, keywords, At(server));
    query.Run();
    EXPECT_EQ(Cells(), std::vector<Text>{Beyond(0)});
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(RankQueryTest, ARangeChangedDuringAPauseCountsFromThen) {
    SearchServer server(SearchEngine{});
    server.Start();
    LoadSite("www.site.com", {"k1", "k2"});
    form.onProcessEvents = [&](FakeForm& f) {
        if (server.Searches().size() == 1)
            f.range.selected = 2;
    };
    RankQuery query(form, keywords, At(server));
    query.Run();
    // k1 asked for one page but gets the limit selected when its cell is written.
    EXPECT_EQ(Cells(), (std::vector<Text>{Beyond(300), Beyond(300)}));
    EXPECT_EQ(Field(server.Searches(), "pn"), (std::vector<std::string>{"0", "0", "100", "200"}));
}

// ---- failed and blocked pages -----------------------------------------------------

TEST_F(RankQueryTest, AServerThatIsDownGivesQueryFailed) {
    LoadSite("www.site.com", {"k1", "k2"});
    SelectRange(2);
    RankQuery query(form, keywords,
                    OnHost("127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort())));
    query.Run();
    EXPECT_EQ(Cells(), (std::vector<Text>{kFailed, kFailed}));
    EXPECT_EQ(form.statusLog.back(), kDone);
}

TEST_F(RankQueryTest, AVerificationPageServedDirectlyIsAFailureAndABlock) {
    const std::string verification = ReadPage("verification-2020.html");
    SearchServer server([&](const httplib::Request&) { return PageReply(verification); });
    server.Start();
    LoadSite("www.site.com", {"k1", "k2"});
    SelectRange(2);
    RankQuery query(form, keywords, At(server));
    query.Run();
    EXPECT_EQ(Cells(), (std::vector<Text>{kFailed, kFailed}));
    EXPECT_EQ(form.statusLog.back(), kDoneBlocked);
    EXPECT_EQ(server.Searches().size(), 4u);
}

TEST_F(RankQueryTest, AVerificationPageAfterARedirectIsAFailureAndABlock) {
    const std::string verification = ReadPage("verification-2020.html");
    SearchServer server([](const httplib::Request&) {
        SearchReply reply;
        reply.status = 302;
        reply.headers.emplace("Location", "/static/captcha/tuxing.html?ak=c27bbc89");
        return reply;
    });
    server.Route("/static/captcha/tuxing.html",
                 [&](const httplib::Request&) { return PageReply(verification); });
    server.Start();
    LoadSite("www.site.com", {"k1"});
    RankQuery query(form, keywords, At(server));
    query.Run();
    EXPECT_EQ(Cells(), std::vector<Text>{kFailed});
    EXPECT_EQ(form.statusLog.back(), kDoneBlocked);
    EXPECT_EQ(server.Requests().size(), 2u);  // the search and the page it led to
}

// The engine's verification host is recognised by the final URL alone, whatever
// the page it serves.
TEST_F(RankQueryTest, EndingOnTheVerificationHostIsAFailureAndABlock) {
    struct Case {
        const char* finalUrl;
        Text cell;
        Text status;
    };
    for (const Case& c :
         {Case{"https://wappass.baidu.com/static/captcha/tuxing.html?ak=1&backurl=x", kFailed,
               kDoneBlocked},
          Case{"http://www.baidu.com/s?wd=k1", Beyond(100), kDone}}) {
        SCOPED_TRACE(c.finalUrl);
        form.statusLog.clear();
        LoadSite("www.site.com", {"k1"});
        QuerySettings settings;
        settings.fetch = [&](const Text&, Text& finalUrl) {
            finalUrl = c.finalUrl;
            return Bytes(testing::EmptyResultPage());
        };
        RankQuery query(form, keywords, settings);
        query.Run();
        EXPECT_EQ(Cells(), std::vector<Text>{c.cell});
        EXPECT_EQ(form.statusLog.back(), c.status);
    }
}

TEST(IsVerificationUrl, RecognisesTheVerificationHostOnly) {
    struct Case {
        const char* url;
        bool verification;
    };
    for (const Case& c :
         {Case{"https://wappass.baidu.com/static/captcha/tuxing.html?ak=1", true},
          Case{"http://WAPPASS.Baidu.com/", true}, Case{"http://wappass.baidu.com:443/x", true},
          Case{"http://www.baidu.com/s?wd=wappass.baidu.com", false},
          Case{"http://wappass.baidu.com.example/", false},
          Case{"http://127.0.0.1:8080/s?wd=k", false}, Case{"", false}}) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(IsVerificationUrl(c.url), c.verification);
    }
}

TEST_F(RankQueryTest, PositionsFoundStayWhenAnotherPageFails) {
    const std::string verification = ReadPage("verification-2020.html");
    SearchEngine engine;
    engine.Place("k1", 5, "www.site.com/");
    SearchServer server([&](const httplib::Request& req) {
        return req.get_param_value("pn") == "0" ? engine(req) : PageReply(verification);
    });
    server.Start();
    LoadSite("www.site.com", {"k1", "k2"});
    SelectRange(2);
    RankQuery query(form, keywords, At(server));
    query.Run();
    EXPECT_EQ(Cells(), (std::vector<Text>{"5 ", kFailed}));
    EXPECT_EQ(form.statusLog.back(), kDoneBlocked);
}

// ---- the user acting while the query waits ----------------------------------------

TEST_F(RankQueryTest, ASecondPressDuringAPauseIsIgnored) {
    SearchEngine engine;
    engine.Place("k1", 5, "www.site.com/");
    SearchServer server(engine);
    server.Start();
    LoadSite("www.site.com", {"k1", "k2"});
    SelectRange(2);
    RankQuery query(form, keywords, At(server));
    int presses = 0;
    form.onProcessEvents = [&](FakeForm&) {
        if (server.Searches().size() == 1 && presses == 0) {
            ++presses;
            query.Run();
        }
    };
    query.Run();

    EXPECT_EQ(presses, 1);
    EXPECT_EQ(server.Searches().size(), 4u);
    EXPECT_EQ(form.statusLog, (std::vector<Text>{kSearching, kDone}));
    EXPECT_EQ(Cells(), (std::vector<Text>{"5 ", Beyond(200)}));
    EXPECT_FALSE(query.IsRunning());

    form.onProcessEvents = nullptr;
    query.Run();  // once finished, the button works again
    EXPECT_EQ(server.Searches().size(), 8u);
}

TEST_F(RankQueryTest, ASiteSwitchedDuringAPauseGoesOnWithTheNewList) {
    SearchEngine engine;
    engine.Place("k1", 150, "www.a.com/").Place("kb", 120, "www.b.com/");
    SearchServer server(engine);
    server.Start();
    LoadSite("www.a.com", {"k1", "k2", "k3"});
    form.sites.entries.push_back("www.b.com");
    SelectRange(2);
    form.onProcessEvents = [&](FakeForm& f) {
        if (server.Searches().size() == 1 && f.sites.text == Text("www.a.com")) {
            f.PickSite(1);
            LoadKeywords({"kb"});
        }
    };
    RankQuery query(form, keywords, At(server));
    query.Run();

    // The second page is asked for the new first keyword and searched for the new site;
    // the query ends with the shorter list.
    EXPECT_EQ(Field(server.Searches(), "wd"), (std::vector<std::string>{"k1", "kb"}));
    EXPECT_EQ(Cells(), std::vector<Text>{"120 "});
    EXPECT_EQ(form.strayCellAccesses, 0);
    EXPECT_EQ(form.statusLog.back(), kDone);
}

TEST_F(RankQueryTest, KeywordsDeletedDuringAPauseEndTheQueryWithTheList) {
    struct Case {
        const char* name;
        std::size_t afterSearches;    // the deletion happens in the pause after these
        std::vector<Text> remaining;  // KeywordArray and rows after it
        std::vector<std::string> searched;
        std::vector<Text> cells;
    };
    for (const Case& c : {
             Case{"LastOfThreeDuringTheFirst",
                  1,
                  {"k1", "k2"},
                  {"k1", "k2"},
                  {Beyond(100), Beyond(100)}},
             Case{"TwoOfThreeDuringTheSecond", 2, {"k3"}, {"k1", "k2"}, {Text()}},
             Case{"AllDuringTheFirst", 1, {}, {"k1"}, {}},
         }) {
        SCOPED_TRACE(c.name);
        SearchServer server(SearchEngine{});
        server.Start();
        LoadSite("www.site.com", {"k1", "k2", "k3"});
        form.strayCellAccesses = 0;
        bool deleted = false;
        form.onProcessEvents = [&](FakeForm&) {
            if (!deleted && server.Searches().size() == c.afterSearches) {
                deleted = true;
                LoadKeywords(c.remaining);
            }
        };
        RankQuery query(form, keywords, At(server));
        query.Run();

        EXPECT_EQ(Field(server.Searches(), "wd"), c.searched);
        EXPECT_EQ(Cells(), c.cells);
        EXPECT_EQ(form.strayCellAccesses, 0);
        EXPECT_EQ(form.statusLog.back(), kDone);
        EXPECT_FALSE(form.progressShown);
    }
}

TEST_F(RankQueryTest, ClosingTheWindowEndsTheQueryAfterTheRequestInFlight) {
    struct Case {
        const char* name;
        std::size_t closeAfterSearches;
    };
    for (const Case& c :
         {Case{"WhileTheFirstKeywordIsEncoded", 0}, Case{"InThePauseAfterTheFirstPage", 1}}) {
        SCOPED_TRACE(c.name);
        SearchServer server(SearchEngine{});
        server.Start();
        LoadSite("www.site.com", {"k1", "k2"});
        SelectRange(3);
        form.closing = false;
        form.onProcessEvents = [&](FakeForm& f) {
            if (server.Searches().size() == c.closeAfterSearches)
                f.closing = true;
        };
        RankQuery query(form, keywords, At(server));
        query.Run();

        EXPECT_EQ(server.Searches().size(), c.closeAfterSearches);
        EXPECT_FALSE(query.IsRunning());
        EXPECT_FALSE(form.progressShown);
        EXPECT_EQ(Cells(), (std::vector<Text>{Text(), Text()})) << "no verdict on a cut keyword";
    }
}

// ---- engines that serve fewer results than asked for ------------------------------

struct CapCase {
    const char* name;
    int pageCap;
    bool ignoresOffset;
    int totalResults;
    int pages;
    std::vector<int> placed;
    Text cell;
    std::vector<std::string> pns;  // the pn of every request, in order
};

void PrintTo(const CapCase& c, std::ostream* os) {
    *os << c.name;
}

class RankQueryCapTest : public RankQueryTest, public ::testing::WithParamInterface<CapCase> {};

TEST_P(RankQueryCapTest, CoversTheRangeWithContinuationPages) {
    const CapCase& c = GetParam();
    SearchEngine engine;
    engine.pageCap = c.pageCap;
    engine.ignoresOffset = c.ignoresOffset;
    engine.totalResults = c.totalResults;
    for (int position : c.placed)
        engine.Place("k1", position, "www.site.com/x.html");
    SearchServer server(engine);
    server.Start();
    LoadSite("www.site.com", {"k1"});
    SelectRange(c.pages);
    RankQuery query(form, keywords, At(server));
    query.Run();

    EXPECT_EQ(Cells(), std::vector<Text>{c.cell});
    const std::vector<RecordedRequest> searches = server.Searches();
    EXPECT_EQ(Field(searches, "pn"), c.pns);
    for (const std::string& rn : Field(searches, "rn"))
        EXPECT_EQ(rn, "100");
}

INSTANTIATE_TEST_SUITE_P(
    Engines, RankQueryCapTest,
    ::testing::Values(
        CapCase{"HonoursOneHundred", 100, false, 800, 3, {73, 150}, "73 150 ", {"0", "100", "200"}},
        CapCase{"CapsAtFifty", 50, false, 800, 1, {73}, "73 ", {"0", "50"}},
        CapCase{"CapsAtFiftyOverTwoSlices",
                50,
                false,
                800,
                2,
                {73, 150},
                "73 150 ",
                {"0", "50", "100", "150"}},
        CapCase{"CapsAtTen",
                10,
                false,
                800,
                1,
                {73},
                "73 ",
                {"0", "10", "20", "30", "40", "50", "60", "70", "80", "90"}},
        // The continuation from 90 reaches into the next slice: 110 counts once.
        CapCase{"CapsAtThirty",
                30,
                false,
                800,
                2,
                {95, 110},
                "95 110 ",
                {"0", "30", "60", "90", "100", "130", "160", "190"}},
        // Ten requests of seven cover only 70 positions.
        CapCase{"StopsAtTheBoundOfTenRequests",
                7,
                false,
                800,
                1,
                {73},
                Beyond(100),
                {"0", "7", "14", "21", "28", "35", "42", "49", "56", "63"}},
        // The second page brings nothing new: no repeat and no more requests.
        CapCase{"IgnoresTheOffset", 50, true, 800, 1, {20}, "20 ", {"0", "50"}},
        CapCase{"RunsOutOfResults", 100, false, 37, 2, {30}, "30 ", {"0", "37", "100"}}),
    [](const ::testing::TestParamInfo<CapCase>& info) { return std::string(info.param.name); });

// ---- real result pages --------------------------------------------------------------

struct RealPageCase {
    const char* name;
    const char* file;
    const char* site;
    Text cell;
};

void PrintTo(const RealPageCase& c, std::ostream* os) {
    *os << c.name;
}

class RankQueryRealPageTest : public RankQueryTest,
                              public ::testing::WithParamInterface<RealPageCase> {};

TEST_P(RankQueryRealPageTest, FindsTheSiteWhereAReaderSeesIt) {
    const RealPageCase& c = GetParam();
    const std::string page = ReadPage(c.file);
    SearchServer server([&](const httplib::Request& req) {
        return PageReply(req.get_param_value("pn") == "0" ? page : testing::EmptyResultPage());
    });
    server.Start();
    LoadSite(c.site, {"k1"});
    RankQuery query(form, keywords, At(server));
    query.Run();
    EXPECT_EQ(Cells(), std::vector<Text>{c.cell});
}

INSTANTIATE_TEST_SUITE_P(
    Pages, RankQueryRealPageTest,
    ::testing::Values(
        RealPageCase{"ClassicMozillaOrg", "classic-2011-mozilla.utf8.html", "www.mozilla.org",
                     "2 6 7 "},
        RealPageCase{"ClassicMozillaCom", "classic-2011-mozilla.utf8.html", "www.mozilla.com",
                     "4 5 "},
        RealPageCase{"ClassicSiteNotThere", "classic-2011-mozilla.utf8.html",
                     "www.not-there.example", Beyond(100)},
        RealPageCase{"Transitional2015", "transitional-2015-number.html", "dict.cn", "5 "},
        RealPageCase{"Modern2021", "modern-2021-hello.html", "www.hello.com", "9 "},
        RealPageCase{"Verification2020", "verification-2020.html", "www.mozilla.org", kFailed}),
    [](const ::testing::TestParamInfo<RealPageCase>& info) {
        return std::string(info.param.name);
    });

}  // namespace
}  // namespace qinghe
