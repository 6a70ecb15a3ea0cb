// Synthetic result pages for the parsing benchmarks and tests: pages of the
// classic and of the newer layout of a given size, and pages built to make the
// engine backtrack.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qinghe::pages {

// A result page of the classic layout (2011 markup) as UTF-8: `blocks` result
// tables with ids 1.., each with a title, a snippet in Chinese over several lines
// and the green URL www.<b>site<N></b>.example.com/path 2011-4-6, padded to about
// `bytes` in all. Blocks 3 and 60 show www.target.example.com.
inline std::string ClassicPage(std::size_t bytes, int blocks) {
    std::string page =
        "<html><head><meta http-equiv=\"content-type\" content=\"text/html;charset=gb2312\">\n"
        "<title>百度搜索_hello</title><style>table{border:0}.g{color:#008000}</style>\n"
        "<script>function c(p){return true}</script></head><body>\n";
    const std::string tail =
        "<br clear=all><p id=\"page\"><span>1</span> <a href=\"/s?wd=hello&amp;pn=100\">"
        "下一页&gt;</a></p><div id=\"ft\">&copy;2011 Baidu</div></body></html>\n";
    const std::string_view line =
        "<em>Hello</em> 这是一段模拟的摘要文字，介绍网站的内容与更新，帮助用户判断结果是否有用。"
        "<font color=#666666>更多相关信息</font><br>\n";
    std::size_t perBlock = bytes > page.size() + tail.size() ? (bytes - page.size() - tail.size()) /
                                                                   static_cast<std::size_t>(blocks)
                                                             : 0;
    for (int n = 1; n <= blocks; ++n) {
        std::string id = std::to_string(n);
        std::string word = (n == 3 || n == 60) ? "target" : "site" + id;
        std::string b = "<table cellpadding=\"0\" cellspacing=\"0\" class=\"result\" id=\"" + id +
                        "\"><tr><td class=f><h3 class=\"t\"><a onmousedown=\"return c({'fm':'as',"
                        "'F':'779317EA','T':'1302299163','title':this.innerHTML,'url':this.href,"
                        "'p1':" +
                        id + "})\" href=\"http://www." + word +
                        ".example.com/path/\" target=\"_blank\">示例网站 | <em>Hello</em> world</a>"
                        "</h3><font size=-1>";
        std::string end =
            "<span class=\"g\">www.<b>" + word +
            "</b>.example.com/path/ 2011-4-6  </span> - <a href=\"http://cache."
            "baidu.com/c?m=9f65cb4a8c8507ed&p1=" +
            id + "\" target=\"_blank\" class=\"m\">百度快照</a><br></font></td></tr></table><br>\n";
        std::size_t used = b.size() + end.size();
        page += b;
        for (; used + line.size() <= perBlock; used += line.size()) {
            page += line;
        }
        page += end;
    }
    page += tail;
    return page;
}

// A result page of the newer layout (2021 markup) as UTF-8: a head of scripts and
// styles, then `blocks` c-container blocks with ids 1.., each with a title, a
// snippet in Chinese and the displayed URL www.site<N>.example.com/path with the
// searched word bolded, padded with markup to about `bytes` in all. Block 7 shows
// www.target.example.com.
inline std::string ModernPage(std::size_t bytes, int blocks) {
    std::string head =
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>hello_百度搜索</title>\n";
    std::string tail =
        "<div id=\"page\"><a href=\"/s?wd=hello&pn=10\">下一页</a></div>\n"
        "<div id=\"foot\">©2021 Baidu</div></body></html>\n";
    std::vector<std::string> body;
    std::size_t blockBytes = 0;
    for (int n = 1; n <= blocks; ++n) {
        std::string host =
            n == 7 ? "www.target.example.com" : "www.site" + std::to_string(n) + ".example.com";
        std::string bolded = host;
        bolded.replace(bolded.find('.') + 1, 0, "<b>");
        bolded.replace(bolded.find('.', bolded.find("<b>")), 0, "</b>");
        std::string b =
            "<div class=\"result c-container new-pmd\" id=\"" + std::to_string(n) +
            "\" srcid=\"1599\" tpl=\"se_com_default\"  data-click=\"{'rsv_bdr':'0',"
            "'p5':" +
            std::to_string(n) +
            "}\"  >\n"
            "<h3 class=\"t c-title-en\"><a data-click=\"{'F':'778317EA'}\" "
            "href=\"http://www.baidu.com/link?url=Zx" +
            std::to_string(n * 7919) +
            "\" target=\"_blank\"><em>Hello</em> 你好 - 示例网站</a></h3>\n"
            "<div class=\"c-abstract\"><span class=\" newTimeFactor_before_abs c-color-gray2"
            " m\">2021年5月3日&nbsp;</span>这是一个关于<em>hello</em>的搜索结果摘要，"
            "用来模拟真实页面中的文字。</div>\n"
            "<div class=\"f13 c-gap-top-xsmall se_st_footer user-avatar\">"
            "<a target=\"_blank\" href=\"http://www.baidu.com/link?url=Zx" +
            std::to_string(n * 7919) +
            "\" class=\"c-showurl c-color-gray\" style=\"text-decoration:none;position:"
            "relative;\">" +
            bolded +
            "/path/</a>"
            "<div class=\"c-tools c-gap-left\" id=\"tools_" +
            std::to_string(n) +
            "\" data-tools='{\"title\":\"hello\",\"url\":\"http://www.baidu.com/\"}'>"
            "<i class=\"c-icon f13\">&#xe62b;</i></div>"
            "<a data-click=\"{'rsv_snapshot':'1'}\" href=\"http://cache.baiducontent.com/c?m=9\""
            " target=\"_blank\" class=\"m c-gap-left c-color-gray kuaizhao\">百度快照</a>"
            "</div>\n";
        blockBytes += b.size();
        body.push_back(std::move(b));
    }
    // Pad every block with the card markup and scripts that real blocks carry.
    std::size_t fixed = head.size() + tail.size() + blockBytes;
    std::size_t pad = bytes > fixed ? (bytes - fixed) / static_cast<std::size_t>(blocks) : 0;
    const std::string_view filler =
        "<div class=\"c-row c-gap-top-small\"><div class=\"c-span3\"><img src=\"https://"
        "t7.baidu.com/it/u=1,2&fm=218\" class=\"c-img c-img3\"></div><div class=\"c-span9 "
        "c-span-last\">相关内容与推荐，继续阅读 <em>hello</em> 的更多信息。</div></div>\n";
    std::string page = head;
    page += "<style>.c-container{width:560px}</style><script>var s_session={};</script>\n";
    page += "</head><body><div id=\"content_left\">\n";
    for (std::string& b : body) {
        page += b;
        for (std::size_t added = 0; added + filler.size() <= pad; added += filler.size()) {
            page += filler;
        }
        page += "</div>\n";
    }
    page += "</div>\n";
    page += tail;
    return page;
}

