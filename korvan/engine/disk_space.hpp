#pragma once
// Free and total space of the disk that holds a folder, in 64-bit counts, and
// the report of the disk-space window.
#include <cstdint>
#include <optional>
#include <string>

namespace keld::korvan {

struct DiskSpace {
  uint64_t free_bytes = 0;   // available to the calling user
  uint64_t total_bytes = 0;
  std::string mount_point;   // the "drive" of the folder
};

// nullopt when the folder's file system cannot be asked (a folder that does not
// exist, for instance).
std::optional<DiskSpace> QueryDiskSpace(const std::string& folder);

// The texts of the disk-space functions: bytes as decimal digits ("" when the
// query fails), kilobytes cut toward zero ("0" for 0 bytes).
std::string Octets_Libres(const std::string& folder);
std::string Octets_Total(const std::string& folder);
std::string Texte_Libre(const std::string& folder);
std::string Texte_Total(const std::string& folder);
// Free percentage, 100 x free / total rounded half to even; 0 when the total is 0.
int Espace_Disque(const std::string& folder);
int FreePercentage(uint64_t free_bytes, uint64_t total_bytes);

// The report: drive, free and total kilobytes with apostrophes, the free
// percentage, and the warning when fewer than 1,000,000 kilobytes are free.
std::string DiskReport(const std::string& drive, uint64_t free_kb, uint64_t total_kb, int percent);

}  // namespace keld::korvan
