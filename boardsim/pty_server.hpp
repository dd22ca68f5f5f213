#pragma once
// Serves the simulated units on a pseudo-terminal: the slave side is where
// the link opens its port, the master side is the units' end of the line.
#include <deque>
#include <string>

#include "boardsim/options.hpp"
#include "boardsim/units.hpp"
#include "platform/pump.hpp"

namespace keld::sim {

class PtyServer {
 public:
  explicit PtyServer(ServerOptions options);
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Opens the pseudo-terminal in raw mode (both sides) and makes the link.
  bool start(std::string* error);
  const std::string& slave() const { return slave_; }

  // Answers until `wake_fd` (a pipe) delivers 'Q'; 'T' releases a trigger.
  void run(int wake_fd);

  Units& units() { return units_; }

 private:
  struct Timed {
    MonoClock::time_point due;
    std::vector<uint8_t> bytes;
    size_t sent = 0;
  };
  void schedule(std::vector<Chunk> chunks);
  void read_line();
  void write_due();
  void log_packets(size_t from) const;

  ServerOptions options_;
  Units units_;
  int master_ = -1;
  int slave_fd_ = -1;  // held open so the line stays up while the port is closed
  std::string slave_;
  bool linked_ = false;
  std::deque<Timed> out_;
  MonoClock::time_point partial_since_{};
};

}  // namespace keld::sim
