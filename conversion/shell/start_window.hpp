#pragma once
// The start window `conversion`: one option per conversion, import and tool in
// four frames, the dispatcher `Lance`, the viewer options, Info, the header-
// word viewer button and Quit. Closing it ends the program and every window
// it opened.
//
// Windows are registered by key, the object name of the option that shows
// them ("Option4" for ES-1225, "Command4" for the header-word viewer); one
// line in conversion/windows.cpp registers a window:
//
//   reg.window("Option4", [](ConversionContext& cx, QWidget* parent) {
//     return new Es1225Window(cx, parent); });
//
// The factory makes a top-level window (parent with Qt::Window); the start
// window keeps it and brings it forward when its option is chosen again. Lance
// sets Conversion_Type before showing the window of an option that has one.
// An action (the ASCII exports) runs at once instead of showing a window. A
// key with nothing registered says that the conversion is not available yet.
// reg.batch("SEGD2SU", fn) gives the conversion window what it runs for a
// Seismic Unix conversion type, after its checks of the names.
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

#include "conversion/shell/context.hpp"

class QCheckBox;
class QCloseEvent;
class QPushButton;
class QRadioButton;

namespace keld {
class WorkGuard;
}

namespace keld::conversion {

using WindowFactory = std::function<QWidget*(ConversionContext&, QWidget* parent)>;
// An action runs as a run of the start window (see WorkGuard): it may hand
// control back to the window system, and a close of the start window (Quit)
// stops it.
using WindowAction = std::function<void(ConversionContext&, QWidget* start_window, WorkRun& run)>;

class WindowRegistry {
 public:
  void window(const std::string& key, WindowFactory make) { windows_[key] = std::move(make); }
  void action(const std::string& key, WindowAction run) { actions_[key] = std::move(run); }
  // What the conversion window runs for a Seismic Unix conversion type.
  void batch(const std::string& type, BatchConversion run) { batches_[type] = std::move(run); }
  const std::map<std::string, BatchConversion>& batches() const { return batches_; }
  const WindowFactory* find_window(const std::string& key) const;
  const WindowAction* find_action(const std::string& key) const;

 private:
  std::map<std::string, WindowFactory> windows_;
  std::map<std::string, WindowAction> actions_;
  std::map<std::string, BatchConversion> batches_;
};

// Every window and action of the program (conversion/windows.cpp).
WindowRegistry ConversionWindows();

// One option of the start window in the order Lance tests them.
struct LanceStep {
  const char* option;           // object name of the option button
  const char* conversion_type;  // set before showing the window, or nullptr
};
const std::vector<LanceStep>& LanceOrder();

// "<caption> is not available yet in this version".
std::string NotAvailableText(const std::string& caption);
// What a viewer choice says when the maker's program is not in `folder`: it
// is not part of this suite. `what` names the viewer ("SEG-Y").
std::string NotPartOfSuiteText(const std::string& program, const std::string& what, const std::string& folder);

class StartWindow : public QWidget {
  Q_OBJECT
 public:
  StartWindow(ConversionState& st, ConversionServices& sv, WindowRegistry registry);
  ~StartWindow() override;

  ConversionContext& context() { return cx_; }

  // Program start: shell prefix, line break and the settings.
  void Form_Load();
  // The dispatcher: every selected option of every frame acts, in LanceOrder.
  void Lance();
  // Shows (or brings forward) the window of `key`, or runs its action.
  void ShowWindow(const std::string& key);
  // The window opened under `key`, or nullptr when none is open.
  QWidget* Opened(const std::string& key) const;

  void Option25_Click();  // lorplot
  void Option26_Click();  // lorploty
  void Option27_Click();  // tolvex
  void Command2_Click();  // Quit: every window closes (each stopping its run), then this one
  void Command3_Click();  // Info
  void Command4_Click();  // header-word viewer

  QRadioButton* Option(int n) const;
  QCheckBox* Check1 = nullptr;
  QPushButton *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr;

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void StartViewer(const std::string& program, const std::string& what, bool check_exists);
  void Start_Seg2su();
  // Shows the window of `key`, or runs its action as `run` (a run of its own
  // when none is given).
  void ShowWindow(const std::string& key, WorkRun* run);

  ConversionContext cx_;
  WindowRegistry registry_;
  std::map<int, QRadioButton*> options_;
  std::map<std::string, QPointer<QWidget>> opened_;
  WorkGuard* work_ = nullptr;
};

}  // namespace keld::conversion
