#include "platform/sheet/ods.hpp"

#include <QBuffer>
#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace keld {

namespace {
constexpr const char* kMime = "application/vnd.oasis.opendocument.spreadsheet";
constexpr const char* kOffice = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr const char* kTable = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr const char* kText = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
// A worksheet of the usual programs holds at most this many rows and columns;
// a file that claims more is refused rather than filling the memory.
constexpr long kMaxRows = 1048576;
constexpr long kMaxCols = 16384;
constexpr long kMaxCells = 4000000;
constexpr qint64 kMaxContentBytes = 512LL * 1024 * 1024;

QByteArray ContentXml(const std::string& sheet_name, const Sheet& sheet) {
  QByteArray out;
  QXmlStreamWriter w(&out);
  w.writeStartDocument();
  w.writeNamespace(kOffice, "office");
  w.writeNamespace(kTable, "table");
  w.writeNamespace(kText, "text");
  w.writeStartElement(kOffice, "document-content");
  w.writeAttribute(kOffice, "version", "1.2");
  w.writeStartElement(kOffice, "body");
  w.writeStartElement(kOffice, "spreadsheet");
  w.writeStartElement(kTable, "table");
  w.writeAttribute(kTable, "name", QString::fromStdString(sheet_name));
  for (int r = 1; r <= sheet.rows(); ++r) {
    w.writeStartElement(kTable, "table-row");
    int empties = 0;
    auto flush = [&] {
      if (!empties) return;
      w.writeEmptyElement(kTable, "table-cell");
      if (empties > 1) w.writeAttribute(kTable, "number-columns-repeated", QString::number(empties));
      empties = 0;
    };
    const int cols = sheet.cols();
    int last = 0;
    for (int c = 1; c <= cols; ++c)
      if (sheet.at(r, c).kind != SheetCell::Kind::Empty) last = c;
    for (int c = 1; c <= last; ++c) {
      const SheetCell& cell = sheet.at(r, c);
      if (cell.kind == SheetCell::Kind::Empty) {
        ++empties;
        continue;
      }
      flush();
      w.writeStartElement(kTable, "table-cell");
      QString shown;
      if (cell.kind == SheetCell::Kind::Number) {
        shown = QString::number(cell.number, 'g', 17);
        w.writeAttribute(kOffice, "value-type", "float");
        w.writeAttribute(kOffice, "value", shown);
      } else {
        shown = QString::fromStdString(cell.text);
        w.writeAttribute(kOffice, "value-type", "string");
      }
      w.writeTextElement(kText, "p", shown);
      w.writeEndElement();
    }
    if (last == 0) w.writeEmptyElement(kTable, "table-cell");
    w.writeEndElement();
  }
  if (sheet.rows() == 0) {
    w.writeStartElement(kTable, "table-row");
    w.writeEmptyElement(kTable, "table-cell");
    w.writeEndElement();
  }
  w.writeEndDocument();
  return out;
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

bool AddEntry(QuaZip& zip, const char* name, const QByteArray& bytes, bool stored) {
  QuaZipFile f(&zip);
  QuaZipNewInfo info(name);
  const int method = stored ? 0 : Z_DEFLATED;
  const int level = stored ? 0 : Z_DEFAULT_COMPRESSION;
  if (!f.open(QIODevice::WriteOnly, info, nullptr, 0, method, level)) return false;
  const bool ok = f.write(bytes) == bytes.size();
  f.close();
  return ok && f.getZipError() == ZIP_OK;
}
}  // namespace

Status WriteOds(const std::string& path, const std::string& sheet_name, const Sheet& sheet) {
  const std::string temp = path + ".writing";
  std::error_code ec;
  std::filesystem::remove(temp, ec);
  {
    QuaZip zip(QString::fromStdString(temp));
    if (!zip.open(QuaZip::mdCreate)) return Status::failure("Cannot write " + path + ".");
    const bool ok = AddEntry(zip, "mimetype", kMime, true) && AddEntry(zip, "META-INF/manifest.xml", Manifest(), false) &&
                    AddEntry(zip, "content.xml", ContentXml(sheet_name, sheet), false);
    zip.close();
    if (!ok || zip.getZipError() != ZIP_OK) {
      std::filesystem::remove(temp, ec);
      return Status::failure("Cannot write " + path + ".");
    }
  }
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return Status::failure("Cannot write " + path + ".");
  }
  return Status::good();
}

Result<Sheet> ReadOds(const std::string& path, const std::string& sheet_name) {
  QuaZip zip(QString::fromStdString(path));
  if (!zip.open(QuaZip::mdUnzip))
    return Result<Sheet>::failure(path + " is not a spreadsheet saved in the OpenDocument (.ods) form.");
  if (!zip.setCurrentFile("content.xml"))
    return Result<Sheet>::failure(path + " holds no worksheet (content.xml is missing).");
  QuaZipFileInfo64 info;
  if (!zip.getCurrentFileInfo(&info) || static_cast<qint64>(info.uncompressedSize) > kMaxContentBytes)
    return Result<Sheet>::failure(path + " is too large a workbook to read.");
  QuaZipFile f(&zip);
  if (!f.open(QIODevice::ReadOnly)) return Result<Sheet>::failure("Cannot read " + path + ".");
  QByteArray xml;
  char buf[65536];
  for (;;) {
    const qint64 n = f.read(buf, sizeof buf);
    if (n < 0) return Result<Sheet>::failure("Cannot read " + path + ": the file is damaged.");
    if (n == 0) break;
    xml.append(buf, n);
    if (xml.size() > kMaxContentBytes) return Result<Sheet>::failure(path + " is too large a workbook to read.");
  }
  f.close();
  if (f.getZipError() != UNZ_OK) return Result<Sheet>::failure("Cannot read " + path + ": the file is damaged.");
  auto sheet = ParseOdsContent(xml.toStdString(), sheet_name);
  if (!sheet) return Result<Sheet>::failure(path + ": " + sheet.error());
  return sheet;
}

