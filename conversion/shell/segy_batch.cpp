#include "conversion/shell/segy_batch.hpp"

#include <cmath>
#include <filesystem>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/shell.hpp"

namespace keld::conversion {

namespace {

std::string N(int64_t v) { return std::to_string(v); }
// The blank-prefixed form of the batch lines' trace numbers (" 1", "-1").
std::string Blank(int64_t v) { return (v >= 0 ? " " : "") + std::to_string(v); }

std::string Read(const std::string& su_dir, const std::string& in) {
  return ShellProgram(su_dir, "segyread") + " tape=" + ShellWord(in);
}

}  // namespace

std::string BatchPath(const std::string& path) {
  std::error_code ec;
  auto a = std::filesystem::absolute(path, ec);
  return ec || path.empty() ? path : a.string();
}

int32_t BoxNumber(const std::string& text) {
  const double v = std::round(Val(text));
  if (!(v > -2147483648.0)) return INT32_MIN;
  if (!(v < 2147483647.0)) return INT32_MAX;
  return static_cast<int32_t>(v);
}

std::string SegyConvertLine(const std::string& su_dir, const SegyreadBoxes& b, const std::string& in,
                            const std::string& out) {
  std::string line = Read(su_dir, in) + " conv=" + N(b.conv) + " over=" + N(b.over) + " endian=" + N(b.endian);
  if (b.ns != 0) line += " ns=" + N(b.ns);
  if (b.trmin != 0 && b.trmax != 0) line += " trmin=" + Blank(b.trmin) + " trmax=" + Blank(b.trmax);
  return line + " | " + ShellProgram(su_dir, "segyclean") + " >" + ShellWord(out);
}

std::string SegyTestLine(const std::string& su_dir, const SegyreadBoxes& b, const std::string& in,
                         const std::string& out) {
  return Read(su_dir, in) + " >" + ShellWord(out) + " conv=" + N(b.conv) + " over=" + N(b.over) +
         " endian=" + N(b.endian) + " trmin=1 trmax=24";
}

std::string SegyTrialLine(const std::string& su_dir, const std::string& in, const std::string& out, int ns) {
  return Read(su_dir, in) + " >" + ShellWord(out) + " endian=0 conv=1 over=0 trmax=1 ns=" + Blank(ns);
}

std::string SegdLine(const std::string& su_dir, const std::string& in, const std::string& out) {
  return ShellProgram(su_dir, "segdread") + " tape=" + ShellWord(in) + " >" + ShellWord(out);
}

std::string SegyToSuLine(const std::string& su_dir, const std::string& in, const std::string& out, bool little) {
  return Read(su_dir, in) + (little ? " endian=1 | " : " endian=0 | ") + ShellProgram(su_dir, "segyclean") + " >" +
         ShellWord(out);
}

std::vector<std::string> AppendLines(const std::string& temp_su, const std::string& joined, bool remove_temp) {
  std::vector<std::string> lines = {"cat " + ShellWord(temp_su) + " >>" + ShellWord(joined)};
  if (remove_temp) lines.push_back("rm -f " + ShellWord(temp_su));
  return lines;
}

std::vector<std::string> SuToSegyLines(const std::string& su_dir, const std::string& in, const std::string& out,
                                       const SegywriteBoxes& b) {
  return {ShellProgram(su_dir, "segyhdrs") + " <" + ShellWord(in), "",
          ShellProgram(su_dir, "segywrite") + " <" + ShellWord(in) + " tape=" + ShellWord(out) + " conv=" + N(b.conv) +
              " trmin=" + N(b.trmin) + " trmax=" + N(b.trmax) + " endian=" + N(b.endian) + " buffer=" + N(b.buffer) +
              " errmax=" + N(b.errmax)};
}

Status WriteBatch(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return WriteFileAtomic(path, text);
}

}  // namespace keld::conversion
