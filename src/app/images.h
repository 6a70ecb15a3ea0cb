// The program's two images, drawn in code so no artwork files are needed at run
// time: the logo badge and the frames of the indeterminate progress bar.
#pragma once

#include <QImage>
#include <QString>
#include <vector>

namespace qinghe {

constexpr int kLogoSize = 50;
constexpr int kProgressFrameWidth = 136;
constexpr int kProgressFrameHeight = 10;
constexpr int kProgressFrameCount = 4;
constexpr int kProgressFrameMs = 50;

// A circular orange-red badge with white lettering, size x size pixels, in a
// 256-colour palette with transparency outside the circle.
QImage MakeLogo(int size = kLogoSize);

// The four frames of the progress animation: a blue bar whose lighter diagonal
// stripes move to the right from one frame to the next, looping seamlessly.
std::vector<QImage> MakeProgressFrames();

// Writes dir/qinghe-rank.png (the 50 x 50 logo) and
// dir/icons/<N>x<N>/qinghe-rank.png for the desktop icon sizes. False on failure.
bool WriteIcons(const QString& dir);

}  // namespace qinghe
