// RegexObject with the result parser's two patterns (and a few that match empty
// or single characters) over any subject: never crashes, and every match and
// group lies on character boundaries of the subject, in order, without overlap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "text/charset_tables.h"
#include "text/regex.h"

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

const char* const kPatterns[] = {
    R"re(<table.*?id="(.*?)"[\s\S]*?</table>)re",
    "<span class=.g.>.*?</span>",
    "(i)|",
    "[\\s\\S]",
    ".",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t choice = data[0] % (sizeof kPatterns / sizeof kPatterns[0]);
    const bool caseSensitive = (data[0] & 0x80) != 0;
    const qinghe::Text subject(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));

    // Character starts as the engine's decoding sees them.
    const auto& tables = qinghe::charset_detail::GetTables();
    std::vector<bool> boundary(subject.size() + 1, false);
    const auto* begin = reinterpret_cast<const std::uint8_t*>(subject.data());
    const auto* end = begin + subject.size();
    for (const std::uint8_t* p = begin; p < end;) {
        boundary[static_cast<std::size_t>(p - begin)] = true;
        qinghe::charset_detail::DecodeGbk(tables, p, end);
    }
    boundary[subject.size()] = true;

    qinghe::RegexObject re;
    Check(re.Search(kPatterns[choice], subject, caseSensitive));
    int previousEnd = 0;
    for (int n = 1; n <= re.MatchCount(); ++n) {
        int position = -1;
        const qinghe::Text match = re.MatchText(n, &position);
        Check(position >= previousEnd);
        const auto at = static_cast<std::size_t>(position);
        Check(at + match.size() <= subject.size());
        Check(boundary[at] && boundary[at + match.size()]);
        Check(subject.view().substr(at, match.size()) == match.view());
        for (int k = 1; k <= re.SubMatchCount(); ++k) {
            int groupAt = -1;
            const qinghe::Text group = re.SubMatchText(n, k, &groupAt);
            if (groupAt < 0)
                continue;
            const auto g = static_cast<std::size_t>(groupAt);
            Check(g >= at && g + group.size() <= at + match.size());
            Check(boundary[g] && boundary[g + group.size()]);
        }
        previousEnd = position + static_cast<int>(match.size());
    }
    return 0;
}
