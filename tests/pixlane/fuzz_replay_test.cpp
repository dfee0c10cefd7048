#include "fuzz_replay.h"

// The readers, the writer round trip, the picture job, the stream viewer and
// the spooler filters' job options and the raster filter's job.
TEST(FuzzReplay, PastFindingsAndSeedsRunCleanly)
{
    EXPECT_GT(replay_fuzz_inputs(FUZZ_DIR), 0);
}
