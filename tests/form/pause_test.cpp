#include <gtest/gtest.h>

#include "support/fake_form.h"

namespace qinghe {
namespace {

using testing::FakeForm;

TEST(Pause, ProcessesEventsUntilMoreThanTheGivenTimeHasPassed) {
    FakeForm form;
    form.msPerEventRound = 100;
    Pause(form, 500);
    // Rounds at 0,100,...,500 ms elapsed: the pause ends once more than 500 ms passed.
    EXPECT_EQ(form.eventRounds, 6);
}

TEST(Pause, SurvivesAWrapOfTheTickCount) {
    FakeForm form;
    form.now = 0xFFFFFF00u;
    form.msPerEventRound = 64;
    Pause(form, 1000);
    EXPECT_EQ(form.eventRounds, 16);  // 16 * 64 = 1024 > 1000
}

TEST(Pause, EndsAtOnceWhenTheWindowIsClosing) {
    FakeForm form;
    form.onProcessEvents = [](FakeForm& f) { f.closing = true; };
    Pause(form, 2000);
    EXPECT_EQ(form.eventRounds, 1);
}

}  // namespace
}  // namespace qinghe