namespace {
long Repeat(const QXmlStreamAttributes& a, const char* name, const char* ns = kTable) {
  const QStringView v = a.value(ns, name);
  if (v.isEmpty()) return 1;
  bool ok = false;
  const long n = v.toLong(&ok);
  return ok && n >= 1 ? n : 1;
}

// The text of a cell: its paragraphs joined by line ends, runs of blanks and
// tabs written out.
QString CellText(QXmlStreamReader& x) {
  QString out;
  int depth = 1, paragraphs = 0;
  while (depth > 0 && !x.atEnd()) {
    switch (x.readNext()) {
      case QXmlStreamReader::StartElement:
        ++depth;
        if (x.namespaceUri() == QLatin1String(kText)) {
          if (x.name() == QLatin1String("p") && paragraphs++) out += '\n';
          if (x.name() == QLatin1String("s"))
            out += QString(static_cast<int>(std::min<long>(Repeat(x.attributes(), "c", kText), 1000)), ' ');
          if (x.name() == QLatin1String("tab")) out += '\t';
          if (x.name() == QLatin1String("line-break")) out += '\n';
        }
        break;
      case QXmlStreamReader::EndElement: --depth; break;
      case QXmlStreamReader::Characters: out += x.text(); break;
      default: break;
    }
  }
  return out;
}
}  // namespace

Result<Sheet> ParseOdsContent(const std::string& bytes, const std::string& sheet_name) {
  QXmlStreamReader x(QByteArray::fromStdString(bytes));
  const QString wanted = QString::fromStdString(sheet_name);
  bool found = false, inside = false;
  Sheet sheet;
  long row = 0, cells = 0;
  while (!x.atEnd()) {
    x.readNext();
    if (x.isEndElement() && inside && x.name() == QLatin1String("table") && x.namespaceUri() == QLatin1String(kTable))
      break;
    if (!x.isStartElement()) continue;
    if (x.namespaceUri() != QLatin1String(kTable)) continue;
    if (!inside) {
      if (x.name() == QLatin1String("table") && x.attributes().value(kTable, "name") == wanted) found = inside = true;
      continue;
    }
    if (x.name() != QLatin1String("table-row")) continue;
    const long rows = Repeat(x.attributes(), "number-rows-repeated");
    // The cells of one row, then copied to each row it is repeated for.
    std::vector<std::pair<long, SheetCell>> rowcells;
    long col = 0;
    while (!x.atEnd()) {
      x.readNext();
      if (x.isEndElement() && x.name() == QLatin1String("table-row")) break;
      if (!x.isStartElement()) continue;
      const bool covered = x.name() == QLatin1String("covered-table-cell");
      if (x.name() != QLatin1String("table-cell") && !covered) {
        x.skipCurrentElement();
        continue;
      }
      const QXmlStreamAttributes a = x.attributes();
      const long reps = Repeat(a, "number-columns-repeated");
      const QString type = a.value(kOffice, "value-type").toString();
      SheetCell cell;
      QString text = CellText(x);
      if (type == "float" || type == "percentage" || type == "currency") {
        bool ok = false;
        const double v = a.value(kOffice, "value").toDouble(&ok);
        if (ok && std::isfinite(v)) cell = {SheetCell::Kind::Number, v, {}};
        else cell = {SheetCell::Kind::Text, 0, text.toStdString()};
      } else if (type == "boolean") {
        cell = {SheetCell::Kind::Number, a.value(kOffice, "boolean-value") == QLatin1String("true") ? 1.0 : 0.0, {}};
      } else if (!text.isEmpty() || !type.isEmpty()) {
        cell = {SheetCell::Kind::Text, 0, text.toStdString()};
      }
      if (cell.kind != SheetCell::Kind::Empty) {
        if (col + reps > kMaxCols || static_cast<long>(rowcells.size()) + reps > kMaxCols)
          return Result<Sheet>::failure("the worksheet " + sheet_name + " is wider than a worksheet may be.");
        for (long k = 0; k < reps; ++k) rowcells.emplace_back(col + k, cell);
      }
      col += reps;
    }
    if (!rowcells.empty()) {
      if (row + rows > kMaxRows || cells + rows * static_cast<long>(rowcells.size()) > kMaxCells)
        return Result<Sheet>::failure("the worksheet " + sheet_name + " is larger than a worksheet may be.");
      for (long k = 0; k < rows; ++k)
        for (const auto& [c, cell] : rowcells) sheet.set(static_cast<int>(row + k + 1), static_cast<int>(c + 1), cell);
      cells += rows * static_cast<long>(rowcells.size());
    }
    row += rows;
  }
  if (x.hasError() && x.error() != QXmlStreamReader::PrematureEndOfDocumentError)
    return Result<Sheet>::failure("the worksheet cannot be read: " + x.errorString().toStdString() + ".");
  if (x.hasError()) return Result<Sheet>::failure("the worksheet is cut short.");
  if (!found) return Result<Sheet>::failure("there is no worksheet named " + sheet_name + ".");
  return sheet;
}

}  // namespace keld
