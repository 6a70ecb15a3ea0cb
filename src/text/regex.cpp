#include "text/regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "text/charset.h"
#include "text/charset_tables.h"

namespace qinghe {

namespace {

// Bounds of one engine run (one pcre2_match call, which looks for the next
// match). A 1 MB result page needs well under 1% of the match limit per block;
// a page built to backtrack stops within about 100 ms at it.
constexpr std::uint32_t kMatchLimit = 10'000'000;
constexpr std::uint32_t kDepthLimit = 100'000;
constexpr std::uint32_t kHeapLimitKiB = 64 * 1024;
constexpr std::size_t kJitStackMax = 4 * 1024 * 1024;
// Offsets kept for all matches of one search (4 bytes each): 64 MB at most.
constexpr std::size_t kMaxStoredOffsets = 16 * 1024 * 1024;

constexpr std::uint32_t kUnset = std::numeric_limits<std::uint32_t>::max();

// The subject as UTF-8 for the engine, with a way back from UTF-8 offsets to
// byte offsets in the code-page-936 subject.
class Utf8Subject {
public:
    Utf8Subject() : m_t(charset_detail::GetTables()) {}

    // Converts gbk, which must outlive the use of this conversion; the buffers of
    // an earlier conversion are reused.
    void Convert(std::string_view gbk) {
        m_gbk = reinterpret_cast<const std::uint8_t*>(gbk.data());
        m_gbkEnd = m_gbk + gbk.size();
        // A one-byte character takes at most three bytes in UTF-8.
        if (m_capacity < gbk.size() * 3 + 1) {
            m_capacity = gbk.size() * 3 + 1;
            m_bytes.reset(new char[m_capacity]);
        }
        m_checkU.clear();
        m_checkG.clear();
        m_checkU.reserve(gbk.size() / kStride + 1);
        m_checkG.reserve(gbk.size() / kStride + 1);
        const std::uint8_t* p = m_gbk;
        char* o = m_bytes.get();
        std::size_t chars = 0;
        std::size_t nextCheckpoint = 0;
        while (p < m_gbkEnd) {
            const std::uint8_t* run = p;
            p = charset_detail::SkipAscii(p, m_gbkEnd);
            if (p != run) {
                const auto n = static_cast<std::size_t>(p - run);
                const std::size_t u0 = static_cast<std::size_t>(o - m_bytes.get());
                const std::size_t g0 = static_cast<std::size_t>(run - m_gbk);
                for (; nextCheckpoint < chars + n; nextCheckpoint += kStride) {
                    Checkpoint(u0 + nextCheckpoint - chars, g0 + nextCheckpoint - chars);
                }
                std::memcpy(o, run, n);
                o += n;
                chars += n;
                if (p == m_gbkEnd)
                    break;
            }
            // A run of two-byte characters (the bulk of a Chinese text) in one
            // tight loop; anything else goes through the general decoder. The loop
            // reads only locals: its stores through a char pointer would make the
            // compiler reload members on every character.
            {
                const std::uint8_t* const end = m_gbkEnd;
                const std::uint8_t* const begin = m_gbk;
                char* const base = m_bytes.get();
                const auto* const fromGbk = m_t.fromGbk;
                while (end - p >= 2 && p[0] >= 0x81 && p[0] <= 0xFE) {
                    const char16_t c = fromGbk[p[0] - 0x81][p[1]];
                    if (c == 0)
                        break;
                    if (chars == nextCheckpoint) {
                        Checkpoint(static_cast<std::size_t>(o - base),
                                   static_cast<std::size_t>(p - begin));
                        nextCheckpoint += kStride;
                    }
                    if (c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) {
                        o[0] = static_cast<char>(0xE0 | c >> 12);
                        o[1] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
                        o[2] = static_cast<char>(0x80 | (c & 0x3F));
                        o += 3;
                    } else {
                        o += charset_detail::EncodeUtf8(c, o);
                    }
                    p += 2;
                    ++chars;
                }
            }
            if (p == m_gbkEnd || *p < 0x80)
                continue;
            if (chars == nextCheckpoint) {
                Checkpoint(static_cast<std::size_t>(o - m_bytes.get()),
                           static_cast<std::size_t>(p - m_gbk));
                nextCheckpoint += kStride;
            }
            o += charset_detail::EncodeUtf8(charset_detail::DecodeGbk(m_t, p, m_gbkEnd), o);
            ++chars;
        }
        m_size = static_cast<std::size_t>(o - m_bytes.get());
        if (m_checkU.empty())
            Checkpoint(0, 0);
    }

