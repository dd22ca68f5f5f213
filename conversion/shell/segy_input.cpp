#include "conversion/shell/segy_input.hpp"

#include <cstdio>
#include <vector>

#include "common/files.hpp"
#include "sutools/segy/layout.hpp"

namespace keld::conversion {

SegyInput DetectSegyInput(const std::string& path) {
  SegyInput in;
  auto size = FileLength(path);
  std::FILE* f = size ? std::fopen(path.c_str(), "rb") : nullptr;
  if (!f) {
    in.why = "cannot read " + path;
    return in;
  }
  auto read_at = [f](int64_t at, int64_t n) {
    std::vector<uint8_t> b(static_cast<size_t>(n));
    if (fseeko(f, static_cast<off_t>(at), SEEK_SET) != 0) return std::vector<uint8_t>{};
    b.resize(std::fread(b.data(), 1, b.size(), f));
    return b;
  };
  auto L = segy::ReadSegyLayout(read_at, *size, {});
  if (L) {
    in.usable = true;
    in.little = L->order == segy::ByteOrder::Little;
    in.ns = L->ns;
    in.dt = L->dt;
    in.format = L->binary.format;
    in.traces = L->traces;
  } else {
    in.why = L.error();
    // What the headers say all the same, in the order that looks likeliest.
    auto reel = read_at(0, segy::kReelBytes + segy::kTraceHeaderBytes);
    if (reel.size() == static_cast<size_t>(segy::kReelBytes + segy::kTraceHeaderBytes)) {
      auto order = segy::DetectByteOrder(reel.data(), *size, reel.data() + segy::kReelBytes);
      if (order) {
        in.little = *order == segy::ByteOrder::Little;
        in.ns = segy::GetU16(reel.data() + segy::kReelBytes + segy::kTrNs, *order);
        in.dt = segy::GetU16(reel.data() + segy::kReelBytes + segy::kTrDt, *order);
      }
    }
  }
  std::fclose(f);
  return in;
}

}  // namespace keld::conversion
