#pragma once
// Profile (INI) files with the semantics the suite's settings rely on: section
// and key names match without regard to case, a missing file, section or key
// gives the default (its trailing blanks dropped), values are cut to the
// caller's buffer (at most size - 1 characters), and a write creates the file,
// section or key as needed and keeps every other line as it was. CRLF and LF
// lines both read; a file named without a folder lives in the settings folder.
#include <cstddef>
#include <string>

namespace keld {

// Returns the value (cut to buffer_size - 1 characters).
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& default_value, std::size_t buffer_size,
                                    const std::string& file);

// Creates or replaces `key` in `section`. Returns false when the file cannot be
// written (the old file is then left as it was).
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file);

}  // namespace keld
