#include "platform/qtbase/dialogs.hpp"

#include <QColorDialog>
#include <QFileDialog>

#include "common/text.hpp"
#include "platform/qtbase/qt_messages.hpp"

namespace keld {

std::string MultiSelectionText(const std::vector<std::string>& paths) {
  if (paths.empty()) return {};
  if (paths.size() == 1) return paths[0];
  std::string folder = paths[0].substr(0, paths[0].find_last_of('/'));
  std::string out = folder;
  for (const auto& p : paths) out += " " + p.substr(p.find_last_of('/') + 1);
  return out;
}

std::string QtNameFilter(const std::string& f) {
  auto parts = Split(f, '|');
  std::string out;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() && parts[i + 1].empty()) continue;
    std::string pat = parts[i + 1];
    // Both cases of an extension pattern match on Linux.
    std::string alt;
    for (const auto& p : Split(pat, ';')) {
      alt += (alt.empty() ? "" : " ") + p;
      std::string lower = LCase(p), upper = UCase(p);
      if (lower != p) alt += " " + lower;
      if (upper != p) alt += " " + upper;
    }
    if (!out.empty()) out += ";;";
    out += Trim(parts[i]) + " (" + alt + ")";
  }
  return out;
}

namespace {
QString StartPath(const FileDialogSpec& s) {
  std::string n = s.name;
  if (n.find('*') != std::string::npos || n.find('?') != std::string::npos) n.clear();
  if (s.folder.empty()) return QString::fromStdString(n);
  return QString::fromStdString(n.empty() ? s.folder : s.folder + "/" + n);
}
}  // namespace

std::optional<std::string> QtDialogs::open_file(const FileDialogSpec& s) {
  QString f = QFileDialog::getOpenFileName(BoxParent(parent_), QString::fromStdString(s.title), StartPath(s),
                                           QString::fromStdString(QtNameFilter(s.filter)));
  if (f.isEmpty()) return std::nullopt;
  return f.toStdString();
}

std::optional<std::string> QtDialogs::save_file(const FileDialogSpec& s) {
  QString f = QFileDialog::getSaveFileName(BoxParent(parent_), QString::fromStdString(s.title), StartPath(s),
                                           QString::fromStdString(QtNameFilter(s.filter)), nullptr,
                                           QFileDialog::DontConfirmOverwrite);
  if (f.isEmpty()) return std::nullopt;
  return f.toStdString();
}

std::optional<std::vector<std::string>> QtDialogs::open_files(const FileDialogSpec& s) {
  QStringList l = QFileDialog::getOpenFileNames(BoxParent(parent_), QString::fromStdString(s.title), StartPath(s),
                                                QString::fromStdString(QtNameFilter(s.filter)));
  if (l.isEmpty()) return std::nullopt;
  std::vector<std::string> out;
  for (const auto& f : l) out.push_back(f.toStdString());
  return out;
}

std::optional<uint32_t> QtDialogs::pick_colour(uint32_t initial, const std::string& title) {
  QColor init(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF);
  QColor c = QColorDialog::getColor(init, BoxParent(parent_), QString::fromStdString(title));
  if (!c.isValid()) return std::nullopt;
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}

std::optional<std::string> DialogRecorder::open_file(const FileDialogSpec& s) {
  asked.push_back(s);
  if (files.empty()) return std::nullopt;
  auto v = files.front();
  files.pop_front();
  return v;
}

std::optional<std::string> DialogRecorder::save_file(const FileDialogSpec& s) { return open_file(s); }

std::optional<std::vector<std::string>> DialogRecorder::open_files(const FileDialogSpec& s) {
  asked.push_back(s);
  if (multi.empty()) return std::nullopt;
  auto v = multi.front();
  multi.pop_front();
  return v;
}

std::optional<uint32_t> DialogRecorder::pick_colour(uint32_t, const std::string& title) {
  asked.push_back({title, {}, {}, {}, false});
  if (colours.empty()) return std::nullopt;
  auto v = colours.front();
  colours.pop_front();
  return v;
}

}  // namespace keld
