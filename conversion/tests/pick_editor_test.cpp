// The header-word viewer and the text editor driven by their control names:
// words of real SU and SEG-Y files against segyio, the Other mode, and the
// editor's open, find, replace, print to PDF and save.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPrinter>
#include <QTextEdit>
#include <QToolBar>

#include "common/files.hpp"
#include "conversion/shell/editor_window.hpp"
#include "conversion/shell/pick_window.hpp"
#include "conversion/tests/conversion_fixture.hpp"

using namespace keld;
using namespace keld::conversion;
using namespace keld::conversion::testing;
using keld::testing::TempDir;

namespace {
struct PickTest : ::testing::Test {
  TempDir d;
  ConversionHarness h{d.path()};
  PickWindow* w = nullptr;
  void SetUp() override {
    h.window->Command4->click();
    w = qobject_cast<PickWindow*>(h.window->Opened("Command4"));
    ASSERT_TRUE(w);
  }
  void Go(const std::string& file, int word, bool segy, bool swap) {
    w->Text1->setText(QString::fromStdString(file));
    (segy ? w->Option2 : w->Option1)->click();
    w->Combo1->setCurrentIndex(word - 1);
    w->Check1->setChecked(swap);
    w->Command2->click();
  }
  // segyio's value of a trace-header field of the first trace (or "" without it).
  std::string Segyio(const std::string& file, const char* field, bool su) {
    std::string out;
    std::string open = su ? "segyio.su.open(sys.argv[1],endian=\"little\",ignore_geometry=True)"
                          : "segyio.open(sys.argv[1],ignore_geometry=True)";
    int rc = keld::testing::RunCommand("/usr/bin/python3 -c 'import segyio,sys\nf=" + open +
                                           "\nprint(f.header[0][segyio.TraceField." + field + "])' " +
                                           keld::testing::ShellQuote(file),
                                       &out, false);
    if (rc != 0) return "";
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }
};
std::string Blank(const std::string& v) { return v.empty() || v[0] == '-' ? v : " " + v; }
}  // namespace

TEST_F(PickTest, TheWindowAtStart) {
  EXPECT_EQ(w->windowTitle(), "Pick any header word");
  EXPECT_EQ(w->Combo1->count(), 79);
  EXPECT_EQ(w->Combo1->currentText(), "39  Number of samples in this trace.");
  EXPECT_TRUE(w->Option1->isChecked());
  EXPECT_TRUE(w->Option4->isChecked());
  EXPECT_FALSE(w->Frame2->isEnabled());
  EXPECT_TRUE(w->Text2->isReadOnly());
  EXPECT_EQ(w->Text2->text(), "0");
  w->Option3->click();
  EXPECT_TRUE(w->Frame2->isEnabled());
  EXPECT_FALSE(w->Combo1->isEnabled());
  EXPECT_FALSE(w->Text2->isReadOnly());
  w->Command3->click();
  EXPECT_EQ(h.messages.last().text.rfind("How to use this module ? \r\n", 0), 0u);
}

TEST_F(PickTest, WordsOfRealFilesAgreeWithSegyio) {
  KELD_REQUIRE_TESTDATA(su, "su");
  KELD_REQUIRE_TESTDATA(segy, "segy");
  struct Case {
    std::string file;
    int word;
    const char* field;
    bool segy, swap;
    const char* position;
  } cases[] = {
      {su + "/su_sub_i386-segy.sample.su", 39, "TRACE_SAMPLE_COUNT", false, false, " 115"},
      {su + "/su_sub_i386-segy.sample.su", 12, "offset", false, false, " 37"},
      {su + "/su_sub_i386-stly.su", 21, "SourceGroupScalar", false, false, " 71"},
      {su + "/su_demos_shots_static_nmo_w_le.su", 3, "FieldRecord", false, false, " 9"},
      {segy + "/sedaman_ibm.sgy", 39, "TRACE_SAMPLE_COUNT", true, true, " 3715"},
      {segy + "/sedaman_ibm.sgy", 40, "TRACE_SAMPLE_INTERVAL", true, true, " 3717"},
      {segy + "/su_demos_junk.sgy", 39, "TRACE_SAMPLE_COUNT", true, true, " 3715"},
  };
  for (const auto& c : cases) {
    Go(c.file, c.word, c.segy, c.swap);
    EXPECT_EQ(w->Text2->text().toStdString(), c.position) << c.file;
    const std::string want = Segyio(c.file, c.field, !c.segy);
    if (want.empty()) GTEST_SKIP() << "segyio is not available";
    EXPECT_EQ(w->Text3->text().toStdString(), Blank(want)) << c.file << " word " << c.word;
  }
  EXPECT_TRUE(w->Option4->isChecked());
  Go(su + "/su_sub_i386-segy.sample.su", 1, false, true);
  EXPECT_EQ(h.messages.last().text, "Not available");
  EXPECT_TRUE(w->Option5->isChecked());
  EXPECT_EQ(w->Text3->text().toStdString(), Blank(Segyio(su + "/su_sub_i386-segy.sample.su", "TRACE_SEQUENCE_LINE", true)));
  const QString shown = w->Text3->text();
  Go(su + "/su_sub_i386-segy.sample.su", 72, false, false);
  EXPECT_EQ(h.messages.last().text, "Not possible");
  EXPECT_EQ(w->Text3->text(), shown);
}

