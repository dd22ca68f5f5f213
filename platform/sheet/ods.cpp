#include "platform/sheet/ods.hpp"

#include <QFile>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include "common/files.hpp"
#include "common/folder_check.hpp"
#include "platform/sheet/xml_scanner.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace keld {

namespace {
constexpr const char* kMime = "application/vnd.oasis.opendocument.spreadsheet";
constexpr const char* kOffice = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr const char* kTable = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr const char* kText = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";

// content.xml may be at most this large for the cells it may hold: room for
// every cell written by us or by a spreadsheet program with its styles, so
// that a small damaged or hostile file cannot keep the reader busy for long.
constexpr int64_t kContentSlack = 16LL * 1024 * 1024;
constexpr int64_t kContentBytesPerCell = 256;

// The XML of a worksheet, handed to a device a megabyte at a time: the sheet
// is never held twice in memory, once as cells and once as text.
class ChunkWriter {
 public:
  explicit ChunkWriter(QIODevice& out) : out_(out) { buf_.reserve(kChunk + 4096); }
  void put(std::string_view s) {
    buf_.append(s);
    if (buf_.size() >= kChunk) flush();
  }
  void put_int(int64_t v) {
    char tmp[24];
    auto [end, ec] = std::to_chars(tmp, tmp + sizeof tmp, v);
    (void)ec;
    buf_.append(tmp, end);
  }
  // Whole numbers as such, others in the shortest form that reads back the
  // same double.
  void put_number(double v) {
    if (v == std::trunc(v) && std::fabs(v) < 1e15) return put_int(static_cast<int64_t>(v));
    char tmp[32];
    auto [end, ec] = std::to_chars(tmp, tmp + sizeof tmp, v);
    (void)ec;
    buf_.append(tmp, end);
  }
  // Text escaped for XML; control characters that XML 1.0 cannot hold are
  // left out, tabs and line ends kept as character references.
  void put_text(std::string_view s) {
    for (char ch : s) {
      switch (ch) {
        case '&': buf_ += "&amp;"; break;
        case '<': buf_ += "&lt;"; break;
        case '>': buf_ += "&gt;"; break;
        case '"': buf_ += "&quot;"; break;
        case '\t': buf_ += "&#9;"; break;
        case '\n': buf_ += "&#10;"; break;
        case '\r': buf_ += "&#13;"; break;
        default:
          if (static_cast<unsigned char>(ch) >= 0x20) buf_ += ch;
      }
    }
  }
  bool flush() {
    if (!buf_.empty() && ok_)
      ok_ = out_.write(buf_.data(), static_cast<qint64>(buf_.size())) == static_cast<qint64>(buf_.size());
    buf_.clear();
    return ok_;
  }

 private:
  static constexpr size_t kChunk = 1 << 20;
  QIODevice& out_;
  std::string buf_;
  bool ok_ = true;
};

void EmptyRows(ChunkWriter& w, int64_t n) {
  if (n <= 0) return;
  w.put("<table:table-row");
  if (n > 1) {
    w.put(" table:number-rows-repeated=\"");
    w.put_int(n);
    w.put("\"");
  }
  w.put("><table:table-cell/></table:table-row>");
}

bool WriteContent(QIODevice& out, const std::string& sheet_name, const Sheet& sheet) {
  ChunkWriter w(out);
  w.put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content xmlns:office=\"");
  w.put(kOffice);
  w.put("\" xmlns:table=\"");
  w.put(kTable);
  w.put("\" xmlns:text=\"");
  w.put(kText);
  w.put("\" office:version=\"1.2\"><office:body><office:spreadsheet><table:table table:name=\"");
  w.put_text(sheet_name);
  w.put("\">");
  int64_t empty_rows = sheet.rows() == 0 ? 1 : 0;
  for (int r = 1; r <= sheet.rows(); ++r) {
    int last = sheet.cols_in_row(r);
    while (last > 0 && sheet.kind(r, last) == SheetCell::Kind::Empty) --last;
    if (last == 0) {
      ++empty_rows;
      continue;
    }
    EmptyRows(w, empty_rows);
    empty_rows = 0;
    w.put("<table:table-row>");
    int empties = 0;
    for (int c = 1; c <= last; ++c) {
      const SheetCell::Kind kind = sheet.kind(r, c);
      if (kind == SheetCell::Kind::Empty) {
        ++empties;
        continue;
      }
      if (empties == 1) w.put("<table:table-cell/>");
      if (empties > 1) {
        w.put("<table:table-cell table:number-columns-repeated=\"");
        w.put_int(empties);
        w.put("\"/>");
      }
      empties = 0;
      if (kind == SheetCell::Kind::Number) {
        // The value alone: the spreadsheet programs show it by its style, and
        // a shown text would double what is written and read.
        w.put("<table:table-cell office:value-type=\"float\" office:value=\"");
        w.put_number(sheet.at(r, c).number);
        w.put("\"/>");
      } else {
        w.put("<table:table-cell office:value-type=\"string\"><text:p>");
        w.put_text(sheet.at(r, c).text);
        w.put("</text:p></table:table-cell>");
      }
    }
    w.put("</table:table-row>");
  }
  EmptyRows(w, empty_rows);
  w.put("</table:table></office:spreadsheet></office:body></office:document-content>\n");
  return w.flush();
}

