#pragma once
// The console's run over the board link: the triggered acquisition, the
// running-mode tick and the polling cycle that reads every ticked unit row,
// marks it OK or ERROR, counts its failures (a read that STOP cut short is
// none), filters, measures and draws its trace. The window supplies the rows and shows the results through
// ConsoleView; everything here runs on the window thread and yields through
// the link's waits and the event pump.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "boardtest/engine/console_state.hpp"
#include "boardtest/engine/trace_measures.hpp"
#include "platform/pump.hpp"

namespace keld::board {
class BoardLink;
}

namespace keld::boardtest {

enum class RowStatus { Ok, Error, Unit };

// Captions and back colours (0x00BBGGRR) of a row's unit box.
const char* RowCaption(RowStatus s);
uint32_t RowColour(RowStatus s);

class ConsoleView {
 public:
  virtual ~ConsoleView() = default;
  virtual bool row_ticked(int row) = 0;            // rows 1..48
  virtual std::string unit_text(int row) = 0;
  virtual void row_status(int row, RowStatus s) = 0;  // shown at once
  virtual bool rms_wanted() = 0;                   // "Display 1st channel RMS value"
  virtual void show_rms(const RmsLabels& r) = 0;
  virtual void draw_trace(int row, const std::vector<TracePoint>& pts) = 0;
  virtual void status_line(const std::string& text) = 0;  // Message, repainted
  virtual void hide_message() = 0;
};

struct CycleResult {
  int rows_read = 0;    // good reads
  int rows_failed = 0;  // failed reads (counted)
  bool stopped = false; // left on Arresto
  bool port_lost = false;  // the port did not open again after a failure
  std::string port_error;
  // The link itself went while `lost_unit` was read (the device gone): the
  // read failed for no fault of the unit, nothing was counted, and the cycle
  // ended there.
  bool link_lost = false;
  int lost_unit = -1;
  std::string link_error;
};

enum class RunOutcome {
  Polled,      // the notice came and one cycle ran
  Stopped,     // STOP before the notice: nothing polled
  Busy,        // a run was still under way: nothing done
  PortClosed,  // no open port: nothing sent
  NoStatus,    // the arm got no status byte in its time: nothing polled, failure() says why
  ArmNotSent,  // a free-running arm could not be sent: nothing polled, failure() says why
  NoNotice,    // the link was lost, or free-running units did not start in time: nothing
               // polled, failure() says why
};

class Console {
 public:
  Console(BoardtestState& state, board::BoardLink& link, EventPump& pump, ConsoleView& view);

  // True while a run (trigger run, tick or cycle) is under way: every
  // handler that waits on the line is refused until it has returned.
  bool busy() const { return busy_ > 0; }
  bool port_open() const;
  // Before a run: a port whose device went while the console was idle (an
  // error of the line waiting on it), or that a failed reopening left
  // closed, is opened again, so a device plugged back in needs neither RESET
  // nor a restart. False when it does not open (the link's error() says
  // why), or when no port was ever chosen (nothing is tried).
  bool reopen_lost_port();

  // GO trigger after the window's preparations: empties the input, loads the
  // filter set, arms in trigger mode, takes the status byte, waits for the
  // notice and runs one polling cycle. "Triggered !" is shown only once the
  // notice came; an arm without its status byte ends the run (NoStatus), and
  // so does a link lost while the notice is awaited (NoNotice).
  RunOutcome GoTrigger(CycleResult* cycle = nullptr);
  // GO running's own steps: the filter set for the run, free-running mode,
  // the input emptied.
  void StartRunning();
  // One running-mode tick: arm free-running, wait for the notice, one cycle.
  // A tick that falls due while the previous one runs is refused (Busy), so
  // one arm and its blocks are never interleaved with another. An arm that
  // cannot be sent ends the tick (ArmNotSent): no notice would ever come; so
  // does a notice that does not come within the status time-out, or a lost
  // link (NoNotice).
  RunOutcome RunningTick(CycleResult* cycle = nullptr);

  // One pass over the rows 1..Num_Unita.
  CycleResult Ciclo_Acquisizione();

  // The filtered samples of the last good read.
  std::span<const double> filtered() const { return y_; }
  int arms_sent() const { return arms_; }
  // What ended the last run that ended on NoStatus, ArmNotSent or NoNotice,
  // naming the unit.
  const std::string& failure() const { return failure_; }
  int cycles_run() const { return cycles_; }

 private:
  bool arm();  // false when the arm could not be sent
  int unit_of(int row);
  // The unit named when the arm is not answered: that of the first ticked row.
  std::string answering_unit();
  bool poll_row(int row, bool& rms_pending, CycleResult& r);
  // After a failed read: the port is closed and opened again; when it does
  // not open the run ends (`r` says so).
  void reopen_after_failure(CycleResult& r);

  BoardtestState& s_;
  board::BoardLink& link_;
  EventPump& pump_;
  ConsoleView& view_;
  std::vector<double> y_;
  std::string failure_;
  int busy_ = 0;
  int arms_ = 0;
  int cycles_ = 0;
};

}  // namespace keld::boardtest
