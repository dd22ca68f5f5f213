// The spreadsheet transfer, driven from the main window with the fake
// spreadsheet in place of the user: the cells handed out, a sheet re-saved by
// Gnumeric written back (and read by segyio), and every refusal that leaves
// the SU file as it was.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include "common/testing/file_rights.hpp"
#include "common/testing/testsupport.hpp"
#include "keysheet/core/sheet_transfer.hpp"
#include "keysheet/window/tests/keysheet_fixture.hpp"
#include "platform/sheet/ods.hpp"
#include "platform/sheet/testing/workbook.hpp"

using namespace keld;
using namespace keld::keysheet;
using namespace keld::keysheet::testing;
namespace kt = keld::testing;

namespace {
bool Have(const char* command) { return kt::RunCommand(std::string(command) + " >/dev/null 2>&1") == 0; }

struct Transfer : ::testing::Test {
  void SetUp() override {
    kt::WriteText(h.dir / "win/Visual_KELD.ini", "[VISUAL_KE]\nDirectory1=" + (h.dir / "prog/") + "\n");
    ASSERT_TRUE(WriteOds(h.dir / "prog/header.ods", kSheetName, DescriptionRow()));
    su = h.su("line7.su", 48, 50);
    copy = h.dir / "data/line7.ods";
    h.start(su);
    before = kt::ReadBytes(su);
  }
  // Spreadsheet editor, words 1 and 86, traces 1 to 3.
  void Choose1And86() {
    Excelf& w = *h.window;
    w.Option1->click();
    w.Check1->click();
    w.Combo1_Click(0);
    w.Combo1_Click(85);
    Type(w.Text2, "1");
    Type(w.Text3, "3");
  }
  // Plays a user who changes cells and saves through Gnumeric.
  void EditWithGnumeric(std::function<void(Sheet&)> edit) {
    h.sheets.user = [this, edit](const std::string& path) {
      auto s = ReadOds(path, kSheetName, *SheetLimits(48));
      ASSERT_TRUE(s) << s.error();
      edit(s.value());
      ASSERT_TRUE(WriteOds(h.dir / "edited.ods", kSheetName, s.value()));
      ASSERT_EQ(kt::RunCommand("ssconvert " + kt::ShellQuote(h.dir / "edited.ods") + " " + kt::ShellQuote(path) +
                               " 2>/dev/null"),
                0);
    };
  }
  int32_t Word(int64_t trace, int byte, int width) {
    const auto b = kt::ReadBytes(su);
    const size_t at = static_cast<size_t>((trace - 1) * 440 + byte);
    return width == 2 ? static_cast<int16_t>(b[at] | (b[at + 1] << 8))
                      : static_cast<int32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24));
  }
  KeysheetHarness h;
  std::string su, copy;
  std::vector<unsigned char> before;
};
}  // namespace

TEST_F(Transfer, HandsOutTheChosenCellsAndNoKeepsTheFile) {
  Choose1And86();
  Sheet seen;
  h.sheets.user = [&](const std::string& path) { seen = *ReadOds(path, kSheetName, *SheetLimits(48)); };
  h.messages.answer(MsgAnswer::No);
  h.window->Command2->click();
  ASSERT_EQ(h.sheets.shown, std::vector<std::string>{copy});
  EXPECT_EQ(h.messages.last().text, "Save modification and close EXCEL ?");
  EXPECT_EQ(h.messages.last().title, "Header edit");
  EXPECT_EQ(seen.at(1, 86).text, "First break time");
  for (int row = 2; row <= 4; ++row) {
    EXPECT_EQ(seen.at(row, 1).number, row - 1);
    EXPECT_EQ(seen.at(row, 86).number, 0);
    EXPECT_EQ(seen.at(row, 87).number, row - 1);
  }
  EXPECT_EQ(seen.at(2, 39).kind, SheetCell::Kind::Empty);
  EXPECT_EQ(seen.rows(), 4);
  EXPECT_EQ(kt::ReadBytes(su), before);
  EXPECT_TRUE(h.window->Text2->isEnabled());

  if (!Have("command -v ssconvert")) GTEST_SKIP() << "Gnumeric's ssconvert is missing (Debian package gnumeric)";
  std::string out;
  ASSERT_EQ(kt::RunCommand("ssconvert " + kt::ShellQuote(copy) + " " + kt::ShellQuote(h.dir / "c.csv") + " 2>/dev/null"), 0);
  const std::string csv = kt::ReadText(h.dir / "c.csv");
  const std::string commas(84, ',');
  EXPECT_NE(csv.find("\n1," + commas + "0,1\n2," + commas + "0,2\n3," + commas + "0,3\n"), std::string::npos) << csv;
}

