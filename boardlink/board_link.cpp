// The board link: opening the port, the arm packet, the reply waits, the
// block reads and the receive-event handler. Every wait is a polling loop
// that hands control to the window system and polls the port on each pass,
// its time measured on the link's clock.
#include "boardlink/board_link.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace keld::board {

namespace {

using Ms = std::chrono::milliseconds;

bool WritePacket(SerialPort& port, const Packet& p) { return port.write(p.data(), p.size()); }

// What an error event of the line means, for the messages of the waits it
// ends. The port's own words say why a device failed.
std::string LineErrorText(int code, const std::string& port_error) {
  switch (code) {
    case kErDevice: return port_error.empty() ? "the device has gone" : port_error;
    case kErFrame: return "a framing error";
    case kErOverrun: return "an overrun";
    case kErRxOver: return "the receive buffer overflowed";
    case kErRxParity: return "a parity error";
    case kErTxFull: return "the transmit buffer is full";
    case kErDcb: return "the port's settings were refused";
    case kErBreak: return "a break on the line";
    default: return "communication event " + std::to_string(code);
  }
}

}  // namespace

LinkConfig LinkConfig::Boardtest() {
  LinkConfig c;
  c.input_buffer_size = 30000;
  c.send_unit_select = false;
  c.reopen_pause_s = 0;
  c.break_is_link_error = true;
  c.block_rule = BlockRule::WholeBlocks;
  c.double_samples = true;
  c.max_sample_step = kMaxSampleStep;
  return c;
}

BoardLink::BoardLink(SerialPort& port, EventPump& pump, int16_t& stop, LinkConfig config,
                     LinkClock& clock)
    : port_(port), pump_(pump), stop_(stop), config_(config), clock_(clock) {
  if (config_.double_samples)
    CampioniD.assign(kSampleCapacity, 0.0);
  else
    Campioni.assign(kSampleCapacity, 0.0f);
  port_.set_event_handler([this](int code) { on_comm_event(code); });
}

BoardLink::~BoardLink() { port_.set_event_handler(nullptr); }

bool BoardLink::open_port(int port_number) {
  error_.clear();
  open_error_ = OpenError::None;
  Errore_Linea = 0;
  arm_sent_ = false;
  owed_ = 0;
  if (port_.is_open()) port_.close();
  port_.set_input_buffer_size(config_.input_buffer_size);
  port_.set_port_number(port_number);
  port_.set_input_length(1);
  // The receive event is for sample blocks only: Leggi_Unita sets its
  // threshold, so the 1- and 3-byte replies are always left to the waits.
  port_.set_receive_threshold(0);
  if (!port_.open()) {
    open_error_ = OpenError::Port;
    error_ = port_.error();
    return false;
  }
  if (!port_.set_baud_rate(kBaudRate)) {
    // A line at another speed would only deliver garbage: let the operator
    // choose another port instead.
    open_error_ = OpenError::Rate;
    error_ = "This baude rate is Impossible ";
    port_.close();
    return false;
  }
  if (config_.send_unit_select) Seleziona_Unita();
  return true;
}

bool BoardLink::Riapri_Porta() {
  awaiting_block_ = false;
  // A reopened port starts clear: an error of the line before it, and an arm
  // sent on it, are gone with the old handle. Bytes a unit still owes are
  // not: the units go on as they were and may send them on the new handle.
  Errore_Linea = 0;
  arm_sent_ = false;
  const int n = port_.port_number();
  port_.close();
  port_.set_input_buffer_size(config_.input_buffer_size);
  port_.set_port_number(n);
  port_.set_input_length(1);
  bool ok = port_.open();
  if (ok) {
    ok = port_.set_baud_rate(kBaudRate);
    if (!ok) error_ = "This baude rate is Impossible ";
  } else {
    error_ = port_.error();
  }
  if (config_.reopen_pause_s > 0) timed_pause(config_.reopen_pause_s);
  return ok;
}

void BoardLink::timed_pause(double seconds) {
  const auto end = clock_.now() + TimedPauseLength(seconds);
  while (clock_.now() < end) pump_.pump();
}

