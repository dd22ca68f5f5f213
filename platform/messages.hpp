#pragma once
// Message, question and input boxes. Windows show them through the Qt layer;
// tests use the recorder, which keeps every box shown and answers as told.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace keld {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual MsgAnswer show(const std::string& text, MsgIcon icon, MsgButtons buttons,
                         const std::string& title) = 0;
  // An input box: the text typed, or nullopt when cancelled.
  virtual std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                           const std::string& default_text) = 0;
  // A box that closes itself after `ms` milliseconds.
  virtual void show_timed(const std::string& text, const std::string& title, int ms) {
    (void)ms;
    show(text, MsgIcon::Information, MsgButtons::Ok, title);
  }
  // Shorthands.
  void ok(const std::string& text, MsgIcon icon, const std::string& title) {
    show(text, icon, MsgButtons::Ok, title);
  }
  bool yes(const std::string& text, MsgIcon icon, const std::string& title) {
    return show(text, icon, MsgButtons::YesNo, title) == MsgAnswer::Yes;
  }
};

struct MessageShown {
  std::string text;
  MsgIcon icon = MsgIcon::None;
  MsgButtons buttons = MsgButtons::Ok;
  std::string title;
  bool is_input = false;
  std::string default_text;  // inputs only
  bool timed = false;
};

class MessageRecorder : public MessageBoxes {
 public:
  MsgAnswer show(const std::string& text, MsgIcon icon, MsgButtons buttons,
                 const std::string& title) override;
  std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                   const std::string& default_text) override;
  void show_timed(const std::string& text, const std::string& title, int ms) override;

  // Answers given in order; when none is queued a box gets its first button
  // (Ok or Yes) and an input box is cancelled.
  void answer(MsgAnswer a) { answers.push_back(a); }
  void type(std::optional<std::string> text) { inputs.push_back(std::move(text)); }

  std::vector<std::string> texts() const;
  bool saw(const std::string& text) const;
  int count(const std::string& text) const;
  const MessageShown& last() const { return shown.back(); }
  void clear() { shown.clear(); }

  std::vector<MessageShown> shown;
  // Run while each box is up (after it is recorded): what a user does in the
  // window system meanwhile, as a real box runs a nested event loop.
  std::function<void(const MessageShown&)> while_shown;
  std::deque<MsgAnswer> answers;
  std::deque<std::optional<std::string>> inputs;
};

// Prints every box on standard error and answers with the first button: for
// programs that run without a display.
class StderrMessages : public MessageBoxes {
 public:
  MsgAnswer show(const std::string& text, MsgIcon icon, MsgButtons buttons,
                 const std::string& title) override;
  std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                   const std::string& default_text) override;
};

}  // namespace keld