QByteArray Manifest() {
  return QByteArray(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
      "manifest:version=\"1.2\">\n"
      " <manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" "
      "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>\n"
      " <manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>\n"
      "</manifest:manifest>\n");
}

// One entry of the workbook, its bytes written by `fill`. The mimetype is
// stored, as the format asks; the rest is compressed for speed rather than
// size (the cells are repetitive and shrink well at any level).
template <typename Fill>
bool AddEntry(QuaZip& zip, const char* name, bool stored, Fill fill) {
  QuaZipFile f(&zip);
  QuaZipNewInfo info(name);
  const int method = stored ? 0 : Z_DEFLATED;
  const int level = stored ? 0 : Z_BEST_SPEED;
  if (!f.open(QIODevice::WriteOnly, info, nullptr, 0, method, level)) return false;
  const bool ok = fill(f);
  f.close();
  return ok && f.getZipError() == ZIP_OK;
}

bool WriteBytes(QIODevice& d, const QByteArray& bytes) { return d.write(bytes) == bytes.size(); }

// "name: reason" as the file helpers give it, without the name that the
// message names already.
std::string WithoutName(const std::string& error, const std::string& name) {
  const std::string lead = name + ": ";
  return error.rfind(lead, 0) == 0 ? error.substr(lead.size()) : error;
}
}  // namespace

Status WriteOds(const std::string& path, const std::string& sheet_name, const Sheet& sheet) {
  const auto cannot = [&path](const std::string& why) {
    return Status::failure("Cannot write " + path + ": " + why + ".");
  };
  if (sheet.rows() > kMaxSheetRows || sheet.cols() > kMaxSheetCols)
    return cannot("a worksheet holds at most " + std::to_string(kMaxSheetRows) + " rows and " +
                  std::to_string(kMaxSheetCols) + " columns");
  // Written under a name of its own beside the workbook (removed if the
  // program is killed meanwhile) and put in place only when whole.
  auto temp = CreateFileBeside(path);
  if (!temp) {
    if (auto folder = FolderRefusal(path)) return cannot(*folder);
    return cannot(WithoutName(temp.error(), path));
  }
  std::string why;
  {
    QFile file(QString::fromStdString(*temp));
    QuaZip zip(&file);
    zip.setAutoClose(false);  // the last bytes are flushed and checked here
    bool ok = zip.open(QuaZip::mdCreate);
    ok = ok && AddEntry(zip, "mimetype", true, [](QIODevice& d) { return WriteBytes(d, kMime); }) &&
         AddEntry(zip, "META-INF/manifest.xml", false, [](QIODevice& d) { return WriteBytes(d, Manifest()); }) &&
         AddEntry(zip, "content.xml", false, [&](QIODevice& d) { return WriteContent(d, sheet_name, sheet); });
    zip.close();
    ok = ok && zip.getZipError() == ZIP_OK;
    ok = file.isOpen() && file.flush() && ok;
    if (!ok)
      why = file.error() != QFileDevice::NoError ? file.errorString().toStdString()
                                                 : "the workbook could not be made (zip error " +
                                                       std::to_string(zip.getZipError()) + ")";
  }
  if (why.empty()) {
    if (Status moved = MoveFileOver(*temp, path); !moved) why = WithoutName(moved.error, path);
  }
  if (!why.empty()) {
    RemoveTemporary(*temp);
    return cannot(why);
  }
  return Status::good();
}

namespace {
// Never more than any worksheet holds, however the limits were given.
SheetSize Bounded(SheetSize s) {
  return {std::clamp<int64_t>(s.rows, 0, kMaxSheetRows), std::clamp<int64_t>(s.cols, 0, kMaxSheetCols)};
}

int64_t ContentCap(SheetSize s) { return kContentSlack + s.rows * s.cols * kContentBytesPerCell; }

std::string TooLarge(SheetSize s) {
  return "too large a workbook for " + std::to_string(s.rows) + " rows and " + std::to_string(s.cols) + " columns.";
}

Result<Sheet> ParseContent(XmlScanner& x, const std::string& sheet_name, SheetSize limits);
}  // namespace

