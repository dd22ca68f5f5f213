#pragma once
// One shot: arm the units, wait for the trigger, read every channel, filter it
// and write it to the raw shot file (an SU file) and to the text record. The
// values of the shot are taken when it is armed, so nothing typed while it
// runs can change the layout of its files.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "korvan/engine/low_pass.hpp"
#include "korvan/engine/text_record.hpp"
#include "korvan/engine/trace_header.hpp"
#include "platform/messages.hpp"
#include "platform/pump.hpp"

namespace keld::board {
class BoardLink;
}

namespace keld::korvan {

struct ShotParams {
  int32_t samples = 0;         // Nb_Campioni
  int frequency = 0;           // Freq_Campionamento
  int polarity = 0;            // Polarita_Trigger
  int notch50 = 0, notch60 = 0;
  int master_unit = 0;         // Unita_Master
  int channels = 0;            // the numeric value of Total_Channel
  std::vector<std::string> unit_texts;  // the unit box of each channel, 1..channels at 0..
  std::vector<bool> frozen;             // channel c frozen at c - 1
  ShotHeaderInputs header;
  TextRecordInputs record;
  FilterState filter;
  std::string tmp_su;          // Fichier_Temp
  std::string text_record;     // dati.txt
  bool clock_at_trigger = true; // the headers' date and time are read when the trigger comes
};

// What the shot shows while it runs.
class ShotView {
 public:
  virtual ~ShotView() = default;
  // A line of the message screen ("Wait please" in blue, "Ready to shot" in
  // red...); `clear` starts a new screen.
  virtual void message_screen(const std::string& text, uint32_t bgr, bool clear) = 0;
  virtual void progress_range(int low, int high) = 0;
  virtual void progress(int value) = 0;
  virtual void progress_hide() = 0;
  virtual void raw_file_shown(const std::string& path) = 0;  // Text13
};

enum class ShotOutcome {
  Recorded,          // every channel went through (units failed on a sound link written as dead traces)
  AbandonedArmed,    // "Release Trigger" before the trigger: no raw shot file
  AbandonedTransfer, // "Release Trigger" during the transfer: no raw shot file
  NoStatus,          // the arm got no status byte (in its time, or the device went): no raw shot file
  NoNotice,          // the link was lost while waiting for the trigger: no raw shot file
  LinkLost,          // the link was lost during the transfer: no raw shot file
  FileError,         // the raw shot file or the text record could not be written
};

struct ShotResult {
  ShotOutcome outcome = ShotOutcome::AbandonedArmed;
  std::vector<int> failed_channels;  // units that did not answer
  std::vector<int> stray_channels;   // units whose read failed on bytes nobody asked for
  std::string error;
};

class ShotCycle {
 public:
  ShotCycle(board::BoardLink& link, EventPump& pump, MessageBoxes& msg, ShotView& view,
            int16_t& Stop_Attesa, int16_t& Modo_Trigger);

  // Acquisition_Tir.
  ShotResult run(const ShotParams& p);

  static constexpr const char* kTitle = "KORVAN QMR650B";

 private:
  board::BoardLink& link_;
  EventPump& pump_;
  MessageBoxes& msg_;
  ShotView& view_;
  int16_t& stop_;
  int16_t& modo_;
};

}  // namespace keld::korvan
