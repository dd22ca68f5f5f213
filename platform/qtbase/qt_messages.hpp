#pragma once
// Message, question and input boxes shown with Qt. Without a display (the
// offscreen or minimal platform) they are printed on standard error instead
// and answered with their first button.
#include "platform/messages.hpp"

class QMessageBox;
class QWidget;

namespace keld {

// A Qt message box with the text, icon, buttons and title of one of ours,
// and the answer of its exec() result; for every program that shows boxes.
void ConfigureBox(QMessageBox& box, const std::string& text, MsgIcon icon, MsgButtons buttons,
                  const std::string& title);
MsgAnswer AnswerOf(int exec_result, MsgButtons buttons);

// The owner of a box or dialog about to be shown: the window the user works
// in (the active one), else `fallback`. A box owned by the program's main
// window would bring that window in front of the one the user works in.
QWidget* BoxParent(QWidget* fallback);

class QtMessageBoxes : public MessageBoxes {
 public:
  explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
  void set_parent(QWidget* p) { parent_ = p; }
  MsgAnswer show(const std::string& text, MsgIcon icon, MsgButtons buttons,
                 const std::string& title) override;
  std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                   const std::string& default_text) override;
  void show_timed(const std::string& text, const std::string& title, int ms) override;

  static bool HasDisplay();

 private:
  QWidget* parent_;
  StderrMessages fallback_;
};

}  // namespace keld
