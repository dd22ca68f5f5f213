// The ASCII exports run from the start window and the SU joining window,
// driven as a user would: boxes answered, dialogs chosen or cancelled.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>

#include <iterator>
#include <tuple>

#include <sys/stat.h>

#include "common/files.hpp"
#include "common/su_file.hpp"
#include "common/testing/file_rights.hpp"
#include "conversion/shell/add_su_window.hpp"
#include "conversion/tests/conversion_fixture.hpp"

using namespace keld;
using namespace keld::conversion;
using namespace keld::conversion::testing;
using keld::testing::TempDir;

namespace {
std::string WriteSu(const std::string& path, int traces, float base) {
  std::vector<SuTrace> v(static_cast<size_t>(traces));
  for (int i = 0; i < traces; ++i) {
    v[static_cast<size_t>(i)].header.tracf = i + 1;
    v[static_cast<size_t>(i)].header.ns = 8;
    v[static_cast<size_t>(i)].samples.assign(8, base + static_cast<float>(i));
  }
  EXPECT_TRUE(WriteSuFile(path, v));
  return path;
}
}  // namespace

TEST(Exports, PerChannelFromTheStartWindow) {
  TempDir d;
  ConversionHarness h(d.path());
  const std::string su = WriteSu(d / "LINE1.SU", 12, 0.5f);
  h.dialogs.files.push_back(su);
  h.messages.type("3");
  h.messages.type("5");
  h.Choose(8);
  EXPECT_EQ(h.messages.last().text, "Conversion OK");
  EXPECT_EQ(h.messages.shown[1].default_text, "1");
  EXPECT_EQ(h.messages.shown[2].default_text, " 12");  // the channel count found
  EXPECT_EQ(keld::testing::ReadText(d / "LINE1.01").substr(0, 16), "2.50000000E+00\r\n");
  EXPECT_TRUE(Existe_file(d / "LINE1.03"));
  EXPECT_FALSE(Existe_file(d / "LINE1.04"));
  // Channel 1 goes through a link, channel 2 cannot take its name (a folder
  // holds it): the link stays, and its file gets its old contents back.
  std::filesystem::create_directory(d / "real");
  keld::testing::WriteText(d / "real/one", "old channel");
  std::filesystem::remove(d / "LINE1.01");
  std::filesystem::create_symlink("real/one", d / "LINE1.01");
  std::filesystem::remove(d / "LINE1.02");
  std::filesystem::create_directory(d / "LINE1.02");
  h.dialogs.files.push_back(su);
  h.messages.type("1");
  h.messages.type("2");
  h.Choose(8);
  EXPECT_NE(h.messages.last().text.find("no file written"), std::string::npos) << h.messages.last().text;
  EXPECT_TRUE(std::filesystem::is_symlink(d / "LINE1.01"));
  EXPECT_EQ(keld::testing::ReadText(d / "real/one"), "old channel");
  for (const std::string& folder : {d.path(), d / "real"})
    for (const auto& e : std::filesystem::directory_iterator(folder))
      EXPECT_NE(e.path().filename().string()[0], '.') << "left behind: " << e.path();
  // First beyond last, and a cancelled box: a message, never "Conversion OK".
  for (auto answers : {std::vector<std::optional<std::string>>{"5", "3"}, {std::nullopt}}) {
    h.messages.clear();
    h.dialogs.files.push_back(su);
    for (auto& a : answers) h.messages.type(a);
    h.Choose(8);
    EXPECT_FALSE(h.messages.saw("Conversion OK"));
    EXPECT_EQ(h.messages.last().title, kTitle);
  }
  // A cancelled dialog: nothing read, nothing written.
  h.messages.clear();
  h.dialogs.files.push_back(std::nullopt);
  h.Choose(8);
  EXPECT_EQ(h.messages.last().text, "Export abandoned: no file written");
}

TEST(Exports, ColumnsAskBeforeReplacingTheHistoryFile) {
  TempDir d;
  ConversionHarness h(d.path());
  const std::string su = WriteSu(d / "LINE1.SU", 5, 1.0f);
  keld::testing::WriteText(d / "LINE1.txt", "history");
  h.dialogs.files.push_back(su);
  h.messages.type("1");
  h.messages.type("0");
  h.messages.answer(MsgAnswer::Yes);  // continue
  h.messages.answer(MsgAnswer::No);   // do not replace
  h.Choose(24);
  EXPECT_EQ(keld::testing::ReadText(d / "LINE1.txt"), "history");
  h.dialogs.files.push_back(su);
  h.messages.type("4");
  h.messages.type("2");
  h.messages.answer(MsgAnswer::Yes);
  h.messages.answer(MsgAnswer::Yes);
  h.Choose(24);
  EXPECT_EQ(h.messages.last().text, d / "LINE1.txt" + " has been recorded");
  EXPECT_EQ(keld::testing::ReadText(d / "LINE1.txt").substr(0, 47),
            "2.00000000E+00,3.00000000E+00,4.00000000E+00,\r\n");
}

