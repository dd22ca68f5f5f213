#include "keysheet/core/sheet_transfer.hpp"

#include <algorithm>
#include <cmath>

#include "common/files.hpp"
#include "common/folder_check.hpp"
#include "common/header_io.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"
#include "platform/sheet/ods.hpp"

namespace keld::keysheet {

std::string SheetCopyPath(const std::string& su_path) {
  if (su_path.size() < 2) return su_path + "ods";
  return su_path.substr(0, su_path.size() - 2) + "ods";
}

Result<SheetSize> SheetLimits(int64_t traces) {
  if (traces + 1 > kMaxSheetRows)
    return Result<SheetSize>::failure("A worksheet holds at most " + std::to_string(kMaxSheetRows - 1) +
                                      " traces, one a row below the descriptions: choose at most that many "
                                      "between the first and the last trace.");
  return SheetSize{std::max<int64_t>(traces, 0) + 1, kTraceColumn};
}

Sheet DescriptionRow() {
  Sheet s;
  for (const HeaderWord& w : HeaderWords()) s.set_text(1, w.number, w.sheet);
  s.set_text(1, kTraceColumn, kTraceHeading);
  return s;
}

Sheet BuildSheet(const std::vector<TraceWords>& traces, const WordChoice& chosen) {
  Sheet s = DescriptionRow();
  int row = 1;
  for (const TraceWords& t : traces) {
    ++row;
    for (int w = 1; w <= kHeaderWordCount; ++w)
      if (chosen[static_cast<size_t>(w)] == 1) s.set_number(row, w, t.values[static_cast<size_t>(w - 1)]);
    s.set_number(row, kTraceColumn, static_cast<double>(t.trace));
  }
  return s;
}

namespace {
std::string Cell(int row, int col) { return SheetCellName(row, col); }

// A number from a cell: a number cell, or a text that is a number as a whole
// (a value typed with a leading apostrophe).
bool NumberOf(const Sheet& sheet, int row, int col, double& v) {
  switch (sheet.kind(row, col)) {
    case SheetCell::Kind::Number: v = sheet.number(row, col); return std::isfinite(v);
    case SheetCell::Kind::Text: {
      auto d = CDbl(sheet.at(row, col).text);
      if (!d || !std::isfinite(*d)) return false;
      v = *d;
      return true;
    }
    default: return false;
  }
}

std::string Failure(int row, int col, const std::string& why) {
  return "Nothing was written: cell " + Cell(row, col) + " " + why;
}
}  // namespace

Result<std::vector<WordWrite>> ReadBackSheet(const Sheet& sheet, int64_t first, int64_t last,
                                              const WordChoice& chosen, int ns) {
  using R = Result<std::vector<WordWrite>>;
  std::vector<WordWrite> out;
  const int64_t count = last - first + 1;
  if (count < 1) return out;
  size_t words = 0;
  for (int w = 1; w <= kHeaderWordCount; ++w) words += chosen[static_cast<size_t>(w)] == 1;
  out.reserve(static_cast<size_t>(std::min<int64_t>(count, sheet.rows())) * words);
  for (int64_t i = 0; i < count; ++i) {
    const int row = static_cast<int>(i + 2);
    const int64_t trace = first + i;
    double tn = 0;
    if (sheet.kind(row, kTraceColumn) == SheetCell::Kind::Empty)
      return R::failure(Failure(row, kTraceColumn, "should hold trace " + std::to_string(trace) +
                                                        " but is empty: rows were deleted or moved."));
    if (!NumberOf(sheet, row, kTraceColumn, tn) || tn != static_cast<double>(trace))
      return R::failure(Failure(row, kTraceColumn, "should hold trace " + std::to_string(trace) +
                                                        ": rows were sorted, deleted or added."));
    for (int w = 1; w <= kHeaderWordCount; ++w) {
      if (chosen[static_cast<size_t>(w)] != 1) continue;
      double v = 0;
      if (sheet.kind(row, w) == SheetCell::Kind::Empty)
        return R::failure(Failure(row, w, "(word " + std::to_string(w) + ", trace " + std::to_string(trace) +
                                              ") is empty."));
      if (!NumberOf(sheet, row, w, v))
        return R::failure(Failure(row, w, "(word " + std::to_string(w) + ", trace " + std::to_string(trace) +
                                              ") holds \"" + sheet.at(row, w).text + "\", not a number."));
      auto stored = StoredValueOfNumber(w, v, ns);
      if (!stored)
        return R::failure(Failure(row, w, "(trace " + std::to_string(trace) + "): " + stored.error()));
      out.push_back({trace, w, *stored});
    }
  }
  // Rows below the range mean that rows were added (or the range moved).
  const int below = static_cast<int>(count + 2);
  for (int row = below; row <= sheet.rows(); ++row)
    for (int col = 1; col <= sheet.cols_in_row(row); ++col)
      if (sheet.kind(row, col) != SheetCell::Kind::Empty)
        return R::failure(Failure(row, col, "lies below the last trace " + std::to_string(last) +
                                                ": rows were added."));
  return out;
}

Status WriteWords(const std::string& su_path, int ns, const std::vector<WordWrite>& writes) {
  InPlaceFile f;
  if (Status s = f.open(su_path, true); !s) return s;  // a read-only file is refused here
  auto stored = ReadSuNs(f);
  if (!stored) return Status::failure(stored.error());
  if (*stored != ns)
    return Status::failure("Nothing was written: " + su_path + " has changed, its traces now hold " +
                           std::to_string(*stored) + " samples, not " + std::to_string(ns) + ".");
  const int64_t traces = SuTraceCount(f.size(), ns);
  for (const WordWrite& w : writes) {
    const HeaderWord* hw = FindHeaderWord(w.word);
    if (w.trace < 1 || w.trace > traces || !hw)
      return Status::failure("Nothing was written: trace " + std::to_string(w.trace) + " is no longer in " +
                             su_path + ".");
    if (!FitsHeaderWord(*hw, w.value))
      return Status::failure("Nothing was written: the value " + std::to_string(w.value) + " does not fit word " +
                             std::to_string(w.word) + " of trace " + std::to_string(w.trace) + ".");
  }
  std::vector<WordWrite> sorted = writes;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const WordWrite& a, const WordWrite& b) { return a.trace < b.trace; });

  // The copy goes in pieces of whole traces, so that every word lies inside
  // one piece; what follows the last whole trace is copied as it is.
  const int64_t trace_bytes = 240 + 4 * static_cast<int64_t>(ns);
  const int64_t per_piece = std::max<int64_t>(1, (int64_t(1) << 20) / trace_bytes);
  std::vector<uint8_t> piece(static_cast<size_t>(per_piece * trace_bytes));
  AtomicFile out(su_path);
  auto failed = [&](const std::string& why) {
    out.discard();
    return Status::failure("Nothing was written, " + su_path + " is as it was: " + why);
  };
  if (!out.is_open()) {
    // The file itself was opened for writing above: a folder that takes no
    // new file is the likely cause, and the one the user must hear of.
    if (auto folder = FolderRefusal(su_path))
      return failed(*folder + "; the changed copy is made there before it takes the file's place.");
    return failed(out.error());
  }
  size_t next = 0;
  for (int64_t at = 0; at < f.size();) {
    const int64_t first = at / trace_bytes + 1;  // the trace the piece starts with
    const int64_t n = std::min<int64_t>(static_cast<int64_t>(piece.size()), f.size() - at);
    if (Status s = f.read_at(at, piece.data(), static_cast<size_t>(n)); !s) return failed(s.error);
    const int64_t whole = n / trace_bytes;
    for (int64_t k = 0; k < whole; ++k)
      if (std::string fault = SuLengthFault(piece.data() + k * trace_bytes, first + k, ns, SuSource::File);
          !fault.empty())
        return failed(fault);
    for (; next < sorted.size() && sorted[next].trace < first + whole; ++next) {
      const WordWrite& w = sorted[next];
      PutHeaderWord(piece.data() + (w.trace - first) * trace_bytes, *FindHeaderWord(w.word), w.value);
    }
    if (!out.write(piece.data(), static_cast<size_t>(n))) return failed(out.error().empty() ? "the copy could not be written" : out.error());
    at += n;
  }
  if (!out.commit()) return failed(out.error());
  return Status::good();
}

}  // namespace keld::keysheet
