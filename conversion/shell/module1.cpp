#include "conversion/shell/module1.hpp"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/bytes.hpp"
#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"
#include "common/text.hpp"
#include "common/visual_keld.hpp"

namespace keld::conversion {

bool Lit_Valeur(std::string& text, std::string& key, double& value, const std::function<void()>& beep) {
  text = UCase(text);
  key = UCase(key);
  size_t p = key.empty() ? std::string::npos : text.find(key);
  if (p == std::string::npos) {
    if (beep) beep();
    return false;
  }
  std::string digits;
  const size_t first = p + key.size();
  const size_t last = p + 60;  // 0-based index of the last character scanned
  for (size_t i = first; i <= last; ++i) {
    if (i >= text.size() || text[i] == '\r' || text[i] == '\n') {
      // Keep the first "." only: "1.2.3" reads as 1.2, as its leading part.
      value = digits.empty() ? 0.0 : std::strtod(digits.c_str(), nullptr);
      return true;
    }
    char c = text[i];
    if (c == '.' || (c >= '0' && c <= '9')) digits += c;
  }
  if (beep) beep();
  return false;
}

int16_t Swap_Int(int16_t value) {
  uint16_t u = static_cast<uint16_t>(value);
  return static_cast<int16_t>(static_cast<uint16_t>((u >> 8) | (u << 8)));
}

void Remplace(std::string& text, const std::string& find, const std::string& repl) {
  Remplace_Chaine(text, find, repl);
}

namespace {
bool ReadAt(std::ifstream& f, int64_t offset, void* buf, size_t n) {
  f.clear();
  f.seekg(offset);
  f.read(static_cast<char*>(buf), static_cast<std::streamsize>(n));
  return static_cast<size_t>(f.gcount()) == n;
}
}  // namespace

void Lit_ns_dt(ConversionState& st, const std::string& file) {
  st.Ns = 0;
  st.Dt = 0;
  std::ifstream f(file, std::ios::binary);
  uint8_t b[4];
  if (f && ReadAt(f, 114, b, 4)) {
    st.Ns = get_i16le(b);
    st.Dt = get_i16le(b + 2);
  }
  if (st.Dt == 0) st.Dt = 1;
  if (st.Ns == 0) st.Ns = 1024;
}

void Nb_Channel(const std::string& file, int32_t ns, int32_t traces, int16_t& channels, int16_t& stacked) {
  channels = 0;
  stacked = 0;
  if (ns <= 0) return;
  // Through the checked reader: a trace of another length than the first
  // ends the scan, which goes on what the traces before it said.
  SuReader in;
  if (!in.open(file) || in.ns() != ns) return;
  const int64_t n = std::min<int64_t>(traces, in.traces());
  SuTraceHeader h;
  // Summed data: the nhs words of the first quarter of the traces.
  const int64_t quarter = std::min<int64_t>(static_cast<int64_t>(RoundHalfEven(traces / 4.0)), n);
  int16_t largest = 0;
  for (int64_t i = 0; i < quarter && in.read_header(i, h); ++i) largest = std::max(largest, h.nhs);
  if (largest >= 2) {
    stacked = 2;
    return;
  }
  int16_t first = 0;
  for (int64_t i = 1; i <= std::min<int64_t>(n, 150) && in.read_header(i - 1, h); ++i) {
    // tracf is a 32-bit word; its low half is the channel number.
    const auto t = static_cast<int16_t>(h.tracf);
    if (i == 1) first = t;
    if (t > channels) channels = t;
    if (i == 5 && t == first) {
      channels = 0;
      break;
    }
    if (t < channels) break;
  }
  if (channels < 6) channels = 0;
}

std::string FolderOf(const std::string& path) {
  size_t p = path.rfind('/');
  if (p != std::string::npos) return path.substr(0, p + 1);
  std::error_code ec;
  std::string cwd = std::filesystem::current_path(ec).string();
  if (ec || cwd.empty()) return "./";
  return cwd.back() == '/' ? cwd : cwd + "/";
}

void Chemin_file(ConversionState& st, const std::string& path) { st.Work_Dir = FolderOf(path); }

void Lit_ini(ConversionState& st) {
  st.SU_Dir = SeismicUnixFolder();
  std::error_code ec;
  if (auto a = std::filesystem::absolute(st.SU_Dir, ec); !ec && !st.SU_Dir.empty()) st.SU_Dir = a.string();
}

std::vector<std::string> BoundSelection(const std::vector<std::string>& paths, size_t max_names) {
  std::vector<std::string> out;
  for (const auto& p : paths) {
    if (out.size() >= max_names) break;
    if (!p.empty()) out.push_back(p);
  }
  return out;
}

std::string SelectionLeftOutText(const std::vector<std::string>& paths, size_t max_names) {
  size_t named = 0;
  for (const auto& p : paths) named += !p.empty();
  if (named <= max_names) return "";
  const std::string first = std::to_string(max_names + 1), last = std::to_string(named);
  return (named == max_names + 1 ? "File " + last : "Files " + first + " to " + last) + " left out: at most " +
         std::to_string(max_names) + " are taken";
}

}  // namespace keld::conversion
