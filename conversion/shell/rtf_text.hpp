#pragma once
// The plain text of a simple rich-text document (the help documents beside
// the program): paragraphs and line breaks kept, control words, groups of
// fonts and colours dropped, \'hh characters taken from Windows-1252.
#include <string>
#include <string_view>

namespace keld::conversion {

std::string RtfPlainText(std::string_view rtf);

}  // namespace keld::conversion
