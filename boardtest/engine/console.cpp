#include "boardtest/engine/console.hpp"

#include "boardlink/board_link.hpp"
#include "common/numtext.hpp"

namespace keld::boardtest {

namespace {

// Holds the console busy for the life of a run.
struct BusyScope {
  explicit BusyScope(int& n) : n_(n) { ++n_; }
  ~BusyScope() { --n_; }
  int& n_;
};

}  // namespace

const char* RowCaption(RowStatus s) {
  switch (s) {
    case RowStatus::Ok: return "OK";
    case RowStatus::Error: return "ERROR";
    default: return "UNIT";
  }
}

uint32_t RowColour(RowStatus s) {
  switch (s) {
    case RowStatus::Ok: return 49152;
    case RowStatus::Error: return 255;
    default: return 14737632;
  }
}

Console::Console(BoardtestState& state, board::BoardLink& link, EventPump& pump, ConsoleView& view)
    : s_(state), link_(link), pump_(pump), view_(view) {}

bool Console::port_open() const { return link_.port().is_open(); }

bool Console::reopen_lost_port() {
  board::SerialPort& port = link_.port();
  // A device pulled out while nothing waited on it says so on the next poll.
  if (port.is_open()) port.poll_events();
  if (port.is_open() && link_.Errore_Linea == 0) return true;
  if (port.port_number() < 1) return false;
  return link_.Riapri_Porta();
}

bool Console::arm() {
  s_.Pre_Campioni = 0;
  ++arms_;
  return link_.Invia_Setup(s_.Campioni, static_cast<int16_t>(s_.Frequenza), static_cast<int16_t>(s_.Pre_Campioni),
                    s_.Modo_Trigger, s_.Polarita == 1 ? 1 : 0, s_.Notch_50, s_.Notch_60, 0,
                    s_.settings[0]);
}

RunOutcome Console::GoTrigger(CycleResult* cycle) {
  if (busy()) return RunOutcome::Busy;
  if (!port_open()) return RunOutcome::PortClosed;
  BusyScope hold(busy_);
  link_.port().discard_input();
  Scegli_Filtro(s_.filter, s_.Frequenza, s_.Scelta_Filtro);
  s_.Salta_Campioni = 1;
  s_.Modo_Trigger = 1;
  (void)arm();  // an arm that did not go gets no status: the wait below says so
  (void)link_.Attendi_Risposta();  // its value is not examined; whether it came is
  if (s_.Arresto == 1) return RunOutcome::Stopped;
  if (!link_.status_received) {
    // Units that did not answer the arm send no notice either, or sent it
    // where the status belongs: the run ends here.
    failure_ = "ERROR ! " + answering_unit() + " module: " + link_.error() + ". The run is ended.";
    s_.Modo_Trigger = 0;
    view_.hide_message();
    return RunOutcome::NoStatus;
  }
  // As long as the operator waits, unless the link is lost meanwhile.
  const int notice = link_.Attendi_Trigger(board::TriggerWait::UntilFired);
  pump_.pump();
  if (s_.Arresto == 1) return RunOutcome::Stopped;
  if (notice != 1) {
    failure_ = "ERROR ! " + answering_unit() + " module: " + link_.error() + ". The run is ended.";
    s_.Modo_Trigger = 0;
    view_.hide_message();
    return RunOutcome::NoNotice;
  }
  view_.status_line("Triggered ! Wait for data......");
  view_.status_line("Data Receiving !");
  CycleResult r = Ciclo_Acquisizione();
  if (cycle) *cycle = r;
  s_.Modo_Trigger = 0;
  return RunOutcome::Polled;
}

void Console::StartRunning() {
  Scegli_Filtro(s_.filter, s_.Frequenza, s_.Scelta_Filtro);
  s_.Modo_Trigger = 0;
  s_.Salta_Campioni = 3;
  link_.port().discard_input();
  s_.Opzione_Lettura = true;
}

RunOutcome Console::RunningTick(CycleResult* cycle) {
  if (busy()) return RunOutcome::Busy;
  if (!port_open()) return RunOutcome::PortClosed;
  BusyScope hold(busy_);
  if (!arm()) {
    failure_ = "ERROR ! " + answering_unit() + " module: " + link_.error() + ". The run is ended.";
    return RunOutcome::ArmNotSent;
  }
  // Free-running units start at once: a notice that does not come within the
  // status time-out, or a lost link, ends the run.
  const int notice = link_.Attendi_Trigger(board::TriggerWait::FreeRunning);
  pump_.pump();
  if (s_.Arresto == 1) return RunOutcome::Stopped;
  if (notice != 1) {
    failure_ = "ERROR ! " + answering_unit() + " module: " + link_.error() + ". The run is ended.";
    return RunOutcome::NoNotice;
  }
  // Some units answer a free-running arm with the status byte before the
  // notice: whatever of the reply is still arriving is let go before the
  // first block request, so it cannot shift the blocks.
  link_.discard_input();
  if (s_.Arresto == 1) return RunOutcome::Stopped;
  CycleResult r = Ciclo_Acquisizione();
  if (cycle) *cycle = r;
  return RunOutcome::Polled;
}

std::string Console::answering_unit() {
  const int rows = s_.Num_Unita < 0 ? 0 : (s_.Num_Unita > kRowsMax ? kRowsMax : s_.Num_Unita);
  for (int row = 1; row <= rows; ++row)
    if (view_.row_ticked(row)) return std::to_string(unit_of(row));
  return "1";
}

int Console::unit_of(int row) {
  const auto v = CLng(RoundHalfEven(Val(view_.unit_text(row))));
  return v ? *v : -1;
}

CycleResult Console::Ciclo_Acquisizione() {
  BusyScope hold(busy_);
  CycleResult r;
  ++cycles_;
  s_.Arresto = 0;
  bool rms_pending = true;
  const int rows = s_.Num_Unita < 0 ? 0 : (s_.Num_Unita > kRowsMax ? kRowsMax : s_.Num_Unita);
  for (int row = 1; row <= rows; ++row) {
    pump_.pump();
    if (s_.Arresto == 1) {
      r.stopped = true;
      break;
    }
    if (!view_.row_ticked(row)) {
      view_.row_status(row, RowStatus::Unit);
      continue;
    }
    if (!poll_row(row, rms_pending, r)) break;
  }
  if (s_.Arresto == 1) r.stopped = true;
  view_.hide_message();
  return r;
}

bool Console::poll_row(int row, bool& rms_pending, CycleResult& r) {
  const int unit = unit_of(row);
  const int32_t n = s_.Campioni;
  if (link_.Leggi_Unita(n, unit, s_.Opzione_Lettura ? 1 : 0) == 0) {
    link_.port().discard_input();
    // A read that STOP cut short says nothing of the unit: nothing is
    // counted, its row stays as it was, and the port needs no reopening.
    if (link_.read_stopped) return false;
    if (link_.read_link_lost) {
      // The device went, not the unit: its row stays as it was and nothing
      // is counted. No unit can answer on a lost link: the cycle ends.
      r.link_lost = true;
      r.lost_unit = unit;
      r.link_error = link_.error();
      reopen_after_failure(r);
      return false;
    }
    s_.count_error(unit);
    ++r.rows_failed;
    view_.row_status(row, RowStatus::Error);
    reopen_after_failure(r);
    return !r.port_lost;
  }
  ++r.rows_read;
  view_.row_status(row, RowStatus::Ok);
  y_.assign(static_cast<size_t>(n), 0.0);
  FiltraTrace(s_.filter, s_.Senza_Filtro,
              std::span<const double>(link_.CampioniD.data(), static_cast<size_t>(n)), y_);
  if (rms_pending && view_.rms_wanted()) view_.show_rms(Calcola_RMS(y_));
  rms_pending = false;
  view_.draw_trace(row, Disegna_Traccia(s_, y_));
  return true;
}

void Console::reopen_after_failure(CycleResult& r) {
  if (link_.Riapri_Porta()) return;
  // Every further read would fail at once and be counted: the run ends.
  r.port_lost = true;
  r.port_error = link_.error();
  s_.Arresto = 1;
}

}  // namespace keld::boardtest
