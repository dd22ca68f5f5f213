#pragma once
// The link to the acquisition units: the 15-byte command packets, the reply
// waits, the receive event, and the decoding of 192-byte sample blocks. One
// class serves korvan and boardtest; where they differ it takes a LinkConfig.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "boardlink/link_clock.hpp"
#include "boardlink/serial_port.hpp"
#include "platform/pump.hpp"

namespace keld::board {

using Packet = std::array<uint8_t, 15>;

// Packet builders (pure).
// 0x1A set-up and arm: rate and pre-trigger 16-bit big-endian at 1-2 and 3-4,
// notch 50 at 5, notch 60 at 7, setting byte at 8, polarity (1 when 1) at 9,
// trigger mode (1 when 1) at 10, samples 24-bit big-endian at 12-14.
Packet ArmPacket(int32_t samples, int frequency, int pre_trigger, int trigger_mode,
                 int polarity, int notch50, int notch60, int setting);
Packet BlockRequestPacket(int unit);        // 0xD1, unit at byte 11
Packet UnitSelectPacket(int unit_address);  // 0xC0, address at byte 1
Packet UnitNumberReadPacket();              // 0xB0

constexpr int kBlockBytes = 192;   // one reply to a 0xD1 request: 64 samples of 3 bytes
constexpr int kBlockSamples = 64;
constexpr int kNoticeBytes = 3;    // the trigger notice
constexpr int kBaudRate = 3000000;
constexpr int kSampleCapacity = 200001;  // Campioni and CampioniD hold indices 0..200000
// The largest difference two neighbouring samples of a unit can show: its
// converter's output holds nothing above 0.4 of the sampling rate and stays in
// the 24-bit range, and such a signal changes by at most 2^24 x sin(0.4 pi)
// from one sample to the next. A larger jump means the block's bytes were
// changed on the way.
constexpr int32_t kMaxSampleStep = 15956080;

// One 24-bit sample, most significant byte first, as two's complement:
// 0xFFFFFF is -1, 0x800000 is -8,388,608, 0x7FFFFF is 8,388,607.
int32_t DecodeSample(const uint8_t* three_bytes);
// Block count of a read of n samples: korvan rounds n/64 - 1 half to even
// and adds 1 (10,922 samples: 171 blocks); boardtest reads n/64 whole blocks.
enum class BlockRule { RoundHalfEvenPlusOne, WholeBlocks };
int BlockCount(int32_t samples, BlockRule rule);

struct LinkConfig {
  int input_buffer_size = 20000;       // boardtest: 30000
  bool send_unit_select = true;        // korvan sends 0xC0 when the port opens; boardtest does not
  double reopen_pause_s = 2.5;         // korvan waits 2 to 3 s after re-opening; boardtest 0
  bool break_is_link_error = false;    // boardtest counts a break (1001) as a link error
  int block_timeout_ms = 2000;         // a block that does not come in time fails that unit
  // The status byte after an arm, and a free-running arm's notice (0: wait
  // until stopped).
  int status_timeout_ms = 2000;
  int drain_quiet_ms = 20;             // a drain ends when nothing arrived for this long...
  int drain_max_ms = 500;              // ...or after this long in any case
  int drain_output_ms = 1000;          // longest wait for the 0xC0 packet to leave
  // After a unit's last block the line must stay silent this long: bytes that
  // come then (a late or extra block) mean the unit's samples cannot be trusted.
  int stray_check_ms = 20;
  BlockRule block_rule = BlockRule::RoundHalfEvenPlusOne;
  bool double_samples = false;         // boardtest keeps 64-bit samples and de-means in double
  // boardtest tests the units: a read whose neighbouring samples jump by more
  // than this fails as corrupted (0: samples are taken as they come).
  int32_t max_sample_step = 0;
  static LinkConfig Korvan() { return {}; }
  static LinkConfig Boardtest();
};

// Why open_port failed.
enum class OpenError { None, Port, Rate };

// How long the wait for the trigger notice may last. A triggered arm's notice
// comes when the shot is fired, however long that takes; units armed
// free-running start at once, so their notice is due within the status
// time-out.
enum class TriggerWait { UntilFired, FreeRunning };

class BoardLink {
 public:
  // `stop` is the program's abort flag (korvan's Stop_Attesa, boardtest's
  // Arresto): 1 ends every wait, which then returns as failed. Every time-out
  // and pause is measured on `clock`.
  BoardLink(SerialPort& port, EventPump& pump, int16_t& stop, LinkConfig config = {},
            LinkClock& clock = SteadyLinkClock());
  ~BoardLink();

  SerialPort& port() { return port_; }
  const LinkConfig& config() const { return config_; }

  // The port dialog's "Continue" for a valid port number: buffer size, port
  // number, input length 1, open, 3,000,000 baud read back. Returns false with
  // error() and open_error() when the port does not open or refuses the rate
  // (a port that refuses it is closed again and nothing is sent); on success
  // sends the 0xC0 unit selection when configured. The receive threshold is
  // set to 0, so only Leggi_Unita's 192 makes the receive event fire.
  bool open_port(int port_number);
  // Closes and re-opens on the same port number at 3,000,000 baud, then pauses
  // (korvan) with the timed pause, also after a failed re-open. Returns
  // whether the port is open again at that rate; error() says why not.
  bool Riapri_Porta();

