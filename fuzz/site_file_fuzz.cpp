// Any bytes as a site file: loading them never fails, gives one row per
// keyword, numbered from 1, with no separator inside a keyword; and taking a
// keyword's entries out of the raw bytes removes exactly those entries, keeps
// the other keywords whole and keeps every byte from the first zero byte on.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "store/site_store.h"
#include "support/fake_form.h"
#include "text/files.h"

namespace {

using namespace qinghe;

void Check(bool condition) {
    if (!condition) std::abort();
}

char g_siteDirectory[] = "/tmp/site-file-fuzz-XXXXXX";

void RemoveSiteDirectory() {
    ::unlink((std::string(g_siteDirectory) + "/site.txt").c_str());
    ::rmdir(g_siteDirectory);
}

// A private directory for the site file, removed when the fuzzer ends.
const std::string& SiteDirectory() {
    static const std::string dir = [] {
        Check(::mkdtemp(g_siteDirectory) != nullptr);
        std::atexit(RemoveSiteDirectory);
        return std::string(g_siteDirectory);
    }();
    return dir;
}

std::vector<Text> Without(const std::vector<Text>& items, const Text& keyword) {
    std::vector<Text> rest;
    for (const Text& item : items) {
        if (item != keyword) rest.push_back(item);
    }
    return rest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(SiteDirectory() + "/site.txt", std::ios::binary | std::ios::trunc);
        out.write(raw.data(), static_cast<std::streamsize>(raw.size()));
    }

    testing::FakeForm form;
    TextArray keywords;
    SiteStore store(form, keywords, Text(SiteDirectory()));
    form.sites.text = "site";
    store.LoadKeywords();

    Check(static_cast<int>(form.rows.size()) == keywords.Count());
    for (int i = 1; i <= keywords.Count(); ++i) {
        const auto& row = form.rows[static_cast<std::size_t>(i - 1)];
        Check(row[kColumnNumber] == NumberToText(i));
        Check(row[kColumnKeyword] == keywords.At(i));
        Check(row[kColumnRank].empty());
        // A separator inside a keyword could only stand where no character starts.
        Check(FindText(keywords.At(i), kKeywordSeparator, false) == -1);
    }

    // Delete the keyword of a row picked by the input (or one that is absent).
    const Bytes content(data, size);
    const Text keyword = keywords.Count() > 0
                             ? keywords.At(1 + static_cast<int>(size % keywords.Count()))
                             : Text("absent");
    int removed = 0;
    const Bytes rest = RemoveKeywordEntries(content, keyword, removed);
    const std::vector<Text> after = SplitText(BytesToText(rest), kKeywordSeparator).items();

    // Every entry equal to the keyword goes, except a last one without separator.
    const std::vector<Text>& before = keywords.items();
    const std::vector<Text> allGone = Without(before, keyword);
    std::vector<Text> lastKept;
    if (!before.empty() && before.back() == keyword) {
        lastKept = Without(std::vector<Text>(before.begin(), before.end() - 1), keyword);
        lastKept.push_back(keyword);
    }
    const int equal = static_cast<int>(before.size() - allGone.size());
    Check((after == allGone && removed == equal) ||
          (!lastKept.empty() && after == lastKept && removed == equal - 1));
    Check(rest.size() == size - static_cast<std::size_t>(removed) *
                                    (keyword.size() + kKeywordSeparator.size()));

    // The bytes from the first zero byte on are the same.
    const std::size_t zero = raw.find('\0');
    if (zero != std::string_view::npos) {
        const std::string_view tail = raw.substr(zero);
        Check(rest.view().ends_with(tail));
    }
    return 0;
}
