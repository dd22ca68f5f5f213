#pragma once
// The key filter of numeric boxes on a Qt widget: every key that types a
// character (and Backspace and Enter) goes through Filtre_Touche; a refused key
// beeps and is dropped. Navigation keys, which type nothing, pass.
#include <QObject>

class QKeyEvent;

#include <functional>
#include <string>

namespace keld {

class KeyFilter : public QObject {
 public:
  KeyFilter(QObject* parent, std::string allowed, int allow_backspace, std::function<void()> beep);
  // Installs a filter on `w` accepting `allowed` (backspace allowed).
  static KeyFilter* Install(QObject* w, const std::string& allowed, std::function<void()> beep,
                            int allow_backspace = -1);
  // A filter that calls `decide(key)`; it returns the key to keep (0 drops it).
  static void InstallCustom(QObject* w, std::function<int(int key)> decide);

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  std::string allowed_;
  int allow_backspace_;
  std::function<void()> beep_;
  std::function<int(int)> decide_;
};

// The key code a key event types (8 for Backspace, 13 for Enter), or 0 when it
// types nothing (arrows, Delete, function keys).
int TypedKeyCode(const QKeyEvent* e);

}  // namespace keld