bool BoardLink::Invia_Setup(int32_t samples, int frequency, int pre_trigger, int trigger_mode,
                            int polarity, int notch50, int notch60, int setting, int unit_address) {
  (void)unit_address;  // carried by the call, not by the packet
  // A new arm: an error the line met before it belongs to no read of it.
  Errore_Linea = 0;
  status_received = false;
  owed_ = 0;  // the units start the new arm afresh
  first_block_extra_ms_ =
      frequency > 0 && samples > 0 ? 1000.0 * static_cast<double>(samples) / frequency : 0.0;
  arm_sent_ = WritePacket(port_, ArmPacket(samples, frequency, pre_trigger, trigger_mode, polarity,
                                           notch50, notch60, setting));
  if (!arm_sent_) error_ = "the arm could not be sent: " + port_.error();
  return arm_sent_;
}

int BoardLink::Attendi_Risposta() {
  status_received = false;
  port_.set_binary_mode(false);
  if (!arm_sent_) {
    error_ = "no answer to the arm, which could not be sent (" + port_.error() + ")";
    return 0;
  }
  const auto deadline = clock_.now() + Ms(config_.status_timeout_ms);
  for (;;) {
    port_.poll_events();
    if (port_.in_buffer_count() >= 1) break;
    // The device gone since the arm (the flag is cleared there): no status
    // can come any more, and the time-out would only hide why.
    if (Errore_Linea == -1 && line_lost_) {
      error_ = "the link was lost while waiting for the status byte: " + line_error_;
      return 0;
    }
    pump_.pump();
    if (stop_ == 1) return 0;
    if (config_.status_timeout_ms > 0 && clock_.now() >= deadline) {
      error_ = "no status byte came within " + std::to_string(config_.status_timeout_ms) +
               " ms of the arm";
      return 0;
    }
  }
  // The status is one byte sent alone; a trigger notice is three sent
  // together, right behind the status when the trigger came at once. What
  // arrived is let end before the two are told apart: three bytes and no
  // fourth are a notice that came without the status byte.
  size_t seen = port_.in_buffer_count();
  const auto hard_end = clock_.now() + Ms(config_.drain_max_ms);
  auto quiet_end = clock_.now() + Ms(config_.drain_quiet_ms);
  for (;;) {
    const auto now = clock_.now();
    if (now >= quiet_end || now >= hard_end) break;
    pump_.pump();
    if (stop_ == 1) return 0;
    port_.poll_events();
    if (const size_t n = port_.in_buffer_count(); n != seen) {
      seen = n;
      quiet_end = clock_.now() + Ms(config_.drain_quiet_ms);
    }
  }
  if (seen == static_cast<size_t>(kNoticeBytes)) {
    error_ = "no status byte came after the arm: the trigger notice came in its place";
    return 0;
  }
  // Only the status byte: a trigger notice right behind it stays for
  // Attendi_Trigger.
  std::vector<uint8_t> b = port_.take(1);
  status_received = !b.empty();
  return b.empty() ? 0 : b[0];
}

int BoardLink::Attendi_Trigger(TriggerWait wait) {
  port_.set_binary_mode(true);
  port_.set_input_length(0);
  const bool timed = wait == TriggerWait::FreeRunning && config_.status_timeout_ms > 0;
  const auto deadline = clock_.now() + Ms(config_.status_timeout_ms);
  for (;;) {
    port_.poll_events();
    if (port_.in_buffer_count() >= static_cast<size_t>(kNoticeBytes)) break;
    if (stop_ == 1) return 0;
    // An error of the line since the arm (the flag is cleared there): the
    // device may be gone, and a wait for it would never end.
    if (Errore_Linea == -1) {
      error_ = "the link was lost while waiting for the trigger: " + line_error_;
      return 0;
    }
    if (timed && clock_.now() >= deadline) {
      error_ = "no trigger notice came within " + std::to_string(config_.status_timeout_ms) +
               " ms of the free-running arm";
      return 0;
    }
    pump_.pump();
  }
  (void)port_.take(port_.in_buffer_count());
  // Anything right behind the notice (the rest of a notice split in pieces,
  // a stray byte) goes too, before any block request can be answered.
  (void)drop_until_quiet(config_.drain_quiet_ms, config_.drain_max_ms);
  return 1;
}

