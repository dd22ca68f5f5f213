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

namespace {

constexpr int kHeaderLines = 37;  // the samples begin on line 38

// The ends of a header line that may be of any length: its first characters
// and its last, all that ReadAmbrogeoDate looks at.
class LineEnds {
 public:
  void add(int c) {
    if (head_.size() < 32) {
      head_.push_back(static_cast<char>(c));
      return;
    }
    tail_.push_back(static_cast<char>(c));
    if (tail_.size() > 64) tail_.erase(0, 32);
  }
  // The line as TextLines gives it (a CR before its LF dropped), less its
  // middle when long.
  std::string text() const {
    std::string s = head_ + tail_;
    if (!s.empty() && s.back() == '\r') s.pop_back();
    return s;
  }

 private:
  std::string head_, tail_;
};

}  // namespace

ReadEnd ReadAmbrogeoRecord(RecordSource& file, const std::string& name, const AmbrogeoParams& p, int record,
                           const TraceSink& give) {
  if (p.channels <= 0 || p.channels > kAmbrogeoSlots)
    return ImportError{kBadParameters, "The trace number per record must be 1 to 24"};
  // ns and dt first: they bound what the samples take.
  if (auto head = RecordHeader(name, p.ns, p.dt, record, 1, 1); !head) return head.error();
  std::vector<std::vector<float>> traces(static_cast<std::size_t>(p.channels));
  for (auto& t : traces) t.reserve(static_cast<std::size_t>(p.ns));
  const int64_t need = static_cast<int64_t>(p.ns) * kAmbrogeoSlots;
  int64_t taken = 0;
  std::string token;
  auto take = [&]() -> ReadEnd {
    const auto v = CInt(Val(token));
    if (!v) return ImportError{kOverflow, name + ": the sample " + token + " does not fit 16 bits"};
    const int slot = static_cast<int>(taken % kAmbrogeoSlots);
    if (slot < p.channels) traces[slot].push_back(*v);
    ++taken;
    token.clear();
    return std::nullopt;
  };
  ByteStream in(file);
  int64_t lf = 0;        // line ends read, while in the header
  bool partial = false;  // a header line begun and not ended
  LineEnds date[2];      // lines 5 and 6
  for (int b; taken < need && (b = in.next()) >= 0;) {
    if (lf < kHeaderLines) {
      partial = b != '\n';
      if (b == '\n')
        ++lf;
      else if (lf == 4 || lf == 5)
        date[lf - 4].add(b);
      continue;
    }
    if (b != ',' && b != ' ' && b != '\t' && b != '\r' && b != '\n') {
      KeepItemChar(token, b);
      continue;
    }
    if (token.empty()) continue;
    if (auto e = take()) return e;
  }
  if (in.failed()) return Unreadable(name);
  if (!token.empty() && taken < need)  // the last number, at the end of the file
    if (auto e = take()) return e;
  const int64_t lines = lf + (partial ? 1 : 0);
  if (lines < kHeaderLines)
    return ImportError{kPastEndOfFile, name + " holds " + std::to_string(lines) +
                                           " lines: its samples begin on line 38"};
  const AmbrogeoDate d = ReadAmbrogeoDate(date[0].text(), date[1].text());
  HeaderAdditions add;
  add.year = d.year;
  add.day = d.day;
  add.hour = d.hour;
  add.minute = d.minute;
  auto head = RecordHeader(name, p.ns, p.dt, record, 1, 1, add);
  if (!head) return head.error();
  if (taken < need)
    return ImportError{kPastEndOfFile, name + " holds " + std::to_string(taken) + " sample values: " +
                                           std::to_string(p.ns) + " samples of 24 channel slots need " +
                                           std::to_string(need)};
  SuTraceHeader h = *head;
  for (int c = 1; c <= p.channels; ++c) {
    h.tracf = c;
    if (auto e = give(h, traces[c - 1])) return e;
  }
  return std::nullopt;
}

}  // namespace keld::conversion
