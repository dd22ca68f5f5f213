#pragma once
// Building the lines of the batch files the suite writes for /bin/sh: every
// path and free text goes through ShellWord, so blanks, quotes and shell
// characters in names stay one word and are never interpreted.
#include <string>
#include <string_view>

namespace keld {

// A word for /bin/sh: in single quotes, an embedded quote written '\''.
std::string ShellWord(std::string_view s);

// `program` in `folder` (with or without a final "/"), quoted; a bare program
// name when the folder is empty.
std::string ShellProgram(const std::string& folder, std::string_view program);

}  // namespace keld
