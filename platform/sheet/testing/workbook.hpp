#pragma once
// Workbooks made by hand for tests: the content XML of worksheets as other
// programs write them, zipped as an .ods file.
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <string>

namespace keld::testing {

// content.xml holding `tables` (table:table elements).
inline std::string ContentXml(const std::string& tables) {
  return "<?xml version=\"1.0\"?><office:document-content "
         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>" +
         tables + "</office:spreadsheet></office:body></office:document-content>";
}

// A workbook with that content, compressed as the spreadsheet programs do.
inline bool WriteWorkbook(const std::string& path, const std::string& content) {
  QuaZip zip(QString::fromStdString(path));
  if (!zip.open(QuaZip::mdCreate)) return false;
  bool ok = true;
  for (const auto& [name, bytes, method] :
       {std::tuple<const char*, std::string, int>{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", 0},
        {"content.xml", content, Z_DEFLATED}}) {
    QuaZipFile f(&zip);
    ok = ok && f.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, method, method ? 9 : 0) &&
         f.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
    f.close();
  }
  zip.close();
  return ok && zip.getZipError() == ZIP_OK;
}

}  // namespace keld::testing
