// A seekable copy of a stream that cannot seek (standard input), because the
// picture readers move about in their input and the spooler's text filter
// reads its input twice (once to find the encoding).
#pragma once

#include <cstdio>
#include <string>

// The directory for temporary files: $TMPDIR when it names a directory,
// else P_tmpdir, else "/tmp".
std::string temporary_directory();

// Copies `in` to its end into a new file "orv..." in the temporary directory
// and returns it opened for reading at its start. The file's name is removed
// at once, so nothing is left behind however the job ends. Null with errno
// set when the copy cannot be made.
FILE* copy_to_temporary(FILE* in);
