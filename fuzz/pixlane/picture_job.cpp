// The whole picture job: a few option words, then the picture file.
// Input: one byte (word count modulo 16), the words each ended by a zero byte,
// and the rest as the picture, recognised by content like any input.
#include "fuzz_target.h"
#include "pixlane_run.h"

namespace {

void picture_job(const uint8_t* data, size_t size)
{
    FuzzBytes in{data, size};
    const size_t words = in.pick(16);
    Settings settings;
    settings_from_input(in, words, &settings);
    FILE* picture = fuzz_stream(in.rest(), in.rest_size());
    if (picture == nullptr)
        return;
    run_picture_job(&settings, picture);
    std::fclose(picture);
}

FUZZ_TARGET("picture_job", picture_job);

}  // namespace
