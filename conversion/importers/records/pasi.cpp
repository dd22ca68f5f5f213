#include "conversion/importers/records/pasi.hpp"

namespace keld::conversion {

std::vector<std::string> TextItems(Bytes file) {
  std::vector<std::string> items;
  std::string item;
  bool in_line = false;  // something on the current line
  for (uint8_t b : file) {
    if (b == ',' || b == '\n' || b == '\r') {
      if (b == ',' || in_line) items.push_back(std::move(item));
      item.clear();
      in_line = false;
      continue;
    }
    if (!in_line && (b == ' ' || b == '\t') && item.empty()) continue;
    item.push_back(static_cast<char>(b));
    in_line = true;
  }
  if (in_line) items.push_back(std::move(item));
  return items;
}

Imported<std::vector<SuTrace>> ReadPasiRecord(Bytes file, const std::string& name, const PasiParams& p,
                                              int record) {
  auto head = RecordHeader(name, p.ns, p.dt, record, 1, 0);
  if (!head) return head.error();
  if (p.traces <= 0) return ImportError{kBadParameters, "The trace number per record must be 1 or more"};
  const auto items = TextItems(file);
  const int64_t need = static_cast<int64_t>(p.traces) * p.ns;
  if (static_cast<int64_t>(items.size()) < need)
    return ImportError{kPastEndOfFile, name + " holds " + std::to_string(items.size()) + " values: " +
                                           std::to_string(p.traces) + " traces of " + std::to_string(p.ns) +
                                           " samples need " + std::to_string(need)};
  std::vector<SuTrace> traces;
  traces.reserve(static_cast<std::size_t>(p.traces));
  std::size_t next = 0;
  for (int c = 1; c <= p.traces; ++c) {
    SuTrace t{*head, std::vector<float>(static_cast<std::size_t>(p.ns))};
    t.header.tracf = c;
    for (float& s : t.samples) {
      auto v = WholeNumber(items[next]);
      if (!v) return ImportError{kOverflow, name + ": the value " + items[next] + " is too large"};
      s = static_cast<float>(*v);
      ++next;
    }
    traces.push_back(std::move(t));
  }
  return traces;
}

}  // namespace keld::conversion
