// Start-up, the choice of a file and its scan.
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include <cmath>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/visual_keld.hpp"
#include "platform/qt/picture_box.hpp"
#include "velscan/window/nmo_window.hpp"
#include "velscan/window/pick_window.hpp"

namespace keld::velscan {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(int64_t v) { return QString::number(v); }
}  // namespace

void NmoWindow::Form_Load(const std::string& command_line) {
  st.Nom_Fichier = command_line;
  st.Mode_Affichage = "";
  if (!st.Nom_Fichier.empty()) {
    ++quiet_;
    Text1->setText(Q(st.Nom_Fichier));
    --quiet_;
    st.Repertoire = FolderOf(st.Nom_Fichier);
    show_scan(st.Nom_Fichier);
  } else {
    st.Repertoire = "";
  }
  st.Repertoire_SU = SeismicUnixFolder();
}

void NmoWindow::lecture_SU() {
  FileDialogSpec desc{"SU File selection", st.Repertoire, "SU File |*.SU|All files|*.*|", "*.SU", true};
  auto chosen = sv.dialogs.open_file(desc);
  if (!chosen || chosen->empty()) return;  // a cancelled dialog changes nothing
  st.Nom_Fichier = *chosen;
  ++quiet_;
  Text1->setText(Q(st.Nom_Fichier));
  --quiet_;
  st.Repertoire = FolderOf(st.Nom_Fichier);
  st.Traces_Par_Record = 0;
  show_scan(st.Nom_Fichier);
}

void NmoWindow::show_scan(const std::string& Fichier) {
  const bool scanned = Recherche_FLDR(Fichier);
  // A new input has its own output: an open pick window takes it up (a
  // closed one does when it is shown again).
  if (pick_ && pick_->isVisible()) pick_->New_Input();
  if (!scanned) return;
  if (st.Mode_CDP != 0)
    Display_CDP();
  else
    Display_Film();
}

void NmoWindow::Text1_Change() {
  if (quiet_) return;
  ++quiet_;
  Text1->setText(Q(st.Nom_Fichier));
  --quiet_;
}

bool NmoWindow::Recherche_FLDR(const std::string& Fichier) {
  // Every scan forgets the picks and, until it ends well, the file shown.
  st.Picks.clear();
  forget_file();
  if (Fichier.empty()) return false;
  st.Premier_FLDR = 0;
  st.Dernier_FLDR = 0;
  st.Fichier_Sortie = DefaultOutput(Fichier);
  if (Existe_file(st.Fichier_Sortie) == 1)
    sv.msg.ok(st.Fichier_Sortie + " already exist for output file !" + st.Saut_Ligne +
                  " You can select another file name on the DISPLAY PICK pannel",
              MsgIcon::Information, kTitle);
  auto scan = ScanSuFile(Fichier);
  if (!scan) {
    sv.msg.ok(scan.error(), MsgIcon::Critical, kTitle);
    return false;
  }
  const ScanInfo& info = *scan;
  if (info.nhs12 > 1 && !sv.msg.yes(Fichier + " seems to be stacked data, continue ? ", MsgIcon::Question, kTitle))
    return false;
  if (info.tracf[1] != info.tracf[0] + 1 || info.tracf[2] != info.tracf[1] + 1) {
    if (sv.msg.yes(Fichier + " contains sorted data ? ", MsgIcon::Question, kTitle)) st.Mode_CDP = 1;
  } else if (sv.msg.yes(Fichier + " seems to be raw field data ? ", MsgIcon::Question, kTitle)) {
    st.Mode_CDP = 0;
    if (info.first_cdp == 0 &&
        !sv.msg.yes("Geometry seems incomplete, CDP Numbers are missing in " + Fichier + ", Continue ? ",
                    MsgIcon::Question, kTitle))
      return false;
  }

  st.scan = std::move(scan.value());
  st.dt = st.scan.layout.dt;
  st.ns = st.scan.layout.ns;
  st.delrt = st.scan.layout.delrt;
  st.offset_asked = false;
  st.records_by_count = false;
  const int half = std::max(1, static_cast<int>(RoundHalfEven(st.ns / 2.0)));

  ++quiet_;
  if (st.Mode_CDP != 0) {
    Label1->setText("CDP");
    Text2->setText(Q(st.scan.cdp_index.min_key()));
    Text4->setText(Q(st.scan.cdp_index.max_key()));
    HScroll1->setRange(st.scan.cdp_index.min_key(), st.scan.cdp_index.max_key());
    VScroll2->setRange(1, half);
    const std::string proposed = std::to_string(MiddleKey(st.scan.first_cdp, st.scan.last_cdp));
    // A cancelled question shows the proposed CDP.
    std::string typed = sv.msg.input(" Enter the CDP number to display", kTitle, proposed).value_or(proposed);
    st.CDP_Courant = CLng(Val(typed)).value_or(0);
    Text3->setText(Q(typed));
    Text12->setText(Text3->text());
  } else {
    Label1->setText("FLDR");
    st.Premier_FLDR = st.scan.first_fldr;
    st.Dernier_FLDR = st.scan.last_fldr;
    st.Traces_Par_Record = 0;
    while (st.Traces_Par_Record < 1) {
      auto typed = sv.msg.input("Traces per record", kTitle, std::to_string(st.scan.detected_per_record));
      if (!typed) {  // cancelled: the file is not shown
        --quiet_;
        return false;
      }
      st.Traces_Par_Record = CLng(Val(*typed)).value_or(0);
    }
    // Without record numbers that tell records apart, records are runs of the
    // count just given, numbered from 1.
    st.records_by_count =
        st.scan.fldr_index.distinct() <= 1 && st.Traces_Par_Record < st.scan.layout.traces;
    if (st.records_by_count) {
      st.Premier_FLDR = 1;
      st.Dernier_FLDR =
          static_cast<int32_t>((st.scan.layout.traces + st.Traces_Par_Record - 1) / st.Traces_Par_Record);
    } else {
      st.Premier_FLDR = st.scan.fldr_index.min_key();
      st.Dernier_FLDR = st.scan.fldr_index.max_key();
    }
    Text2->setText(Q(st.Premier_FLDR));
    Text4->setText(Q(st.Dernier_FLDR));
    HScroll1->setRange(st.Premier_FLDR, st.Dernier_FLDR);
    VScroll2->setRange(1, half);
    Text10->setText(Q(st.Traces_Par_Record));
    Text3->setText(Q(st.records_by_count ? 1 : st.scan.first_fldr));
  }
  st.scalco = st.scan.scalco;
  st.Espacement = ReceiverSpacing(st.scan.spacing_word, st.scalco);
  st.Offset1 = ApplyScalco(st.scan.offset, st.scalco);
  Text7->setText(Q(CStr(st.Espacement)));
  Text8->setText(Q(CStr(st.Offset1)));
  --quiet_;
  st.scanned = true;
  return true;
}

void NmoWindow::forget_file() {
  st.scanned = false;
  st.dt = 0;
  st.ns = 0;
  st.Tableau_Film = Gather{};
  st.Somme_NMO.clear();
  st.Max_Somme = 0;
  st.Mode_Affichage = "";
  ++quiet_;
  Text9->setText("");
  --quiet_;
  Ecran->Cls();
  semblance->Cls();
}

}  // namespace keld::velscan
