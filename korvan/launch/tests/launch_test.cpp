// korvan starting keysheet, velscan, ombrix, dropconv and the USB tool: each
// through the real launcher on stand-ins that write down their command line,
// and every box of the missing and refused cases.
#include <gtest/gtest.h>

#include "korvan/launch/launch.hpp"
#include "korvan/launch/tests/stand_ins.hpp"

using namespace keld;
using namespace keld::korvan;
using keld::testing::LaunchBench;

namespace {
struct Launch : ::testing::Test, LaunchBench {};
const std::string kTitle = "KORVAN QMR650B";
}  // namespace

TEST(ProgramIn, LowerCaseWithoutExtension) {
  EXPECT_EQ(ProgramIn("/p", "VELSCAN.EXE "), "/p/velscan");
  EXPECT_EQ(ProgramIn("/p", "\\KEYSHEET.EXE"), "/p/keysheet");
  EXPECT_EQ(ProgramIn("/p q", "ZUL_Usb_BF.exe"), "/p q/zul_usb_bf");
  EXPECT_EQ(ProgramIn("/p", "dropconv"), "/p/dropconv");
}

TEST_F(Launch, HeaderEditorGetsTheCurrentFileWhole) {
  StandIn("keysheet");
  st.Fichier_Courant = data / "my records/FILE 1000.SU";
  Lance_Editeur(st, sv);
  EXPECT_EQ(ArgsOf("keysheet"), std::vector<std::string>{st.Fichier_Courant});
  ASSERT_EQ(proc.started.size(), 1u);
  EXPECT_EQ(proc.started[0].program, sv.program_folder + "/keysheet");
  EXPECT_EQ(proc.started[0].style, WindowStyle::Normal);
  EXPECT_TRUE(msg.shown.empty());
}

TEST_F(Launch, HeaderEditorWithNoFileGetsNoArgument) {
  StandIn("keysheet");
  Lance_Editeur(st, sv);
  EXPECT_EQ(CountOf("keysheet"), "0");
  EXPECT_TRUE(msg.shown.empty());
}

TEST_F(Launch, MissingHeaderEditorIsNamedAndTriedAllTheSame) {
  st.Fichier_Courant = "/d/a.su";
  Lance_Editeur(st, sv);
  ASSERT_EQ(msg.shown.size(), 1u);  // the failed start itself says nothing
  EXPECT_EQ(msg.last().text, "\\KEYSHEET.EXE must be in KORVAN folder");
  EXPECT_EQ(msg.last().icon, MsgIcon::None);
  EXPECT_EQ(msg.last().title, kTitle);
  ASSERT_EQ(proc.started.size(), 1u);
  EXPECT_EQ(proc.started[0].args, std::vector<std::string>{"/d/a.su"});
}

TEST_F(Launch, HeaderEditorThatCannotRunFailsSilently) {
  // A file of that name that cannot be run: no box first, the failed start silent.
  keld::testing::WriteText(sv.program_folder + "/keysheet", "not a program");
  Lance_Editeur(st, sv);
  EXPECT_TRUE(msg.shown.empty());
  EXPECT_EQ(proc.started.size(), 1u);
}

TEST_F(Launch, VelocityAnalysisGetsTheCurrentFile) {
  StandIn("velscan");
  st.Fichier_Courant = data / "a b/c d.su";
  Lance_Velscan(st, sv);
  EXPECT_EQ(ArgsOf("velscan"), std::vector<std::string>{st.Fichier_Courant});
  EXPECT_EQ(proc.started.at(0).style, WindowStyle::Normal);
  EXPECT_TRUE(msg.shown.empty());
}

TEST_F(Launch, VelocityAnalysisWithNoFileChosen) {
  StandIn("velscan");
  Lance_Velscan(st, sv);
  ASSERT_EQ(msg.shown.size(), 1u);
  EXPECT_EQ(msg.last().text, "No file selected");
  EXPECT_EQ(msg.last().icon, MsgIcon::None);
  EXPECT_EQ(msg.last().title, kTitle);
  EXPECT_TRUE(proc.started.empty());
  // The blank that the settings hold before any file was chosen is no file either.
  st.Fichier_Courant = " ";
  Lance_Velscan(st, sv);
  EXPECT_EQ(msg.count("No file selected"), 2);
  EXPECT_TRUE(proc.started.empty());
}

TEST_F(Launch, MissingVelocityAnalysis) {
  st.Fichier_Courant = "/d/a.su";
  Lance_Velscan(st, sv);
  ASSERT_EQ(msg.shown.size(), 1u);
  EXPECT_EQ(msg.last().text, "You must put VELSCAN.EXE in the KORVAN folder");
  EXPECT_EQ(msg.last().icon, MsgIcon::Critical);
  EXPECT_EQ(msg.last().title, kTitle);
}

