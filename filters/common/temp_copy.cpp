#include "temp_copy.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

bool is_directory(const char* path)
{
    struct stat st;
    return path != nullptr && path[0] != '\0' && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// Closes `file` keeping the errno of the failure that made us give up.
FILE* give_up(FILE* file)
{
    int err = errno != 0 ? errno : EIO;
    std::fclose(file);
    errno = err;
    return nullptr;
}

}  // namespace

std::string temporary_directory()
{
    if (const char* dir = secure_getenv("TMPDIR"); is_directory(dir))
        return dir;
    if (is_directory(P_tmpdir))
        return P_tmpdir;
    return "/tmp";
}

FILE* copy_to_temporary(FILE* in)
{
    std::string name = temporary_directory() + "/orvXXXXXX";
    int fd = mkstemp(name.data());
    if (fd < 0)
        return nullptr;
    unlink(name.c_str());
    FILE* copy = fdopen(fd, "w+");
    if (copy == nullptr) {
        int err = errno;
        close(fd);
        errno = err;
        return nullptr;
    }
    unsigned char block[1024];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, in)) != 0) {
        if (std::fwrite(block, 1, n, copy) != n)
            return give_up(copy);
    }
    if (std::ferror(in) || std::fflush(copy) != 0 || std::fseek(copy, 0L, SEEK_SET) != 0)
        return give_up(copy);
    return copy;
}
