#include "korvan/engine/su_join.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"
#include "korvan/engine/tests/segy_test_files.hpp"

namespace keld::korvan {
namespace {

namespace fs = std::filesystem;
using keld::testing::ReadText;
using keld::testing::TempDir;
using keld::testing::WriteText;

TEST(SplitDialogResult, PiecesAtBlanks) {
  EXPECT_EQ(SplitDialogResult("/data A.SU B.SU C.SU"), (std::vector<std::string>{"/data", "A.SU", "B.SU", "C.SU"}));
  EXPECT_EQ(SplitDialogResult("/data/A.SU"), (std::vector<std::string>{"/data/A.SU"}));
  EXPECT_EQ(SplitDialogResult(""), (std::vector<std::string>{""}));
  EXPECT_EQ(SplitDialogResult("/d  A.SU "), (std::vector<std::string>{"/d", "", "A.SU", ""}));
  std::string many = "/d";
  for (int i = 0; i < 1000; ++i) many += " F" + std::to_string(i);
  auto p = SplitDialogResult(many);
  ASSERT_EQ(p.size(), 900u);  // at most 900 pieces; the rest is ignored
  EXPECT_EQ(p.back(), "F898");
}

class JoinTest : public ::testing::Test {
 protected:
  std::string MakeSu(const std::string& name, int traces, int ns) {
    std::string p = dir / name;
    EXPECT_TRUE(WriteSuFile(p, testfiles::Shot(traces, ns)).ok());
    return p;
  }
  TempDir dir;
};

TEST_F(JoinTest, ThreeFilesPicked) {
  MakeSu("SHOT1001.SU", 24, 1024);
  MakeSu("SHOT1002.SU", 24, 1024);
  MakeSu("SHOT1003.SU", 24, 1024);
  auto r = Affiche_file(dir.path() + " SHOT1001.SU SHOT1002.SU SHOT1003.SU");
  EXPECT_EQ(r.List1, (std::vector<std::string>{dir / "SHOT1001.SU", dir / "SHOT1002.SU", dir / "SHOT1003.SU"}));
  EXPECT_EQ(r.Nb_Fichiers, 3);
  EXPECT_EQ(r.Text2, dir / "SHOT1001_raw.su");
  EXPECT_EQ(r.ns, 1024);
  EXPECT_EQ(r.Nb_Tracce, 24);
  EXPECT_EQ(r.error, "");
  // A second pick replaces the first.
  auto r2 = Affiche_file(dir.path() + " SHOT1003.SU SHOT1002.SU");
  EXPECT_EQ(r2.List1, (std::vector<std::string>{dir / "SHOT1003.SU", dir / "SHOT1002.SU"}));
  EXPECT_EQ(r2.Nb_Fichiers, 2);
  EXPECT_EQ(r2.Text2, dir / "SHOT1003_raw.su");
}

TEST_F(JoinTest, AStoppedJoinWritesAndDeletesNothing) {
  // A file of several pieces: the stop comes within it.
  const std::string a = MakeSu("A.SU", 300, 1024), b = MakeSu("B.SU", 2, 1024);
  WriteText(dir / "out.su", "old");
  int asked = 0;
  auto j = JoinSuFiles({a, b}, dir / "out.su", true, {}, [&] { return ++asked > 1; });
  EXPECT_FALSE(j.ok);
  EXPECT_EQ(j.error, kJoinStopped);
  EXPECT_EQ(ReadText(dir / "out.su"), "old");
  EXPECT_TRUE(fs::exists(a) && fs::exists(b));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3);
}

TEST_F(JoinTest, ASingleFullPathIsOneFile) {
  MakeSu("SHOT1001.SU", 12, 500);
  auto r = Affiche_file(dir / "SHOT1001.SU");
  EXPECT_EQ(r.List1, (std::vector<std::string>{dir / "SHOT1001.SU"}));
  EXPECT_EQ(r.Nb_Fichiers, 1);
  EXPECT_EQ(r.Text2, dir / "SHOT1001_raw.su");
  EXPECT_EQ(r.ns, 500);
  EXPECT_EQ(r.Nb_Tracce, 12);
  // A folder and one name: one file as well.
  auto r1 = Affiche_file(dir.path() + " SHOT1001.SU");
  EXPECT_EQ(r1.List1, r.List1);
  EXPECT_EQ(r1.Nb_Tracce, 12);
}

TEST_F(JoinTest, CancelledDialogListsNothing) {
  auto r = Affiche_file("");
  EXPECT_TRUE(r.List1.empty());
  EXPECT_EQ(r.Nb_Fichiers, 0);
  EXPECT_EQ(r.Text2, "");
  EXPECT_EQ(r.ns, 0);
  EXPECT_EQ(r.Nb_Tracce, 0);
  auto j = JoinSuFiles(r.List1, dir / "out.su", false);
  EXPECT_FALSE(j.ok);
  EXPECT_FALSE(fs::exists(dir / "out.su"));
}

TEST_F(JoinTest, EmptyNamesAreSkipped) {
  MakeSu("A.SU", 2, 100);
  auto r = Affiche_file(dir.path() + "  A.SU ");
  EXPECT_EQ(r.List1, (std::vector<std::string>{dir / "A.SU"}));
}

TEST_F(JoinTest, ShapeOfLongTracesAndPartialFiles) {
  MakeSu("L8192.SU", 3, 8192);
  MakeSu("L10922.SU", 2, 10922);
  auto a = Affiche_file(dir / "L8192.SU");
  EXPECT_EQ(a.ns, 8192);
  EXPECT_EQ(a.Nb_Tracce, 3);
  auto b = Affiche_file(dir / "L10922.SU");
  EXPECT_EQ(b.ns, 10922);
  EXPECT_EQ(b.Nb_Tracce, 2);
  // 2.9 traces long: the whole part, 2.
  std::string s = ReadText(MakeSu("P.SU", 3, 100));
  WriteText(dir / "P.SU", s.substr(0, s.size() - 64));
  EXPECT_EQ(Affiche_file(dir / "P.SU").Nb_Tracce, 2);
}

TEST_F(JoinTest, FirstFileThatIsNotSu) {
  auto r = Affiche_file(dir.path() + " MISSING.SU");
  EXPECT_EQ(r.Nb_Fichiers, 1);
  EXPECT_EQ(r.ns, 0);
  EXPECT_EQ(r.Nb_Tracce, 0);
  EXPECT_NE(r.error, "");
  std::string s = ReadText(MakeSu("Z.SU", 2, 100));
  s[114] = 0;
  s[115] = 0;
  WriteText(dir / "Z.SU", s);
  auto z = Affiche_file(dir / "Z.SU");
  EXPECT_EQ(z.ns, 0);
  EXPECT_EQ(z.Nb_Tracce, 0);
  EXPECT_NE(z.error.find("samples per trace 0"), std::string::npos) << z.error;
}

TEST_F(JoinTest, OutputIsTheInputsOneAfterTheOther) {
  std::vector<std::string> in = {MakeSu("A.SU", 24, 1024), MakeSu("B.SU", 12, 1024), MakeSu("C.SU", 1, 1024)};
  WriteText(dir / "EMPTY.SU", "");
  in.push_back(dir / "EMPTY.SU");
  std::vector<std::pair<int, int>> calls;
  auto r = JoinSuFiles(in, dir / "A_raw.su", false, [&](int i, int n) { calls.emplace_back(i, n); });
  ASSERT_TRUE(r.ok) << r.error;
  const std::string want = ReadText(in[0]) + ReadText(in[1]) + ReadText(in[2]);
  EXPECT_EQ(ReadText(dir / "A_raw.su"), want);
  EXPECT_EQ(r.size, static_cast<int64_t>(want.size()));
  EXPECT_EQ(r.size, 37 * 4336);
  EXPECT_TRUE(r.unreadable.empty());
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{1, 4}, {2, 4}, {3, 4}, {4, 4}}));
  for (auto& f : in) EXPECT_TRUE(fs::exists(f));
  EXPECT_EQ(JoinMessage(r), dir / "A_raw.su" + " has been recorded OK size: 160432");
}

