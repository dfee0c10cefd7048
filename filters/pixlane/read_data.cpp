#include <cerrno>
#include <cstdio>

#include "corrections.h"
#include "job.h"
#include "temp_copy.h"
#include "xsio.h"
#include "xsregistry.h"
#include "xsiotiff.h"

XSImage* read_data(Settings* settings, job_context* context)
{
    if (settings->input == nullptr) {
        // The -in file could not be opened; report why.
        errno = settings->input_errno;
        return nullptr;
    }
    FILE* stream = settings->input;
    FILE* copy = nullptr;
    // The readers seek about in their input: a stream that cannot seek (standard
    // input, or an -in naming a pipe) is read from a temporary copy.
    if (stream == stdin || std::fseek(stream, 0, SEEK_CUR) != 0) {
        errno = 0;
        copy = copy_to_temporary(stream);
        if (copy == nullptr)
            return nullptr;
        stream = copy;
    }
    // Only the reader's own failure should decide the message.
    errno = 0;
    // The library's messages (libtiff's) name the file they are about.
    XSReadFileName = settings->input == stdin || settings->input_name == nullptr ? "standard input"
                                                                                 : settings->input_name;
    XslReadRequest request;
    request.page = context != nullptr ? context->tiff_page : 1;
    XSImage* picture = XSReadMagicRequest(stream, &request);
    if (context != nullptr)
        context->jpeg_cut_short = request.cut_short;
    XSReadFileName = nullptr;
    if (copy != nullptr) {
        int err = errno;
        std::fclose(copy);
        errno = err;
    }
    if (picture == nullptr)
        return nullptr;
    if (picture->type == 0)
        return picture;  // a bitmap takes no colour corrections

    // The page set-up turns every picture gray; when the corrections allow,
    // that happens here in one pass.
    bool corrected = tables_only(settings, picture) ? one_pass_gray(settings, picture)
                                                    : correct_picture(settings, picture);
    if (!corrected) {
        XSLFree(picture);
        return nullptr;
    }
    return picture;
}
