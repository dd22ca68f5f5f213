#include "conversion/importers/import_traces.hpp"

#include <cctype>

#include "common/files.hpp"
#include "conversion/importers/su_output.hpp"

namespace keld::conversion {

Status WriteImportedTraces(const std::string& output, const std::vector<std::string>& inputs,
                           const std::vector<SuTrace>& traces, const std::function<void(int)>& progress) {
  ImportWriter out(output, inputs);
  if (!out.ok()) return Status::failure(out.error());
  int t = 0;
  for (const SuTrace& tr : traces) {
    if (progress) progress(++t);
    if (!out.add(tr.header, tr.samples)) return Status::failure(out.error());
  }
  if (!out.commit()) return Status::failure(out.error());
  return Status::good();
}

std::optional<std::string> SuNameBesideInput(const std::string& input) {
  if (input.size() < 3) return std::nullopt;
  return input.substr(0, input.size() - 3) + "SU";
}

std::optional<std::string> CompanionHeader(const std::string& data, const std::string& ext) {
  if (data.size() < 3) return std::nullopt;
  return FindBeside(data.substr(0, data.size() - 3) + ext);
}

}  // namespace keld::conversion
