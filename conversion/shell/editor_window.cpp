#include "conversion/shell/editor_window.hpp"

#include <QApplication>
#include <QFontDialog>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QToolBar>

#include "common/files.hpp"
#include "conversion/shell/editor_text.hpp"
#include "conversion/shell/module1.hpp"

namespace keld::conversion {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

EditorWindow::EditorWindow(ConversionContext& cx, QWidget* parent) : QMainWindow(parent, Qt::Window), cx_(cx) {
  setObjectName("editor");
  resize(640, 480);
  RichTextBox1 = new QTextEdit(this);
  RichTextBox1->setObjectName("RichTextBox1");
  QFont f("Arial");
  f.setPointSizeF(9.75);
  RichTextBox1->setFont(f);
  setCentralWidget(RichTextBox1);

  auto action = [this](QObject* parent, const char* name, const QString& text) {
    auto* a = new QAction(text, parent);
    a->setObjectName(name);
    return a;
  };
  QMenu* file = menuBar()->addMenu("File");
  file->setObjectName("File");
  open = action(file, "open", "Open");
  save = action(file, "save", "Save");
  save_as = action(file, "save_as", "Save as");  // does nothing
  file->addActions({open, save, save_as});
  QMenu* util = menuBar()->addMenu("Utility");
  util->setObjectName("util");
  Find = action(util, "Find", "Find text");
  Replacement = action(util, "Replacement", "Replace text");
  Font = action(util, "Font", "Font selection");
  Print = action(util, "Print", "Print");
  util->addActions({Find, Replacement, Font, Print});
  connect(open, &QAction::triggered, this, [this] { open_Click(); });
  connect(save, &QAction::triggered, this, [this] { save_Click(); });
  connect(Find, &QAction::triggered, this, [this] { Find_Click(); });
  connect(Replacement, &QAction::triggered, this, [this] { Replacement_Click(); });
  connect(Font, &QAction::triggered, this, [this] { Font_Click(); });
  connect(Print, &QAction::triggered, this, [this] { Print_Click(); });

  Toolbar1 = addToolBar("Toolbar1");
  Toolbar1->setObjectName("Toolbar1");
  Toolbar1->addSeparator();
  struct Button {
    const char* key;
    const char* tip;
    QStyle::StandardPixmap icon;
  } buttons[] = {{"open", "Open an history file", QStyle::SP_DialogOpenButton},
                 {"save", "Record the history file", QStyle::SP_DialogSaveButton},
                 {"print", "Print the history file", QStyle::SP_FileIcon},
                 {"stop", "Exit file editor", QStyle::SP_DialogCloseButton}};
  for (const auto& b : buttons) {
    QAction* a = action(Toolbar1, b.key, b.key);
    a->setToolTip(b.tip);
    a->setIcon(style()->standardIcon(b.icon));
    Toolbar1->addAction(a);
    const std::string key = b.key;
    connect(a, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
  }

  print_dialog = [this](QPrinter& printer, bool selection) {
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selection);
    return dialog.exec() == QDialog::Accepted;
  };
  font_dialog = [this](const QFont& current) -> std::optional<QFont> {
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, current, this);
    if (!ok) return std::nullopt;
    return chosen;
  };
  Form_Load();
}

void EditorWindow::Form_Load() {
  const std::string& doc = cx_.st.Editor_Document;
  if (!Existe_file(doc))
    cx_.sv.msg.ok(doc + " file does not exists ", MsgIcon::None, "");
  else if (!Load(doc))
    cx_.sv.msg.ok("Cannot read " + doc, MsgIcon::Critical, kTitle);
  setWindowTitle(Q("KELD text editor: " + doc));
}

bool EditorWindow::Load(const std::string& path) {
  auto bytes = ReadWholeFile(path);
  if (!bytes) return false;
  if (LooksLikeRtf(bytes.value())) {
    const auto& b = bytes.value();
    auto runs = ParseRtf(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
    RichTextBox1->clear();
    QTextCursor c(RichTextBox1->document());
    for (const auto& run : runs) {
      QTextCharFormat fmt;
      fmt.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
      fmt.setFontItalic(run.italic);
      fmt.setFontUnderline(run.underline);
      fmt.setFontPointSize(run.half_points / 2.0);
      const QStringList lines = QString::fromUtf8(run.text.data(), static_cast<qsizetype>(run.text.size())).split('\n');
      for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) c.insertBlock();
        c.insertText(lines[i], fmt);
      }
    }
    bytes_ = false;
    crlf_ = false;
    cr_kept_ = false;
  } else {
    PlainDocument d = DecodePlain(bytes.value());
    RichTextBox1->setPlainText(QString::fromUtf8(d.utf8.data(), static_cast<qsizetype>(d.utf8.size())));
    bytes_ = d.bytes;
    crlf_ = d.crlf;
    cr_kept_ = d.cr_kept;
  }
  RichTextBox1->moveCursor(QTextCursor::Start);
  return true;
}

