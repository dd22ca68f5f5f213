#include <cstdlib>
#include <filesystem>
#include <string>

#include "boardlink/serial_port.hpp"

namespace keld::board {

std::string PortDevice(int n) {
  const std::string name = "KELD_COM" + std::to_string(n);
  if (const char* v = std::getenv(name.c_str()); v && *v) return v;
  const std::string usb = "/dev/ttyUSB" + std::to_string(n - 1);
  std::error_code ec;
  if (std::filesystem::exists(usb, ec)) return usb;
  return "/dev/ttyACM" + std::to_string(n - 1);
}

}  // namespace keld::board