TEST_F(Launch, PrintingGetsTheDisplayedFile) {
  StandIn("ombrix");
  st.Nb_Tracce = 24;
  st.Nb_Campioni = 1024;
  st.Fichier_Affiche = data / "shot 7.SU";
  Print_record(st, sv);
  EXPECT_EQ(ArgsOf("ombrix"), std::vector<std::string>{st.Fichier_Affiche});
  EXPECT_EQ(proc.started.at(0).style, WindowStyle::Normal);
  EXPECT_TRUE(msg.shown.empty());
}

TEST_F(Launch, PrintingWithNothingShownDoesNothing) {
  StandIn("ombrix");
  st.Fichier_Affiche = "/d/a.su";
  st.Nb_Tracce = 0;
  st.Nb_Campioni = 1024;
  Print_record(st, sv);
  st.Nb_Tracce = 24;
  st.Nb_Campioni = 0;
  Print_record(st, sv);
  EXPECT_TRUE(proc.started.empty());
  EXPECT_TRUE(msg.shown.empty());
}

TEST_F(Launch, MissingPrintingProgram) {
  st.Nb_Tracce = 1;
  st.Nb_Campioni = 1;
  st.Fichier_Affiche = "/d/a.su";
  Print_record(st, sv);
  ASSERT_EQ(msg.shown.size(), 1u);
  EXPECT_EQ(msg.last().text,
            " Printing not possible, check printer and OMBRIX.EXE must be in KORVAN folder");
  EXPECT_EQ(msg.last().icon, MsgIcon::Critical);
  EXPECT_EQ(msg.last().title, kTitle);
}

TEST_F(Launch, AfterASavePrintingAndEditorGetDifferentFiles) {
  StandIn("ombrix");
  StandIn("keysheet");
  st.Fichier_Courant = "/d/chosen.su";
  st.Fichier_Affiche = "/d/FILE1000.SU";  // what a Save as leaves
  st.Nb_Tracce = 2;
  st.Nb_Campioni = 8;
  Print_record(st, sv);
  Lance_Editeur(st, sv);
  EXPECT_EQ(ArgsOf("ombrix"), std::vector<std::string>{"/d/FILE1000.SU"});
  EXPECT_EQ(ArgsOf("keysheet"), std::vector<std::string>{"/d/chosen.su"});
}

TEST_F(Launch, UsbToolStartsWithoutArguments) {
  StandIn("zul_usb_bf");
  Lance_Outil_Usb(sv);
  EXPECT_EQ(CountOf("zul_usb_bf"), "0");
  EXPECT_EQ(proc.started.at(0).style, WindowStyle::Normal);
  EXPECT_TRUE(msg.shown.empty());
}

TEST_F(Launch, MissingUsbToolIsNamedAndTriedAllTheSame) {
  Lance_Outil_Usb(sv);
  ASSERT_EQ(msg.shown.size(), 1u);
  EXPECT_EQ(msg.last().text, "ZUL_Usb.exe must be in KORVAN folder");
  EXPECT_EQ(msg.last().icon, MsgIcon::None);
  EXPECT_EQ(msg.last().title, kTitle);
  ASSERT_EQ(proc.started.size(), 1u);
  EXPECT_EQ(proc.started[0].program, sv.program_folder + "/zul_usb_bf");
}

TEST_F(Launch, SystemPanelIsMissingOnThisSystem) {
  Lance_Panneau_Systeme(sv);
  ASSERT_EQ(msg.shown.size(), 1u);
  EXPECT_EQ(msg.last().text, "Impossible to lauch CONFIG");
  EXPECT_EQ(msg.last().icon, MsgIcon::None);
  EXPECT_EQ(msg.last().title, kTitle);
  EXPECT_TRUE(proc.started.empty());
}

TEST_F(Launch, DropconvGetsRecordBarSeg2AsOneArgument) {
  StandIn("dropconv");
  std::string rec = data / "DATA dir/dati.txt", sg2 = data / "DATA dir/FILE 1000.SG2";
  EXPECT_EQ(RunDropconv(sv, rec, sg2, {}).outcome, Seg2Copy::Outcome::Made);
  EXPECT_EQ(ArgsOf("dropconv"), std::vector<std::string>{rec + "|" + sg2});
  EXPECT_EQ(proc.started.at(0).style, WindowStyle::Minimized);
  EXPECT_TRUE(msg.shown.empty());
}

TEST_F(Launch, MissingDropconvIsAFailedStart) {
  EXPECT_EQ(RunDropconv(sv, "/d/dati.txt", "/d/dati.sg2", {}).outcome, Seg2Copy::Outcome::NotStarted);
  EXPECT_TRUE(msg.shown.empty());  // the caller says what it means
}

TEST_F(Launch, ADropconvThatDoesNotEndIsEndedAtTheLimit) {
  keld::testing::Script(sv.program_folder + "/dropconv", "exec sleep 600");
  const Seg2Copy c = RunDropconv(sv, "/d/dati.txt", "/d/dati.sg2", {}, std::chrono::seconds(1));
  EXPECT_EQ(c.outcome, Seg2Copy::Outcome::Failed);
  EXPECT_EQ(c.words, "dropconv had not ended after 1 s and was stopped");
}