Result<Sheet> ReadOds(const std::string& path, const std::string& sheet_name, SheetSize limits) {
  limits = Bounded(limits);
  QuaZip zip(QString::fromStdString(path));
  if (!zip.open(QuaZip::mdUnzip))
    return Result<Sheet>::failure(path + " is not a spreadsheet saved in the OpenDocument (.ods) form.");
  if (!zip.setCurrentFile("content.xml"))
    return Result<Sheet>::failure(path + " holds no worksheet (content.xml is missing).");
  const int64_t cap = ContentCap(limits);
  QuaZipFileInfo64 info;
  if (!zip.getCurrentFileInfo(&info) || info.uncompressedSize > static_cast<quint64>(cap))
    return Result<Sheet>::failure(path + " is " + TooLarge(limits));
  // The XML is read as it is inflated: the workbook is never held whole.
  QuaZipFile f(&zip);
  if (!f.open(QIODevice::ReadOnly)) return Result<Sheet>::failure("Cannot read " + path + ".");
  int64_t total = 0;
  bool too_large = false;
  XmlScanner x([&](char* buf, size_t n) -> int64_t {
    const qint64 got = f.read(buf, static_cast<qint64>(n));
    total += std::max<qint64>(got, 0);
    too_large = total > cap;
    return too_large ? -1 : got;
  });
  auto sheet = ParseContent(x, sheet_name, limits);
  f.close();
  if (too_large) return Result<Sheet>::failure(path + " is " + TooLarge(limits));
  if (!sheet) return Result<Sheet>::failure(path + ": " + sheet.error());
  if (f.getZipError() != UNZ_OK) return Result<Sheet>::failure("Cannot read " + path + ": the file is damaged.");
  return sheet;
}

Result<Sheet> ParseOdsContent(const std::string& bytes, const std::string& sheet_name, SheetSize limits) {
  limits = Bounded(limits);
  if (static_cast<int64_t>(bytes.size()) > ContentCap(limits)) return Result<Sheet>::failure("the workbook is " + TooLarge(limits));
  size_t at = 0;
  XmlScanner x([&](char* buf, size_t n) -> int64_t {
    const size_t k = std::min(n, bytes.size() - at);
    std::memcpy(buf, bytes.data() + at, k);
    at += k;
    return static_cast<int64_t>(k);
  });
  return ParseContent(x, sheet_name, limits);
}

