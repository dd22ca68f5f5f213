#include "conversion/importers/records/es1225.hpp"

#include "common/numtext.hpp"

namespace keld::conversion {

int Es1225RecordLength(int item) {
  if (item < 0 || item >= static_cast<int>(std::size(kEs1225Lengths))) return 250;
  return kEs1225Lengths[item];
}

int Es1225Dt(const Es1225Params& p) {
  if (p.ns <= 0) return 0;
  return static_cast<int>(RoundHalfEven(p.record_length_ms * 1000.0 / p.ns));
}

ReadEnd ReadEs1225Record(RecordSource& file, const std::string& name, const Es1225Params& p, const TraceSink& give) {
  if (p.ns <= 0) return ImportError{kDivisionByZero, "The number of samples must be 1 or more"};
  const int dt = Es1225Dt(p);
  auto head = RecordHeader(name, p.ns, dt, 0, 1, 0);
  if (!head) return head.error();
  if (p.channels <= 0) return ImportError{kBadParameters, "The trace number must be 1 or more"};
  const int64_t block = 48 + 2 * static_cast<int64_t>(p.ns);
  const int64_t header = file.size() - p.channels * block;
  if (header - 1 < 48) return ImportError{0, "Wrong file length\r\n" + name, true};
  return GiveChannels(file, name, *head,
                      {.channels = p.channels, .first = header - 2, .stride = block, .n = p.ns, .width = 2}, give);
}

}  // namespace keld::conversion
