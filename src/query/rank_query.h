// The query layer: the search URL with its keyword encoding (search_request.h),
// the reading of result pages (result_page_parser.h) and the rank query driver
// below, which fills the result column for every keyword of the current site.
#pragma once

#include <functional>

#include "form/form.h"
#include "text/text.h"

namespace qinghe {

// Fetches one result page: the response body (empty when none could be had) and,
// in finalUrl, the URL that finally answered after redirects.
using PageFetch = std::function<Bytes(const Text& url, Text& finalUrl)>;

struct QuerySettings {
    // Host of the search engine's web search; tests point it at a loopback server.
    Text searchHost = "www.baidu.com";
    // Empty: WebRequest with the URL alone. Tests substitute their own.
    PageFetch fetch;
};

// Requests one slice of 100 results may take when the engine serves fewer per page.
constexpr int kMaxRequestsPerSlice = 10;

// True when the request ended on the engine's verification host (wappass.baidu.com).
bool IsVerificationUrl(const Text& finalUrl);

class RankQuery {
public:
    // keywords: the process-wide KeywordArray, read afresh at every step.
    RankQuery(Form& form, const TextArray& keywords, QuerySettings settings = {});

    // The click handler of 按钮_查询排名. A press while a query runs is ignored.
    void Run();
    bool IsRunning() const { return m_running; }

private:
    struct Pass;  // the working state of one query
    bool CanGoOn(int keyword);
    void QuerySlice(Pass& pass, int keyword, int offset);
    Bytes Fetch(const Text& url, Text& finalUrl);

    Form& m_form;
    const TextArray& m_keywords;
    QuerySettings m_settings;
    bool m_running = false;
};

}  // namespace qinghe
