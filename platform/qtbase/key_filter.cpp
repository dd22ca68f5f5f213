#include "platform/qtbase/key_filter.hpp"

#include <QKeyEvent>

#include "common/text.hpp"

namespace keld {

int TypedKeyCode(const QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 0;
    default: break;
  }
  QString t = e->text();
  if (t.isEmpty()) return 0;
  char16_t c = t.at(0).unicode();
  return c < 256 ? static_cast<int>(c) : 255;
}

KeyFilter::KeyFilter(QObject* parent, std::string allowed, int allow_backspace, std::function<void()> beep)
    : QObject(parent), allowed_(std::move(allowed)), allow_backspace_(allow_backspace), beep_(std::move(beep)) {}

KeyFilter* KeyFilter::Install(QObject* w, const std::string& allowed, std::function<void()> beep,
                              int allow_backspace) {
  auto* f = new KeyFilter(w, allowed, allow_backspace, std::move(beep));
  w->installEventFilter(f);
  return f;
}

void KeyFilter::InstallCustom(QObject* w, std::function<int(int)> decide) {
  auto* f = new KeyFilter(w, "", 0, {});
  f->decide_ = std::move(decide);
  w->installEventFilter(f);
}

bool KeyFilter::eventFilter(QObject* obj, QEvent* ev) {
  if (ev->type() != QEvent::KeyPress) return QObject::eventFilter(obj, ev);
  auto* ke = static_cast<QKeyEvent*>(ev);
  int code = TypedKeyCode(ke);
  if (code == 0) return false;
  int keep;
  if (decide_) {
    keep = decide_(code);
  } else {
    keep = Filtre_Touche(code, allowed_, allow_backspace_);
    if (keep == 0 && beep_) beep_();
  }
  return keep == 0;  // true: the key is dropped
}

}  // namespace keld