    PCRE2_SPTR data() const { return reinterpret_cast<PCRE2_SPTR>(m_bytes.get()); }
    std::size_t size() const { return m_size; }

    // Byte offset in the 936 subject of the character at UTF-8 offset u.
    std::uint32_t ToGbk(std::size_t u) const {
        const auto k = static_cast<std::size_t>(
            std::upper_bound(m_checkU.begin(), m_checkU.end(), static_cast<std::uint32_t>(u)) -
            m_checkU.begin() - 1);
        std::size_t uu = m_checkU[k];
        const std::uint8_t* g = m_gbk + m_checkG[k];
        while (uu < u) {
            uu += CharLength(m_bytes[uu]);
            charset_detail::DecodeGbk(m_t, g, m_gbkEnd);
        }
        return static_cast<std::uint32_t>(g - m_gbk);
    }

    // UTF-8 offset of the character that starts at byte offset g of the 936
    // subject, or npos when g falls inside a character.
    std::size_t FromGbk(std::size_t g) const {
        const auto k = static_cast<std::size_t>(
            std::upper_bound(m_checkG.begin(), m_checkG.end(), static_cast<std::uint32_t>(g)) -
            m_checkG.begin() - 1);
        std::size_t uu = m_checkU[k];
        const std::uint8_t* gg = m_gbk + m_checkG[k];
        while (static_cast<std::size_t>(gg - m_gbk) < g) {
            uu += CharLength(m_bytes[uu]);
            charset_detail::DecodeGbk(m_t, gg, m_gbkEnd);
        }
        return static_cast<std::size_t>(gg - m_gbk) == g ? uu : std::string_view::npos;
    }

    // UTF-8 offset just past the character at u (u < size()).
    std::size_t NextChar(std::size_t u) const { return u + CharLength(m_bytes[u]); }

private:
    static constexpr std::size_t kStride = 32;  // characters between checkpoints

    static std::size_t CharLength(char lead) {
        const auto b = static_cast<unsigned char>(lead);
        return b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    }

    void Checkpoint(std::size_t u, std::size_t g) {
        m_checkU.push_back(static_cast<std::uint32_t>(u));
        m_checkG.push_back(static_cast<std::uint32_t>(g));
    }

    const charset_detail::Tables& m_t;
    const std::uint8_t* m_gbk = nullptr;
    const std::uint8_t* m_gbkEnd = nullptr;
    std::unique_ptr<char[]> m_bytes;
    std::size_t m_capacity = 0;
    std::size_t m_size = 0;
    std::vector<std::uint32_t> m_checkU;  // every kStride-th character: UTF-8 offset
    std::vector<std::uint32_t> m_checkG;  // and its byte offset in the 936 subject
};

// The part of a converted subject from one character on to its end: what the
// engine matches, with offsets relative to that character.
struct SubjectSuffix {
    const Utf8Subject* whole;
    std::size_t u0;    // UTF-8 offset of the first character
    std::uint32_t g0;  // its byte offset in the 936 subject

