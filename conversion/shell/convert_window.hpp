#pragma once
// The window `Convert`: one file conversion at a time, of the type that
// Conversion_Type holds when Convert is pressed: KGS integer or floating to
// SU, SU to KGS floating, and SEG-D or SEG-Y to SU through the Seismic Unix
// programs (run by what is registered for those types).
#include <QWidget>

#include <optional>
#include <string>

#include "conversion/shell/context.hpp"

class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace keld {
class WorkGuard;
class WorkRun;
}  // namespace keld

namespace keld::conversion {

// What the window shows and proposes for one conversion type.
struct ConvertTypeTexts {
  const char* type;
  const char* caption;
  const char* title;
  const char* filter;
  const char* name;
  int cut;             // characters cut from the input name for the output proposal
  const char* suffix;  // then appended
};
// nullptr for a type the window does not know.
const ConvertTypeTexts* FindConvertType(const std::string& type);
// The output proposed for an input (LINE1.EVD gives LINE1.SU for KGSI2SU).
std::string ProposedOutput(const ConvertTypeTexts& t, const std::string& input);

class ConvertWindow : public QWidget {
  Q_OBJECT
 public:
  ConvertWindow(ConversionContext& cx, QWidget* parent);

  void Form_Load();
  void Lecture();         // input dialog
  void Choix_out();       // output dialog
  void Command2_Click();  // Convert: one run (see WorkGuard) for the whole conversion
  // The checks before every conversion; true when the names may be used.
  bool Preamble();

  void Convert_KGSI_2_SU(WorkRun& run);
  void Convert_KGS_2_SU(WorkRun& run);
  void Convert_SU_2_KGS(WorkRun& run);
  void Convert_SEGD_2_SU(WorkRun& run);
  void Convert_SEGY_2_SU(WorkRun& run);

  QLineEdit *Text1 = nullptr, *Text2 = nullptr;
  QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr;
  QGroupBox* Frame1 = nullptr;
  QRadioButton *Option1 = nullptr, *Option2 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  void ConvertKgs(WorkRun& run, bool integer);
  void RunBatch(WorkRun& run, const char* type);
  // An input box's leading number rounded to 16 bits; nullopt (after a
  // message) when it does not fit.
  std::optional<int16_t> Ask16(const std::string& prompt, const std::string& title, const std::string& def);
  void Success(WorkRun& run);

  ConversionContext& cx_;
  WorkGuard* work_ = nullptr;
};

}  // namespace keld::conversion
