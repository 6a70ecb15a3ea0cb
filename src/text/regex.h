// RegexObject: one pattern run over one subject, its matches kept for reading.
// ECMAScript-style patterns over PCRE2 (JIT where available). The subject is a
// code-page-936 text; matching runs on its characters (never on raw GBK bytes, so
// a trail byte cannot start a match) and texts come back in code page 936.
// Every engine run is bounded: a search that hits the bound keeps the matches
// found before it. Nothing reports an error; out-of-range reads give empty values.
#pragma once

#include <memory>

#include "text/text.h"

namespace qinghe {

class RegexObject {
public:
    RegexObject();
    ~RegexObject();
    RegexObject(const RegexObject&);
    RegexObject& operator=(const RegexObject&);
    RegexObject(RegexObject&&) noexcept;
    RegexObject& operator=(RegexObject&&) noexcept;

    // Runs pattern over subject with Global on; caseSensitive and singleLine left
    // out give IgnoreCase on and Multiline on. Always true.
    bool Search(const Text& pattern, const Text& subject, bool caseSensitive = false,
                bool singleLine = false);
    Text GetPattern() const;
    // The stored subject with every match replaced ($1..$9 and $& refer to groups).
    Text ReplaceMatches(const Text& replacement) const;
    int MatchCount() const;
    // Text of match n (from 1); position, when given, receives its 0-based byte offset
    // in the subject (-1 when there is no such match or group).
    Text MatchText(int n, int* position = nullptr) const;
    // Text of capture group k of match n (both from 1); empty for a group that
    // took no part.
    Text SubMatchText(int n, int k, int* position = nullptr) const;
    // Number of capture groups of the first match; 0 without matches.
    int SubMatchCount() const;

    // True when the last search stopped at the engine's bound.
    bool HitLimit() const;

    struct Impl;

private:
    std::shared_ptr<Impl> m_impl;  // shared by copies, as the matches are
    Text m_subject;
};

}  // namespace qinghe