TEST_F(PickTest, OtherModeReadsATypedPositionInsideTheFile) {
  std::string bytes(16, '\0');
  bytes[1] = 0x10;  // position 1: short 4096 (00 10); position 2: 16 (10 00)
  const float half = 0.5f;
  std::memcpy(&bytes[4], &half, 4);  // position 5
  keld::testing::WriteText(d / "v.bin", bytes);
  w->Text1->setText(QString::fromStdString(d / "v.bin"));
  w->Option3->click();
  struct {
    const char* pos;
    QRadioButton* type;
    const char* want;
  } cases[] = {{"2.5", w->Option4, " 16"}, {"1", w->Option4, " 4096"}, {"3.5", w->Option4, " 0"}, {"5", w->Option7, " .5"},
               {"5", w->Option5, " 1056964608"}, {"1", w->Option6, ""}};
  for (auto c : cases) {
    w->Text2->setText(c.pos);
    c.type->click();
    w->Command2->click();
    EXPECT_EQ(w->Text3->text().toStdString(), c.want) << c.pos;
  }
  h.messages.clear();
  w->Text2->setText("15");
  w->Option5->click();
  w->Command2->click();
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Critical);  // runs past the end
  h.messages.clear();
  w->Text1->setText("abc");
  w->Command2->click();
  EXPECT_TRUE(h.messages.shown.empty());  // a name of 3 characters: nothing
}

namespace {
struct EditorTest : ::testing::Test {
  TempDir d;
  ConversionHarness h{d.path()};
  EditorWindow* Open(const std::string& doc) {
    h.state.Editor_Document = doc;
    h.window->context().show("Editor");
    return qobject_cast<EditorWindow*>(h.window->Opened("Editor"));
  }
};
}  // namespace

TEST_F(EditorTest, MissingDocumentAndTheViewersEditButton) {
  EditorWindow* e = Open(d / "none.txt");
  ASSERT_TRUE(e);
  EXPECT_EQ(h.messages.last().text, d / "none.txt" + " file does not exists ");
  EXPECT_TRUE(e->RichTextBox1->toPlainText().isEmpty());
  EXPECT_TRUE(e->windowTitle().endsWith(QString::fromStdString("text editor: " + d / "none.txt")));
  EXPECT_EQ(e->Toolbar1->findChild<QAction*>("stop")->toolTip(), "Exit file editor");
  e->Toolbar1_ButtonClick("stop");
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  // "Edit File" of the viewer opens the file it shows.
  keld::testing::WriteText(d / "LINE1.txt", "sunmo vnmo=1500\n");
  h.window->Command4->click();
  auto* pick = qobject_cast<PickWindow*>(h.window->Opened("Command4"));
  pick->Text1->setText(QString::fromStdString(d / "LINE1.txt"));
  pick->Command4->click();
  auto* e2 = qobject_cast<EditorWindow*>(h.window->Opened("Editor"));
  ASSERT_TRUE(e2);
  EXPECT_EQ(e2->RichTextBox1->toPlainText(), "sunmo vnmo=1500\n");
}

TEST_F(EditorTest, FindGoesToOverlappingMatchesInTurn) {
  const std::string doc = d / "aa.txt";
  keld::testing::WriteText(doc, "xaaaa");
  EditorWindow* e = Open(doc);
  ASSERT_TRUE(e);
  std::vector<int> found;
  for (int k = 0; k < 4; ++k) {
    h.messages.type("aa");
    e->Find->trigger();
    found.push_back(e->RichTextBox1->textCursor().selectionStart());
  }
  EXPECT_EQ(found, (std::vector<int>{1, 2, 3, 3}));  // the fourth finds nothing
  EXPECT_EQ(h.beeps, 1);
}