    PCRE2_SPTR data() const { return whole->data() + u0; }
    std::size_t size() const { return whole->size() - u0; }
    std::uint32_t ToGbk(std::size_t u) const { return whole->ToGbk(u0 + u) - g0; }
    std::size_t NextChar(std::size_t u) const { return whole->NextChar(u0 + u) - u0; }
};

// The last large subject of this thread with its conversion. The parser searches
// a page and then the rest of it from its first block on: a subject that is the
// tail of the previous one, starting at one of its characters, converts to the
// tail of the previous conversion, so that is matched instead.
class LastSubject {
public:
    SubjectSuffix Get(std::string_view gbk) {
        if (m_large && gbk.size() <= m_gbk.size()) {
            const std::size_t g0 = m_gbk.size() - gbk.size();
            if (std::string_view(m_gbk).substr(g0) == gbk) {
                const std::size_t u0 = m_utf8.FromGbk(g0);
                if (u0 != std::string_view::npos)
                    return {&m_utf8, u0, static_cast<std::uint32_t>(g0)};
            }
        }
        m_large = gbk.size() >= kMinSize;
        if (m_large) {
            m_gbk.assign(gbk);
            gbk = m_gbk;
        }
        m_utf8.Convert(gbk);
        return {&m_utf8, 0, 0};
    }

private:
    // Below this a copy of the subject costs about what its reuse saves.
    static constexpr std::size_t kMinSize = 64 * 1024;
    bool m_large = false;  // whether m_utf8 converts m_gbk (else the caller's subject)
    std::string m_gbk;
    Utf8Subject m_utf8;
};

template <typename T, void (*Free)(T*)>
struct Pcre2Deleter {
    void operator()(T* p) const { Free(p); }
};
template <typename T, void (*Free)(T*)>
using Pcre2Ptr = std::unique_ptr<T, Pcre2Deleter<T, Free>>;

using CodePtr = Pcre2Ptr<pcre2_code, pcre2_code_free>;
using CompileContextPtr = Pcre2Ptr<pcre2_compile_context, pcre2_compile_context_free>;
using MatchContextPtr = Pcre2Ptr<pcre2_match_context, pcre2_match_context_free>;
using MatchDataPtr = Pcre2Ptr<pcre2_match_data, pcre2_match_data_free>;
using JitStackPtr = Pcre2Ptr<pcre2_jit_stack, pcre2_jit_stack_free>;

// Options that bring PCRE2 close to the script engines' ECMAScript syntax:
// \uhhhh escapes, [^] for any character, a backreference to a group that did
// not take part matching the empty string, $ only at the very end.
constexpr std::uint32_t kScriptSyntax = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                                        PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY;

}  // namespace

struct RegexObject::Impl {
    Text pattern;
    bool compiled = false;
    bool hitLimit = false;
    std::size_t groups = 0;              // capture groups of the pattern
    std::vector<std::uint32_t> offsets;  // per match: start, end of the match and each group

    std::size_t Stride() const { return 2 * (groups + 1); }
    std::size_t Count() const { return offsets.size() / Stride(); }

    // Byte range of group k (0 = the whole match) of match n (from 0); false when
    // the group took no part.
    bool Range(std::size_t n, std::size_t k, std::uint32_t& start, std::uint32_t& end) const {
        start = offsets[n * Stride() + 2 * k];
        end = offsets[n * Stride() + 2 * k + 1];
        return start != kUnset;
    }

    // Text of group k of match n, cut from the subject; position (when given)
    // receives its byte offset, or stays -1 for a group that took no part.
    Text Group(const Text& subject, std::size_t n, std::size_t k, int* position) const {
        std::uint32_t start, end;
        if (!Range(n, k, start, end))
            return {};
        if (position != nullptr)
            *position = static_cast<int>(start);
        return Text(subject.view().substr(start, end - start));
    }

