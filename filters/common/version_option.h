// --version, which every program accepts besides its own options.
#pragma once

// True when `word` asks for the version.
bool is_version_word(const char* word);

// When `word` asks for the version: prints "NAME X.Y.Z" on standard output
// and exits with status 0. Returns otherwise.
void exit_if_version_word(const char* program_name, const char* word);
