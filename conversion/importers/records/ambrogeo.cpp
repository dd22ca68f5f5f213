#include "conversion/importers/records/ambrogeo.hpp"

#include "common/numtext.hpp"
#include "common/text.hpp"

namespace keld::conversion {

namespace {
// Characters `from` to `to` (from 1) of a line, as far as it goes.
std::string Chars(const std::string& s, std::size_t from, std::size_t to) {
  if (from > s.size()) return {};
  return s.substr(from - 1, to - from + 1);
}

int Piece(const std::string& s) { return CInt(Val(s)).value_or(0); }
}  // namespace

AmbrogeoHeader ReadAmbrogeoHeader(Bytes file) {
  const auto lines = TextLines(file, 12);
  auto line = [&](std::size_t n) { return n <= lines.size() ? lines[n - 1] : std::string(); };
  AmbrogeoHeader h{line(8), line(9), {}};
  const std::string ch = Trim(h.channels);
  if (ch == "12") h.rate = line(11);
  if (ch == "24") h.rate = line(12);
  return h;
}

AmbrogeoDate ReadAmbrogeoDate(const std::string& line5, const std::string& line6) {
  AmbrogeoDate d;
  const std::string last4 = line5.size() >= 4 ? line5.substr(line5.size() - 4) : line5;
  d.year = 2000 + Piece(last4);
  d.day = Piece(Chars(line5, 2, 4)) + 30 * Piece(Chars(line5, 5, 6));
  d.hour = Piece(Chars(line6, 2, 3));
  d.minute = Piece(Chars(line6, 5, 6));
  return d;
}

Imported<std::vector<SuTrace>> ReadAmbrogeoRecord(Bytes file, const std::string& name, const AmbrogeoParams& p,
                                                  int record) {
  if (p.channels <= 0 || p.channels > kAmbrogeoSlots)
    return ImportError{kBadParameters, "The trace number per record must be 1 to 24"};
  const auto lines = TextLines(file);
  if (lines.size() < 37)
    return ImportError{kPastEndOfFile, name + " holds " + std::to_string(lines.size()) +
                                           " lines: its samples begin on line 38"};
  const AmbrogeoDate date = ReadAmbrogeoDate(lines[4], lines[5]);
  HeaderAdditions add;
  add.year = date.year;
  add.day = date.day;
  add.hour = date.hour;
  add.minute = date.minute;
  auto head = RecordHeader(name, p.ns, p.dt, record, 1, 1, add);
  if (!head) return head.error();
  std::vector<SuTrace> traces(static_cast<std::size_t>(p.channels));
  for (int c = 1; c <= p.channels; ++c) {
    SuTraceHeader& h = traces[c - 1].header;
    h = *head;
    h.tracf = c;
    traces[c - 1].samples.reserve(static_cast<std::size_t>(p.ns));
  }
  int64_t taken = 0;
  const int64_t need = static_cast<int64_t>(p.ns) * kAmbrogeoSlots;
  for (std::size_t l = 37; l < lines.size() && taken < need; ++l) {
    std::string token;
    const std::string& s = lines[l];
    for (std::size_t i = 0; i <= s.size() && taken < need; ++i) {
      const char ch = i < s.size() ? s[i] : ',';
      if (ch != ',' && ch != ' ' && ch != '\t' && ch != '\r') {
        token.push_back(ch);
        continue;
      }
      if (token.empty()) continue;
      const auto v = CInt(Val(token));
      if (!v) return ImportError{kOverflow, name + ": the sample " + token + " does not fit 16 bits"};
      const int slot = static_cast<int>(taken % kAmbrogeoSlots);
      if (slot < p.channels) traces[slot].samples.push_back(*v);
      ++taken;
      token.clear();
    }
  }
  if (taken < need)
    return ImportError{kPastEndOfFile, name + " holds " + std::to_string(taken) + " sample values: " +
                                           std::to_string(p.ns) + " samples of 24 channel slots need " +
                                           std::to_string(need)};
  return traces;
}

}  // namespace keld::conversion
