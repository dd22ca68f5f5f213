#pragma once
// Message boxes on the screen, for dropconv run with a display. The Qt
// application is made only when the first box is shown, so a conversion that
// goes well never starts the window system.
#include <memory>
#include <optional>
#include <string>

#include "platform/messages.hpp"

class QApplication;

namespace keld::dropconv {

class QtMessages : public MessageBoxes {
 public:
  QtMessages(int& argc, char** argv);
  ~QtMessages() override;
  MsgAnswer show(const std::string& text, MsgIcon icon, MsgButtons buttons,
                 const std::string& title) override;
  std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                   const std::string& default_text) override;

 private:
  void EnsureApplication();
  int& argc_;
  char** argv_;
  std::unique_ptr<QApplication> app_;
};

}  // namespace keld::dropconv
