#include "korvan/engine/filter_batch.hpp"

#include <gtest/gtest.h>

#include "common/testing/testsupport.hpp"

namespace keld::korvan {
namespace {

using keld::testing::TempDir;
using keld::testing::WriteText;
using Form = FiltrageCommand::Form;

class FilterBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(dir / "SHOT1000.SU", std::string(4336, '\1'));
    p.in = dir / "SHOT1000.SU";
    p.out = FiltreOutputName(dir / "SHOT1000.SU");
    p.LC1 = "10";
    p.LC2 = "20";
    p.HC1 = "8000";
    p.HC2 = "16000";
    p.AGC = "0";
    p.Rec_time = 1.049;
    p.program_folder = "/opt/keld";
  }
  std::string Q(const std::string& s) { return "'" + s + "'"; }
  TempDir dir;
  FiltrageInputs p;
};

TEST(FiltreOutputName, LessThreeCharactersThenFlt) {
  EXPECT_EQ(FiltreOutputName("C:\\DATA\\SHOT1000.SU"), "C:\\DATA\\SHOT1000_flt.su");
  EXPECT_EQ(FiltreOutputName("/data/SHOT1000.su"), "/data/SHOT1000_flt.su");
}

TEST_F(FilterBatchTest, FilterOnly) {
  auto c = Filtrage_SU_Command(p);
  ASSERT_TRUE(c.ok()) << c.refusal;
  EXPECT_EQ(c.form, Form::FilterOnly);
  EXPECT_EQ(c.line, "'/opt/keld/sufilter' <" + Q(p.in) + " >" + Q(dir / "SHOT1000_flt.su") + " f=10,20,8000,16000");
  EXPECT_EQ(FiltreBatchText(c), c.line + "\n");
  EXPECT_EQ(FiltreDoneMessage(p.in, c), p.in + "  has been filtered  LC1=10 LC2=20 HC1=8000 HC2=16000");
}

TEST_F(FilterBatchTest, FilterThenGain) {
  p.AGC = "500";
  auto c = Filtrage_SU_Command(p);
  ASSERT_TRUE(c.ok()) << c.refusal;
  EXPECT_EQ(c.form, Form::FilterThenGain);
  EXPECT_EQ(c.W, ".5");
  EXPECT_EQ(c.line, "'/opt/keld/sufilter' <" + Q(p.in) + " f=10,20,8000,16000 | '/opt/keld/sugain' >" + Q(p.out) +
                        " agc=1 wagc=.5");
}

TEST_F(FilterBatchTest, GainOnly) {
  p.LC1 = "x";  // not a number: 0
  p.AGC = "1000";
  auto c = Filtrage_SU_Command(p);
  ASSERT_TRUE(c.ok()) << c.refusal;
  EXPECT_EQ(c.form, Form::GainOnly);
  EXPECT_EQ(c.line, "'/opt/keld/sugain' <" + Q(p.in) + " >" + Q(p.out) + " agc=1 wagc=1");
  EXPECT_EQ(c.LC1, "0");
}

TEST_F(FilterBatchTest, TheLineWritesToTheTemporaryWhenOneIsGiven) {
  p.part = dir / ".SHOT1000_flt.su.part";
  p.AGC = "500";
  auto c = Filtrage_SU_Command(p);
  EXPECT_EQ(c.line, "'/opt/keld/sufilter' <" + Q(p.in) + " f=10,20,8000,16000 | '/opt/keld/sugain' >" +
                        Q(dir / ".SHOT1000_flt.su.part") + " agc=1 wagc=.5");
  // Input and output are still compared by the output's own name.
  p.out = p.in;
  EXPECT_EQ(Filtrage_SU_Command(p).refusal, "Same Input / Output");
}

TEST_F(FilterBatchTest, BoxTextsAreNormalised) {
  p.LC1 = "010";
  p.HC1 = "8000.0";
  p.LC2 = " 20";
  p.HC2 = "16000Hz";
  p.AGC = "250";
  p.program_folder = "/opt/keld/";
  auto c = Filtrage_SU_Command(p);
  ASSERT_TRUE(c.ok()) << c.refusal;
  EXPECT_NE(c.line.find(" f=10,20,8000,16000 | "), std::string::npos) << c.line;
  EXPECT_NE(c.line.find("'/opt/keld/sugain' >"), std::string::npos) << c.line;
  EXPECT_EQ(c.W, ".25");
  p.AGC = "1049";
  EXPECT_EQ(Filtrage_SU_Command(p).W, "1.049");
}