std::string EditorWindow::PlainUtf8() const {
  // The raw text keeps no-break spaces; paragraphs end with U+2029.
  QString raw = RichTextBox1->document()->toRawText();
  raw.replace(QChar::ParagraphSeparator, QChar('\n'));
  return raw.toStdString();
}

void EditorWindow::open_Click() {
  FileDialogSpec d;
  d.title = "Text selection";
  d.filter = "SU history File |*.TXT|ll files|*.*|";
  d.name = "*.TXT";
  d.folder = cx_.st.Work_Dir;
  d.must_exist = true;
  auto picked = cx_.sv.dialogs.open_file(d);
  if (!picked || picked->empty()) return;  // a cancelled dialog leaves the text
  if (!Load(*picked)) {
    cx_.sv.msg.ok("Cannot read " + *picked, MsgIcon::Critical, kTitle);
    return;
  }
  cx_.st.Editor_Document = *picked;
}

void EditorWindow::save_Click() {
  FileDialogSpec d;
  d.title = "Text selection";
  d.filter = "SU Batch File |*.BAT|Text files|*.txt|All files|*.*|";
  d.name = cx_.st.Editor_Document;
  d.folder = cx_.st.Work_Dir;
  auto picked = cx_.sv.dialogs.save_file(d);
  if (!picked || picked->empty()) return;  // a cancelled dialog writes nothing
  // Written beside the file and renamed over it: a failure keeps the old one.
  Status s = WriteFileAtomic(*picked, EncodePlain(PlainUtf8(), bytes_, crlf_, cr_kept_));
  if (!s) {
    cx_.sv.msg.ok(*picked + " was not saved: " + s.error, MsgIcon::Critical, kTitle);
    return;
  }
  cx_.st.Editor_Document = *picked;
}

void EditorWindow::Print_Click() {
  QTextCursor cur = RichTextBox1->textCursor();
  const bool selection = cur.hasSelection();
  QPrinter printer;
  if (!print_dialog || !print_dialog(printer, selection)) return;
  if (selection) {
    QTextDocument part;
    part.setDefaultFont(RichTextBox1->font());
    QTextCursor(&part).insertFragment(cur.selection());
    part.print(&printer);
  } else {
    RichTextBox1->document()->print(&printer);
  }
}

void EditorWindow::Find_Click() {
  auto answer = cx_.sv.msg.input("Type the text to find", "SU Batch editor", "");
  if (!answer || answer->empty()) return;
  const QString text = RichTextBox1->document()->toRawText();
  const QString needle = Q(*answer);
  QTextCursor cur = RichTextBox1->textCursor();
  // The search starts at the second character after the caret, which sits
  // at the start of the last match: overlapping matches are found in turn.
  const qsizetype from = cur.selectionStart() + 1;
  const qsizetype p = from <= text.size() ? text.indexOf(needle, from, Qt::CaseSensitive) : -1;
  if (p < 0) {
    cx_.beep();
  } else {
    cur.setPosition(static_cast<int>(p));
    cur.setPosition(static_cast<int>(p + needle.size()), QTextCursor::KeepAnchor);
    RichTextBox1->setTextCursor(cur);
  }
  RichTextBox1->setFocus();
}

void EditorWindow::Replacement_Click() {
  auto find = cx_.sv.msg.input("Enter text to be replaced", "", "");
  if (!find) return;
  auto repl = cx_.sv.msg.input("Enter new text ", "", "");
  if (!repl) return;
  std::string text = PlainUtf8();
  Remplace(text, *find, *repl);
  RichTextBox1->setPlainText(Q(text));
}

void EditorWindow::Font_Click() {
  if (!font_dialog) return;
  auto chosen = font_dialog(RichTextBox1->currentFont());
  if (!chosen) return;
  QTextCharFormat fmt;
  fmt.setFont(*chosen);
  QTextCursor cur = RichTextBox1->textCursor();
  if (cur.hasSelection())
    cur.mergeCharFormat(fmt);
  else
    RichTextBox1->mergeCurrentCharFormat(fmt);
}

void EditorWindow::Toolbar1_ButtonClick(const std::string& key) {
  if (key == "open") open_Click();
  if (key == "save") save_Click();
  if (key == "print") Print_Click();
  if (key == "stop") close();
}

}  // namespace keld::conversion
