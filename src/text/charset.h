// Conversion between code page 936 (GBK) texts and UTF-8, through UTF-16.
// Malformed UTF-8 decodes to replacement characters and the rest converts; a
// character that code page 936 lacks becomes "?"; a U+0000 ends the text.
#pragma once

#include <cstdint>
#include <vector>

#include "text/text.h"

namespace qinghe {

// UTF-16 code units (host order).
using Utf16 = std::vector<char16_t>;

// UTF-8 bytes (a fetched page) to a code-page-936 text.
Text Utf8ToAnsi(const Bytes& bytes);
// A code-page-936 text to a text holding its UTF-8 bytes.
Text AnsiToUtf8(const Text& text);

// The steps of the two conversions.
Utf16 Utf8ToUtf16(const Bytes& bytes);                 // exactly the decoded units
Text Utf16ToGbk(const Utf16& units);                   // composed forms preferred
Utf16 CodePageToUtf16(const Text& text, int codePage); // ends with one zero unit
Text Utf16ToCodePage(const Utf16& units, int codePage);  // stops at a zero unit

constexpr int kCodePageGbk = 936;
constexpr int kCodePageUtf8 = 65001;

}  // namespace qinghe