TEST_F(Transfer, SheetSavedByGnumericIsWrittenBack) {
  if (!Have("command -v ssconvert")) GTEST_SKIP() << "Gnumeric's ssconvert is missing (Debian package gnumeric)";
  Choose1And86();
  EditWithGnumeric([](Sheet& s) {
    s.set_number(3, 86, -1234);
    s.set_number(4, 1, 77);
  });
  h.window->Command2->click();  // the question is answered Yes
  EXPECT_EQ(h.messages.count("Save modification and close EXCEL ?"), 1);
  EXPECT_EQ(h.messages.shown.size(), 1u) << h.messages.last().text;
  EXPECT_EQ(Word(2, 222, 2), -1234);
  EXPECT_EQ(Word(3, 0, 4), 77);
  EXPECT_EQ(Differences(before, kt::ReadBytes(su)).size(), 3u);  // 2 bytes of -1234, 1 of tracl 3 -> 77

  if (!Have("/usr/bin/python3 -c 'import segyio'")) GTEST_SKIP() << "Debian's python3-segyio is missing";
  std::string out;
  ASSERT_EQ(kt::RunCommand("/usr/bin/python3 -c \"import segyio; f = segyio.su.open('" + su +
                               "', endian='little', ignore_geometry=True); print(f.header[2][segyio.su.tracl])\"",
                           &out, false),
            0);
  EXPECT_EQ(out, "77\n");
}

TEST_F(Transfer, WrongSheetChangesNothingAndSaysWhy) {
  Choose1And86();
  h.sheets.user = [&](const std::string& path) {
    auto s = ReadOds(path, kSheetName, *SheetLimits(48));
    s.value().set_text(3, 86, "twelve");
    s.value().set_number(2, 1, 5);
    WriteOds(path, kSheetName, s.value());
  };
  h.window->Command2->click();
  EXPECT_NE(h.messages.last().text.find("cell CH3 "), std::string::npos) << h.messages.last().text;
  EXPECT_EQ(kt::ReadBytes(su), before);

  // A folder that takes no new file, though the file in it is writable: the
  // hand-out's copy, then the write-back, are refused naming the folder.
  namespace fs = std::filesystem;
  const std::string folder = h.dir / "data";
  kt::WithoutFileOverride as_a_user;
  ASSERT_TRUE(as_a_user.ok());
  const auto closed = fs::perms::owner_read | fs::perms::owner_exec;
  fs::permissions(folder, closed);
  h.window->Command2->click();
  EXPECT_EQ(h.messages.last().text, "Cannot write " + copy + ": the folder " + folder +
                                        " cannot be written (Permission denied). " + su + " is as it was.");
  fs::permissions(folder, fs::perms::owner_all);
  h.sheets.user = [&](const std::string&) { fs::permissions(folder, closed); };
  h.window->Command2->click();
  EXPECT_EQ(h.messages.last().text, "Nothing was written, " + su + " is as it was: the folder " + folder +
                                        " cannot be written (Permission denied); the changed copy is made there "
                                        "before it takes the file's place.");
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_EQ(kt::ReadBytes(su), before);
}

TEST_F(Transfer, NoProgramExistingCopyAndMissingTemplate) {
  Choose1And86();
  h.sheets.present = false;
  h.window->Command2->click();
  EXPECT_NE(h.messages.last().text.find("No spreadsheet program"), std::string::npos);
  EXPECT_EQ(h.messages.count("Save modification and close EXCEL ?"), 0);
  EXPECT_EQ(kt::ReadBytes(su), before);

  // The copy is there now: No keeps it and stops.
  h.sheets.present = true;
  const auto copy_before = kt::ReadBytes(copy);
  h.messages.clear();
  h.messages.answer(MsgAnswer::No);
  h.window->Command2->click();
  EXPECT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().text, copy + " already exists and will be erased");
  EXPECT_EQ(h.messages.last().buttons, MsgButtons::YesNo);
  EXPECT_EQ(h.sheets.shown.size(), 1u);
  EXPECT_EQ(kt::ReadBytes(copy), copy_before);

  std::filesystem::remove(h.dir / "prog/header.ods");
  h.window->Command2->click();
  EXPECT_EQ(h.messages.last().text, "You must have HEADER.XLS in your KELD\\BIN Folder");
}

TEST_F(Transfer, UnchangedSheetWithAllWordsLeavesTheFileByteIdentical) {
  Excelf& w = *h.window;
  w.Option1->click();  // All ticked: words 1 to 80
  w.Combo1_Click(85);
  h.window->Command2->click();
  EXPECT_EQ(h.messages.shown.size(), 1u) << h.messages.last().text;
  EXPECT_EQ(h.st.Mot_choisi[80], 1);
  EXPECT_EQ(h.st.Mot_choisi[81], 0);
  EXPECT_EQ(kt::ReadBytes(su), before);
  auto s = ReadOds(copy, kSheetName, *SheetLimits(48));
  ASSERT_TRUE(s);
  EXPECT_EQ(s->rows(), 49);
  EXPECT_EQ(s->at(49, 39).number, 50);
}

