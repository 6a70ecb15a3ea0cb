// Helper program of the crash test: runs the real keyword handlers over the
// sites of the crash cycle until it is killed. After each completed change it
// writes one byte to the report descriptor, so the test knows how many changes
// were finished before the kill.
//
// Usage: store_crash_child <site directory> <report descriptor>
#include <unistd.h>

#include <cstdlib>

#include "store/crash_cycle.h"
#include "store/site_store.h"
#include "support/fake_form.h"

int main(int argc, char** argv) {
    using namespace qinghe;
    if (argc != 3)
        return 2;
    const int report = std::atoi(argv[2]);
    testing::FakeForm form;
    TextArray keywords;
    SiteStore store(form, keywords, Text(argv[1]));
    const std::vector<Text> sites = testing::CycleSites();

    // Bounded, so that a helper whose test went away ends by itself.
    for (long change = 0; change < 1000000; ++change) {
        form.sites.text = sites[static_cast<std::size_t>(change) % sites.size()];
        store.LoadKeywords();
        const int count = keywords.Count();
        if (count == 0 ||
            (keywords.At(1) == testing::CycleKeyword(0) && count < testing::kCycleKeywords)) {
            form.keyword = testing::CycleKeyword(count);
            store.AddKeyword();
        } else {
            form.selectedRow = 0;
            store.DeleteKeyword();
        }
        if (::write(report, "+", 1) != 1)
            return 3;
    }
    return 0;
}
