// The query button on the real window with a substituted page fetch: the
// progress image plays only while a query runs, and closing the window during
// a query ends it after the request in flight.
#include <QPushButton>

#include "app/controls.h"
#include "window_fixture.h"

namespace qinghe::testing {
namespace {

using QueryTest = WindowTest;

TEST_F(QueryTest, ProgressImagePlaysOnlyWhileAQueryRuns) {
    WriteSiteFile("a.com", "k##");
    int fetches = 0;
    bool shownDuringFetch = false;
    bool animatingDuringFetch = false;
    QuerySettings settings;
    settings.fetch = [&](const Text&, Text&) {
        ++fetches;
        auto* progress = Find<PictureBox>("图片框_进度条");
        shownDuringFetch = progress->isVisible();
        animatingDuringFetch = progress->IsAnimating();
        return Bytes(std::string_view("<html><body>nothing here</body></html>"));
    };
    Start(std::move(settings));
    auto* progress = Find<PictureBox>("图片框_进度条");
    EXPECT_FALSE(progress->isVisible());
    QTest::keyClick(Find("组合框_网站列表"), Qt::Key_Down);

    QTest::mouseClick(Find<QPushButton>("按钮_查询排名"), Qt::LeftButton);
    EXPECT_EQ(fetches, 1);
    EXPECT_TRUE(shownDuringFetch);
    EXPECT_TRUE(animatingDuringFetch);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_FALSE(progress->IsAnimating());
    EXPECT_EQ(window().ReadCell(0, 2), Gbk("100名以后 :("));
    EXPECT_EQ(Find<StatusBar>("状态条1")->Pane(1)->text(), U("搜索完毕...."));
}

TEST_F(QueryTest, WithoutASiteTheQueryOnlyAsksForOne) {
    Start();
    QTest::mouseClick(Find<QPushButton>("按钮_查询排名"), Qt::LeftButton);
    EXPECT_EQ(Find<StatusBar>("状态条1")->Pane(1)->text(), U("请选择网站地址!"));
    EXPECT_FALSE(Find("图片框_进度条")->isVisible());
}

TEST_F(QueryTest, ClosingDuringAQueryEndsItAfterTheRequestInFlight) {
    WriteSiteFile("a.com", "k1##k2##k3##");
    int fetches = 0;
    QuerySettings settings;
    settings.fetch = [&](const Text&, Text&) {
        if (++fetches == 1) {
            window().close();  // the user closes the window meanwhile
            EXPECT_TRUE(window().isVisible());
            EXPECT_TRUE(window().IsClosing());
        }
        return Bytes(std::string_view("<html></html>"));
    };
    Start(std::move(settings));
    QTest::keyClick(Find("组合框_网站列表"), Qt::Key_Down);
    QTest::mouseClick(Find<QPushButton>("按钮_查询排名"), Qt::LeftButton);
    EXPECT_EQ(fetches, 1);
    EXPECT_FALSE(window().isVisible());
}

TEST_F(QueryTest, ClosingWhileIdleClosesAtOnce) {
    Start();
    EXPECT_FALSE(window().IsClosing());
    EXPECT_TRUE(window().close());
    EXPECT_TRUE(window().IsClosing());
    EXPECT_FALSE(window().isVisible());
}

}  // namespace
}  // namespace qinghe::testing
