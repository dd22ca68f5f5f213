#include "conversion/importers/records/pasi.hpp"

namespace keld::conversion {

namespace {

// The items of the text, one at a time.
class Items {
 public:
  explicit Items(RecordSource& file) : in_(file) {}
  // The next item into `item`; false at the end of the text.
  bool next(std::string& item) {
    item.clear();
    for (int b; (b = in_.next()) >= 0;) {
      if (b == ',' || b == '\n' || b == '\r') {
        // A comma always ends an item, a line end only one begun on its line.
        const bool ends = b == ',' || in_line_;
        in_line_ = false;
        if (ends) return true;
        continue;
      }
      if (!in_line_ && (b == ' ' || b == '\t')) continue;
      KeepItemChar(item, b);
      in_line_ = true;
    }
    const bool last = in_line_;
    in_line_ = false;
    return last;
  }
  bool failed() const { return in_.failed(); }

 private:
  ByteStream in_;
  bool in_line_ = false;  // something on the current line
};

}  // namespace

ReadEnd ReadPasiRecord(RecordSource& file, const std::string& name, const PasiParams& p, int record,
                       const TraceSink& give) {
  auto head = RecordHeader(name, p.ns, p.dt, record, 1, 0);
  if (!head) return head.error();
  if (p.traces <= 0) return ImportError{kBadParameters, "The trace number per record must be 1 or more"};
  const int64_t need = static_cast<int64_t>(p.traces) * p.ns;
  Items items(file);
  SuTraceHeader h = *head;
  std::vector<float> samples(static_cast<std::size_t>(p.ns));
  std::string item;
  int64_t taken = 0;
  for (int c = 1; c <= p.traces; ++c) {
    for (float& s : samples) {
      if (!items.next(item)) {
        if (items.failed()) return Unreadable(name);
        return ImportError{kPastEndOfFile, name + " holds " + std::to_string(taken) + " values: " +
                                               std::to_string(p.traces) + " traces of " + std::to_string(p.ns) +
                                               " samples need " + std::to_string(need)};
      }
      auto v = WholeNumber(item);
      if (!v) return ImportError{kOverflow, name + ": the value " + item + " is too large"};
      s = static_cast<float>(*v);
      ++taken;
    }
    h.tracf = c;
    if (auto e = give(h, samples)) return e;
  }
  return std::nullopt;
}

}  // namespace keld::conversion
