// The PDF manual: the desktop's PDF viewer asked of a stand-in xdg-mime put on
// $PATH, the manual chosen by the language marks, and the three refusals.
#include <filesystem>

#include <gtest/gtest.h>

#include "korvan/launch/launch.hpp"
#include "korvan/launch/tests/stand_ins.hpp"

using namespace keld;
using namespace keld::korvan;
using keld::testing::LaunchBench;
using keld::testing::ScopedEnv;
using keld::testing::Script;
using keld::testing::TempDir;

namespace {

const std::string kTitle = "KORVAN QMR650B";

// A $PATH of one folder, holding an xdg-mime that answers `answer` to
// "query default application/pdf" (and nothing, failing, to anything else).
struct Desktop {
  TempDir bin;
  std::optional<ScopedEnv> path;
  explicit Desktop(const std::string& answer, bool with_tool = true) {
    if (with_tool)
      Script(bin / "xdg-mime",
             "[ \"$#\" = 3 ] && [ \"$1 $2 $3\" = 'query default application/pdf' ] || exit 2\n"
             "printf '" + answer + "'");
    path.emplace("PATH", bin.path());
  }
};

struct Manual : ::testing::Test, LaunchBench {
  void SetUp() override { proc.real = nullptr; }  // nothing is opened for real
  void PutManual(const std::string& name) {
    std::filesystem::create_directories(sv.program_folder + "/manual");
    keld::testing::WriteText(sv.program_folder + "/manual/" + name, "%PDF-1.4\n");
  }
};

}  // namespace

TEST(PdfViewer, TheDesktopEntryOfThePdfType) {
  Desktop d("org.gnome.Evince.desktop\\n");
  EXPECT_EQ(Cherche_Lecteur_PDF("PDF"), "org.gnome.Evince.desktop");
  EXPECT_EQ(Cherche_Lecteur_PDF(".pdf"), "org.gnome.Evince.desktop");
  EXPECT_EQ(Cherche_Lecteur_PDF("XYZ"), "");
}

TEST(PdfViewer, NoneAssociatedOrNoTool) {
  {
    Desktop d("");
    EXPECT_EQ(Cherche_Lecteur_PDF("PDF"), "");
  }
  {
    Desktop d("", false);
    EXPECT_EQ(Cherche_Lecteur_PDF("PDF"), "");
  }
}

TEST(PdfViewer, AFailingToolGivesNothing) {
  TempDir bin;
  Script(bin / "xdg-mime", "echo half.desktop; exit 1");
  ScopedEnv path("PATH", bin.path());
  EXPECT_EQ(Cherche_Lecteur_PDF("PDF"), "");
}

TEST(PdfViewer, AToolThatTalksTooMuchIsReadToTheEnd) {
  TempDir bin;
  // 200 kB of output: more than a pipe holds; the search must not hang on it.
  Script(bin / "xdg-mime", "echo viewer.desktop; head -c 200000 /dev/zero | tr '\\0' x");
  ScopedEnv path("PATH", bin.path() + ":/usr/bin:/bin");
  EXPECT_EQ(Cherche_Lecteur_PDF("PDF"), "viewer.desktop");
}

TEST_F(Manual, NoViewer) {
  Desktop d("");
  PutManual("ZUL_Manual.pdf");
  Ouvre_Manuel(sv, false, false);
  ASSERT_EQ(msg.shown.size(), 1u);
  EXPECT_EQ(msg.last().text, "You must intstall ACROBAT READER from the CD-ROM");
  EXPECT_EQ(msg.last().icon, MsgIcon::Critical);
  EXPECT_EQ(msg.last().title, kTitle);
  EXPECT_TRUE(proc.opened.empty());
}

TEST_F(Manual, EnglishByDefault) {
  Desktop d("okular.desktop\\n");
  PutManual("ZUL_Manual.pdf");
  Ouvre_Manuel(sv, false, false);
  EXPECT_TRUE(msg.shown.empty());
  EXPECT_EQ(proc.opened, std::vector<std::string>{sv.program_folder + "/manual/ZUL_Manual.pdf"});
}

TEST_F(Manual, FrenchAndItalian) {
  Desktop d("okular.desktop\\n");
  PutManual("ZUL_Manual_fr.pdf");
  PutManual("ZUL_Manual_it.pdf");
  Ouvre_Manuel(sv, true, false);
  Ouvre_Manuel(sv, false, true);
  Ouvre_Manuel(sv, true, true);  // Italian wins
  EXPECT_TRUE(msg.shown.empty());
  std::string m = sv.program_folder + "/manual/";
  EXPECT_EQ(proc.opened, (std::vector<std::string>{m + "ZUL_Manual_fr.pdf", m + "ZUL_Manual_it.pdf",
                                                   m + "ZUL_Manual_it.pdf"}));
}

TEST_F(Manual, MissingManualIsNamed) {
  Desktop d("okular.desktop\\n");
  PutManual("ZUL_Manual.pdf");
  Ouvre_Manuel(sv, true, false);
  ASSERT_EQ(msg.shown.size(), 1u);
  EXPECT_EQ(msg.last().text,
            "You must install " + sv.program_folder + "/manual/ZUL_Manual_fr.pdf from the CD-ROM");
  EXPECT_EQ(msg.last().icon, MsgIcon::Critical);
  EXPECT_EQ(msg.last().title, kTitle);
  EXPECT_TRUE(proc.opened.empty());
}

TEST_F(Manual, RefusedOpening) {
  Desktop d("okular.desktop\\n");
  PutManual("ZUL_Manual.pdf");
  proc.succeed = false;
  Ouvre_Manuel(sv, false, false);
  ASSERT_EQ(msg.shown.size(), 1u);
  EXPECT_EQ(msg.last().text, "Unable to shell ");
  EXPECT_EQ(msg.last().icon, MsgIcon::None);
  EXPECT_EQ(msg.last().title, kTitle);
}

TEST(ManualPath, ItalianWinsOverFrench) {
  EXPECT_EQ(ManualPath("/p", false, false), "/p/manual/ZUL_Manual.pdf");
  EXPECT_EQ(ManualPath("/p", true, false), "/p/manual/ZUL_Manual_fr.pdf");
  EXPECT_EQ(ManualPath("/p", true, true), "/p/manual/ZUL_Manual_it.pdf");
}
