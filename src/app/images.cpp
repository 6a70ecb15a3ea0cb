#include "app/images.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>

namespace qinghe {

namespace {

constexpr QRgb kBadgeColour = qRgb(0xE8, 0x4A, 0x1C);
constexpr QRgb kBadgeRim = qRgb(0xB8, 0x30, 0x0E);
constexpr QRgb kBarColour = qRgb(0x2A, 0x62, 0xC8);
constexpr QRgb kBarEdge = qRgb(0x1B, 0x44, 0x94);
constexpr QRgb kStripeColour = qRgb(0x86, 0xAE, 0xEE);
// Stripes repeat every kStripePeriod pixels and move this far per frame, so the
// last frame leads back into the first.
constexpr int kStripePeriod = 16;
constexpr int kStripeStep = kStripePeriod / kProgressFrameCount;

// The letters Q and H as strokes on a 100 x 100 grid, so the badge needs no font.
QPainterPath Lettering() {
    QPainterPath path;
    path.addEllipse(QRectF(17, 31, 32, 38));  // Q: the bowl
    path.moveTo(35, 58);                      // Q: the tail
    path.lineTo(50, 73);
    path.moveTo(60, 31);  // H
    path.lineTo(60, 69);
    path.moveTo(84, 31);
    path.lineTo(84, 69);
    path.moveTo(60, 50);
    path.lineTo(84, 50);
    return path;
}

}  // namespace

QImage MakeLogo(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 100.0, size / 100.0);

    painter.setPen(QPen(QColor(kBadgeRim), 4));
    painter.setBrush(QColor(kBadgeColour));
    painter.drawEllipse(QRectF(2, 2, 96, 96));

    QPen letters(Qt::white, 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(letters);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(Lettering());
    painter.end();

    // The palette holds the ramps between the colours that meet at the badge's
    // antialiased edges, so every pixel finds a close entry and nothing dithers.
    QList<QRgb> palette;
    const auto ramp = [&palette](QRgb from, QRgb to, int steps, bool alphaOnly) {
        for (int i = 0; i < steps; ++i) {
            const auto mix = [i, steps](int a, int b) { return a + (b - a) * i / (steps - 1); };
            if (alphaOnly) {
                palette << qRgba(qRed(to), qGreen(to), qBlue(to), mix(0, 255));
            } else {
                palette << qRgb(mix(qRed(from), qRed(to)), mix(qGreen(from), qGreen(to)),
                                mix(qBlue(from), qBlue(to)));
            }
        }
    };
    ramp(0, kBadgeRim, 64, true);
    ramp(kBadgeRim, kBadgeColour, 64, false);
    ramp(kBadgeColour, qRgb(255, 255, 255), 128, false);
    return image.convertToFormat(QImage::Format_Indexed8, palette,
                                 Qt::ThresholdDither | Qt::ThresholdAlphaDither);
}

std::vector<QImage> MakeProgressFrames() {
    std::vector<QImage> frames;
    for (int f = 0; f < kProgressFrameCount; ++f) {
        QImage frame(kProgressFrameWidth, kProgressFrameHeight, QImage::Format_RGB32);
        for (int y = 0; y < kProgressFrameHeight; ++y) {
            for (int x = 0; x < kProgressFrameWidth; ++x) {
                QRgb colour = kBarColour;
                if (y == 0 || y == kProgressFrameHeight - 1) {
                    colour = kBarEdge;
                } else {
                    const int phase =
                        ((x - y - f * kStripeStep) % kStripePeriod + kStripePeriod) % kStripePeriod;
                    if (phase < kStripePeriod / 2)
                        colour = kStripeColour;
                }
                frame.setPixel(x, y, colour);
            }
        }
        frames.push_back(frame);
    }
    return frames;
}

bool WriteIcons(const QString& dir) {
    const QDir root(dir);
    if (!root.mkpath(QStringLiteral(".")))
        return false;
    bool ok = MakeLogo().save(root.filePath(QStringLiteral("qinghe-rank.png")), "PNG");
    for (int size : {48, 64, 128, 256}) {
        const QString sub = QStringLiteral("icons/%1x%1").arg(size);
        ok = root.mkpath(sub) && ok;
        ok = MakeLogo(size).save(root.filePath(sub + QStringLiteral("/qinghe-rank.png")), "PNG") &&
             ok;
    }
    return ok;
}

}  // namespace qinghe
