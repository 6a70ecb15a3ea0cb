// The query layer: the search URL with its keyword encoding (search_request.h),
// the reading of result pages (result_page_parser.h) and the rank query driver
// below, which fills the result column for every keyword of the current site.
#pragma once

#include "form/form.h"
#include "text/text.h"

namespace qinghe {

struct QuerySettings {
    // Host of the search engine's web search; tests point it at a loopback server.
    Text searchHost = "www.baidu.com";
};

class RankQuery {
public:
    // keywords: the process-wide KeywordArray, read afresh at every step.
    RankQuery(Form& form, const TextArray& keywords, QuerySettings settings = {});

    // The click handler of 按钮_查询排名. A press while a query runs is ignored.
    void Run();
    bool IsRunning() const { return m_running; }

private:
    Form& m_form;
    const TextArray& m_keywords;
    QuerySettings m_settings;
    bool m_running = false;
};

}  // namespace qinghe