size_t BoardLink::drop_until_quiet(int quiet_ms, int max_ms) {
  size_t dropped = 0;
  const auto start = clock_.now();
  const auto hard_end = start + Ms(max_ms);
  auto quiet_end = start + Ms(quiet_ms);
  for (;;) {
    port_.poll_events();
    const size_t n = port_.in_buffer_count();
    if (n > 0) {
      dropped += port_.take(n).size();
      quiet_end = clock_.now() + Ms(quiet_ms);
    }
    const auto now = clock_.now();
    if (now >= quiet_end || now >= hard_end) break;
    pump_.pump();
  }
  return dropped;
}

int BoardLink::Leggi_Unita(int32_t samples, int unit, int unused) {
  (void)unused;
  // First: a read refused below is no STOP, whatever ended the read before.
  read_stopped = false;
  read_link_lost = false;
  if (unit < 0 || unit > 255) {
    error_ = "unit number " + std::to_string(unit) + " is outside 0 to 255";
    return 0;
  }
  if (samples < 1 || samples > kSampleCapacity) {
    error_ = "sample count " + std::to_string(samples) + " is outside 1 to " +
             std::to_string(kSampleCapacity);
    return 0;
  }
  port_.set_binary_mode(true);
  port_.set_input_length(0);
  const Packet request = BlockRequestPacket(unit);
  port_.set_receive_threshold(kBlockBytes);
  stray_bytes = 0;
  late_bytes = 0;

  // Nothing asked for can be waiting yet: a byte here is a leftover of a
  // reply or an earlier unit's block that came later than its wait (while
  // its message was read, say). It must not become this unit's first
  // sample, nor fail this unit: it is dropped.
  port_.poll_events();
  if (const size_t waiting = port_.in_buffer_count(); waiting > 0) {
    (void)port_.take(waiting);
    const auto owed = static_cast<int32_t>(std::min(waiting, static_cast<size_t>(owed_)));
    owed_ -= owed;
    late_bytes += owed;
  }
  // So is an error the line met before this read began (between two
  // units, say): it belongs to no request of this read.
  Errore_Linea = 0;

  // The count rule can fall short of n (n = 1 gives no block, 10,900 gives
  // 170 blocks for 10,900 samples): fetch whatever covers n in that case.
  const int covering = (samples + kBlockSamples - 1) / kBlockSamples;
  const int blocks = std::max(BlockCount(samples, config_.block_rule), covering);
  const size_t needed = static_cast<size_t>(blocks) * kBlockSamples;
  if (config_.double_samples) {
    if (CampioniD.size() < needed) CampioniD.resize(needed, 0.0);
  } else if (Campioni.size() < needed) {
    Campioni.resize(needed, 0.0f);
  }

  for (int b = 0; b < blocks; ++b) {
    if (!wait_block(request, unit, b)) {
      fail_unit();
      return 0;
    }
    if (b == 0 && owed_ > 0) drop_owed_before_first_block();
    store_block(b * kBlockSamples);
  }
  // A unit that sent more than asked leaves bytes behind: the samples taken
  // may be shifted, so the read fails rather than record them.
  const size_t after = drop_until_quiet(config_.stray_check_ms, config_.drain_max_ms);
  if (after > 0) {
    stray_bytes += static_cast<int32_t>(after);
    error_ = "unit " + std::to_string(unit) + ": " + std::to_string(stray_bytes) +
             " bytes came that were not asked for; its samples cannot be trusted";
    Errore_Linea = 0;
    return 0;
  }
  // An error event up to the end of that check came while this unit's bytes
  // were on the line: they cannot be trusted either.
  if (Errore_Linea == -1) {
    read_link_lost = line_lost_;
    error_ = "link error while reading unit " + std::to_string(unit) + ", after its last block came";
    if (line_lost_) error_ += ": " + line_error_;
    Errore_Linea = 0;
    return 0;
  }
  if (const int32_t at = corrupted_at(needed); at > 0) {
    error_ = "unit " + std::to_string(unit) + ": samples " + std::to_string(at) + " and " +
             std::to_string(at + 1) + " of block " + std::to_string(at / kBlockSamples + 1) +
             " differ by more than a unit can give: the block was corrupted on the way";
    return 0;
  }
  demean(samples);
  received_samples = static_cast<int32_t>(needed);
  return 1;
}

