// The acquisition parameters: sampling interval and frequency, samples per
// trace, recording time, channels, pre-trigger samples, trigger edge, and the
// record name.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "common/numtext.hpp"
#include "common/text.hpp"
#include "korvan/engine/acquisition_values.hpp"
#include "korvan/engine/data_paths.hpp"
#include "korvan/engine/low_pass.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/qtbase/key_filter.hpp"

namespace keld::korvan {

namespace {
std::string S(const QLineEdit* e) { return e->text().toStdString(); }
}  // namespace

void Korvan::connect_params() {
  Sample_rate->addItems({"128", "256", "512", "1024", "2048", "4096"});
  Nb_Sample->addItems({"256", "512", "1024", "2048", "4096", "8192", "10922"});
  Sample_rate->setCurrentIndex(-1);
  Nb_Sample->setCurrentIndex(-1);
  connect(Sample_rate, &QComboBox::currentIndexChanged, this, [this](int) { Sample_rate_Click(); });
  connect(Nb_Sample, &QComboBox::currentIndexChanged, this, [this](int) { Nb_Sample_Click(); });
  connect(Total_Channel, &QLineEdit::textChanged, this, [this] { Total_Channel_Change(); });
  connect(Text14, &QLineEdit::textChanged, this, [this] { Text14_Change(); });
  connect(Option5, &QRadioButton::toggled, this, [this](bool on) {
    if (on) st.Polarita_Trigger = 0;
  });
  connect(Option6, &QRadioButton::toggled, this, [this](bool on) {
    if (on) st.Polarita_Trigger = 1;
  });
  connect(Text2, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
  connect(Text3, &QLineEdit::textChanged, this, [this] { Text3_Change(); });
  connect(Text5, &QLineEdit::textChanged, this, [this] { Text6->setText(Text5->text()); });
  connect(Text7, &QLineEdit::textChanged, this, [this] { Text7_Change(); });
  const std::string digits = "-0123456789";
  auto beeper = [this] { beep(); };
  for (QLineEdit* e : {Total_Channel, Text14, Text3}) KeyFilter::Install(e, digits, beeper);
}

void Korvan::Sample_rate_Click() {
  int idx = Sample_rate->currentIndex();
  if (auto f = FrequencyForIndex(idx)) {
    st.Freq_Campionamento = static_cast<int16_t>(*f);
    F_camp->setText(QString::number(*f));
  }
  st.Nb_Campioni = CLng(Val(Nb_Sample->currentText().toStdString())).value_or(0);
  if (st.Nb_Campioni == 0) sv.msg.ok("Impossible", MsgIcon::Critical, kTitle);
  if (auto t = RecordingTimeText(Nb_Sample->currentText().toStdString(), Sample_rate->currentText().toStdString()))
    Rec_time->setText(QString::fromStdString(*t));
  Options_Filtre();
}

void Korvan::Nb_Sample_Click() {
  st.Nb_Campioni = CLng(Val(Nb_Sample->currentText().toStdString())).value_or(0);
  if (st.Nb_Campioni == 0) {
    sv.msg.ok("Check the Number of sample ", MsgIcon::Critical, kTitle);
    set_Nb_Sample_text("1024");
    return;
  }
  st.Dernier_Echantillon = CInt(st.Nb_Campioni).value_or(st.Dernier_Echantillon);
  if (auto t = RecordingTimeText(Nb_Sample->currentText().toStdString(), Sample_rate->currentText().toStdString()))
    Rec_time->setText(QString::fromStdString(*t));
}

void Korvan::Rec_time_Change() {
  // The caption shows the number it holds in its plain form.
  Rec_time->setText(QString::fromStdString(CStr(Val(Rec_time->text().toStdString()))));
}

void Korvan::set_Nb_Sample_text(const QString& t) {
  // A count that is not offered becomes 1024.
  int i = Nb_Sample->findText(t);
  if (i < 0) i = Nb_Sample->findText("1024");
  if (Nb_Sample->currentIndex() == i)
    Nb_Sample_Click();  // setting the text again runs the click rule all the same
  else
    Nb_Sample->setCurrentIndex(i);
}

void Korvan::set_Sample_rate_text(const QString& t) {
  int i = Sample_rate->findText(t);
  if (i < 0) return;
  if (Sample_rate->currentIndex() == i)
    Sample_rate_Click();
  else
    Sample_rate->setCurrentIndex(i);
}

void Korvan::Total_Channel_Change() {
  std::string t = S(Total_Channel);
  if (t.empty()) return;
  double v = Val(t);
  if (v > 24) {
    Total_Channel->setText("24");  // runs this rule again
    return;
  }
  // A negative count counts as no channel: the shot then says
  // "Check the number of boards".
  if (v < 0) v = 0;
  st.Nb_Tracce = CLng(v).value_or(st.Nb_Tracce);
  st.Nb_Canali = CInt(v).value_or(st.Nb_Canali);
  Init_Grille();
}

void Korvan::Text14_Change() {
  double v = Val(S(Text14));
  if (st.Nb_Campioni / 2.0 < v) {
    Text14->setText(QString::fromStdString(CStr(st.Nb_Campioni / 2)));
    return;
  }
  if (v > 65535) {
    Text14->setText("65535");
    return;
  }
  st.Pre_Campioni = CInt(v).value_or(st.Pre_Campioni);
}

void Korvan::Text2_Change() {
  st.Nome_Attivo = Nome_Attivo(S(Text7), S(Text2), S(Text3));
  Text5->setText(QString::fromStdString(st.Nome_Attivo));
}

void Korvan::Text3_Change() {
  if (Val(S(Text3)) < 1000) {
    Text3->setText("1000");  // runs this rule again
    return;
  }
  st.Nome_Attivo = Nome_Attivo(S(Text7), S(Text2), S(Text3));
  rn->setText(Text3->text());
  Text5->setText(QString::fromStdString(st.Nome_Attivo));
}

void Korvan::Text7_Change() { st.Dossier_Data = S(Text7); }

void Korvan::Options_Filtre() {
  auto o = ::keld::korvan::Options_Filtre(st.Freq_Campionamento);
  if (!o) return;  // a rate without a filter set leaves the options as they are
  F30->setEnabled(o->F30);
  F60->setEnabled(o->F60);
  F200->setEnabled(o->F200);
  F400->setEnabled(o->F400);
  QRadioButton* ticks[] = {F30, F60, F200, F400};
  ticks[static_cast<int>(o->ticked)]->setChecked(true);
}

}  // namespace keld::korvan
