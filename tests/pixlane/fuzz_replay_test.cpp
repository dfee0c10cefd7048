#include "fuzz_replay.h"

// The readers, the writer round trip, the picture job and the stream viewer.
TEST(FuzzReplay, PastFindingsAndSeedsRunCleanly)
{
    EXPECT_GT(replay_fuzz_inputs(FUZZ_DIR), 0);
}
