// pixlane's command line over random argument vectors: every word of the
// input (cut at zero bytes) is an argument, and the job then prints one of
// three tiny pictures (chosen by the first byte) with those settings.
#include <string>

#include "fuzz_target.h"
#include "pixlane_run.h"

namespace {

// A 3 x 2 colour picture, a gray one and a bitmap, as PNM files.
const std::string pictures[] = {
    std::string("P6\n3 2\n255\n\xFF\0\0\0\xFF\0\0\0\xFF\x20\x40\x60\x80\xA0\xC0\xFF\xFF\xFF", 29),
    std::string("P5\n3 2\n255\n\x00\x40\x80\xC0\xFF\x10", 17),
    std::string("P4\n9 2\n\xA5\x80\x5A\x00", 11),
};

void picture_options(const uint8_t* data, size_t size)
{
    FuzzBytes in{data, size};
    const std::string& file = pictures[in.pick(3)];
    Settings settings;
    settings_from_input(in, 64, &settings);
    FILE* picture = fuzz_stream(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    if (picture == nullptr)
        return;
    run_picture_job(&settings, picture);
    std::fclose(picture);
}

FUZZ_TARGET("picture_options", picture_options);

}  // namespace