TEST_F(JoinTest, AnExistingOutputIsReplacedNotAppendedTo) {
  std::vector<std::string> in = {MakeSu("A.SU", 2, 100)};
  WriteText(dir / "out.su", "old contents");
  auto r = JoinSuFiles(in, dir / "out.su", false);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(ReadText(dir / "out.su"), ReadText(in[0]));
}

TEST_F(JoinTest, OutputThatIsAnInputIsRefused) {
  std::vector<std::string> in = {MakeSu("A.SU", 2, 100), MakeSu("B.SU", 2, 100)};
  const std::string b = ReadText(in[1]);
  for (std::string out : {dir / "B.SU", dir.path() + "/./B.SU"}) {
    auto r = JoinSuFiles(in, out, true);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Same Input / Output");
  }
  EXPECT_EQ(ReadText(in[1]), b);
  EXPECT_TRUE(fs::exists(in[0]));
  auto e = JoinSuFiles(in, "", true);
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.error, "File name missing");
}

TEST_F(JoinTest, UnreadableInputsAreLeftOutAndNamed) {
  std::vector<std::string> in = {MakeSu("A.SU", 2, 100), dir / "GONE.SU", dir.path(), MakeSu("C.SU", 3, 100)};
  auto r = JoinSuFiles(in, dir / "out.su", true);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.unreadable, (std::vector<std::string>{dir / "GONE.SU", dir.path()}));
  EXPECT_EQ(r.size, 5 * 640);
  EXPECT_EQ(r.deleted, (std::vector<std::string>{dir / "A.SU", dir / "C.SU"}));
  EXPECT_TRUE(r.not_deleted.empty());
  // What was left out comes first, and no "OK".
  const std::string m = JoinMessage(r);
  EXPECT_EQ(m, "Not added (could not be read):\n" + dir / "GONE.SU" + "\n" + dir.path() + "\n" + dir / "out.su" +
                   " has been recorded without them, size: 3200");
  // An output that exists is kept by a join that leaves inputs out; nothing
  // is deleted.
  WriteText(dir / "old.su", "the old join");
  in = {MakeSu("A.SU", 2, 100), dir / "GONE.SU"};
  auto kept = JoinSuFiles(in, dir / "old.su", true);
  EXPECT_FALSE(kept.ok);
  EXPECT_EQ(kept.error, "Not added (could not be read):\n" + dir / "GONE.SU" + "\n" + dir / "old.su" +
                            " kept as it was: the new file lacks them and was not written");
  EXPECT_EQ(ReadText(dir / "old.su"), "the old join");
  EXPECT_TRUE(fs::exists(in[0]));
}

