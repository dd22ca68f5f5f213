#include "korvan/engine/shot_cycle.hpp"

#include <cstdio>
#include <filesystem>

#include "boardlink/board_link.hpp"
#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"

namespace keld::korvan {

namespace {

// The unit that answers the arm for all: the master unit when one was chosen,
// else the unit of channel 1.
std::string AnsweringUnit(const ShotParams& p) {
  if (p.master_unit > 0) return std::to_string(p.master_unit);
  return p.unit_texts.empty() ? std::string("1") : p.unit_texts.front();
}

}  // namespace

ShotCycle::ShotCycle(board::BoardLink& link, EventPump& pump, MessageBoxes& msg, ShotView& view,
                     int16_t& Stop_Attesa, int16_t& Modo_Trigger)
    : link_(link), pump_(pump), msg_(msg), view_(view), stop_(Stop_Attesa), modo_(Modo_Trigger) {}

ShotResult ShotCycle::run(const ShotParams& p) {
  ShotResult result;
  // The record of an earlier shot must not pass for this one's: it goes now,
  // and this shot's record takes the name only when the shot is complete.
  std::error_code ec;
  std::filesystem::remove(p.text_record, ec);
  TextRecordWriter record;
  (void)record.Open(p.text_record, p.record);  // a failure is reported when the shot ends

  view_.message_screen("Wait please", 0xFF0000, true);
  std::filesystem::remove(p.tmp_su, ec);
  view_.raw_file_shown(p.tmp_su);
  pump_.pump();
  view_.message_screen("Ready to shot", 0x0000FF, true);

  link_.discard_input();
  link_.Indirizzo_Unita = static_cast<int16_t>(p.master_unit);
  modo_ = 1;
  (void)link_.Invia_Setup(p.samples, p.frequency, 0, modo_, p.polarity, p.notch50, p.notch60, 0,
                          link_.Indirizzo_Unita);
  (void)link_.Attendi_Risposta();  // its value is not examined; whether it came is

  auto end = [&](ShotOutcome o) {
    record.Discard();
    modo_ = 0;
    view_.progress_hide();
    result.outcome = o;
    return result;
  };

  if (stop_ == 1) return end(ShotOutcome::AbandonedArmed);
  if (!link_.status_received) {
    // Units that did not answer the arm will not send a notice either, or
    // sent it where the status belongs: nothing of this shot can be trusted.
    result.error = link_.error();
    msg_.ok("ERROR ! " + AnsweringUnit(p) + " module: " + link_.error() + ". The shot is ended.",
            MsgIcon::Critical, kTitle);
    return end(ShotOutcome::NoStatus);
  }

  // The shot waits for its trigger as long as the operator does, unless the
  // link is lost meanwhile: then no notice can come.
  const int got = link_.Attendi_Trigger(board::TriggerWait::UntilFired);
  pump_.pump();
  if (stop_ == 1) return end(ShotOutcome::AbandonedArmed);
  if (got == 0) {
    result.error = link_.error();
    msg_.ok("ERROR ! " + AnsweringUnit(p) + " module: " + link_.error() + ". The shot is ended.",
            MsgIcon::Critical, kTitle);
    return end(ShotOutcome::NoNotice);
  }
  view_.message_screen("Triggered !", 0x0000FF, false);

  ShotHeaderInputs header = p.header;
  if (p.clock_at_trigger) header.clock = ReadClock();
  const int32_t n = p.samples;
  // The raw shot file is written beside its name and takes it only when every
  // channel has been through, so an abandoned transfer leaves no half record.
  AtomicFile shot(p.tmp_su);
  if (!shot.is_open()) {
    result.error = shot.error();
    msg_.ok("The raw shot file cannot be written: " + shot.error(), MsgIcon::Critical, kTitle);
    return end(ShotOutcome::FileError);
  }
  std::vector<float> filtered(static_cast<size_t>(n > 0 ? n : 0));
  std::vector<float> zeros(filtered.size(), 0.0f);
  std::vector<uint8_t> bytes;

  view_.message_screen("Data Transfer", 0x0000FF, false);
  view_.progress_range(1, p.channels);
  pump_.pump();

  for (int c = 1; c <= p.channels; ++c) {
    view_.progress(c);
    std::string box = c - 1 < static_cast<int>(p.unit_texts.size()) ? p.unit_texts[c - 1] : "";
    int unit = CInt(Val(box)).value_or(-1);
    int ok = link_.Leggi_Unita(n, unit);
    if (ok == 0 && stop_ == 1) {
      msg_.ok("Shot stopped during the data transfer: nothing has been recorded", MsgIcon::Critical, kTitle);
      shot.discard();
      return end(ShotOutcome::AbandonedTransfer);
    }
    if (ok == 0 && link_.read_link_lost) {
      // No unit can answer a link that has gone: the channels still to come
      // would all be dead, and a record of dead channels is no shot to save
      // or stack.
      result.error = link_.error();
      msg_.ok("ERROR ! The link was lost during the data transfer: " + link_.error() +
                  ". Nothing has been recorded. The shot is ended.",
              MsgIcon::Critical, kTitle);
      shot.discard();
      return end(ShotOutcome::LinkLost);
    }
    bool frozen = c - 1 < static_cast<int>(p.frozen.size()) && p.frozen[c - 1];
    if (ok == 0) {
      // Each unit's box gives its own reason. Bytes nobody asked for that
      // failed the read were never taken as samples, but the unit did answer.
      const bool stray = link_.stray_bytes > 0;
      msg_.ok("ERROR ! " + box + (stray ? " module: " : " module is missing: ") + link_.error(),
              MsgIcon::Critical, kTitle);
      if (stray) result.stray_channels.push_back(c);
      result.failed_channels.push_back(c);
      // The channel keeps its place: a dead trace of zeros, and zeros in the
      // text record.
      EncodeSuTrace(Ecrit_Entete_Trace(header, c, true), zeros.data(), n, bytes);
      shot.write(bytes);
      record.DeadChannel(c, n);
      continue;
    }
    std::span<const float> received(link_.Campioni.data(), static_cast<size_t>(n));
    FiltraTrace(p.filter, received, filtered);
    record.Channel(c, filtered);
    // A frozen channel keeps its header and its text-record lines, but its
    // samples stay zero so that a stack leaves that channel as it was.
    EncodeSuTrace(Ecrit_Entete_Trace(header, c, false), frozen ? zeros.data() : filtered.data(), n, bytes);
    shot.write(bytes);
  }
  if (!shot.commit()) {
    result.error = shot.error();
    msg_.ok("The raw shot file cannot be written: " + shot.error(), MsgIcon::Critical, kTitle);
    return end(ShotOutcome::FileError);
  }
  if (Status st = record.Close(); !st) {
    result.error = st.error;
    msg_.ok("The text record cannot be written: " + st.error, MsgIcon::Critical, kTitle);
    return end(ShotOutcome::FileError);
  }
  return end(ShotOutcome::Recorded);
}

}  // namespace keld::korvan
