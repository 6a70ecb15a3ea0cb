// Pressing "查询排名" in the real window with real requests to a loopback search
// server that serves real result pages of each generation.
#include <QPushButton>
#include <optional>

#include "app/controls.h"
#include "support/search_server.h"
#include "text/charset.h"
#include "window_fixture.h"

namespace qinghe::testing {
namespace {

struct E2eCase {
    const char* name;
    const char* page;  // under tests/data/pages; nullptr: nothing listens
    const char* site;
    const char* cell;    // UTF-8
    const char* status;  // UTF-8
    std::size_t searches;
};

// A page without result blocks costs one request; a page whose results end
// below the slice of 100 is asked once more from its highest position, and the
// same page served again adds nothing.
const char kDone[] = "搜索完毕....";
const char kBlocked[] = "搜索完毕....（百度要求安全验证，部分结果未能查询）";
const E2eCase kCases[] = {
    {"ClassicMozillaOrg", "classic-2011-mozilla.utf8.html", "www.mozilla.org", "2 6 7 ", kDone, 2},
    {"ClassicMozillaCom", "classic-2011-mozilla.utf8.html", "www.mozilla.com", "4 5 ", kDone, 2},
    {"ClassicAbsentSite", "classic-2011-mozilla.utf8.html", "www.absent.example", "100名以后 :(",
     kDone, 2},
    {"Transitional2015DictCn", "transitional-2015-number.html", "dict.cn", "5 ", kDone, 2},
    {"Modern2020Python", "modern-2020-python.html", "www.python.org", "2 3 ", kDone, 2},
    {"Modern2021Hello", "modern-2021-hello.html", "www.hello.com", "9 ", kDone, 2},
    {"Modern2021DictCn", "modern-2021-hello.html", "dict.cn", "11 ", kDone, 2},
    {"VerificationPage", "verification-2020.html", "www.python.org", "查询失败", kBlocked, 1},
    {"ServerDown", nullptr, "www.python.org", "查询失败", kDone, 0},
};

class E2eTest : public WindowTest, public ::testing::WithParamInterface<E2eCase> {};

TEST_P(E2eTest, TheButtonFillsTheRankColumn) {
    const E2eCase& c = GetParam();
    const std::string page =
        c.page ? ReadTestFile(TestDataPath(std::string("pages/") + c.page)) : std::string();
    SearchServer server([&](const httplib::Request&) { return PageReply(page); });
    QuerySettings settings;
    if (c.page) {
        server.Start();
        settings.searchHost = Text(server.host());
    } else {
        BypassProxyForLoopback();
        settings.searchHost = Text("127.0.0.1:" + std::to_string(UnusedLoopbackPort()));
    }
    WriteSiteFile(c.site, "firefox##");
    MainWindow& w = Start(std::move(settings));
    // Every look at the clock moves it on, so the pauses between pages pass at once.
    std::uint32_t now = 0;
    w.SetClockForTesting([&now] { return now += 50; });
    QTest::keyClick(Find("组合框_网站列表"), Qt::Key_Down);

    QTest::mouseClick(Find<QPushButton>("按钮_查询排名"), Qt::LeftButton);

    EXPECT_EQ(w.ReadCell(0, 2), Utf8ToAnsi(Bytes(std::string_view(c.cell))));
    EXPECT_EQ(Find<StatusBar>("状态条1")->Pane(1)->text(), U(c.status));
    EXPECT_FALSE(Find("图片框_进度条")->isVisible());
    const auto searches = server.Searches();
    EXPECT_EQ(searches.size(), c.searches);
    for (const RecordedRequest& r : searches)
        EXPECT_NE(r.target.find("wd=firefox"), std::string::npos) << r.target;
}

INSTANTIATE_TEST_SUITE_P(Pages, E2eTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qinghe::testing
