#include "app/qt_text.h"

#include "text/charset.h"

namespace qinghe {

QString ToQString(const Text& text) {
    if (text.empty())
        return {};
    const Text utf8 = AnsiToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

Text ToText(const QString& text) {
    if (text.isEmpty())
        return {};
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToAnsi(Bytes(std::string_view(utf8.constData(), utf8.size())));
}

}  // namespace qinghe
