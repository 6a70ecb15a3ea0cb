// The text layer: the text, number, byte-array and random primitives every other
// layer is written on, file access by code-page-936 names (files.h), conversion
// between code page 936 and UTF-8 (charset.h) and the regular-expression object
// (regex.h). Nothing here knows about the window, the network or the store.
//
// Conventions: a Text is a byte string in code page 936 (GBK) that never holds a
// zero byte; positions and lengths count bytes and positions start at 1. Scanning
// operations step over two-byte characters whole (a byte of 0x80 or more starts
// one); cutting operations count raw bytes. Nothing throws: an operation that has
// nothing to give returns the empty text, empty bytes, false, 0 or -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qinghe {

// A code-page-936 text. Construction keeps the bytes before the first zero
// byte, so the no-zero-byte invariant holds for every value.
class Text {
public:
    Text() = default;
    Text(const char* s);       // NOLINT(google-explicit-constructor): literals are texts
    Text(std::string_view s);  // NOLINT(google-explicit-constructor)
    Text(const std::string& s) : Text(std::string_view(s)) {}  // NOLINT
    Text(std::string&& s);                                    // NOLINT

    const std::string& str() const { return m_bytes; }
    std::string_view view() const { return m_bytes; }
    const char* c_str() const { return m_bytes.c_str(); }
    const char* data() const { return m_bytes.data(); }
    std::size_t size() const { return m_bytes.size(); }
    bool empty() const { return m_bytes.empty(); }
    // Byte at 0-based offset i as an unsigned value; i must be < size().
    unsigned char byte(std::size_t i) const { return static_cast<unsigned char>(m_bytes[i]); }

    Text& operator+=(const Text& other) {
        m_bytes += other.m_bytes;
        return *this;
    }
    friend Text operator+(Text a, const Text& b) { return a += b; }
    friend bool operator==(const Text& a, const Text& b) = default;
    friend auto operator<=>(const Text& a, const Text& b) = default;

private:
    std::string m_bytes;
};

// A byte array: any bytes, zeros allowed. Distinct from Text on purpose.
class Bytes {
public:
    Bytes() = default;
    explicit Bytes(std::vector<std::uint8_t> data) : m_data(std::move(data)) {}
    explicit Bytes(std::string_view raw) : m_data(raw.begin(), raw.end()) {}
    Bytes(const std::uint8_t* p, std::size_t n) : m_data(p, p + n) {}

    const std::uint8_t* data() const { return m_data.data(); }
    std::size_t size() const { return m_data.size(); }
    bool empty() const { return m_data.empty(); }
    std::uint8_t operator[](std::size_t i) const { return m_data[i]; }
    auto begin() const { return m_data.begin(); }
    auto end() const { return m_data.end(); }
    const std::vector<std::uint8_t>& vec() const { return m_data; }
    std::vector<std::uint8_t>& vec() { return m_data; }
    std::string_view view() const {
        return {reinterpret_cast<const char*>(m_data.data()), m_data.size()};
    }

    Bytes& operator+=(const Bytes& other) {
        m_data.insert(m_data.end(), other.m_data.begin(), other.m_data.end());
        return *this;
    }
    friend bool operator==(const Bytes& a, const Bytes& b) = default;

private:
    std::vector<std::uint8_t> m_data;
};

// The result of SplitText: elements counted from 1. At(i) outside 1..Count()
// gives the empty text, so a reader can never run past the end.
class TextArray {
public:
    TextArray() = default;
    explicit TextArray(std::vector<Text> items) : m_items(std::move(items)) {}

    int Count() const { return static_cast<int>(m_items.size()); }
    const Text& At(int i) const;
    void Append(Text t) { m_items.push_back(std::move(t)); }

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }
    const std::vector<Text>& items() const { return m_items; }
    friend bool operator==(const TextArray& a, const TextArray& b) = default;

private:
    std::vector<Text> m_items;
};

// ---- comparison, joining, length -------------------------------------------------

// Unsigned byte comparison: 0 when equal, negative when a sorts first.
int CompareText(const Text& a, const Text& b);

template <typename... More>
Text JoinText(const Text& first, const More&... more) {
    Text result = first;
    ((result += Text(more)), ...);
    return result;
}

template <typename... More>
Bytes JoinBytes(const Bytes& first, const More&... more) {
    Bytes result = first;
    ((result += more), ...);
    return result;
}

int TextLength(const Text& t);
int BytesLength(const Bytes& b);

// ---- searching, replacing, splitting, trimming ------------------------------------

// 1-based byte position of the first occurrence of sub at or after start, or -1.
// ignoreCase folds ASCII letters only.
int FindText(const Text& text, const Text& sub, int start, bool ignoreCase);
inline int FindText(const Text& text, const Text& sub, bool ignoreCase) {
    return FindText(text, sub, 1, ignoreCase);
}

// Replaces occurrences of find, left to right, without overlap. count omitted
// (std::nullopt) means every occurrence. Note: caseSensitive, the opposite sense
// of FindText's flag.
Text ReplaceText(const Text& text, const Text& find, const Text& replacement, int start,
                 std::optional<int> count, bool caseSensitive);
inline Text ReplaceText(const Text& text, const Text& find, const Text& replacement,
                        bool caseSensitive) {
    return ReplaceText(text, find, replacement, 1, std::nullopt, caseSensitive);
}
// Replacement omitted: the occurrences are deleted.
inline Text ReplaceText(const Text& text, const Text& find, bool caseSensitive) {
    return ReplaceText(text, find, Text(), 1, std::nullopt, caseSensitive);
}

// Pieces between occurrences of separator (exact case). A trailing separator adds
// no empty element; the empty text gives no elements.
TextArray SplitText(const Text& text, const Text& separator);

// Without leading and trailing spaces: 0x20 and the double-byte space A1 A1.
Text TrimSpaces(const Text& text);

// ---- case and cutting ---------------------------------------------------------------

Text ToUpper(const Text& text);
Text ToLower(const Text& text);
Text TextLeft(const Text& text, int n);
Text TextRight(const Text& text, int n);
Text TextMid(const Text& text, int start, int n);

// ---- conversions --------------------------------------------------------------------

Text CharFromCode(int code);
Text HexText(std::int32_t value);
Text NumberToText(int value);
Text NumberToText(double value);
Bytes TextToBytes(const Text& text);
Text BytesToText(const Bytes& bytes);
Text BlankText(int n);
Bytes BlankBytes(int n);

// ---- random numbers -----------------------------------------------------------------

// Seeds the process-wide generator from the millisecond tick count.
void SeedRandom();
// Same as SeedRandom with a given tick count; the seam for tests.
void SeedRandomWithTick(std::uint32_t tick);
// A whole number from lo to hi, both included (bounds below 0 count as 0).
int RandomInRange(int lo, int hi);
// The system's millisecond tick count (monotonic, wraps at 2^32).
std::uint32_t TickCount();

}  // namespace qinghe
