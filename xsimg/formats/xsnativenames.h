// How messages name the members of the native family.
#pragma once

// The name of the native-family row `row` (as imagefunc counts them), or null
// for no row. *last_resort is set for the member that recognises files by
// the shape of their first word alone: its refusal means the file is no
// picture this library knows.
const char* XSNativeMemberName(int row, bool* last_resort);
