#include "core/work.h"

#include <gtest/gtest.h>

namespace {

TEST(Work, StagesNestAndProgressNeverGoesBack) {
    Work w;
    {
        Stage first(&w, 0, 0.5);
        advance(&w, 1, 2);
        EXPECT_DOUBLE_EQ(w.fraction(), 0.25);
        {
            Stage inner(&w, 0.5, 1); // the second half of the first half
            advance(&w, 0, 4);
            EXPECT_DOUBLE_EQ(w.fraction(), 0.25);
            advance(&w, 2, 4);
            EXPECT_DOUBLE_EQ(w.fraction(), 0.375);
        }
        EXPECT_DOUBLE_EQ(w.fraction(), 0.5);
        advance(&w, 0, 2); // an earlier step does not take it back
        EXPECT_DOUBLE_EQ(w.fraction(), 0.5);
    }
    Stage second(&w, 0.5, 1);
    advance(&w, 1, 4);
    EXPECT_DOUBLE_EQ(w.fraction(), 0.625);
}

TEST(Work, AStopTakesEffectAtTheNextCheckpoint) {
    Work w;
    w.stop_at_checkpoint(3);
    EXPECT_NO_THROW(checkpoint(&w));
    EXPECT_NO_THROW(advance(&w, 1, 10));
    EXPECT_THROW(advance_every(&w, 0, 10), WorkStopped);
    EXPECT_TRUE(w.stopped());
    EXPECT_EQ(w.checkpoints_passed(), 3);
    Work other;
    other.stop(); // from another thread, in the program
    EXPECT_THROW(other.checkpoint(), WorkStopped);
    EXPECT_NO_THROW(checkpoint(nullptr));
}

} // namespace
