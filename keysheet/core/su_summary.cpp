#include "keysheet/core/su_summary.hpp"

#include "common/su_file.hpp"

namespace keld::keysheet {

Result<SuSummary> ReadSuSummary(const std::string& path) {
  auto layout = ReadSuLayout(path);
  if (!layout) return Result<SuSummary>::failure(layout.error());
  return SuSummary{layout->ns, layout->dt, layout->traces};
}

}  // namespace keld::keysheet
