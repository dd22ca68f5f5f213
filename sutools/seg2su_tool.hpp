#pragma once
// seg2su's conversion, shared by its command line and its window.
#include <string>
#include <vector>

#include "common/result.hpp"
#include "common/su_file.hpp"

namespace keld::sutools {

// The traces of every file in turn, tracl numbered on across files; `notes`
// receives what SU could not hold exactly (a sample interval rounded).
Result<std::vector<SuTrace>> ConvertSeg2Files(const std::vector<std::string>& paths,
                                              std::vector<std::string>* notes = nullptr);

// Converts and writes the SU file whole (beside it, then renamed): nothing is
// written when any input fails. An output that is also an input is refused
// with "Same Input / Output".
Status ConvertSeg2ToSuFile(const std::vector<std::string>& inputs, const std::string& output,
                           std::vector<std::string>* notes = nullptr);

}  // namespace keld::sutools