  // Sends the arm; false (with error()) when it could not be written. A new
  // arm starts with the link-error flag clear.
  bool Invia_Setup(int32_t samples, int frequency, int pre_trigger, int trigger_mode, int polarity,
                   int notch50, int notch60, int setting, int unit_address);
  // The 1-byte status, taken alone: whatever follows it stays queued.
  // status_received says whether it came; when not, the result is 0 and, unless
  // stopped, error() says what did not come: no status within
  // status_timeout_ms, a trigger notice in its place (three bytes together
  // where the status is one), no arm sent at all, or the device gone since
  // the arm (the wait ends at once).
  int Attendi_Risposta();
  bool status_received = false;
  // 1 when the 3-byte trigger notice came. 0 when stopped, and 0 with error()
  // saying what happened when an error event of the line came since the arm
  // (the device gone: no notice can come any more) or, free-running, when no
  // notice came within status_timeout_ms. The notice and whatever arrives
  // with it or right behind it (a status byte the caller did not read, stray
  // bytes) are dropped: no block has been asked for yet, so nothing waiting
  // can be sample data. UntilFired is the only wait without a time-out.
  int Attendi_Trigger(TriggerWait wait = TriggerWait::UntilFired);
  // Fetches one unit's samples into Campioni (korvan) or CampioniD (boardtest)
  // and de-means samples 0..n-1 by the mean of samples 1..n-1. Returns 1 when
  // every block came, 0 on stop, link error or a block time-out; after a
  // failure the input is drained so the next unit starts clean. Fetches at
  // least enough blocks to cover n samples; a unit outside 0..255 or a count
  // outside 1..200,001 fails at once. With n = 1 nothing is subtracted.
  // The first block after an arm may take the recording time of that arm
  // (samples / frequency) on top of the block time-out: units may answer
  // only once they have recorded. A block that times out fails the read at
  // once; the bytes it still owes are kept in owed_bytes() until they come.
  // The units share one line and answer in the order they were asked, so
  // bytes still owed come before any answer to a later request: bytes waiting
  // before this read's first request, and the owed count of bytes that come
  // with or right behind its first block, are the late unit's and are
  // dropped (counted in late_bytes); the first block is the last 192 bytes
  // of what came. Bytes arriving after the last block (a block more than
  // asked) fail the read: they are counted in stray_bytes and named in
  // error(), never taken as samples. With max_sample_step set, a read
  // holding a larger jump fails too. A link error event fails the read it
  // happens in, up to the end of the check after its last block; the flag
  // is cleared when a read starts. read_stopped tells a read ended by the
  // stop flag from one the unit failed.
  int Leggi_Unita(int32_t samples, int unit, int unused = 0);
  bool read_stopped = false;
  // The last read failed because the link itself went (a request could not
  // be written, or the port said the device is gone): no unit of this arm
  // can answer any more, and the failure is no unit's own.
  bool read_link_lost = false;
  void Seleziona_Unita();
  // Discards input waiting on the port and whatever is still arriving, until
  // the line has been quiet for drain_quiet_ms (at most drain_max_ms).
  void discard_input();

  // The receive-event handler: on a receive event takes exactly 192 bytes into
  // Buffer_Ricevuto when a block is awaited; on error events raises the link
  // error flag and keeps what the event means for messages.
  void on_comm_event(int code);
  bool awaiting_block() const { return awaiting_block_; }

  // Link state, named as the programs name it.
  int16_t Errore_Linea = 0;              // -1 after a communication error
  std::vector<uint8_t> Buffer_Ricevuto;  // the last 192-byte block taken
  int32_t Nb_Ricevuti = 0;               // 192 once a block has been taken
  int16_t Indirizzo_Unita = 0;           // address byte of the 0xC0 packet
  std::vector<float> Campioni;           // indices 0..200000 (korvan)
  std::vector<double> CampioniD;         // indices 0..200000 (boardtest)
  int32_t received_samples = 0;          // samples the last good read stored
  int32_t stray_bytes = 0;               // unasked-for bytes that failed the last Leggi_Unita
  int32_t late_bytes = 0;                // an earlier unit's late bytes the last Leggi_Unita dropped
  // Bytes that reads of this arm asked for and did not get (a block that
  // timed out, or came short); they may still come. A new arm or a newly
  // opened port owes nothing; a re-opened one still may: the units do not
  // see the port close.
  int32_t owed_bytes() const { return owed_; }

  // What the last failed operation met, for messages.
  const std::string& error() const { return error_; }
  OpenError open_error() const { return open_error_; }

 private:
  bool wait_block(const Packet& request, int unit, int block);
  // While an earlier unit owes bytes: waits until the owed count has come
  // behind the first block taken, or the line is quiet, and drops that many
  // from the front of what came; the last 192 bytes are the block.
  void drop_owed_before_first_block();
  // Takes and drops bytes until the line has been quiet for quiet_ms (at most
  // max_ms); returns how many were dropped. Leaves the port's calls alone
  // when nothing comes.
  size_t drop_until_quiet(int quiet_ms, int max_ms);
  // Drains the input after a failed read; a block still awaited adds what
  // did not come of it to the bytes owed.
  void fail_unit();
  void store_block(int32_t first);
  void demean(int32_t samples);
  // The first sample (from 1) that jumps from its neighbour by more than
  // max_sample_step, or -1.
  int32_t corrupted_at(size_t count) const;

  // Hands control back until `seconds` of the timed pause have passed.
  void timed_pause(double seconds);

  SerialPort& port_;
  EventPump& pump_;
  int16_t& stop_;
  LinkConfig config_;
  LinkClock& clock_;
  std::string error_;
  std::string line_error_;  // what the last error event of the line meant
  bool line_lost_ = false;  // that event said the device is gone
  OpenError open_error_ = OpenError::None;
  bool awaiting_block_ = false;
  double first_block_extra_ms_ = 0;  // recording time of the last arm, until its first block
  bool arm_sent_ = false;            // the last arm left for the units
  int32_t owed_ = 0;
};

}  // namespace keld::board
