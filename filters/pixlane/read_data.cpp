#include <cerrno>
#include <cstdio>

#include "job.h"
#include "temp_copy.h"
#include "xsio.h"

XSImage* read_data(Settings* settings)
{
    if (settings->input == nullptr) {
        // The -in file could not be opened; report why.
        errno = settings->input_errno;
        return nullptr;
    }
    FILE* stream = settings->input;
    FILE* copy = nullptr;
    if (stream == stdin) {
        copy = copy_to_temporary(stdin);
        if (copy == nullptr)
            return nullptr;
        stream = copy;
    }
    // Only the reader's own failure should decide the message.
    errno = 0;
    XSImage* picture = XSReadMagic(stream);
    if (copy != nullptr) {
        int err = errno;
        std::fclose(copy);
        errno = err;
    }
    if (picture == nullptr)
        return nullptr;
    if (picture->type == 0)
        return picture;  // a bitmap takes no colour corrections

    // The colour corrections of non-bitmap pictures go here.
    return picture;
}
