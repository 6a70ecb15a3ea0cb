#include <cstring>

#include "text/text.h"

namespace qinghe {

Text::Text(const char* s) : m_bytes(s ? s : "") {}

Text::Text(std::string_view s) : m_bytes(s.substr(0, s.find('\0'))) {}

Text::Text(std::string&& s) : m_bytes(std::move(s)) {
    const auto zero = m_bytes.find('\0');
    if (zero != std::string::npos) m_bytes.resize(zero);
}

const Text& TextArray::At(int i) const {
    static const Text kEmpty;
    return i >= 1 && i <= Count() ? m_items[static_cast<std::size_t>(i - 1)] : kEmpty;
}

}  // namespace qinghe