    void Run(const Text& subject, bool caseSensitive, bool singleLine);
};

namespace {

// A compiled pattern with what a run of it needs, kept for the next search with
// the same pattern and options: the parser runs the same two patterns over every
// block of every page, and compiling (JIT included) costs more than matching a
// block.
struct CompiledPattern {
    Text pattern;
    std::uint32_t options = 0;
    CodePtr code;  // null when the pattern does not compile
    std::size_t groups = 0;
    MatchContextPtr matchContext;
    MatchDataPtr matchData;
    JitStackPtr jitStack;
};

// Null when the engine could not allocate what a run needs.
std::unique_ptr<CompiledPattern> Compile(const Text& pattern, std::uint32_t options) {
    auto compiled = std::make_unique<CompiledPattern>();
    compiled->pattern = pattern;
    compiled->options = options;
    CompileContextPtr cc(pcre2_compile_context_create(nullptr));
    if (!cc)
        return nullptr;
    // "." stops at a line feed only; ^ and $ in multiline mode see line feeds.
    pcre2_set_newline(cc.get(), PCRE2_NEWLINE_LF);
    const Text utf8Pattern = AnsiToUtf8(pattern);
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    compiled->code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(utf8Pattern.data()),
                                       utf8Pattern.size(), options, &error, &errorOffset,
                                       cc.get()));
    if (!compiled->code)
        return compiled;
    pcre2_code* code = compiled->code.get();
    std::uint32_t captureCount = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captureCount);
    compiled->groups = captureCount;
    const bool jit = pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0;

    compiled->matchContext.reset(pcre2_match_context_create(nullptr));
    compiled->matchData.reset(pcre2_match_data_create_from_pattern(code, nullptr));
    if (!compiled->matchContext || !compiled->matchData)
        return nullptr;
    pcre2_match_context* mc = compiled->matchContext.get();
    pcre2_set_match_limit(mc, kMatchLimit);
    pcre2_set_depth_limit(mc, kDepthLimit);
    pcre2_set_heap_limit(mc, kHeapLimitKiB);
    if (jit) {
        compiled->jitStack.reset(pcre2_jit_stack_create(32 * 1024, kJitStackMax, nullptr));
        if (compiled->jitStack)
            pcre2_jit_stack_assign(mc, nullptr, compiled->jitStack.get());
    }
    return compiled;
}

// The most recently used patterns of this thread (match data and JIT stack
// belong to one run at a time, so each thread keeps its own).
class PatternCache {
public:
    // The compiled pattern, most recent first; null when it could not be built.
    CompiledPattern* Get(const Text& pattern, std::uint32_t options) {
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if ((*it)->options == options && (*it)->pattern == pattern) {
                std::rotate(m_entries.begin(), it, it + 1);
                return m_entries.front().get();
            }
        }
        std::unique_ptr<CompiledPattern> compiled = Compile(pattern, options);
        if (!compiled)
            return nullptr;
        if (m_entries.size() == kCapacity)
            m_entries.pop_back();
        m_entries.insert(m_entries.begin(), std::move(compiled));
        return m_entries.front().get();
    }

private:
    static constexpr std::size_t kCapacity = 16;
    std::vector<std::unique_ptr<CompiledPattern>> m_entries;
};

}  // namespace

void RegexObject::Impl::Run(const Text& subject, bool caseSensitive, bool singleLine) {
    std::uint32_t options = kScriptSyntax;
    if (!caseSensitive)
        options |= PCRE2_CASELESS;
    if (!singleLine)
        options |= PCRE2_MULTILINE;
    thread_local PatternCache cache;
    CompiledPattern* entry = cache.Get(pattern, options);
    if (entry == nullptr) {
        // Out of memory for the engine's data: no matches, as at the bound.
        compiled = true;
        hitLimit = true;
        return;
    }
    if (!entry->code)
        return;
    compiled = true;
    groups = entry->groups;
    pcre2_code* code = entry->code.get();
    pcre2_match_data* md = entry->matchData.get();
    pcre2_match_context* mc = entry->matchContext.get();
    thread_local LastSubject lastSubject;
    const SubjectSuffix utf8 = lastSubject.Get(subject.view());
    const std::size_t stride = Stride();
    PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(md);
    std::size_t start = 0;
    while (start <= utf8.size()) {
        // The subject is valid UTF-8 by construction; checking it on every call
        // would cost a pass over the rest of the page each time.
        const int rc =
            pcre2_match(code, utf8.data(), utf8.size(), start, PCRE2_NO_UTF_CHECK, md, mc);
        if (rc == PCRE2_ERROR_NOMATCH)
            break;
        if (rc < 0 || offsets.size() + stride > kMaxStoredOffsets) {
            hitLimit = true;  // the bound: keep what was found so far
            break;
        }
        const std::size_t matchEnd = ovector[1];
        for (std::size_t k = 0; k <= groups; ++k) {
            const PCRE2_SIZE s = ovector[2 * k];
            const PCRE2_SIZE e = ovector[2 * k + 1];
            const bool set = k < static_cast<std::size_t>(rc) && s != PCRE2_UNSET;
            offsets.push_back(set ? utf8.ToGbk(s) : kUnset);
            offsets.push_back(set ? utf8.ToGbk(std::max(s, e)) : kUnset);
        }
        // The next search resumes where this match ended; after an empty match,
        // one character further on.
        if (matchEnd > ovector[0]) {
            start = matchEnd;
        } else if (matchEnd < utf8.size()) {
            start = utf8.NextChar(matchEnd);
        } else {
            break;
        }
    }
}

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;
RegexObject::RegexObject(const RegexObject&) = default;
RegexObject& RegexObject::operator=(const RegexObject&) = default;
RegexObject::RegexObject(RegexObject&&) noexcept = default;
RegexObject& RegexObject::operator=(RegexObject&&) noexcept = default;