bool BoardLink::wait_block(const Packet& request, int unit, int block) {
  Nb_Ricevuti = 0;
  if (stop_ == 1) {
    error_ = "stopped";
    read_stopped = true;
    return false;
  }
  awaiting_block_ = false;
  if (!WritePacket(port_, request)) {
    read_link_lost = true;
    error_ = "the block request to unit " + std::to_string(unit) + " could not be sent: " +
             port_.error();
    return false;
  }
  // Only the port's events take the block, and they run only when polled.
  awaiting_block_ = true;
  // The first block after an arm may wait for the recording to end.
  const double extra_ms = first_block_extra_ms_;
  first_block_extra_ms_ = 0;
  const int timeout_ms = config_.block_timeout_ms + static_cast<int>(extra_ms + 0.5);
  const auto deadline = clock_.now() + Ms(timeout_ms);
  for (;;) {
    pump_.pump();
    port_.poll_events();
    // An error event during the transfer fails the unit even when a block
    // was taken in the same pass: its bytes cannot be trusted.
    if (Errore_Linea == -1) {
      read_link_lost = line_lost_;
      error_ = "link error while reading unit " + std::to_string(unit);
      if (line_lost_) error_ += ": " + line_error_;
      return false;
    }
    if (Nb_Ricevuti >= kBlockBytes) return true;
    if (stop_ == 1) {
      error_ = "stopped";
      read_stopped = true;
      return false;
    }
    if (clock_.now() >= deadline) {
      error_ = "block " + std::to_string(block + 1) + " of unit " + std::to_string(unit);
      const size_t in_time = port_.in_buffer_count();
      if (in_time > 0)
        error_ += " came short: " + std::to_string(in_time) + " of its " + std::to_string(kBlockBytes) +
                  " bytes within " + std::to_string(timeout_ms) + " ms";
      else
        error_ += " did not come within " + std::to_string(timeout_ms) + " ms";
      return false;
    }
  }
}

void BoardLink::drop_owed_before_first_block() {
  // The late bytes come first on the line: Buffer_Ricevuto holds the first
  // 192 bytes that came, and this unit's block ends as many bytes behind as
  // were owed. A unit whose owed bytes never come sends only its own 192.
  const auto start = clock_.now();
  const auto hard_end = start + Ms(config_.drain_max_ms);
  auto quiet_end = start + Ms(config_.drain_quiet_ms);
  size_t seen = port_.in_buffer_count();
  for (;;) {
    port_.poll_events();
    const size_t n = port_.in_buffer_count();
    if (n >= static_cast<size_t>(owed_)) break;
    if (n != seen) {
      seen = n;
      quiet_end = clock_.now() + Ms(config_.drain_quiet_ms);
    }
    const auto now = clock_.now();
    if (now >= quiet_end || now >= hard_end || stop_ == 1) break;
    pump_.pump();
  }
  const size_t behind = std::min(port_.in_buffer_count(), static_cast<size_t>(owed_));
  if (behind > 0) {
    std::vector<uint8_t> came = Buffer_Ricevuto;
    const std::vector<uint8_t> more = port_.take(behind);
    came.insert(came.end(), more.begin(), more.end());
    Buffer_Ricevuto.assign(came.end() - kBlockBytes, came.end());
    late_bytes += static_cast<int32_t>(behind);
  }
  // Whatever was still owed would have come before this unit's block.
  owed_ = 0;
}

