#pragma once
// Test helpers: korvan's services over recorders, a program folder of stand-in
// programs that write down the arguments they were started with, and a serial
// port that is never used.
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>

#include "boardlink/serial_port.hpp"
#include "common/testing/testsupport.hpp"
#include "common/text.hpp"
#include "korvan/window/korvan_services.hpp"
#include "korvan/window/korvan_state.hpp"

namespace keld::testing {

class UnusedPort : public board::SerialPort {
 public:
  void set_port_number(int n) override { n_ = n; }
  int port_number() const override { return n_; }
  bool open() override { return false; }
  void close() override {}
  bool is_open() const override { return false; }
  bool set_baud_rate(int) override { return false; }
  void set_input_buffer_size(int) override {}
  void set_input_length(int) override {}
  void set_receive_threshold(int) override {}
  void set_binary_mode(bool) override {}
  bool write(const uint8_t*, size_t) override { return false; }
  void drain_output(int) override {}
  void poll_events() override {}
  size_t in_buffer_count() override { return 0; }
  std::vector<uint8_t> read() override { return {}; }
  std::vector<uint8_t> take(size_t) override { return {}; }
  void discard_input() override {}
  void discard_output() override {}
  void set_event_handler(std::function<void(int)>) override {}
  std::string error() const override { return "unused"; }

 private:
  int n_ = 1;
};

// Writes an executable shell script.
inline void Script(const std::string& path, const std::string& body) {
  WriteText(path, "#!/bin/sh\n" + body + "\n");
  chmod(path.c_str(), 0755);
}

inline bool WaitFor(const std::string& path, int ms = 60000) {  // the bound is reached only by a failure
  for (int i = 0; i < ms / 10; ++i) {
    if (std::filesystem::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// A record of two channels of four samples, in the lines korvan writes.
inline std::string SmallTextRecord() {
  const char* lines[] = {"Ditta KORVAN", "Strumento: QMR650B",
                         "I dati numerici sono in formato floating point", "DATA: 12/03/2024",
                         "ORA: 10:22:33", "Numero di canali=", "2", "Intervallo di campionamento=",
                         "250 usec", "Numero di campioni=", "4", "Distanza tra geofoni=", "2 m",
                         "Posizione source rispetto 1\xB0 geofono=", "-1 m", "\"NOTE:\"",
                         "\"Canale numero 1\"", "0.5", "-1", "2.25", "0", "\"Canale numero 2\"",
                         "1E-03", "3", "-4.5", "7"};
  std::string t;
  for (const char* l : lines) t += std::string(l) + "\r\n";
  return t;
}

// Everything a launch needs, with the program folder a fresh temporary folder
// and every start going through the real launcher (kept by the recorder).
struct LaunchBench {
  TempDir programs;
  TempDir data;
  MessageRecorder msg;
  PosixLauncher posix;
  ProcessRecorder proc;
  IdlePump pump;
  DialogRecorder dialogs;
  UnusedPort port;
  korvan::KorvanState st;
  korvan::KorvanServices sv{msg, proc, pump, dialogs, port, programs.path(), data.path(), 0.0, {}, {}};

  // The program folder holds a blank, as "Program Files" would.
  LaunchBench() {
    proc.real = &posix;
    sv.program_folder = programs / "KORVAN folder";
    std::filesystem::create_directory(sv.program_folder);
  }

  // A stand-in `name` in the program folder: when started it writes the
  // number of its arguments, then each on its own line, into <name>.args.
  std::string StandIn(const std::string& name) {
    std::string p = sv.program_folder + "/" + name;
    std::string out = ArgsFile(name);
    Script(p, "{ echo \"$#\"; printf '%s\\n' \"$@\"; } > '" + out + ".tmp' && mv '" + out +
                  ".tmp' '" + out + "'");
    return p;
  }
  std::string ArgsFile(const std::string& name) const { return data / (name + ".args"); }
  // The arguments the stand-in was started with (empty when it never ran).
  std::vector<std::string> ArgsOf(const std::string& name) const {
    std::string f = ArgsFile(name);
    if (!WaitFor(f)) return {"<never started>"};
    auto lines = Split(ReadText(f), '\n');
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (lines.empty()) return {"<no count>"};
    lines.erase(lines.begin());
    return lines;
  }
  std::string CountOf(const std::string& name) const {
    std::string f = ArgsFile(name);
    if (!WaitFor(f)) return "<never started>";
    return Split(ReadText(f), '\n')[0];
  }
};

}  // namespace keld::testing
