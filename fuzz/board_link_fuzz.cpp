// The board link fed through a fake port: the input is what the units send,
// in pieces whose sizes and error events the input also chooses. A shot (arm,
// status, notice, every unit's blocks) and a noise-monitor pass run over it;
// nothing may be read outside what arrived, and every wait must end. The
// link's time runs on a clock of the harness's own, one millisecond a pass
// of the pump, so its time-outs take no real time.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>

#include "boardlink/board_link.hpp"
#include "boardlink/byte_queue.hpp"

namespace {

using namespace keld::board;

class FuzzPort : public SerialPort {
 public:
  // The next input: what the units will send from now on.
  void feed(const uint8_t* data, size_t size) {
    data_ = data;
    size_ = size;
    pos_ = 0;
    queue_.clear();
  }
  bool exhausted() const { return pos_ >= size_; }

  void set_port_number(int n) override { number_ = n; }
  int port_number() const override { return number_; }
  bool open() override { return open_ = true; }
  void close() override {
    open_ = false;
    queue_.clear();
  }
  bool is_open() const override { return open_; }
  bool set_baud_rate(int) override { return true; }
  void set_input_buffer_size(int) override {}
  void set_input_length(int n) override { input_length_ = n; }
  void set_receive_threshold(int n) override { threshold_ = n; }
  void set_binary_mode(bool) override {}
  bool write(const uint8_t*, size_t) override { return open_; }
  void drain_output(int) override {}
  // Each poll delivers the next piece: a control byte gives its length (and
  // now and then an error event), the bytes after it are the piece.
  void poll_events() override {
    if (exhausted()) return;
    const uint8_t control = data_[pos_++];
    if (control >= 0xF0 && handler_) {
      static const int kCodes[] = {kEvSend, kEvReceive, kEvCts, kEvEof, kErBreak, kErFrame, kErOverrun, kErRxOver,
                                   kErRxParity, kErTxFull, kErDcb, kErDevice, 0, 3, 4, 1234};
      handler_(kCodes[control & 0x0F]);
      return;
    }
    const size_t n = std::min<size_t>(control == 0 ? 192 : control, size_ - pos_);
    queue_.append(data_ + pos_, n);
    pos_ += n;
    if (handler_ && threshold_ > 0 && queue_.size() >= static_cast<size_t>(threshold_)) handler_(kEvReceive);
  }
  size_t in_buffer_count() override { return queue_.size(); }
  std::vector<uint8_t> read() override {
    return queue_.take(input_length_ > 0 ? static_cast<size_t>(input_length_) : queue_.size());
  }
  std::vector<uint8_t> take(size_t n) override { return queue_.take(n); }
  void discard_input() override { queue_.clear(); }
  void discard_output() override {}
  void set_event_handler(std::function<void(int)> handler) override { handler_ = std::move(handler); }
  std::string error() const override { return {}; }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t pos_ = 0;
  ByteQueue queue_;
  std::function<void(int)> handler_;
  int number_ = 0, input_length_ = 1, threshold_ = 0;
  bool open_ = false;
};

struct StepClock : LinkClock {
  keld::MonoClock::time_point t{};
  keld::MonoClock::time_point now() override { return t; }
};

// Moves the clock on, and ends every wait once the input is used up: the
// shot's trigger wait has no time-out.
struct StopWhenDone : keld::EventPump {
  FuzzPort* port = nullptr;
  int16_t* stop = nullptr;
  StepClock* clock = nullptr;
  void pump() override {
    clock->t += std::chrono::milliseconds(1);
    if (port->exhausted()) *stop = 1;
  }
};

// One link of each program, made once: a link's sample arrays (200,001
// samples) cost more to set up than a whole input to run. Each input starts
// with open_port, which clears what the link kept of the last one.
struct Rig {
  explicit Rig(bool boardtest) : link(port, pump, stop, Config(boardtest), clock) {
    pump.port = &port;
    pump.stop = &stop;
    pump.clock = &clock;
  }
  // Time-outs of a few pump passes: a piece arrives on each pass, so the
  // input decides whether a reply comes in time.
  static LinkConfig Config(bool boardtest) {
    LinkConfig cfg = boardtest ? LinkConfig::Boardtest() : LinkConfig::Korvan();
    cfg.reopen_pause_s = 0;
    cfg.block_timeout_ms = 8;
    cfg.status_timeout_ms = 8;
    cfg.drain_quiet_ms = 2;
    cfg.drain_max_ms = 8;
    cfg.stray_check_ms = 2;
    return cfg;
  }
  FuzzPort port;
  int16_t stop = 0;
  StepClock clock;
  StopWhenDone pump;
  BoardLink link;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static Rig korvan(false), boardtest(true);
  Rig& r = data[0] & 1 ? boardtest : korvan;
  const int32_t samples = 1 + (data[1] % 4) * 100;  // 1, 101, 201, 301
  r.port.feed(data + 2, size - 2);
  r.stop = 0;
  BoardLink& link = r.link;
  if (!link.open_port(1)) return 0;
  // A shot.
  link.Invia_Setup(samples, 8000, 0, 1, 1, 0, 0, 0, 0);
  (void)link.Attendi_Risposta();
  if (link.Attendi_Trigger())
    for (int unit = 1; unit <= 3 && r.stop != 1; ++unit) (void)link.Leggi_Unita(samples, unit);
  // A noise-monitor pass on what is left.
  r.stop = 0;
  link.Invia_Setup(256, 8000, 0, 0, 0, 0, 0, 0, 0);
  if (link.Attendi_Trigger(TriggerWait::FreeRunning)) (void)link.Leggi_Unita(256, 1);
  return 0;
}
