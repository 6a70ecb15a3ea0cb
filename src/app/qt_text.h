// Texts cross into Qt here: the logic keeps code-page-936 bytes, Qt keeps UTF-16.
#pragma once

#include <QString>

#include "text/text.h"

namespace qinghe {

QString ToQString(const Text& text);
// A character that code page 936 lacks becomes "?"; a U+0000 ends the text.
Text ToText(const QString& text);

}  // namespace qinghe
