#include <gtest/gtest.h>

#include "shell/progress_counter.h"

namespace {

TEST(ProgressRange, OneStepForEveryTenRowsInSixteenBits) {
    ProgressCounter progress;
    setProgressRange(progress, 480);
    EXPECT_EQ(progress.maximum, 48);
    setProgressRange(progress, 485);
    EXPECT_EQ(progress.maximum, 48);
    setProgressRange(progress, 200);
    EXPECT_EQ(progress.maximum, 20);
    setProgressRange(progress, 9);
    EXPECT_EQ(progress.maximum, 0);
    setProgressRange(progress, 655359);
    EXPECT_EQ(progress.maximum, 65535);
    // The bar takes its maximum as a 16-bit value.
    setProgressRange(progress, 655360);
    EXPECT_EQ(progress.maximum, 0);
}

TEST(ProgressSteps, FillTheBarThenStartOver) {
    ProgressCounter progress;
    setProgressRange(progress, 480);
    for (int step = 1; step <= 48; ++step) {
        stepProgressCounter(progress, 0);
        ASSERT_EQ(progress.position, step);
    }
    // A 485-row picture gives a 49th step: it passes the maximum.
    stepProgressCounter(progress, 0);
    EXPECT_EQ(progress.position, 0);
    stepProgressCounter(progress, 0);
    EXPECT_EQ(progress.position, 1);
    resetProgressCounter(progress, 0);
    EXPECT_EQ(progress.position, 0);
}

TEST(ProgressSteps, WithMaximumZeroTheOneStepStartsOverAtOnce) {
    ProgressCounter progress;
    setProgressRange(progress, 5);
    stepProgressCounter(progress, 0);
    EXPECT_EQ(progress.position, 0);
}

// The clock is the test's: times in milliseconds.
TEST(ProgressShowing, AtMostOnceAFrameExceptTheReset) {
    ProgressCounter progress;
    setProgressRange(progress, 4800);
    EXPECT_TRUE(stepProgressCounter(progress, 0.0)) << "the first step shows";
    EXPECT_FALSE(stepProgressCounter(progress, 10.0));
    EXPECT_FALSE(stepProgressCounter(progress, 14.9));
    EXPECT_TRUE(stepProgressCounter(progress, 15.0)) << "a frame after the last showing";
    EXPECT_FALSE(stepProgressCounter(progress, 29.0)) << "the frame counts from the last showing";
    EXPECT_TRUE(stepProgressCounter(progress, 30.5));
    // Coalesced steps still count.
    EXPECT_EQ(progress.position, 6);

    resetProgressCounter(progress, 31.0);
    EXPECT_EQ(progress.position, 0);
    EXPECT_FALSE(stepProgressCounter(progress, 40.0)) << "the reset was shown at 31";
    EXPECT_TRUE(stepProgressCounter(progress, 46.0));
}

// Painting the bar of a wide picture takes milliseconds: the next showing
// is a frame of work later, not a frame after the last one began.
TEST(ProgressShowing, TheFrameCountsFromTheEndOfTheShowing) {
    ProgressCounter progress;
    setProgressRange(progress, 4800);
    ASSERT_TRUE(stepProgressCounter(progress, 0.0));
    progressShownUntil(progress, 9.0);
    EXPECT_FALSE(stepProgressCounter(progress, 15.0)) << "only 6 ms of work since the bar was painted";
    EXPECT_TRUE(stepProgressCounter(progress, 24.0));
    resetProgressCounter(progress, 30.0);
    progressShownUntil(progress, 40.0);
    EXPECT_FALSE(stepProgressCounter(progress, 50.0)) << "the reset's painting ended at 40";
    EXPECT_TRUE(stepProgressCounter(progress, 55.0));
}

}  // namespace