// Pages built to make regular expressions backtrack; all ASCII, so the same text
// in UTF-8 and in code page 936.
enum class Hostile {
    UnclosedTables,        // <table id="N"> again and again, never closed
    TablesWithoutIds,      // <table> on one long line without an id, closed once at the end
    UnclosedGreenSpans,    // one table, <span class="g"> on one long line, never closed there
    ContainersWithoutIds,  // c-container divs without ids, nested and unclosed
    UnclosedContainerTag,  // one c-container tag whose attributes never end
    UnclosedUrlElements,   // one block full of c-showurl elements without closing tags
};

inline const char* HostileName(Hostile kind) {
    switch (kind) {
        case Hostile::UnclosedTables:
            return "UnclosedTables";
        case Hostile::TablesWithoutIds:
            return "TablesWithoutIds";
        case Hostile::UnclosedGreenSpans:
            return "UnclosedGreenSpans";
        case Hostile::ContainersWithoutIds:
            return "ContainersWithoutIds";
        case Hostile::UnclosedContainerTag:
            return "UnclosedContainerTag";
        case Hostile::UnclosedUrlElements:
            return "UnclosedUrlElements";
    }
    return "";
}

constexpr Hostile kHostileKinds[] = {
    Hostile::UnclosedTables,       Hostile::TablesWithoutIds,     Hostile::UnclosedGreenSpans,
    Hostile::ContainersWithoutIds, Hostile::UnclosedContainerTag, Hostile::UnclosedUrlElements,
};

// A hostile page of about `bytes`, after `prefix` (e.g. real result blocks).
inline std::string HostilePage(Hostile kind, std::size_t bytes, std::string_view prefix = {}) {
    std::string page(prefix);
    auto repeat = [&](std::string_view piece) {
        while (page.size() + piece.size() <= bytes) {
            page += piece;
        }
    };
    switch (kind) {
        case Hostile::UnclosedTables:
            repeat("<table class=\"result\" id=\"1\"><tr><td><span class=\"g\">www.example.com/\n");
            break;
        case Hostile::TablesWithoutIds:
            repeat("<table class=\"result\"><tr><td>");
            page += "</table>\n";
            break;
        case Hostile::UnclosedGreenSpans:
            page += "<table class=\"result\" id=\"1\"><tr><td>";
            repeat("<span class=\"g\">www.example.com/ ");
            page += "\n</span></td></tr></table>\n";
            break;
        case Hostile::ContainersWithoutIds:
            repeat(
                "<div class=\"result c-container\" tpl=\"se_com_default\"><a "
                "class=\"c-showurl\">x");
            break;
        case Hostile::UnclosedContainerTag:
            page += "<div class=\"result c-container\" ";
            repeat("data-click=\"{'p1':1}\" mu=\"http://www.example.com/\" ");
            break;
        case Hostile::UnclosedUrlElements:
            page += "<div class=\"result c-container\" id=\"1\">";
            repeat("<a class=\"c-showurl\" href=\"#\">www.<b>example</b>.com ");
            break;
    }
    return page;
}

}  // namespace qinghe::pages
