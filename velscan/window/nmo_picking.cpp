// Velocity-time picks made by clicking on Ecran, and the two buttons of the
// pick window and the manual.
#include <QLineEdit>

#include <cmath>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "velscan/window/nmo_window.hpp"
#include "velscan/window/pick_window.hpp"

namespace keld::velscan {

namespace {
// Format(t, "###0.0")
std::string OneDecimal(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%.1f", v);
  return b;
}
}  // namespace

void NmoWindow::Ecran_MouseDown(int, double, double y) {
  if (st.dt == 0 || !st.scanned) return;  // nothing scanned: nothing to pick on
  const std::string cdp_text = Text12->text().toStdString();
  const double cdp = Val(cdp_text);
  const double velocity = Val(Text9->text().toStdString());
  const double time = RoundHalfEven(st.delrt + y * st.dt / 1000.0);
  const MsgAnswer a = sv.msg.show("Press YES to save this pick CDP=" + cdp_text + " Velocity=" +
                                      FormatThousands(static_cast<int64_t>(RoundHalfEven(velocity))) +
                                      "  Time=" + OneDecimal(time) + " ms" + st.Saut_Ligne +
                                      " Press CANCEL to record and display all picks and launch NMO",
                                  MsgIcon::Question, MsgButtons::YesNoCancel, "velscan");
  if (a == MsgAnswer::Yes || a == MsgAnswer::Cancel) Save_Pick(cdp, time, velocity);
  if (a == MsgAnswer::Cancel) Command2_Click();
}

void NmoWindow::Save_Pick(double cdp, double time_ms, double velocity) {
  std::string why;
  if (st.Picks.Save_Pick(cdp, time_ms, velocity, why) == PickTable::Saved::Refused)
    sv.msg.ok(why, MsgIcon::Exclamation, kTitle);
  // An open pick window shows every pick at once, in its list and its line.
  if (pick_ && pick_->isVisible()) pick_->Affiche();
}

void NmoWindow::Command2_Click() {
  if (!pick_) {
    pick_ = new PickWindow(*this, this);
    pick_->setWindowFlag(Qt::Window);
  }
  if (!pick_->isVisible()) pick_->Form_Load();
  pick_->show();
  pick_->raise();
}

void NmoWindow::Command3_Click() {
  // The manual is an HTML page beside the programs, opened with the desktop's
  // viewer for it.
  const std::string manual = sv.program_folder + "/manual/visual_keld5.htm";
  if (!Existe_file(manual) || !sv.proc.open_document(manual))
    sv.msg.ok("Unable to shell " + manual, MsgIcon::None, "velscan");
}

}  // namespace keld::velscan
