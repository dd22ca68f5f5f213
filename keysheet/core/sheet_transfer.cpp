#include "keysheet/core/sheet_transfer.hpp"

#include <cmath>

#include "common/header_io.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"

namespace keld::keysheet {

std::string SheetCopyPath(const std::string& su_path) {
  if (su_path.size() < 2) return su_path + "ods";
  return su_path.substr(0, su_path.size() - 2) + "ods";
}

std::string ColumnName(int col) {
  std::string s;
  for (int c = col; c > 0; c = (c - 1) / 26) s.insert(s.begin(), static_cast<char>('A' + (c - 1) % 26));
  return s;
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
std::string Cell(int row, int col) { return ColumnName(col) + std::to_string(row); }

// A number from a cell: a number cell, or a text that is a number as a whole
// (a value typed with a leading apostrophe).
bool NumberOf(const SheetCell& c, double& v) {
  if (c.kind == SheetCell::Kind::Number) {
    v = c.number;
    return std::isfinite(v);
  }
  if (c.kind == SheetCell::Kind::Text) {
    auto d = CDbl(c.text);
    if (d && std::isfinite(*d)) {
      v = *d;
      return true;
    }
  }
  return false;
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
  for (int64_t i = 0; i < count; ++i) {
    const int row = static_cast<int>(i + 2);
    const int64_t trace = first + i;
    double tn = 0;
    const SheetCell& tc = sheet.at(row, kTraceColumn);
    if (tc.kind == SheetCell::Kind::Empty)
      return R::failure(Failure(row, kTraceColumn, "should hold trace " + std::to_string(trace) +
                                                        " but is empty: rows were deleted or moved."));
    if (!NumberOf(tc, tn) || tn != static_cast<double>(trace))
      return R::failure(Failure(row, kTraceColumn, "should hold trace " + std::to_string(trace) +
                                                        ": rows were sorted, deleted or added."));
    for (int w = 1; w <= kHeaderWordCount; ++w) {
      if (chosen[static_cast<size_t>(w)] != 1) continue;
      const SheetCell& c = sheet.at(row, w);
      double v = 0;
      if (c.kind == SheetCell::Kind::Empty)
        return R::failure(Failure(row, w, "(word " + std::to_string(w) + ", trace " + std::to_string(trace) +
                                              ") is empty."));
      if (!NumberOf(c, v))
        return R::failure(Failure(row, w, "(word " + std::to_string(w) + ", trace " + std::to_string(trace) +
                                              ") holds \"" + c.text + "\", not a number."));
      auto stored = StoredValueOfNumber(w, v, ns);
      if (!stored)
        return R::failure(Failure(row, w, "(trace " + std::to_string(trace) + "): " + stored.error()));
      out.push_back({trace, w, *stored});
    }
  }
  // Rows below the range mean that rows were added (or the range moved).
  const int below = static_cast<int>(count + 2);
  for (int row = below; row <= sheet.rows(); ++row)
    for (int col = 1; col <= sheet.cols(); ++col)
      if (sheet.at(row, col).kind != SheetCell::Kind::Empty)
        return R::failure(Failure(row, col, "lies below the last trace " + std::to_string(last) +
                                                ": rows were added."));
  return out;
}

Status WriteWords(const std::string& su_path, int ns, const std::vector<WordWrite>& writes) {
  InPlaceFile f;
  if (Status s = f.open(su_path, true); !s) return s;
  auto stored = ReadSuNs(f);
  if (!stored) return Status::failure(stored.error());
  if (*stored != ns)
    return Status::failure("Nothing was written: " + su_path + " has changed, its traces now hold " +
                           std::to_string(*stored) + " samples, not " + std::to_string(ns) + ".");
  const int64_t traces = SuTraceCount(f.size(), ns);
  for (const WordWrite& w : writes)
    if (w.trace < 1 || w.trace > traces || !FindHeaderWord(w.word))
      return Status::failure("Nothing was written: trace " + std::to_string(w.trace) + " is no longer in " +
                             su_path + ".");
  for (const WordWrite& w : writes)
    if (Status s = WriteSuWord(f, ns, w.trace, *FindHeaderWord(w.word), w.value); !s) return s;
  return Status::good();
}

}  // namespace keld::keysheet
