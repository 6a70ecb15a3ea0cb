// Kills a process in the middle of keyword changes, again and again, and checks
// that every site file holds the content from before or after the change that
// was cut off, and that nothing left behind is listed as a site.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "store/crash_cycle.h"
#include "store/gbk.h"
#include "store/site_store.h"
#include "support/fake_form.h"
#include "support/test_data.h"
#include "text/files.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;
using testing::CycleContent;
using testing::CycleSites;
using testing::kCycleStates;

constexpr int kKills = 220;

struct Child {
    pid_t pid = -1;
    int report = -1;  // read end of the report pipe
};

Child StartChild(const fs::path& siteDir) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::dup2(fds[1], 3);  // the copy is inherited: dup2 clears close-on-exec
        ::execl(QINGHE_STORE_CRASH_CHILD, QINGHE_STORE_CRASH_CHILD, siteDir.c_str(), "3",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    return {pid, fds[0]};
}

// Reads up to n report bytes; fewer when the child ended.
int ReadReports(int fd, int n) {
    int got = 0;
    char buffer[256];
    while (n < 0 || got < n) {
        const std::size_t want =
            n < 0 ? sizeof buffer : std::min<std::size_t>(sizeof buffer, n - got);
        const ssize_t r = ::read(fd, buffer, want);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        got += static_cast<int>(r);
    }
    return got;
}

// The state of the cycle a content belongs to, or -1.
int StateOf(const std::string& content) {
    for (int s = 0; s < kCycleStates; ++s) {
        if (CycleContent(s) == content)
            return s;
    }
    return -1;
}

TEST(CrashSafety, KilledKeywordChangesLeaveTheOldOrTheNewContent) {
    testing::TempDir temp;
    const fs::path siteDir = temp.path() / "sites";
    fs::create_directory(siteDir);
    const std::vector<Text> sites = CycleSites();
    std::vector<fs::path> files;
    for (const Text& site : sites) {
        files.push_back(siteDir / (testing::Utf8(site) + ".txt"));
        std::ofstream(files.back(), std::ios::binary).flush();
    }
    std::vector<int> state(sites.size(), 0);  // every site starts empty

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    long changes = 0;

    for (int kill = 0; kill < kKills; ++kill) {
        const Child child = StartChild(siteDir);
        ASSERT_GT(child.pid, 0);
        // Let a few changes finish, then cut the next one off at a random moment.
        int reported = ReadReports(child.report, static_cast<int>(rng() % 3));
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 4000));
        ::kill(child.pid, SIGKILL);
        int status = 0;
        ::waitpid(child.pid, &status, 0);
        reported += ReadReports(child.report, -1);
        ::close(child.report);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the helper ended by itself, status " << status;
        changes += reported;

        // Change i of a helper works on site i % sites; change `reported` may have
        // been cut off anywhere, before or after its file was replaced.
        for (std::size_t s = 0; s < sites.size(); ++s) {
            const int finished = (reported + static_cast<int>(sites.size() - 1 - s)) /
                                 static_cast<int>(sites.size());
            const int before = (state[s] + finished) % kCycleStates;
            const bool cutHere = static_cast<std::size_t>(reported) % sites.size() == s;
            const int after = (before + 1) % kCycleStates;
            const int found = StateOf(testing::ReadTestFile(files[s]));
            ASSERT_TRUE(found == before || (cutHere && found == after))
                << "kill " << kill << ", site " << s << ": state " << found << ", expected "
                << before << (cutHere ? " or " + std::to_string(after) : std::string());
            state[s] = found;
        }

        // Left-over temporaries are never site files.
        for (const auto& entry : fs::directory_iterator(siteDir)) {
            if (entry.path().extension() == ".txt") {
                ASSERT_NE(std::find(files.begin(), files.end(), entry.path()), files.end())
                    << entry.path();
            }
        }
        testing::FakeForm form;
        TextArray keywords;
        SiteStore store(form, keywords, Text(siteDir.string()));
        store.RefreshSiteList();
        std::vector<Text> listed = form.sites.entries;
        std::vector<Text> expected = sites;
        std::sort(listed.begin(), listed.end());
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(listed, expected) << "kill " << kill;
    }
    // The kills did land among changes (every round waits for up to two).
    EXPECT_GT(changes, 0);
}

}  // namespace
}  // namespace qinghe
