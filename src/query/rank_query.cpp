#include "query/rank_query.h"

#include <optional>
#include <string_view>

#include "query/result_page_parser.h"
#include "query/search_request.h"
#include "text/charset.h"
#include "text/regex.h"
#include "web/cookies.h"
#include "web/web_request.h"

namespace qinghe {
namespace {

constexpr int kResultsPerPage = 100;

// The window shows code-page-936 texts; the messages are written here in UTF-8.
Text Gbk(std::u8string_view utf8) {
    return Utf8ToAnsi(
        Bytes(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size())));
}

// The number of a position text made of decimal digits only.
std::optional<int> PositionNumber(const Text& position) {
    if (position.empty() || position.size() > 9) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : position.view()) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

bool IsVerificationUrl(const Text& finalUrl) {
    return UrlHost(finalUrl, false) == Text("wappass.baidu.com");
}

struct RankQuery::Pass {
    RegexObject blockMatcher;
    RegexObject spanMatcher;
    int inputT = 0;
    bool blocked = false;        // the engine asked for verification at least once
    bool keywordFailed = false;  // a page of the current keyword could not be read
};

RankQuery::RankQuery(Form& form, const TextArray& keywords, QuerySettings settings)
    : m_form(form), m_keywords(keywords), m_settings(std::move(settings)) {}

void RankQuery::Run() {
    // Handlers run inside the pauses of a query; a second press must not start
    // another query over the same rows.
    if (m_running) {
        return;
    }
    m_running = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_running};

    Pass pass;  // the two matchers live for this query, on every path
    if (m_form.ReadComboText(ComboBox::组合框_网站列表).empty()) {
        m_form.WriteStatus(Gbk(u8"请选择网站地址!"));
        return;
    }
    m_form.WriteStatus(Gbk(u8"搜索关键词排名中...."));
    m_form.ShowControl(Control::图片框_进度条, true);
    pass.inputT = RandomInRange(1221, 6894);

    for (int n = 1; n <= m_keywords.Count(); ++n) {
        m_form.WriteCell(n - 1, kColumnRank, Text());
    }

    const int keywordCount = m_keywords.Count();
    for (int i = 1; i <= keywordCount && CanGoOn(i); ++i) {
        const int pages = m_form.ComboSelectedIndex(ComboBox::组合框_搜索范围) + 1;
        pass.keywordFailed = false;
        bool complete = true;
        for (int p = 1; p <= pages; ++p) {
            if (!CanGoOn(i)) {
                complete = false;
                break;
            }
            QuerySlice(pass, i, (p - 1) * kResultsPerPage);
        }
        // A keyword whose pages were cut short gets no verdict; the loop ends.
        if (!complete || !CanGoOn(i)) {
            break;
        }
        if (m_form.ReadCell(i - 1, kColumnRank).empty()) {
            if (pass.keywordFailed) {
                m_form.WriteCell(i - 1, kColumnRank, Gbk(u8"查询失败"));
            } else {
                const int limit =
                    (m_form.ComboSelectedIndex(ComboBox::组合框_搜索范围) + 1) * kResultsPerPage;
                m_form.WriteCell(i - 1, kColumnRank,
                                 JoinText(NumberToText(limit), Gbk(u8"名以后 :(")));
            }
        }
    }

    m_form.WriteStatus(pass.blocked ? Gbk(u8"搜索完毕....（百度要求安全验证，部分结果未能查询）")
                                    : Gbk(u8"搜索完毕...."));
    m_form.ShowControl(Control::图片框_进度条, false);
}

// The user may close the window, rebuild the keyword list or clear the site's
// name while the query waits; the query goes on only with what still exists.
bool RankQuery::CanGoOn(int keyword) {
    return !m_form.IsClosing() && keyword <= m_keywords.Count() &&
           !m_form.ReadComboText(ComboBox::组合框_网站列表).empty();
}

// One slice of 100 results from offset. An engine that serves fewer results per
// page than asked for is followed with continuation pages from the highest
// position seen, until the slice is covered, a page brings nothing beyond what
// was seen, or the request bound is reached.
void RankQuery::QuerySlice(Pass& pass, int keyword, int offset) {
    const int sliceEnd = offset + kResultsPerPage;
    int pageOffset = offset;
    int reached = offset;  // positions up to here are covered
    for (int request = 1; request <= kMaxRequestsPerSlice; ++request) {
        if (request > 1 && !CanGoOn(keyword)) {
            return;
        }
        const Text url = SearchRequest(m_settings.searchHost, m_keywords.At(keyword), pageOffset,
                                       pass.inputT, &m_form);
        // Encoding lets the window act; nothing is sent for a query that has to stop.
        if (!CanGoOn(keyword)) {
            return;
        }
        Text finalUrl;
        const Bytes body = Fetch(url, finalUrl);
        const Text pageText = body.empty() ? Text() : Utf8ToAnsi(body);
        const bool verification = IsVerificationUrl(finalUrl) || IsVerificationPage(pageText);
        const bool failed = body.empty() || verification;

        ParsedPage parsed;
        if (!failed) {
            const Text site = m_form.ReadComboText(ComboBox::组合框_网站列表);
            parsed = ParseResultPage(pageText, site, pass.blockMatcher, pass.spanMatcher);
        }
        for (const Text& position : parsed.positions) {
            // A continuation page overlaps what was seen and may run into the next
            // slice; only positions new to this slice count there.
            if (request > 1) {
                const std::optional<int> number = PositionNumber(position);
                if (!number || *number <= reached || *number > sliceEnd) {
                    continue;
                }
            }
            const Text cell = m_form.ReadCell(keyword - 1, kColumnRank);
            m_form.WriteCell(keyword - 1, kColumnRank, JoinText(cell, position, " "));
        }
        Pause(m_form, RandomInRange(500, 2000));

        if (failed) {
            pass.keywordFailed = true;
            pass.blocked = pass.blocked || verification;
            return;
        }
        if (parsed.blockCount == 0 || parsed.highestPosition <= reached) {
            return;
        }
        reached = parsed.highestPosition;
        if (reached >= sliceEnd) {
            return;
        }
        pageOffset = reached;
    }
}

Bytes RankQuery::Fetch(const Text& url, Text& finalUrl) {
    if (m_settings.fetch) {
        return m_settings.fetch(url, finalUrl);
    }
    return WebRequest(url, nullptr, Text(), nullptr, nullptr, nullptr, nullptr, false, 0, nullptr,
                      Bytes(), &finalUrl);
}

}  // namespace qinghe