void BoardLink::fail_unit() {
  if (awaiting_block_) {
    // What came of the awaited block is dropped with whatever follows it
    // while the line is busy; the rest of the block may come later still.
    awaiting_block_ = false;
    const size_t came = drop_until_quiet(config_.drain_quiet_ms, config_.drain_max_ms);
    if (came < static_cast<size_t>(kBlockBytes)) owed_ += kBlockBytes - static_cast<int32_t>(came);
  } else {
    discard_input();
  }
  // The error belonged to this unit; the next one starts with a clear flag.
  Errore_Linea = 0;
}

void BoardLink::store_block(int32_t first) {
  const uint8_t* p = Buffer_Ricevuto.data();
  for (int i = 0; i < kBlockSamples; ++i, p += 3) {
    const int32_t v = DecodeSample(p);
    if (config_.double_samples)
      CampioniD[static_cast<size_t>(first + i)] = v;
    else
      Campioni[static_cast<size_t>(first + i)] = static_cast<float>(v);
  }
}

int32_t BoardLink::corrupted_at(size_t count) const {
  if (config_.max_sample_step <= 0 || !config_.double_samples) return -1;
  for (size_t i = 1; i < count; ++i)
    if (std::abs(CampioniD[i] - CampioniD[i - 1]) > config_.max_sample_step) return static_cast<int32_t>(i);
  return -1;
}

void BoardLink::demean(int32_t n) {
  // The mean of samples 1..n-1 (sample 0 is left out) is taken off samples
  // 0..n-1; samples fetched past n keep their raw values. korvan sums in
  // single precision, boardtest in double. One sample has nothing to average.
  if (n < 2) return;
  if (config_.double_samples) {
    double sum = 0;
    for (int32_t i = 1; i < n; ++i) sum += CampioniD[static_cast<size_t>(i)];
    const double mean = sum / (n - 1);
    for (int32_t i = 0; i < n; ++i) CampioniD[static_cast<size_t>(i)] -= mean;
  } else {
    float sum = 0;
    for (int32_t i = 1; i < n; ++i) sum += Campioni[static_cast<size_t>(i)];
    const float mean = sum / static_cast<float>(n - 1);
    for (int32_t i = 0; i < n; ++i) Campioni[static_cast<size_t>(i)] -= mean;
  }
}

void BoardLink::Seleziona_Unita() {
  WritePacket(port_, UnitSelectPacket(Indirizzo_Unita));
  // The packet must leave before the pending output is thrown away.
  port_.drain_output(config_.drain_output_ms);
  port_.discard_output();
}

void BoardLink::discard_input() {
  port_.discard_input();
  const auto start = clock_.now();
  const auto hard_end = start + Ms(config_.drain_max_ms);
  auto quiet_end = start + Ms(config_.drain_quiet_ms);
  for (;;) {
    const auto now = clock_.now();
    if (now >= quiet_end || now >= hard_end) break;
    port_.poll_events();
    if (port_.in_buffer_count() > 0) {
      port_.discard_input();
      quiet_end = clock_.now() + Ms(config_.drain_quiet_ms);
    }
    pump_.pump();
  }
}

void BoardLink::on_comm_event(int code) {
  switch (code) {
    case kEvReceive:
      if (awaiting_block_ && port_.in_buffer_count() >= static_cast<size_t>(kBlockBytes)) {
        Buffer_Ricevuto = port_.take(kBlockBytes);
        Nb_Ricevuti = kBlockBytes;
        awaiting_block_ = false;
      }
      break;
    case kEvSend:
    case kEvEof:
    case kErFrame:
    case kErOverrun:
    case kErRxOver:
    case kErRxParity:
    case kErTxFull:
    case kErDcb:
    case kErDevice:
      Errore_Linea = -1;
      line_error_ = LineErrorText(code, port_.error());
      line_lost_ = code == kErDevice;
      break;
    case kErBreak:
      if (config_.break_is_link_error) {
        Errore_Linea = -1;
        line_error_ = LineErrorText(code, port_.error());
        line_lost_ = false;
      }
      break;
    default:
      break;  // line changes and ring
  }
}

}  // namespace keld::board
