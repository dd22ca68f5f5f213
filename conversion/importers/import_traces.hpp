#pragma once
// Writing a list of converted traces through the importers' one SU writer,
// with a progress call per trace.
#include <functional>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "common/su_file.hpp"

namespace keld::conversion {

// The whole output is written beside its name and renamed only when complete:
// a failure leaves no partial file and an older file of that name untouched.
Status WriteImportedTraces(const std::string& output, const std::vector<std::string>& inputs,
                           const std::vector<SuTrace>& traces,
                           const std::function<void(int)>& progress = {});

// The output name the radar and ASCII windows propose: the input less its
// last 3 characters, then "SU" (LINE.TXT gives LINE.SU); nullopt for a name of
// fewer than 3 characters.
std::optional<std::string> ProposedSuName(const std::string& input);

// The text header beside a radar data file: the data name less its last 3
// characters, then `ext` as given, else in lower or upper case, whichever
// exists; nullopt when none does.
std::optional<std::string> CompanionHeader(const std::string& data, const std::string& ext);

}  // namespace keld::conversion