TEST_F(JoinTest, BigEndianAndCutInputsAreLeftOutWithTheirReason) {
  // A big-endian SU file of 25 traces of 50 samples, and a shot whose last
  // trace lacks its last 8 bytes: either would shift every trace after it.
  KELD_REQUIRE_TESTDATA(su, "su");
  std::vector<std::string> in = {MakeSu("A.SU", 2, 100), su + "/segyio_small.su", MakeSu("CUT.SU", 2, 100),
                                 MakeSu("C.SU", 3, 100)};
  fs::resize_file(in[2], 2 * 640 - 8);
  auto r = JoinSuFiles(in, dir / "out.su", false);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.size, 5 * 640);
  EXPECT_EQ(r.unreadable, (std::vector<std::string>{in[1], in[2]}));
  const std::string m = JoinMessage(r);
  EXPECT_EQ(m.rfind("Not added (refused):\n" + in[1] + " (not a little-endian SU file", 0), 0u) << m;
  EXPECT_NE(m.find("(it reads as a big-endian file of 25 traces of 50 samples"),
            std::string::npos) << m;
  EXPECT_NE(m.find(in[2] + " (it ends with a partial trace)"), std::string::npos) << m;
}

TEST_F(JoinTest, NothingReadableWritesNothing) {
  auto r = JoinSuFiles({dir / "X.SU", dir / "Y.SU"}, dir / "out.su", true);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("None of the files could be read"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "out.su"));
}

TEST_F(JoinTest, InputsAreDeletedOnlyOnceSafeInTheOutput) {
  std::vector<std::string> in = {MakeSu("A.SU", 2, 100), MakeSu("B.SU", 2, 100)};
  // The output cannot be written: every input stays.
  auto bad = JoinSuFiles(in, dir / "no/such/folder/out.su", true);
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.error.find("has been recorded OK"), std::string::npos);
  EXPECT_TRUE(fs::exists(in[0]));
  EXPECT_TRUE(fs::exists(in[1]));
  // Written: both deleted, their bytes in the output.
  const std::string want = ReadText(in[0]) + ReadText(in[1]);
  auto good = JoinSuFiles(in, dir / "out.su", true);
  ASSERT_TRUE(good.ok) << good.error;
  EXPECT_EQ(ReadText(dir / "out.su"), want);
  EXPECT_FALSE(fs::exists(in[0]));
  EXPECT_FALSE(fs::exists(in[1]));
  EXPECT_EQ(good.deleted.size(), 2u);
  // Without the check box nothing is deleted.
  std::vector<std::string> keep = {MakeSu("K.SU", 1, 100)};
  ASSERT_TRUE(JoinSuFiles(keep, dir / "k.su", false).ok);
  EXPECT_TRUE(fs::exists(keep[0]));
  // A file named twice is copied twice and deleted once.
  std::vector<std::string> twice = {MakeSu("T.SU", 1, 100), dir / "T.SU"};
  auto t = JoinSuFiles(twice, dir / "t.su", true);
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.size, 2 * 640);
  EXPECT_EQ(t.deleted, (std::vector<std::string>{dir / "T.SU"}));
  EXPECT_TRUE(t.not_deleted.empty());
  // No temporary file left behind.
  for (auto& e : fs::directory_iterator(dir.path())) EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
}

TEST(JoinTexts, ProgressAndQuestions) {
  EXPECT_EQ(AddingFileText(1), "Adding file  1");
  EXPECT_EQ(AddingFileText(12), "Adding file  12");
  EXPECT_EQ(JoinExistsQuestion("/d/o.su"), "/d/o.su file already exists, append new files ?");
  EXPECT_EQ(JoinEraseQuestion("/d/o.su"), "Erase /d/o.su ?");
}

}  // namespace
}  // namespace keld::korvan