TEST(Join, ThreeFilesJoinedAndDeletedOnlyWhenSafe) {
  TempDir d;
  ConversionHarness h(d.path());
  h.Choose(20);
  auto* w = qobject_cast<AddSuWindow*>(h.window->Opened("Option20"));
  ASSERT_TRUE(w);
  EXPECT_EQ(w->windowTitle(), "Add Seismic Unix files");
  std::vector<std::string> files;
  std::vector<unsigned char> all;
  for (int k = 0; k < 3; ++k) {
    files.push_back(WriteSu(d / ("S" + std::to_string(k) + ".su"), 4 + k, 10.0f * k));
    auto b = keld::testing::ReadBytes(files.back());
    all.insert(all.end(), b.begin(), b.end());
  }
  // An output folder that cannot be written (here a file stands where the
  // folder should be, which stops root as well): reported, nothing deleted.
  const std::string locked = d / "locked";
  keld::testing::WriteText(locked, "not a folder");
  h.dialogs.multi.push_back(files);
  w->Command1->click();
  EXPECT_EQ(w->List1->count(), 3);
  EXPECT_EQ(w->Text2->text().toStdString(), d / "data_raw.su");
  EXPECT_EQ(w->Text4->text(), "8");
  EXPECT_EQ(w->Text5->text(), "4");
  w->Check1->setChecked(true);
  w->Text2->setText(QString::fromStdString(locked + "/out.su"));
  w->Command2->click();
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Critical);
  for (const auto& f : files) EXPECT_TRUE(Existe_file(f));
  // The output is one of the inputs.
  w->Text2->setText(QString::fromStdString(files[1]));
  w->Command2->click();
  EXPECT_EQ(h.messages.last().text, "Same Input / Output");
  // An existing output kept when "Erase" is answered No.
  keld::testing::WriteText(d / "data_raw.su", "old");
  w->Text2->setText(QString::fromStdString(d / "data_raw.su"));
  h.messages.answer(MsgAnswer::Yes);
  h.messages.answer(MsgAnswer::No);
  w->Command2->click();
  EXPECT_EQ(keld::testing::ReadText(d / "data_raw.su"), "old");
  h.messages.answer(MsgAnswer::Yes);
  h.messages.answer(MsgAnswer::Yes);
  w->Command2->click();
  EXPECT_EQ(keld::testing::ReadBytes(d / "data_raw.su"), all);
  for (const auto& f : files) EXPECT_FALSE(Existe_file(f));
  EXPECT_EQ(h.messages.last().text, d / "data_raw.su" + " has been recorded OK size: " + std::to_string(all.size()));
}

TEST(Join, InputsLeftOutAreToldFirstAndNeverReplaceAnOldOutput) {
  TempDir d;
  ConversionHarness h(d.path());
  h.Choose(20);
  auto* w = qobject_cast<AddSuWindow*>(h.window->Opened("Option20"));
  ASSERT_TRUE(w);
  std::vector<std::string> files;
  for (int k = 0; k < 3; ++k) files.push_back(WriteSu(d / ("S" + std::to_string(k) + ".su"), 2, 1.0f));
  files.push_back(keld::testing::WriteLengthChangeFiles(d.path())[0]);  // read, and refused
  h.dialogs.multi.push_back(files);
  w->Command1->click();
  std::filesystem::remove(files[1]);  // gone since the pick
  const std::string out = d / "data_raw.su", left_out = "Not added (could not be read):\n" + files[1] +
                                                        "\nNot added (refused):\n" + files[3] + " (" +
                                                        keld::testing::kThirdTraceInFile + ")\n";
  keld::testing::WriteText(out, "old");
  h.messages.answer(MsgAnswer::Yes);
  h.messages.answer(MsgAnswer::Yes);
  w->Command2->click();
  EXPECT_EQ(keld::testing::ReadText(out), "old");
  EXPECT_EQ(h.messages.last().text, left_out + out + " kept as it was: the new file lacks them and was not written");
}

TEST(Join, ASelectionPast99FilesSaysWhatItLeftOutAndIsNeverOk) {
  TempDir d;
  ConversionHarness h(d.path());
  h.Choose(20);
  auto* w = qobject_cast<AddSuWindow*>(h.window->Opened("Option20"));
  ASSERT_TRUE(w);
  std::vector<std::string> files;
  for (int k = 1; k <= 101; ++k) files.push_back(WriteSu(d / ("S" + std::to_string(k) + ".su"), 1, 1.0f));
  const std::string said = "Files 100 to 101 left out: at most 99 are taken";
  h.dialogs.multi.push_back(files);
  w->Command1->click();
  EXPECT_EQ(h.messages.texts(), std::vector<std::string>{said});
  EXPECT_EQ(w->List1->count(), 99);
  EXPECT_EQ(w->Text3->text(), "99");
  w->Command2->click();
  // 99 traces of 240 + 4 x 8 bytes.
  EXPECT_EQ(h.messages.last().text, said + "\n" + d / "data_raw.su" + " has been recorded without them, size: 26928");
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Exclamation);
}

