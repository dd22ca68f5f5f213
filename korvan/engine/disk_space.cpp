#include "korvan/engine/disk_space.hpp"

#include <cmath>
#include <filesystem>

#include <sys/stat.h>
#include <sys/statvfs.h>

#include "common/numtext.hpp"

namespace keld::korvan {

namespace {

// The mount point: the highest folder above `folder` on the same device.
std::string MountPoint(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::path(folder), ec);
  if (ec) return folder;
  struct stat st{};
  if (::stat(p.c_str(), &st) != 0) return p.string();
  dev_t dev = st.st_dev;
  while (p.has_parent_path() && p.parent_path() != p) {
    struct stat up{};
    if (::stat(p.parent_path().c_str(), &up) != 0 || up.st_dev != dev) break;
    p = p.parent_path();
  }
  return p.string();
}

}  // namespace

std::optional<DiskSpace> QueryDiskSpace(const std::string& folder) {
  struct statvfs v{};
  std::string f = folder.empty() ? std::string(".") : folder;
  if (::statvfs(f.c_str(), &v) != 0) return std::nullopt;
  DiskSpace d;
  d.free_bytes = static_cast<uint64_t>(v.f_bavail) * v.f_frsize;
  d.total_bytes = static_cast<uint64_t>(v.f_blocks) * v.f_frsize;
  d.mount_point = MountPoint(f);
  return d;
}

std::string Octets_Libres(const std::string& folder) {
  auto d = QueryDiskSpace(folder);
  return d ? std::to_string(d->free_bytes) : std::string();
}

std::string Octets_Total(const std::string& folder) {
  auto d = QueryDiskSpace(folder);
  return d ? std::to_string(d->total_bytes) : std::string();
}

namespace {
std::string Kilobytes(const std::string& bytes) {
  if (bytes.empty()) return {};
  uint64_t b = std::stoull(bytes);
  return b == 0 ? "0" : std::to_string(b / 1024);
}
}  // namespace

std::string Texte_Libre(const std::string& folder) { return Kilobytes(Octets_Libres(folder)); }
std::string Texte_Total(const std::string& folder) { return Kilobytes(Octets_Total(folder)); }

int FreePercentage(uint64_t free_bytes, uint64_t total_bytes) {
  if (total_bytes == 0) return 0;
  return static_cast<int>(RoundHalfEven(100.0 * static_cast<double>(free_bytes) / static_cast<double>(total_bytes)));
}

int Espace_Disque(const std::string& folder) {
  auto d = QueryDiskSpace(folder);
  return d ? FreePercentage(d->free_bytes, d->total_bytes) : 0;
}

std::string DiskReport(const std::string& drive, uint64_t free_kb, uint64_t total_kb, int percent) {
  const std::string eol = "\r\n";
  std::string r = "INFO ON DRIVE: " + drive + eol + eol;
  r += "Free kilobytes: " + FormatThousands(static_cast<int64_t>(free_kb)) + eol;
  r += "Total kilobytes: " + FormatThousands(static_cast<int64_t>(total_kb)) + eol;
  r += eol;
  r += "Free Space Percentage: " + std::to_string(percent) + "%" + eol + eol;
  if (free_kb < 1000000) r += "BE CAREFUL, DISK WILL BE QUICKLY FULL !";
  return r;
}

}  // namespace keld::korvan
