#include "korvan/window/units_window.hpp"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "common/numtext.hpp"
#include "korvan/window/main_window.hpp"

namespace keld::korvan {

UnitsWindow::UnitsWindow(Korvan& main) : QWidget(nullptr, Qt::Window), main_(main) {
  setObjectName("Units");
  setWindowTitle("Units Number & Master Unit");
  auto* g = new QGridLayout(this);
  g->setHorizontalSpacing(6);
  g->setVerticalSpacing(2);
  // Four blocks of twelve channels side by side.
  for (int block = 0; block < 4; ++block) {
    g->addWidget(new QLabel("Ch.", this), 0, block * 3);
    g->addWidget(new QLabel("Unit", this), 0, block * 3 + 1);
    g->addWidget(new QLabel("Master", this), 0, block * 3 + 2);
  }
  for (int i = 0; i < 48; ++i) {
    int block = i / 12, row = i % 12 + 1;
    g->addWidget(new QLabel(QString::number(i + 1), this), row, block * 3);
    Text1[i] = new QLineEdit(QString::number(i + 1), this);
    Text1[i]->setObjectName(QString("Text1_%1").arg(i));
    Text1[i]->setMaximumWidth(50);
    g->addWidget(Text1[i], row, block * 3 + 1);
    Tabella_Opzioni[i] = new QRadioButton(this);
    Tabella_Opzioni[i]->setObjectName(QString("Option%1").arg(i + 1));
    g->addWidget(Tabella_Opzioni[i], row, block * 3 + 2);
    connect(Text1[i], &QLineEdit::textChanged, this, [this, i] { Text1_Change(i); });
  }
  Text1[47]->setText("248");
  Tabella_Opzioni[0]->setChecked(true);
  Command1 = new QPushButton("O K", this);
  Command1->setObjectName("Command1");
  g->addWidget(Command1, 13, 0, 1, 12);
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  for (int i = 0; i < 48; ++i) main_.st.Tabella_Indirizzi[i + 1] = static_cast<int16_t>(i + 1);
  main_.st.Tabella_Indirizzi[48] = 248;
}

QString UnitsWindow::box_text(int channel) const {
  if (channel < 1 || channel > 48) return {};
  return Text1[channel - 1]->text();
}

void UnitsWindow::set_box_text(int channel, const QString& t) {
  if (channel < 1 || channel > 48) return;
  if (Text1[channel - 1]->text() == t)
    Text1_Change(channel - 1);
  else
    Text1[channel - 1]->setText(t);
}

void UnitsWindow::Text1_Change(int i) {
  std::string t = Text1[i]->text().toStdString();
  if (auto v = CDbl(t)) {
    if (auto n = CInt(*v)) main_.st.Tabella_Indirizzi[i + 1] = *n;
  } else if (!t.empty()) {
    Text1[i]->setText("");  // not a number: the box is emptied, the address kept
  }
}

void UnitsWindow::Activate() {
  int n = static_cast<int>(Val(main_.Total_Channel->text().toStdString()));
  for (int i = 0; i < 48; ++i) {
    bool on = i < n;
    Text1[i]->setEnabled(on);
    Tabella_Opzioni[i]->setEnabled(on);
  }
}

void UnitsWindow::showEvent(QShowEvent* e) {
  Activate();
  QWidget::showEvent(e);
}

void UnitsWindow::Command1_Click() {
  main_.Command2->setEnabled(true);
  for (int i = 0; i < 48; ++i)
    if (Tabella_Opzioni[i]->isChecked()) main_.st.Unita_Master = main_.st.Tabella_Indirizzi[i + 1];
  hide();
}

}  // namespace keld::korvan