// A file whose third trace is shorter: the export stops there and writes no
// channel, the join leaves the file out with that reason.
TEST(Exports, ATraceOfAnotherLengthStopsTheExportAndIsLeftOutOfTheJoin) {
  TempDir d;
  ConversionHarness h(d.path());
  const std::string good = WriteSu(d / "good.su", 3, 1.0f), out = d / "data_raw.su";
  h.Choose(20);
  auto* w = qobject_cast<AddSuWindow*>(h.window->Opened("Option20"));
  ASSERT_TRUE(w);
  for (const std::string& bad : keld::testing::WriteLengthChangeFiles(d.path())) {
    SCOPED_TRACE(bad);
    const std::string said = std::string(keld::testing::kThirdTraceInFile), channel = bad.substr(0, bad.size() - 2) + "01";
    keld::testing::WriteText(channel, "old channel");
    h.messages.clear();
    h.dialogs.files.push_back(bad);
    h.messages.type("1");
    h.messages.type("4");
    h.Choose(8);
    EXPECT_EQ(h.messages.last().text, bad + ": " + said);
    EXPECT_FALSE(h.messages.saw("Conversion OK"));
    EXPECT_EQ(keld::testing::ReadText(channel), "old channel");
    std::filesystem::remove(out);
    h.dialogs.multi.push_back(std::vector<std::string>{good, bad});
    w->Command1->click();
    w->Command2->click();
    EXPECT_EQ(h.messages.last().text, "Not added (refused):\n" + bad + " (" + said + ")\n" + out +
                                          " has been recorded without them, size: 816");
    EXPECT_EQ(keld::testing::ReadBytes(out), keld::testing::ReadBytes(good));
  }
}

// Both exports check every trace up to the last one asked, naming the first
// that differs, and name an output they cannot write once, as the user gave
// it (a link, not its file). Nothing is written.
TEST(Exports, BothCheckEveryTraceUpToTheLastAskedAndNameWhatCannotBeWritten) {
  namespace fs = std::filesystem;
  enum Out { Free, LinkToPipe, LinkIntoReadOnlyFolder };
  const std::vector<int> eight = {100, 100, 20, 20, 20, 20, 100, 100}, five = {100, 100, 50, 150, 100},
                         two = {100, 100};
  const std::string fixed = ": not an SU file of fixed trace length (trace 3 has ";
  const std::tuple<std::vector<int>, const char*, const char*, Out, std::string> rows[] = {
      {eight, "5", "6", Free, fixed + "20 samples, the first trace 100)"},
      {five, "4", "5", Free, fixed + "50 samples, the first trace 100)"},
      {two, "1", "2", LinkToPipe, ": not a regular file"},
      {two, "1", "2", LinkIntoReadOnlyFolder, ": Permission denied"}};
  TempDir d;
  int k = 0;
  for (const auto& [lengths, first, last, out, said] : rows)
    for (const int option : {8, 24}) {  // one file per channel, columns
      const std::string folder = d / std::to_string(++k), su = folder + "/LINE1.SU";
      const std::string name = option == 8 ? "LINE1.01" : "LINE1.txt", output = folder + "/" + name;
      SCOPED_TRACE(output);
      fs::create_directories(folder + "/ro");
      keld::testing::WriteText(su, keld::testing::SuOfLengths(lengths));
      const bool linked = out == LinkToPipe || out == LinkIntoReadOnlyFolder;
      ASSERT_TRUE(out != LinkToPipe || ::mkfifo((folder + "/pipe").c_str(), 0644) == 0);
      if (linked) fs::create_symlink(out == LinkToPipe ? "pipe" : "ro/" + name, output);
      fs::permissions(folder + "/ro", fs::perms(0555));
      keld::testing::WithoutFileOverride rights;  // root passes the folder's mode
      ConversionHarness h(d.path());
      h.dialogs.files.push_back(su);
      h.messages.type(first);
      h.messages.type(last);
      h.Choose(option);
      const std::string end = option == 8 && out != Free ? "; no file written" : "";
      EXPECT_EQ(h.messages.last().text, (out == Free ? su : "Cannot write " + output) + said + end);
      // The SU file, ro/ (empty), and the link and the pipe (still one) where they were.
      EXPECT_EQ(std::distance(fs::recursive_directory_iterator(folder), {}), 2 + linked + (out == LinkToPipe));
      EXPECT_TRUE(out != LinkToPipe || fs::is_fifo(folder + "/pipe"));
    }
}
