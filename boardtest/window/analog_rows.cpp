// Start-up, the unit rows, the display gain and what the polling cycle shows.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVariant>

#include <cmath>

#include "boardlink/window/rs232.hpp"
#include "boardtest/engine/settings_file.hpp"
#include "boardtest/window/analog.hpp"
#include "boardtest/window/parametri.hpp"
#include "common/numtext.hpp"
#include "platform/qt/picture_box.hpp"

namespace keld::boardtest {

namespace {

// Full scale of a trace in counts, for the fixed gains.
constexpr double kGainCounts = 16780000.0;
constexpr double kPictureScale = 1000.0;  // user units across and down a row picture

void SetBack(QWidget* w, uint32_t bgr) {
  w->setProperty("backColor", QVariant::fromValue<uint>(bgr));
  w->setStyleSheet(QString("background-color: #%1%2%3;")
                       .arg(bgr & 0xFF, 2, 16, QChar('0'))
                       .arg((bgr >> 8) & 0xFF, 2, 16, QChar('0'))
                       .arg((bgr >> 16) & 0xFF, 2, 16, QChar('0')));
}

}  // namespace

uint32_t Analog::BackColour(const QWidget* w) {
  const QVariant v = w->property("backColor");
  return v.isValid() ? v.toUInt() : RowColour(RowStatus::Unit);
}

std::string Analog::ini_path() const { return sv.work_folder + "/ini.txt"; }

void Analog::Init_Controlli() {
  // The three row tables are filled when the rows are built; they only need
  // to reach every row.
  for (int i = 1; i <= kRowsMax; ++i) SetBack(CheckRow[static_cast<size_t>(i)], RowColour(RowStatus::Unit));
}

void Analog::Form_Load() {
  st.Pre_Campioni = 0;
  Init_Controlli();
  IniValues v;
  const Status read = LoadIniFile(ini_path(), v);
  if (!read.ok()) sv.msg.ok("ini.txt cannot be read: " + read.error, MsgIcon::Exclamation, kTitle);
  st.settings = v.settings;
  st.Num_Unita = v.Num_Unita;
  st.Campioni = v.Campioni;
  st.Frequenza = v.Frequenza;
  st.Notch_50 = v.Notch_50;
  st.Notch_60 = v.Notch_60;
  st.Polarita = v.Polarita;

  Parametri& p = *parametri;
  if (st.Notch_50 == 1)
    p.Option26->setChecked(true);
  else if (st.Notch_60 == 1)
    p.Option27->setChecked(true);
  else
    p.Option28->setChecked(true);
  (st.Polarita != 0 ? p.Option2 : p.Option1)->setChecked(true);
  for (int i = 1; i <= kRowsMax; ++i) TextRow[static_cast<size_t>(i)]->setText(QString::fromStdString(v.units[static_cast<size_t>(i - 1)]));
  if (const int pos = PositionOfRate(st.Frequenza)) p.VScroll2->setValue(pos);
  p.VScroll2_Change();
  p.VScroll3_Change();
  const int samples_pos = SamplesPosition(st.Campioni);
  if (samples_pos >= p.VScroll1->minimum() && samples_pos <= p.VScroll1->maximum()) p.VScroll1->setValue(samples_pos);
  p.VScroll1_Change();
  const int16_t rows = st.Num_Unita;
  if (rows >= 1 && rows <= kRowsMax) VScroll1->setValue(rows);
  for (int i = 1; i <= kRowsMax; ++i) {
    Picture[static_cast<size_t>(i)]->hide();
    CheckRow[static_cast<size_t>(i)]->hide();
    CheckRow[static_cast<size_t>(i)]->setChecked(false);
  }
  Message->setVisible(true);
  show();
  Message->repaint();
  VScroll1_Change();
  st.Modo_Trigger = 0;
  st.picture_height = kPictureScale;
  st.Scala = Val(Label84->text().toStdString()) * kPictureScale / kGainCounts;
  recompute_steps();
  Message->hide();
  if (sv.show_port_dialog) {
    board::Rs232Options o;
    o.modal = false;
    o.title = kTitle;
    o.enter_continues = true;
    rs232 = new board::Rs232(*link_, sv.msg, {}, o);
    rs232->show();
  }
}

void Analog::recompute_steps() {
  st.Passo_X = st.Campioni > 0 ? kPictureScale / st.Campioni : 0;
  st.Centro_Y = static_cast<float>(kPictureScale / 2);
}

void Analog::VScroll1_Change() {
  const int n = VScroll1->value();
  Label11->setText(QString::number(n));
  st.Num_Unita = static_cast<int16_t>(n);
  const int width = rows_area_->width();
  const int box_w = 70, text_w = 50;
  const int pic_w = std::max(50, width - box_w - text_w - 8);
  const int h = std::max(4, rows_area_->height() / n);
  for (int i = 1; i <= kRowsMax; ++i) {
    const bool shown = i <= n;
    auto* pic = Picture[static_cast<size_t>(i)];
    auto* box = CheckRow[static_cast<size_t>(i)];
    auto* text = TextRow[static_cast<size_t>(i)];
    pic->setVisible(shown);
    box->setVisible(shown);
    text->setVisible(shown);
    if (!shown) continue;
    const int top = (i - 1) * h;
    pic->setGeometry(0, top, pic_w, h);
    const int mid = top + h / 2 - 10;
    box->setGeometry(pic_w + 4, mid, box_w, 20);
    text->setGeometry(pic_w + 4 + box_w, mid, text_w, 20);
  }
}

void Analog::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  if (rows_area_) VScroll1_Change();
}