TEST_F(EditorTest, FindReplaceSaveAndPrint) {
  const std::string doc = d / "LINE1.txt";
  keld::testing::WriteText(doc, "a velocity then velocity\r\nend velocity\r\n");
  EditorWindow* e = Open(doc);
  ASSERT_TRUE(e);
  std::vector<int> found;
  for (int k = 0; k < 4; ++k) {
    h.messages.type("velocity");
    e->Find->trigger();
    auto c = e->RichTextBox1->textCursor();
    found.push_back(c.hasSelection() ? c.selectionStart() : -1);
  }
  EXPECT_EQ(found, (std::vector<int>{2, 16, 29, 29}));
  EXPECT_EQ(h.beeps, 1);  // the last search finds nothing and never wraps
  h.messages.type("velocity");
  h.messages.type("v");
  e->Replacement->trigger();
  EXPECT_EQ(e->RichTextBox1->toPlainText(), "a v then v\nend v\n");
  // Print to a PDF file; pdftotext finds the text.
  e->print_dialog = [&](QPrinter& p, bool) {
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(QString::fromStdString(d / "out.pdf"));
    return true;
  };
  e->Print->trigger();
  std::string text;
  if (keld::testing::RunCommand("pdftotext " + keld::testing::ShellQuote(d / "out.pdf") + " -", &text) == 0) {
    EXPECT_NE(text.find("a v then v"), std::string::npos) << text;
  }
  // Print selection prints only it.
  auto c = e->RichTextBox1->textCursor();
  c.setPosition(11);
  c.setPosition(16, QTextCursor::KeepAnchor);
  e->RichTextBox1->setTextCursor(c);
  e->Print->trigger();
  if (keld::testing::RunCommand("pdftotext " + keld::testing::ShellQuote(d / "out.pdf") + " -", &text) == 0) {
    EXPECT_NE(text.find("end v"), std::string::npos);
    EXPECT_EQ(text.find("then"), std::string::npos);
  }
  // A cancelled save writes nothing; a save keeps the document's CR LF.
  h.dialogs.files.push_back(std::nullopt);
  e->save->trigger();
  EXPECT_EQ(keld::testing::ReadText(doc), "a velocity then velocity\r\nend velocity\r\n");
  h.dialogs.files.push_back(doc);
  e->Toolbar1_ButtonClick("save");
  EXPECT_EQ(keld::testing::ReadText(doc), "a v then v\r\nend v\r\n");
  // A folder that cannot be written: the old file stays and the box says why.
  h.dialogs.files.push_back("/proc/version");
  const std::string before = keld::testing::ReadText("/proc/version");
  e->save->trigger();
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Critical);
  EXPECT_NE(h.messages.last().text.find("was not saved"), std::string::npos);
  EXPECT_EQ(keld::testing::ReadText("/proc/version"), before);
  EXPECT_EQ(h.state.Editor_Document, doc);
}

TEST_F(EditorTest, RichTextAndBytesSurviveTheEditor) {
  keld::testing::WriteText(d / "seg.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 How to {\\b convert}\\par SEG-Y}");
  EditorWindow* e = Open(d / "seg.rtf");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->RichTextBox1->toPlainText(), "How to convert\nSEG-Y");
  auto c = e->RichTextBox1->textCursor();
  c.setPosition(9);
  EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
  h.dialogs.files.push_back(d / "seg.txt");
  e->save->trigger();
  EXPECT_EQ(keld::testing::ReadText(d / "seg.txt"), "How to convert\nSEG-Y");  // saved without formatting
  e->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  // Bytes that are not UTF-8, control characters, no-break spaces: unchanged.
  std::string odd;
  for (int b = 0; b < 256; ++b) odd += static_cast<char>(b);
  odd += "\nend\n";
  keld::testing::WriteText(d / "odd.bat", odd);
  EditorWindow* e2 = Open(d / "odd.bat");
  h.dialogs.files.push_back(d / "odd.bat");
  e2->save->trigger();
  auto back = keld::testing::ReadText(d / "odd.bat");
  EXPECT_EQ(back.size(), odd.size());
  EXPECT_EQ(back, odd);
}
