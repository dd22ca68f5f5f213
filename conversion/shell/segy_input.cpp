#include "conversion/shell/segy_input.hpp"

#include <cstdio>
#include <vector>

#include "common/files.hpp"
#include "sutools/segy/layout.hpp"

namespace keld::conversion {

namespace {

// An open SEG-Y file read at offsets, for the layout reader.
struct SegyFile {
  explicit SegyFile(const std::string& path) : size(FileLength(path)) {
    if (size) f = std::fopen(path.c_str(), "rb");
  }
  ~SegyFile() {
    if (f) std::fclose(f);
  }
  SegyFile(const SegyFile&) = delete;
  SegyFile& operator=(const SegyFile&) = delete;
  segy::ReadAt reader() {
    return [this](int64_t at, int64_t n) {
      std::vector<uint8_t> b(static_cast<size_t>(n));
      if (fseeko(f, static_cast<off_t>(at), SEEK_SET) != 0) return std::vector<uint8_t>{};
      b.resize(std::fread(b.data(), 1, b.size(), f));
      return b;
    };
  }
  std::optional<int64_t> size;
  std::FILE* f = nullptr;
};

}  // namespace

std::optional<SegyTraceCount> CountSegyTraces(const std::string& path, int endian, int ns, bool over) {
  SegyFile file(path);
  if (!file.f) return std::nullopt;
  segy::LayoutOptions o;
  if (endian == 0 || endian == 1) o.order = endian == 1 ? segy::ByteOrder::Little : segy::ByteOrder::Big;
  o.ns = ns > 0 ? ns : 0;
  o.over = over;
  auto L = segy::ReadSegyLayout(file.reader(), *file.size, o);
  if (!L) return std::nullopt;
  return SegyTraceCount{L->traces, L->trailing_bytes > 0};
}

SegyInput DetectSegyInput(const std::string& path) {
  SegyInput in;
  SegyFile file(path);
  if (!file.f) {
    in.why = "cannot read " + path;
    return in;
  }
  auto read_at = file.reader();
  auto L = segy::ReadSegyLayout(read_at, *file.size, {});
  if (L) {
    in.usable = true;
    in.little = L->order == segy::ByteOrder::Little;
    in.ns = L->ns;
    in.dt = L->dt;
    in.format = L->binary.format;
    in.traces = L->traces;
    in.cut = L->trailing_bytes > 0;
  } else {
    in.why = L.error();
    in.damaged = in.why.starts_with(segy::kDamagedFile);
    // What the headers say all the same, in the order that looks likeliest.
    auto reel = read_at(0, segy::kReelBytes + segy::kTraceHeaderBytes);
    if (reel.size() == static_cast<size_t>(segy::kReelBytes + segy::kTraceHeaderBytes)) {
      auto order = segy::DetectByteOrder(reel.data(), *file.size, reel.data() + segy::kReelBytes);
      if (order) {
        in.little = *order == segy::ByteOrder::Little;
        in.ns = segy::GetU16(reel.data() + segy::kReelBytes + segy::kTrNs, *order);
        in.dt = segy::GetU16(reel.data() + segy::kReelBytes + segy::kTrDt, *order);
      }
    }
  }
  return in;
}

std::string ShapeDifference(const SegyInput& own, const SegyInput& first) {
  if (own.ns != first.ns)
    return std::to_string(own.ns) + " samples per trace where the first file has " + std::to_string(first.ns);
  if (own.dt != first.dt)
    return "sample interval " + std::to_string(own.dt) + " us where the first file has " + std::to_string(first.dt) +
           " us";
  return "";
}

}  // namespace keld::conversion