void Analog::gain_option(int gain, QRadioButton* option) {
  if (!option->isChecked()) return;
  st.Autoscala = false;
  Label84->setText(QString::number(gain));
  Label84->setEnabled(true);
  Command5->setEnabled(true);
  Command6->setEnabled(true);
  st.Scala = gain * kPictureScale / kGainCounts;
  recompute_steps();
}

void Analog::Autrnge_Click() {
  if (!Autrnge->isChecked()) return;
  st.Autoscala = true;
  Command5->setEnabled(false);
  Command6->setEnabled(false);
  Label84->setEnabled(false);
}

void Analog::Check25_Click() {
  const bool on = CheckRow[25]->isChecked();
  for (int i = 1; i <= st.Num_Unita && i <= kRowsMax; ++i) CheckRow[static_cast<size_t>(i)]->setChecked(on);
}

void Analog::Check40_Click() {
  const bool on = Check40->isChecked();
  for (int i = 1; i <= 27; ++i) CheckRow[static_cast<size_t>(i)]->setChecked(on);
}

void Analog::Check50_Click() {
  st.Senza_Filtro = Check50->isChecked();
  if (!st.Senza_Filtro) parametri->VScroll2_Change();
}

void Analog::Text_Change(int row) {
  QLineEdit* box = TextRow[static_cast<size_t>(row)];
  const std::string text = box->text().toStdString();
  if (text.empty()) return;
  // A unit number is a whole number the link can address: 0 to 255.
  const auto v = CDbl(text);
  if (!v || *v != std::floor(*v) || *v < 0 || *v > 255) box->clear();
}

// --- What the polling cycle shows

bool Analog::row_ticked(int row) { return CheckRow[static_cast<size_t>(row)]->isChecked(); }

std::string Analog::unit_text(int row) { return TextRow[static_cast<size_t>(row)]->text().toStdString(); }

void Analog::row_status(int row, RowStatus s) {
  QCheckBox* box = CheckRow[static_cast<size_t>(row)];
  box->setText(RowCaption(s));
  SetBack(box, RowColour(s));
  if (s != RowStatus::Unit) box->repaint();
}

bool Analog::rms_wanted() { return parametri->Check1->isChecked(); }

void Analog::show_rms(const RmsLabels& r) {
  Label14->setText(QString::fromStdString(r.Label14));
  Label23->setText(QString::fromStdString(r.Label23));
}

void Analog::draw_trace(int row, const std::vector<TracePoint>& pts) {
  PictureBox* pic = Picture[static_cast<size_t>(row)];
  pic->Cls();
  if (pts.empty()) return;
  pic->CurrentX = pts[0].x;
  pic->CurrentY = pts[0].y;
  for (size_t i = 1; i < pts.size(); ++i) pic->LineTo(pts[i].x, pts[i].y, pic->ForeColor);
  pic->update();
}

void Analog::status_line(const std::string& text) {
  Message->setText(QString::fromStdString(text));
  Message->repaint();
}

void Analog::hide_message() { Message->hide(); }

}  // namespace keld::boardtest
