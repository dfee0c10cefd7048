#include "fuzz_replay.h"

// The text job.
TEST(FuzzReplay, PastFindingsAndSeedsRunCleanly)
{
    EXPECT_GT(replay_fuzz_inputs(FUZZ_DIR), 0);
}
