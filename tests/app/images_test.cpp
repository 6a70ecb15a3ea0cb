// The drawn images and the picture box that shows them unscaled.
#include <QDir>
#include <set>

#include "app/controls.h"
#include "app/images.h"
#include "window_fixture.h"

namespace qinghe::testing {
namespace {

TEST(ImagesTest, LogoIsAnOrangeRedBadgeWithWhiteLettersIn256Colours) {
    const QImage logo = MakeLogo();
    EXPECT_EQ(logo.size(), QSize(50, 50));
    EXPECT_EQ(logo.format(), QImage::Format_Indexed8);
    EXPECT_LE(logo.colorCount(), 256);
    EXPECT_EQ(qAlpha(logo.pixel(0, 0)), 0);  // outside the circle
    const QColor badge(logo.pixel(25, 6));
    EXPECT_GT(badge.red(), 200);
    EXPECT_LT(badge.green(), 120);
    EXPECT_LT(badge.blue(), 80);
    int white = 0;
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 50; ++x)
            white += logo.pixel(x, y) == qRgb(255, 255, 255);
    }
    EXPECT_GT(white, 100);
}

TEST(ImagesTest, ProgressFramesMoveTheirStripesRightAndLoop) {
    const std::vector<QImage> frames = MakeProgressFrames();
    ASSERT_EQ(frames.size(), 4u);
    const int step = 4;  // pixels per frame
    for (std::size_t f = 0; f < frames.size(); ++f) {
        SCOPED_TRACE(f);
        const QImage& now = frames[f];
        const QImage& next = frames[(f + 1) % frames.size()];
        EXPECT_EQ(now.size(), QSize(136, 10));
        EXPECT_NE(now, next);
        const QColor middle(now.pixel(68, 5));
        EXPECT_GT(middle.blue(), middle.red());
        for (int y = 1; y < 9; ++y) {
            for (int x = 0; x + step < 136; ++x) {
                ASSERT_EQ(next.pixel(x + step, y), now.pixel(x, y)) << x << "," << y;
            }
        }
    }
}

TEST(ImagesTest, PictureBoxDrawsFromTheTopLeftUnscaledAndAnimatesOnlyWhileShown) {
    TestApp();
    QWidget parent;
    parent.resize(200, 50);
    PictureBox box(&parent);
    box.setGeometry(0, 0, 150, 8);
    const std::vector<QImage> frames = MakeProgressFrames();
    box.SetFrames(frames, kProgressFrameMs);

    QImage shot(box.size(), QImage::Format_ARGB32);
    shot.fill(Qt::transparent);
    box.render(&shot, QPoint(), QRegion(), QWidget::RenderFlags());  // no background
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 150; ++x) {
            const QRgb expected = x < 136 ? frames[0].pixel(x, y) : 0u;
            ASSERT_EQ(shot.pixel(x, y), expected) << x << "," << y;
        }
    }

    parent.show();
    EXPECT_TRUE(box.IsAnimating());
    EXPECT_TRUE(QTest::qWaitFor([&] { return box.FrameIndex() != 0; }));
    box.hide();
    EXPECT_FALSE(box.IsAnimating());
}

TEST(ImagesTest, IconsAreWrittenInEveryDesktopSize) {
    TempDir dir;
    const QString root = QString::fromStdString(dir.path().string());
    ASSERT_TRUE(WriteIcons(root));
    const QImage logo(root + "/qinghe-rank.png");
    EXPECT_EQ(logo.size(), QSize(50, 50));
    EXPECT_EQ(logo.format(), QImage::Format_Indexed8);
    for (int size : {48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const QImage icon(root + QStringLiteral("/icons/%1x%1/qinghe-rank.png").arg(size));
        EXPECT_EQ(icon.size(), QSize(size, size));
    }
}

}  // namespace
}  // namespace qinghe::testing
