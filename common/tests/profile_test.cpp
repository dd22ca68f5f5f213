#include <gtest/gtest.h>

#include <filesystem>

#include "common/profile.hpp"
#include "common/testing/testsupport.hpp"

using namespace keld;
using keld::testing::ReadText;
using keld::testing::ScopedEnv;
using keld::testing::TempDir;
using keld::testing::WriteText;

TEST(Profile, MissingFileSectionOrKeyGivesTheDefault) {
  TempDir d;
  ScopedEnv env("KELD_WINDIR", d.path());
  EXPECT_EQ(GetPrivateProfileString("korvan", "Geometry1", "10", 50, "korvan_QMR.ini"), "10");
  WriteText(d / "korvan_QMR.ini", "[other]\nGeometry1=99\n");
  EXPECT_EQ(GetPrivateProfileString("korvan", "Geometry1", "10", 50, "korvan_QMR.ini"), "10");
  // A default of one blank gives an empty value.
  EXPECT_EQ(GetPrivateProfileString("korvan", "File1", " ", 100, "korvan_QMR.ini"), "");
}

TEST(Profile, NamesMatchWithoutRegardToCase) {
  TempDir d;
  ScopedEnv env("KELD_WINDIR", d.path());
  ASSERT_TRUE(WritePrivateProfileString("korvan", "Rec_file1", "SHOT", "korvan_QMR.ini"));
  EXPECT_EQ(GetPrivateProfileString("KORVAN", "Rec_File1", "FILE", 100, "korvan_QMR.ini"), "SHOT");
  // Writing with another spelling replaces the same entry.
  ASSERT_TRUE(WritePrivateProfileString("Korvan", "REC_FILE1", "AB", "korvan_QMR.ini"));
  EXPECT_EQ(GetPrivateProfileString("korvan", "rec_file1", "", 100, "korvan_QMR.ini"), "AB");
  std::string text = ReadText(d / "korvan_QMR.ini");
  EXPECT_EQ(text.find("SHOT"), std::string::npos);
  EXPECT_EQ(text.find("[Korvan]"), std::string::npos) << "a second section was made:\n" << text;
}

TEST(Profile, ValuesAreCutToTheBuffer) {
  TempDir d;
  std::string file = d / "s.ini";
  std::string sixty(60, 'x');
  ASSERT_TRUE(WritePrivateProfileString("korvan", "Geometry1", sixty, file));
  EXPECT_EQ(GetPrivateProfileString("korvan", "Geometry1", "10", 50, file).size(), 49u);
  EXPECT_EQ(GetPrivateProfileString("korvan", "Geometry1", "10", 100, file), sixty);
  EXPECT_EQ(GetPrivateProfileString("korvan", "missing", "abcdef", 4, file), "abc");
}

TEST(Profile, WriteKeepsEveryOtherLine) {
  TempDir d;
  std::string file = d / "s.ini";
  WriteText(file,
            "; settings kept by hand\r\n"
            "[VISUAL_KE]\r\n"
            "Directory1=C:\\keld\\bin\\\r\n"
            "\r\n"
            "[korvan]\r\n"
            "Geometry1=10\r\n"
            "Geometry2 = 5 \r\n"
            "\r\n"
            "[last]\r\n"
            "x=1\r\n");
  ASSERT_TRUE(WritePrivateProfileString("korvan", "Geometry2", "7", file));
  ASSERT_TRUE(WritePrivateProfileString("korvan", "Geometry3", "0", file));
  ASSERT_TRUE(WritePrivateProfileString("new", "k", "v", file));
  EXPECT_EQ(ReadText(file),
            "; settings kept by hand\r\n"
            "[VISUAL_KE]\r\n"
            "Directory1=C:\\keld\\bin\\\r\n"
            "\r\n"
            "[korvan]\r\n"
            "Geometry1=10\r\n"
            "Geometry2=7\r\n"
            "Geometry3=0\r\n"
            "\r\n"
            "[last]\r\n"
            "x=1\r\n"
            "\r\n"
            "[new]\r\n"
            "k=v\r\n");
  // Backslashes are not escapes.
  EXPECT_EQ(GetPrivateProfileString("visual_ke", "directory1", "", 90, file), "C:\\keld\\bin\\");
}

TEST(Profile, FileEditedByHandBetweenWriteAndRead) {
  TempDir d;
  std::string file = d / "s.ini";
  ASSERT_TRUE(WritePrivateProfileString("korvan", "Recording1", "12", file));
  ASSERT_TRUE(WritePrivateProfileString("korvan", "langue", "1", file));
  // Someone opens the file in an editor: LF lines, blanks around '=', a quoted
  // value, a comment, no final line end.
  WriteText(file, "[ korvan ]\n;edited\nRECORDING1 =  24\nlangue=\"3\"\nBreak=False");
  EXPECT_EQ(GetPrivateProfileString("korvan", "Recording1", "12", 50, file), "24");
  EXPECT_EQ(GetPrivateProfileString("korvan", "langue", "", 50, file), "3");
  EXPECT_EQ(GetPrivateProfileString("korvan", "break", "1", 90, file), "False");
  ASSERT_TRUE(WritePrivateProfileString("korvan", "Enlarge", "2", file));
  EXPECT_EQ(ReadText(file), "[ korvan ]\n;edited\nRECORDING1 =  24\nlangue=\"3\"\nBreak=False\nEnlarge=2\n");
}

TEST(Profile, BareNameLivesInTheSettingsFolder) {
  TempDir d;
  ScopedEnv env("KELD_WINDIR", d.path());
  ASSERT_TRUE(WritePrivateProfileString("Draw_Parameter", "a", "1", "ombrix.ini"));
  EXPECT_TRUE(std::filesystem::exists(d / "ombrix.ini"));
  EXPECT_FALSE(WritePrivateProfileString("x", "a", "1", d / "missing/dir/x.ini"));
}