namespace {
// Counts of rows and columns stop growing here: far beyond any worksheet,
// far from overflowing.
constexpr int64_t kCountCeiling = int64_t{1} << 48;

// A repeat count: 1 when missing or no count.
int64_t Repeat(std::string_view v) {
  if (v.empty()) return 1;
  int64_t n = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
  if (ec == std::errc::result_out_of_range && end == v.data() + v.size() && v[0] != '-') return kCountCeiling;
  return ec == std::errc() && end == v.data() + v.size() && n >= 1 ? std::min(n, kCountCeiling) : 1;
}

// A number as the format writes values ("12", "-0.5", "1.5E+20").
bool Number(std::string_view v, double& out) {
  while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  if (!v.empty() && v.front() == '+') v.remove_prefix(1);
  if (v.empty()) return false;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
  return ec == std::errc() && end == v.data() + v.size() && std::isfinite(out);
}

bool IsTable(const XmlScanner& x, std::string_view name) { return x.ns() == kTable && x.name() == name; }

// The text of the cell whose start was just read, up to its end: its
// paragraphs joined by line ends, runs of blanks and tabs written out.
// What is not a paragraph (a note, a drawing) is left out.
bool CellText(XmlScanner& x, std::string& out) {
  const int cell = x.depth();
  int paragraphs = 0;
  for (;;) {
    switch (x.next()) {
      case XmlScanner::Event::StartElement:
        if (x.depth() == cell + 1 && !(x.ns() == kText && x.name() == "p")) {
          if (!x.skip_element()) return false;
        } else if (x.ns() == kText) {
          if (x.name() == "p" && paragraphs++) out += '\n';
          if (x.name() == "s") out.append(static_cast<size_t>(std::min<int64_t>(Repeat(x.attribute(kText, "c")), 1000)), ' ');
          if (x.name() == "tab") out += '\t';
          if (x.name() == "line-break") out += '\n';
        }
        break;
      case XmlScanner::Event::EndElement:
        if (x.depth() == cell) return true;
        break;
      case XmlScanner::Event::Text:
        if (x.depth() > cell) out.append(x.text());
        break;
      default: return false;
    }
  }
}

// The cell whose start was just read, read up to its end.
bool ReadCell(XmlScanner& x, SheetCell& cell) {
  const std::string_view type = x.attribute(kOffice, "value-type");
  double value = 0;
  enum { Other, Numeric, Boolean } kind = Other;
  bool valid = false;
  if (type == "float" || type == "percentage" || type == "currency") {
    kind = Numeric;
    valid = Number(x.attribute(kOffice, "value"), value);
  } else if (type == "boolean") {
    kind = Boolean;
    value = x.attribute(kOffice, "boolean-value") == "true" ? 1.0 : 0.0;
  }
  const bool typed = !type.empty();
  std::string text;
  if (!CellText(x, text)) return false;
  if ((kind == Numeric && valid) || kind == Boolean) cell = {SheetCell::Kind::Number, value, {}};
  else if (!text.empty() || typed) cell = {SheetCell::Kind::Text, 0, std::move(text)};
  else cell = {};
  return true;
}

std::string Outside(const std::string& sheet_name, int64_t row, int64_t col, SheetSize limits) {
  return "the worksheet " + sheet_name + " holds a value in cell " + SheetCellName(row, col) +
         ", outside rows 1 to " + std::to_string(limits.rows) + " and columns A to " +
         SheetColumnName(limits.cols) + " where its values may lie.";
}

Result<Sheet> ParseContent(XmlScanner& x, const std::string& sheet_name, SheetSize limits) {
  using R = Result<Sheet>;
  auto broken = [&] { return R::failure("the worksheet cannot be read: " + x.error() + "."); };
  for (;;) {
    const XmlScanner::Event e = x.next();
    if (e == XmlScanner::Event::Error) return broken();
    if (e == XmlScanner::Event::End) return R::failure("there is no worksheet named " + sheet_name + ".");
    if (e == XmlScanner::Event::StartElement && IsTable(x, "table") && x.attribute(kTable, "name") == sheet_name) break;
  }
  const int table = x.depth();
  Sheet sheet;
  int64_t row = 0;  // rows before the current one
  // The non-empty cells of one row (column from 0), then copied to each row it
  // is repeated for.
  std::vector<std::pair<int64_t, SheetCell>> rowcells;
  for (;;) {
    XmlScanner::Event e = x.next();
    if (e == XmlScanner::Event::Error || e == XmlScanner::Event::End) return broken();
    if (e == XmlScanner::Event::EndElement && x.depth() == table) break;
    // Rows may lie in groups and header sections: every row counts.
    if (e != XmlScanner::Event::StartElement || !IsTable(x, "table-row")) continue;
    const int64_t rows = Repeat(x.attribute(kTable, "number-rows-repeated"));
    const int row_depth = x.depth();
    rowcells.clear();
    int64_t col = 0;
    for (;;) {
      e = x.next();
      if (e == XmlScanner::Event::Error || e == XmlScanner::Event::End) return broken();
      if (e == XmlScanner::Event::EndElement && x.depth() == row_depth) break;
      if (e != XmlScanner::Event::StartElement) continue;
      if (!IsTable(x, "table-cell") && !IsTable(x, "covered-table-cell")) {
        if (!x.skip_element()) return broken();
        continue;
      }
      const int64_t reps = Repeat(x.attribute(kTable, "number-columns-repeated"));
      SheetCell cell;
      if (!ReadCell(x, cell)) return broken();
      if (cell.kind != SheetCell::Kind::Empty) {
        if (col + reps > limits.cols)
          return R::failure(Outside(sheet_name, row + 1, std::max(col, limits.cols) + 1, limits));
        for (int64_t k = 0; k < reps; ++k) rowcells.emplace_back(col + k, cell);
      }
      col = std::min(col + reps, kCountCeiling);
    }
    if (!rowcells.empty()) {
      if (row + rows > limits.rows)
        return R::failure(Outside(sheet_name, std::max(row, limits.rows) + 1, rowcells.front().first + 1, limits));
      for (int64_t k = 0; k < rows; ++k)
        for (const auto& [c, cell] : rowcells) sheet.set(static_cast<int>(row + k + 1), static_cast<int>(c + 1), cell);
    }
    row = std::min(row + rows, kCountCeiling);
  }
  return sheet;
}
}  // namespace

}  // namespace keld
