#pragma once
// The window `editor`: a small editor for one batch, history or other text
// document (Editor_Document). Plain documents are saved back in the form they
// were read; rich-text documents are shown with their basic styles and saved
// as plain text. Printing goes through Qt's print dialog; tests replace the
// print and font dialogs.
#include <QMainWindow>

#include <functional>
#include <optional>
#include <string>

#include "conversion/shell/context.hpp"

class QAction;
class QPrinter;
class QTextEdit;
class QToolBar;

namespace keld::conversion {

class EditorWindow : public QMainWindow {
  Q_OBJECT
 public:
  EditorWindow(ConversionContext& cx, QWidget* parent);

  void Form_Load();
  void open_Click();
  void save_Click();
  void Print_Click();
  void Find_Click();
  void Replacement_Click();
  void Font_Click();
  // The toolbar's dispatch on a button's key.
  void Toolbar1_ButtonClick(const std::string& key);

  // Loads a document into the text area; false (text unchanged) when it
  // cannot be read.
  bool Load(const std::string& path);

  // Sets up the printer; true to print. `selection` says whether a selection
  // exists; the dialog may print only it.
  std::function<bool(QPrinter& printer, bool selection)> print_dialog;
  std::function<std::optional<QFont>(const QFont& current)> font_dialog;

  QTextEdit* RichTextBox1 = nullptr;
  QToolBar* Toolbar1 = nullptr;
  QAction *open = nullptr, *save = nullptr, *save_as = nullptr, *Find = nullptr, *Replacement = nullptr,
          *Font = nullptr, *Print = nullptr;

 private:
  std::string PlainUtf8() const;
  ConversionContext& cx_;
  bool bytes_ = false;  // the document is kept one character per byte
  bool crlf_ = false;   // its lines end in CR LF
  bool cr_kept_ = false;  // lone carriage returns stand in as U+E00D
};

}  // namespace keld::conversion
