#include "database/sampling_marks.h"

#include <gtest/gtest.h>

TEST(SamplingMarks, ElevenStepsReturnToZero) {
    int percent = 0;
    std::vector<int> seen;
    for (int press = 0; press < 11; ++press) {
        percent = next_mc_percent(percent);
        seen.push_back(percent);
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 0}));
    EXPECT_EQ(mc_label(20), "MC=20");
}

TEST(SamplingMarks, ValuesOutsideTheCycleStay) {
    for (int percent : {-2, 1, 7, 22, 255})
        EXPECT_EQ(next_mc_percent(percent), -1) << percent;
}