TEST_F(FilterBatchTest, RefusalsInOrder) {
  auto refusal = [&](FiltrageInputs q) { return Filtrage_SU_Command(q).refusal; };
  FiltrageInputs q = p;
  q.in = " ";
  EXPECT_TRUE(Filtrage_SU_Command(q).silent);
  EXPECT_FALSE(Filtrage_SU_Command(q).ok());
  EXPECT_EQ(Filtrage_SU_Command(q).refusal, "");
  q = p;
  q.in = "";
  q.LC2 = "1";  // a later check would fail too: the first one speaks
  EXPECT_EQ(refusal(q), "File name missing");
  q = p;
  q.in = dir / "NONE.SU";
  q.LC2 = "1";
  EXPECT_EQ(refusal(q), "Input file " + dir / "NONE.SU" + " does not exist !");
  WriteText(dir / "EMPTY.SU", "");
  q.in = dir / "EMPTY.SU";
  EXPECT_EQ(refusal(q), "Input file " + dir / "EMPTY.SU" + " is empty !");
  q = p;
  q.out = p.in;
  q.LC2 = "1";
  EXPECT_EQ(refusal(q), "Same Input / Output");
  q = p;
  q.LC2 = "5";  // LC1 > LC2
  EXPECT_EQ(refusal(q), "Bad filter parameters");
  q = p;
  q.HC1 = "20000";  // HC1 > HC2
  EXPECT_EQ(refusal(q), "Bad filter parameters");
  q = p;
  q.LC2 = "8001";  // LC2 > HC1
  q.HC2 = "40000";
  EXPECT_EQ(refusal(q), "Bad filter parameters");
  q = p;
  q.LC2 = "8000";  // LC2 = HC1 passes
  EXPECT_TRUE(Filtrage_SU_Command(q).ok());
  q = p;
  q.HC2 = "32000";
  EXPECT_TRUE(Filtrage_SU_Command(q).ok());
  q.HC2 = "32001";
  q.AGC = "5000";
  auto n = Filtrage_SU_Command(q);
  EXPECT_EQ(n.refusal, "High Cut value > Nyquist frequency  32000 Hz");
  EXPECT_FALSE(n.critical);
  q = p;
  q.AGC = "2000";
  auto a = Filtrage_SU_Command(q);
  EXPECT_EQ(a.refusal, "AGC windows longer than record, correct please");
  EXPECT_TRUE(a.critical);
  q.AGC = "1000";
  EXPECT_TRUE(Filtrage_SU_Command(q).ok());
  q = p;
  q.LC1 = "0";
  q.AGC = "0";
  auto none = Filtrage_SU_Command(q);
  EXPECT_FALSE(none.ok());
  EXPECT_NE(none.refusal.find("nothing to filter"), std::string::npos);
  q.AGC = "-500";
  EXPECT_FALSE(Filtrage_SU_Command(q).ok());
  // A negative window with a filter: the filter alone.
  q.LC1 = "10";
  EXPECT_EQ(Filtrage_SU_Command(q).form, Form::FilterOnly);
}

TEST(ShellWord, QuotesEverything) {
  EXPECT_EQ(ShellWord("/a b/c.su"), "'/a b/c.su'");
  EXPECT_EQ(ShellWord("it's"), "'it'\\''s'");
  EXPECT_EQ(ShellWord(""), "''");
  // What the shell makes of it is the text again.
  keld::testing::TempDir dir;
  for (std::string s : {"/data/my shot's $HOME `x` \"q\" \\ * ; | &.su", "plain", "a'b'c"}) {
    keld::testing::WriteText(dir / "t.sh", "printf '%s' " + ShellWord(s) + "\n");
    std::string out;
    ASSERT_EQ(keld::testing::RunCommand("sh " + keld::testing::ShellQuote(dir / "t.sh"), &out, false), 0);
    EXPECT_EQ(out, s);
  }
}

}  // namespace
}  // namespace keld::korvan
