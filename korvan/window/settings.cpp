// The settings file korvan_QMR.ini: read once at start-up into the controls
// (their change rules then do the rest), written once at an orderly quit.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "common/numtext.hpp"
#include "common/profile.hpp"
#include "common/text.hpp"
#include "korvan/engine/acquisition_values.hpp"
#include "korvan/window/main_window.hpp"
#include "korvan/window/units_window.hpp"

namespace keld::korvan {

namespace {

const char* const kFile = "korvan_QMR.ini";
const char* const kSection = "korvan";

std::string Get(const char* key, const std::string& def, size_t n) {
  return GetPrivateProfileString(kSection, key, def, n, kFile);
}
void Put(const std::string& key, const std::string& value) {
  WritePrivateProfileString(kSection, key, value, kFile);
}
std::string NumberText(const QString& t) { return CStr(Val(t.toStdString())); }

// The whole text as a truth value: "True", "False" (any case) or a number.
std::optional<bool> Truth(const std::string& t) {
  std::string s = Trim(t);
  if (IEquals(s, "true")) return true;
  if (IEquals(s, "false")) return false;
  if (auto v = CDbl(s)) return *v != 0;
  return std::nullopt;
}

// The Sample_rate text of each offered frequency. 16000 Hz is not offered:
// its 32-bit filter set is not stable, so a settings file asking for it gets
// what any other rate that is not offered gets.
const char* RateText(int freq) {
  switch (freq) {
    case 8000: return "128";
    case 4000: return "256";
    case 2000: return "512";
    case 1000: return "1024";
    case 500: return "2048";
    case 250: return "4096";
    default: return nullptr;
  }
}

}  // namespace

void Korvan::Lit_Config() {
  QLineEdit* geometry[] = {Text19, Text15, Text23, sx, Text24, fr};
  const char* geometry_defaults[] = {"10", "10", "0", "0", "0", "10"};
  for (int i = 0; i < 6; ++i) {
    std::string key = "Geometry" + std::to_string(i + 1);
    geometry[i]->setText(QString::fromStdString(Get(key.c_str(), geometry_defaults[i], 50)));
  }
  Text2->setText(QString::fromStdString(Get("Rec_File1", "FILE", 100)));
  Text3->setText(QString::fromStdString(Get("Rec_File2", "1000", 100)));

  // The shared numbers start at 0 here, so a value that does not convert
  // brings in the fallback.
  st.Nb_Canali = 0;
  st.Nb_Tracce = 0;
  st.Freq_Campionamento = 0;
  st.Nb_Campioni = 0;
  if (auto v = CDbl(Get("Recording1", "12", 50))) st.Nb_Canali = CInt(*v).value_or(0);
  if (st.Nb_Canali == 0) st.Nb_Canali = 6;
  Total_Channel->setText(QString::number(st.Nb_Canali));
  if (auto v = CDbl(Get("Recording2", "12", 50))) st.Nb_Tracce = CLng(*v).value_or(0);
  if (st.Nb_Tracce == 0) st.Nb_Tracce = 6;
  if (auto v = CDbl(Get("Recording3", "250", 50))) st.Freq_Campionamento = CInt(*v).value_or(0);
  if (st.Freq_Campionamento == 0) st.Freq_Campionamento = 400;
  if (auto v = CDbl(Get("Recording4", "1024", 50))) st.Nb_Campioni = CLng(*v).value_or(0);
  if (st.Nb_Campioni == 0) st.Nb_Campioni = 1024;
  set_Nb_Sample_text(QString::number(st.Nb_Campioni));  // a count not offered becomes 1024
  Options_Filtre();
  const char* rate = RateText(st.Freq_Campionamento);
  if (!rate) {
    st.Freq_Campionamento = 2000;
    rate = "512";
  }
  set_Sample_rate_text(rate);
  Rec_time->setText(QString::fromStdString(Get("Recording5", "1024", 50)));
  Rec_time_Change();
  st.Fichier_Courant = Get("File1", " ", 100);
  Text7->setText(QString::fromStdString(sv.work_folder + "/DATA"));

  auto colour = [&](const char* key, const char* def, uint32_t& target) {
    if (auto v = CLng(Val(Get(key, def, 90)))) target = static_cast<uint32_t>(*v);
  };
  colour("Color0", "0", st.Couleur_Remplissage);
  colour("Color1", "255", st.Couleur_Positive);
  colour("Color2", "16711680", st.Couleur_Negative);
  st.Gain_Affichage = static_cast<float>(Val(Get("Enlarge", "2", 50)));
  Ingrandimento->setText(QString::fromStdString(CStrSingle(st.Gain_Affichage)));
  LC1->setText(QString::fromStdString(Get("LC1", "10", 50)));
  LC2->setText(QString::fromStdString(Get("LC2", "20", 50)));
  HC1->setText(QString::fromStdString(Get("HC1", "8000", 50)));
  HC2->setText(QString::fromStdString(Get("HC2", "16000", 50)));
  AGC->setText("0");
  Total_Channel->setText(QString::fromStdString(Get("board", "1", 90)));

  item("Lang_it")->setChecked(false);
  item("Lang_Eng")->setChecked(false);
  item("Lang_FR")->setChecked(false);
  std::string langue = Get("langue", "", 50);
  if (!langue.empty()) {
    double n = Val(langue);
    if (n == 1) item("Lang_Eng")->setChecked(true);
    if (n == 2) item("Lang_FR")->setChecked(true);
    if (n == 3) item("Lang_it")->setChecked(true);
  }

  for (int k = 1; k <= 48; ++k) {
    std::string key = "Unit" + std::to_string(k);
    std::string def = k == 48 ? "248" : std::to_string(k);
    std::string v = Get(key.c_str(), def, 90);
    // A unit is addressed by one byte: other numbers are refused and the
    // box keeps its own unit.
    if (auto n = CDbl(v); !n || *n < 0 || *n > 255 || *n != static_cast<int>(*n)) v = def;
    units()->set_box_text(k, QString::fromStdString(v));
  }

  if (auto b = Truth(Get("Break", "1", 90))) Option5->setChecked(*b);
  if (!Option5->isChecked()) Option6->setChecked(true);

  // The recording time follows from the samples and the interval, whatever the
  // file held for it.
  if (auto t = RecordingTimeText(Nb_Sample->currentText().toStdString(), Sample_rate->currentText().toStdString()))
    Rec_time->setText(QString::fromStdString(*t));
}

void Korvan::Ecrit_Config() {
  QLineEdit* geometry[] = {Text19, Text15, Text23, sx, Text24, fr};
  for (int i = 0; i < 6; ++i) Put("Geometry" + std::to_string(i + 1), geometry[i]->text().toStdString());
  Put("Rec_file1", Text2->text().toStdString());
  Put("Rec_file2", CStr(Val(Text3->text().toStdString()) + 1));
  Put("Recording1", NumberText(Total_Channel->text()));
  Put("Recording2", NumberText(Total_Channel->text()));
  Put("Recording3", CStr(st.Freq_Campionamento));
  Put("Recording4", NumberText(Nb_Sample->currentText()));
  Put("Recording5", NumberText(Rec_time->text()));
  Put("File1", st.Fichier_Courant);
  Put("Data", Text7->text().toStdString());
  Put("Color0", std::to_string(st.Couleur_Remplissage));
  Put("Color1", std::to_string(st.Couleur_Positive));
  Put("Color2", std::to_string(st.Couleur_Negative));
  Put("Enlarge", NumberText(Ingrandimento->text()));
  Put("LC1", NumberText(LC1->text()));
  Put("LC2", NumberText(LC2->text()));
  Put("HC1", NumberText(HC1->text()));
  Put("HC2", NumberText(HC2->text()));
  Put("AGC", NumberText(AGC->text()));
  Put("board", NumberText(Total_Channel->text()));
  int langue = 1;
  if (item("Lang_it")->isChecked()) langue = 3;
  if (item("Lang_FR")->isChecked()) langue = 2;
  Put("langue", std::to_string(langue));
  for (int k = 1; k <= 48; ++k) Put("Unit" + std::to_string(k), units()->box_text(k).toStdString());
  Put("Break", Option5->isChecked() ? "True" : "False");
}

}  // namespace keld::korvan