bool RegexObject::Search(const Text& pattern, const Text& subject, bool caseSensitive,
                         bool singleLine) {
    auto impl = std::make_shared<Impl>();
    impl->pattern = pattern;
    impl->Run(subject, caseSensitive, singleLine);
    m_impl = std::move(impl);
    m_subject = subject;
    return true;
}

Text RegexObject::GetPattern() const {
    return m_impl ? m_impl->pattern : Text();
}

Text RegexObject::ReplaceMatches(const Text& replacement) const {
    if (!m_impl || !m_impl->compiled)
        return {};
    const Impl& impl = *m_impl;
    const std::string_view subject = m_subject.view();
    const std::string_view rep = replacement.view();
    std::string out;
    std::uint32_t copied = 0;
    for (std::size_t n = 0; n < impl.Count(); ++n) {
        std::uint32_t ms, me;
        impl.Range(n, 0, ms, me);
        out.append(subject.substr(copied, ms - copied));
        // $$, $&, $` and $', $n and $nn as the script engines read them.
        for (std::size_t i = 0; i < rep.size(); ++i) {
            if (rep[i] != '$' || i + 1 == rep.size()) {
                out += rep[i];
                continue;
            }
            const char c = rep[i + 1];
            if (c == '$') {
                out += '$';
                ++i;
            } else if (c == '&') {
                out.append(subject.substr(ms, me - ms));
                ++i;
            } else if (c == '`') {
                out.append(subject.substr(0, ms));
                ++i;
            } else if (c == '\'') {
                out.append(subject.substr(me));
                ++i;
            } else if (c >= '0' && c <= '9') {
                std::size_t k = static_cast<std::size_t>(c - '0');
                std::size_t used = 1;
                if (i + 2 < rep.size() && rep[i + 2] >= '0' && rep[i + 2] <= '9') {
                    const std::size_t two = k * 10 + static_cast<std::size_t>(rep[i + 2] - '0');
                    if (two >= 1 && two <= impl.groups) {
                        k = two;
                        used = 2;
                    }
                }
                if (k < 1 || k > impl.groups) {
                    out += '$';
                    continue;
                }
                std::uint32_t gs, ge;
                if (impl.Range(n, k, gs, ge))
                    out.append(subject.substr(gs, ge - gs));
                i += used;
            } else {
                out += '$';
            }
        }
        copied = me;
    }
    out.append(subject.substr(copied));
    return Text(std::move(out));
}

int RegexObject::MatchCount() const {
    return m_impl ? static_cast<int>(m_impl->Count()) : 0;
}

Text RegexObject::MatchText(int n, int* position) const {
    if (position != nullptr)
        *position = -1;
    if (n < 1 || n > MatchCount())
        return {};
    return m_impl->Group(m_subject, static_cast<std::size_t>(n - 1), 0, position);
}

Text RegexObject::SubMatchText(int n, int k, int* position) const {
    if (position != nullptr)
        *position = -1;
    if (n < 1 || n > MatchCount() || k < 1 || static_cast<std::size_t>(k) > m_impl->groups) {
        return {};
    }
    return m_impl->Group(m_subject, static_cast<std::size_t>(n - 1), static_cast<std::size_t>(k),
                         position);
}

int RegexObject::SubMatchCount() const {
    return MatchCount() > 0 ? static_cast<int>(m_impl->groups) : 0;
}

bool RegexObject::HitLimit() const {
    return m_impl && m_impl->hitLimit;
}

}  // namespace qinghe
