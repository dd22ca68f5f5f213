#include "platform/messages.hpp"

#include <algorithm>
#include <cstdio>

namespace keld {

namespace {
MsgAnswer FirstButton(MsgButtons b) {
  return (b == MsgButtons::YesNo || b == MsgButtons::YesNoCancel) ? MsgAnswer::Yes : MsgAnswer::Ok;
}
}  // namespace

MsgAnswer MessageRecorder::show(const std::string& text, MsgIcon icon, MsgButtons buttons,
                                const std::string& title) {
  shown.push_back({text, icon, buttons, title, false, {}, false});
  if (while_shown) while_shown(MessageShown(shown.back()));
  if (answers.empty()) return FirstButton(buttons);
  MsgAnswer a = answers.front();
  answers.pop_front();
  return a;
}

std::optional<std::string> MessageRecorder::input(const std::string& prompt, const std::string& title,
                                                  const std::string& default_text) {
  shown.push_back({prompt, MsgIcon::None, MsgButtons::OkCancel, title, true, default_text, false});
  if (while_shown) while_shown(MessageShown(shown.back()));
  if (inputs.empty()) return std::nullopt;
  auto v = inputs.front();
  inputs.pop_front();
  return v;
}

void MessageRecorder::show_timed(const std::string& text, const std::string& title, int) {
  shown.push_back({text, MsgIcon::Information, MsgButtons::Ok, title, false, {}, true});
  if (while_shown) while_shown(MessageShown(shown.back()));
}

std::vector<std::string> MessageRecorder::texts() const {
  std::vector<std::string> t;
  for (const auto& m : shown) t.push_back(m.text);
  return t;
}

bool MessageRecorder::saw(const std::string& text) const { return count(text) > 0; }

int MessageRecorder::count(const std::string& text) const {
  return static_cast<int>(std::count_if(shown.begin(), shown.end(),
                                        [&](const MessageShown& m) { return m.text == text; }));
}

MsgAnswer StderrMessages::show(const std::string& text, MsgIcon, MsgButtons buttons,
                               const std::string& title) {
  std::fprintf(stderr, "%s%s%s\n", title.c_str(), title.empty() ? "" : ": ", text.c_str());
  return FirstButton(buttons);
}

std::optional<std::string> StderrMessages::input(const std::string& prompt, const std::string& title,
                                                 const std::string&) {
  std::fprintf(stderr, "%s%s%s (no input without a display)\n", title.c_str(), title.empty() ? "" : ": ",
               prompt.c_str());
  return std::nullopt;
}

}  // namespace keld
