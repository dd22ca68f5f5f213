#include <gtest/gtest.h>

#include <fstream>

#include "common/files.hpp"
#include "common/testing/testsupport.hpp"
#include "common/text.hpp"

using namespace keld;

TEST(RemplaceChaine, RemovesBlanksLeavingOneOfTwo) {
  std::string s = "A  B";
  Remplace_Chaine(s, " ", "");
  EXPECT_EQ(s, "A B");
  s = "1 000 .SU";
  Remplace_Chaine(s, " ", "");
  EXPECT_EQ(s, "1000.SU");
  s = "abab";
  Remplace_Chaine(s, "ab", "x");
  EXPECT_EQ(s, "xx");
  s = "nothing";
  Remplace_Chaine(s, "z", "y");
  EXPECT_EQ(s, "nothing");
  s = "=  ";
  Remplace_Chaine(s, "= ", "=");
  EXPECT_EQ(s, "= ");
  s = "aa";  // a replacement holding the search text ends
  Remplace_Chaine(s, "a", "ba");
  EXPECT_EQ(s, "baba");
}

namespace {
int beeps = 0;
void Beep() { ++beeps; }
}  // namespace

TEST(FiltreTouche, AcceptsTheSetAndBackspaceWhenAllowed) {
  beeps = 0;
  const std::string digits = "-0123456789";
  EXPECT_EQ(Filtre_Touche('7', digits, -1, Beep), '7');
  EXPECT_EQ(Filtre_Touche('-', digits, -1, Beep), '-');
  EXPECT_EQ(Filtre_Touche(8, digits, -1, Beep), 8);
  EXPECT_EQ(beeps, 0);
  EXPECT_EQ(Filtre_Touche('.', digits, -1, Beep), 0);
  EXPECT_EQ(Filtre_Touche('a', digits, -1, Beep), 0);
  EXPECT_EQ(Filtre_Touche(8, digits, 0, Beep), 0);
  EXPECT_EQ(Filtre_Touche(8, digits, 1, Beep), 0);  // only exactly -1 allows it
  EXPECT_EQ(Filtre_Touche(13, digits, -1, Beep), 0);
  EXPECT_EQ(beeps, 5);
  // Case-insensitive, the key itself is kept.
  EXPECT_EQ(Filtre_Touche('a', "ABC", 0), 'a');
}

TEST(ExisteFile, RegularFilesOnly) {
  keld::testing::TempDir d;
  EXPECT_EQ(Existe_file(d.path()), 0);
  EXPECT_EQ(Existe_file(d / "none"), 0);
  EXPECT_EQ(Existe_file(""), 0);
  keld::testing::WriteText(d / "f*.su", "x");
  EXPECT_EQ(Existe_file(d / "f*.su"), 1);  // literal name, no pattern
  EXPECT_EQ(Existe_file(d / "*.su"), 0);
}

TEST(AtomicWrite, FailureKeepsTheOldFileAndLeavesNoTemporary) {
  keld::testing::TempDir d;
  keld::testing::WriteText(d / "out", "old contents that are long");
  {
    AtomicFile f(d / "out");
    ASSERT_TRUE(f.is_open());
    f.write(std::string("new"));
    // not committed
  }
  EXPECT_EQ(keld::testing::ReadText(d / "out"), "old contents that are long");
  EXPECT_TRUE(WriteFileAtomic(d / "out", std::string("new")).ok());
  EXPECT_EQ(keld::testing::ReadText(d / "out"), "new");
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(d.path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);
  EXPECT_FALSE(WriteFileAtomic(d / "no/such/dir/out", std::string("x")).ok());
  // Only a file is replaced: never a folder or a device.
  std::filesystem::create_directory(d / "folder");
  EXPECT_FALSE(WriteFileAtomic(d / "folder", std::string("x")).ok());
  EXPECT_TRUE(std::filesystem::is_directory(d / "folder"));
  EXPECT_FALSE(WriteFileAtomic("/dev/null", std::string("x")).ok());
}

TEST(Latin1, DegreeSignIsOneByte) {
  std::string l = Utf8ToLatin1("1\xC2\xB0 geofono");
  EXPECT_EQ(l, "1\xB0 geofono");
  EXPECT_EQ(Latin1ToUtf8(l), "1\xC2\xB0 geofono");
}

TEST(MoveFile, ReplacesTheTargetWholeOrLeavesBoth) {
  keld::testing::TempDir d;
  keld::testing::WriteText(d / "tmp.su", "new");
  keld::testing::WriteText(d / "rec.su", "old and longer");
  ASSERT_TRUE(MoveFileOver(d / "tmp.su", d / "rec.su").ok());
  EXPECT_EQ(keld::testing::ReadText(d / "rec.su"), "new");
  EXPECT_EQ(Existe_file(d / "tmp.su"), 0);
  // Into a folder that does not exist: nothing moves.
  keld::testing::WriteText(d / "tmp.su", "again");
  EXPECT_FALSE(MoveFileOver(d / "tmp.su", d / "none/rec.su").ok());
  EXPECT_EQ(keld::testing::ReadText(d / "tmp.su"), "again");
  EXPECT_FALSE(MoveFileOver(d / "missing.su", d / "rec.su").ok());
  EXPECT_EQ(keld::testing::ReadText(d / "rec.su"), "new");
}
