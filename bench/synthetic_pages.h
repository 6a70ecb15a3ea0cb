// Synthetic result pages of the classic layout (one table per result, green URL
// in a span of class g) for benchmarks and tests, and a hostile page built to
// make a lazy block pattern backtrack.
#pragma once

#include <cstddef>
#include <string>

namespace qinghe::synthetic {

// A classic result page as UTF-8, about `bytes` long: `blocks` result tables with
// ids 1.., each holding a title, a Chinese snippet, a green URL line
// <span class="g">www.siteN.example/...</span> and padding markup between tables.
// Block 7 shows www.target.example.
inline std::string ClassicPage(std::size_t bytes = 1 << 20, int blocks = 100) {
    const std::string head =
        "<!DOCTYPE html><html><head><meta http-equiv=\"content-type\" content=\"text/html;"
        "charset=utf-8\"><title>百度搜索_示例</title>\n<style>table{border:0}</style></head>\n"
        "<body><div id=\"wrapper\">\n";
    const std::string tail =
        "</div><p id=\"page\"><a href=\"/s?wd=x&pn=100\">下一页&gt;</a></p>"
        "<div id=\"ft\">&copy;2011 Baidu</div></body></html>\n";
    const std::string snippet =
        "这是一个用来模拟真实搜索结果页面的摘要文字，里面有中文标点、数字２０１１和"
        "<em>关键词</em>，还有一些常见的网站介绍内容。";
    std::string page = head;
    const std::size_t perBlock =
        bytes > head.size() + tail.size()
            ? (bytes - head.size() - tail.size()) / (blocks > 0 ? blocks : 1)
            : 0;
    for (int n = 1; n <= blocks; ++n) {
        const std::string id = std::to_string(n);
        const std::string host = n == 7 ? "www.target.example" : "www.site" + id + ".example";
        std::string block = "<table cellpadding=\"0\" cellspacing=\"0\" class=\"result\" id=\"" +
                            id + "\" mu=\"http://" + host +
                            "/\"><tr><td class=f>\n<h3 class=\"t\">"
                            "<a onmousedown=\"return c({'fm':'as','F':'778317EA','T':'1302',"
                            "'title':this.innerHTML,'p1':" +
                            id + "})\" href=\"http://" + host + "/\" target=\"_blank\">示例网站" +
                            id +
                            " - <em>关键词</em>官方网站</a>"
                            "</h3>\n<font size=-1>";
        for (int i = 0; i < 3; ++i)
            block += snippet;
        block += "<br>\n<span class=\"g\">" + host + "/index" + id +
                 ".html 12K 2011-4-1 </span> - <a href=\"http://cache.baidu.com/c?m=" + id +
                 "\" target=\"_blank\" class=\"m\">百度快照</a><br></font></td></tr></table><br>\n";
        // Padding markup between results: links and scripts without tables.
        while (block.size() + 120 < perBlock) {
            block += "<div class=\"c-row\"><a href=\"http://www.baidu.com/link?url=pad" + id +
                     "\" class=\"c-gap\">相关搜索 related</a><i class=\"c-icon\"></i></div>\n";
        }
        page += block;
    }
    page += tail;
    return page;
}

// One line of `bytes` bytes full of table tags with id attributes, quotes and
// closing angle brackets, but no closing table tag: every table tag starts an
// attempt of the block pattern that runs to the end of the page.
inline std::string HostilePage(std::size_t bytes) {
    const std::string unit = "<table id=\"x\" class=\"r\">\"'\" <td \"";
    std::string page;
    page.reserve(bytes + unit.size());
    while (page.size() < bytes)
        page += unit;
    page.resize(bytes);
    return page;
}

}  // namespace qinghe::synthetic
