#include "boardtest/engine/settings_file.hpp"

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "common/files.hpp"
#include "common/numtext.hpp"

namespace keld::boardtest {

namespace {

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::optional<double> Number(std::string_view line) {
  if (line.size() >= 2 && line.front() == '"' && line.back() == '"') line = line.substr(1, line.size() - 2);
  return CDbl(line);
}

template <typename T>
void ReadInt(std::string_view line, T& out) {
  const auto d = Number(line);
  if (!d) return;
  if constexpr (sizeof(T) == 2) {
    if (auto v = CInt(*d)) out = *v;
  } else {
    if (auto v = CLng(*d)) out = static_cast<T>(*v);
  }
}

std::string Text(std::string_view line) {
  if (line.size() >= 2 && line.front() == '"' && line.back() == '"') line = line.substr(1, line.size() - 2);
  return std::string(line);
}

}  // namespace

void IniValues::apply_defaults() {
  if (settings[0] == 0) settings[0] = 1;
  if (settings[1] == 0) settings[1] = 5;
  if (Num_Unita == 0) Num_Unita = 12;
  if (Campioni == 0) Campioni = 256;
  if (Frequenza == 0) Frequenza = 32000;
}

void ParseIniTxt(std::string_view text, IniValues& v) {
  const auto lines = Lines(text);
  const size_t n = lines.size();
  for (size_t i = 0; i < 4 && i < n; ++i) ReadInt(lines[i], v.settings[i]);
  if (n > 4) ReadInt(lines[4], v.Num_Unita);
  if (n > 5) ReadInt(lines[5], v.Campioni);
  if (n > 6) ReadInt(lines[6], v.Pre_Campioni);
  if (n > 7) ReadInt(lines[7], v.Frequenza);
  if (n > 8) ReadInt(lines[8], v.Notch_50);
  if (n > 9) ReadInt(lines[9], v.Notch_60);
  if (n > 10) ReadInt(lines[10], v.Polarita);
  for (size_t r = 0; r < kRows && 11 + r < n; ++r) v.units[r] = Text(lines[11 + r]);
}

std::string FormatIniTxt(const IniValues& v, std::span<const int16_t> errori) {
  std::string s;
  auto line = [&](const std::string& t) { s += t + "\r\n"; };
  for (int16_t x : v.settings) line(std::to_string(x));
  line(std::to_string(v.Num_Unita));
  line(std::to_string(v.Campioni));
  line(std::to_string(v.Pre_Campioni));
  line(std::to_string(v.Frequenza));
  line(std::to_string(v.Notch_50));
  line(std::to_string(v.Notch_60));
  line(std::to_string(v.Polarita));
  for (const auto& u : v.units) line("\"" + u + "\"");
  line("");
  line("\"Errori:\"");
  for (size_t unit = 1; unit <= kRows; ++unit) line(std::to_string(unit < errori.size() ? errori[unit] : 0));
  return s;
}

Status LoadIniFile(const std::string& path, IniValues& v) {
  Status st;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    std::ofstream create(path, std::ios::binary | std::ios::app);
    if (!create) st = Status::failure(path + " cannot be created");
  }
  if (st.ok()) {
    auto bytes = ReadWholeFile(path);
    if (!bytes.ok())
      st = Status::failure(bytes.error());
    else
      ParseIniTxt(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), v);
  }
  v.apply_defaults();
  return st;
}

Status SaveIniFile(const std::string& path, const IniValues& v, std::span<const int16_t> errori) {
  return WriteFileAtomic(path, FormatIniTxt(v, errori));
}

}  // namespace keld::boardtest