TEST_F(Transfer, SheetWithValuesFarBelowIsRefusedBeforeAnythingIsAllocated) {
  Choose1And86();  // a sheet of 4 rows
  // A few hundred bytes claiming every cell of a worksheet's last column, and
  // column CH filled to the bottom of the worksheet.
  const std::string value = "<table:table-cell office:value-type=\"float\" office:value=\"7\"/>";
  const struct {
    std::string row;
    const char* cell;
  } sheets[] = {
      {"<table:table-row table:number-rows-repeated=\"1048576\"><table:table-cell "
       "table:number-columns-repeated=\"16383\"/>" + value + "</table:table-row>", "XFD1"},
      {"<table:table-row table:number-rows-repeated=\"1048576\"><table:table-cell "
       "table:number-columns-repeated=\"85\"/>" + value + "</table:table-row>", "CH5"},
  };
  for (const auto& s : sheets) {
    h.sheets.user = [&](const std::string& path) {
      ASSERT_TRUE(kt::WriteWorkbook(path, kt::ContentXml("<table:table table:name=\"Feuil1\">" + s.row + "</table:table>")));
    };
    h.messages.clear();
    h.window->Command2->click();
    EXPECT_EQ(h.messages.last().text, "Nothing was written: " + copy + ": the worksheet Feuil1 holds a value in cell " +
                                          s.cell + ", outside rows 1 to 4 and columns A to CI where its values may lie.");
    EXPECT_EQ(kt::ReadBytes(su), before);
  }
}

TEST_F(Transfer, TheFileInTheBoxIsReadAndWrittenWithItsOwnSampleCount) {
  const std::string other = h.su("b.su", 10, 200);
  const auto other_before = kt::ReadBytes(other);
  Choose1And86();
  h.window->Text1->setText(QString::fromStdString(other));  // typed over the file opened (ns 50)
  Sheet seen;
  h.sheets.user = [&](const std::string& path) {
    seen = *ReadOds(path, kSheetName, *SheetLimits(3));
    Sheet edited = seen;
    edited.set_number(3, 86, 321);
    ASSERT_TRUE(WriteOds(path, kSheetName, edited));
  };
  h.window->Command2->click();
  EXPECT_EQ(h.messages.shown.size(), 1u) << h.messages.last().text;
  for (int row = 2; row <= 4; ++row) EXPECT_EQ(seen.at(row, 1).number, row - 1);
  // Word 86 (bytes 222-223) of trace 2 of a file of 200 samples.
  const auto after = kt::ReadBytes(other);
  EXPECT_EQ(Differences(other_before, after), (std::vector<size_t>{1040 + 222, 1040 + 223}));
  EXPECT_EQ(after[1040 + 222] | (after[1040 + 223] << 8), 321);
  EXPECT_EQ(kt::ReadBytes(su), before);
}

// A file whose third trace is shorter: a range over it is not handed out,
// and a sheet of the traces before it is not written back, since the copy
// meets it; the file stays as it was.
TEST_F(Transfer, AFileWhoseTraceLengthChangesIsNeitherHandedOutNorWritten) {
  for (const std::string& bad : kt::WriteLengthChangeFiles(h.dir / "data")) {
    SCOPED_TRACE(bad);
    const auto bad_before = kt::ReadBytes(bad);
    const std::string said = kt::kThirdTraceInFile;
    Choose1And86();
    h.window->Text1->setText(QString::fromStdString(bad));
    h.sheets.shown.clear();
    h.window->Command2->click();
    EXPECT_EQ(h.messages.last().text, bad + ": " + said);
    EXPECT_TRUE(h.sheets.shown.empty());
    Type(h.window->Text3, "2");
    h.sheets.user = [&](const std::string& path) {
      auto s = ReadOds(path, kSheetName, *SheetLimits(2));
      ASSERT_TRUE(s) << s.error();
      s.value().set_number(3, 86, 321);
      ASSERT_TRUE(WriteOds(path, kSheetName, s.value()));
    };
    h.window->Command2->click();
    EXPECT_EQ(h.sheets.shown.size(), 1u);
    EXPECT_EQ(h.messages.last().text, "Nothing was written, " + bad + " is as it was: " + said);
    // A range after the short trace: the traces before it are read too, and
    // trace 3 is named, not a count read from inside its samples.
    Type(h.window->Text2, "4");
    Type(h.window->Text3, "5");
    h.window->Command2->click();
    EXPECT_EQ(h.messages.last().text, bad + ": " + said);
    Type(h.window->Text2, "1");
    EXPECT_EQ(kt::ReadBytes(bad), bad_before);
  }
}
