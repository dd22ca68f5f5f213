// The batch line run as the acquisition program runs it: written into
// filtre.bat and run by /bin/sh with the built sufilter and sugain.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include <unistd.h>

#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"
#include "korvan/engine/filter_batch.hpp"

namespace keld::korvan {
namespace {

namespace fs = std::filesystem;
using keld::testing::RunCommand;
using keld::testing::ShellQuote;
using keld::testing::TempDir;
using keld::testing::WriteText;
using Form = FiltrageCommand::Form;

std::vector<SuTrace> Record(int traces, int ns, int dt_us) {
  std::vector<SuTrace> v(static_cast<size_t>(traces));
  for (int i = 0; i < traces; ++i) {
    auto& t = v[static_cast<size_t>(i)];
    t.header.tracf = i + 1;
    t.header.ns = static_cast<int16_t>(ns);
    t.header.dt = static_cast<int16_t>(dt_us);
    t.samples.resize(static_cast<size_t>(ns));
    for (int k = 0; k < ns; ++k)
      t.samples[static_cast<size_t>(k)] = static_cast<float>(std::sin(0.05 * k * (i + 1)) * (1000 - k));
  }
  return v;
}

class FilterBatchRun : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string bin = keld::testing::BinDir();
    if (access((bin + "/sufilter").c_str(), X_OK) != 0 || access((bin + "/sugain").c_str(), X_OK) != 0)
      GTEST_SKIP() << "sufilter and sugain are not built in " << bin;
    // Every path with a blank and a quote in it: the program folder too.
    data = dir / "my data's";
    progs = dir / "prog dir's";
    fs::create_directories(data);
    fs::create_directories(progs);
    fs::create_symlink(fs::absolute(bin + "/sufilter"), progs + "/sufilter");
    fs::create_symlink(fs::absolute(bin + "/sugain"), progs + "/sugain");
    in = data + "/SHOT 1000.SU";
    ASSERT_TRUE(WriteSuFile(in, Record(24, 1000, 1000)).ok());
    p.in = in;
    p.out = FiltreOutputName(in);
    p.LC1 = "10";
    p.LC2 = "20";
    p.HC1 = "80";
    p.HC2 = "120";
    p.AGC = "0";
    p.Rec_time = 1.0;
    p.program_folder = progs;
  }

  // Writes filtre.bat and runs it with sh; the exit status.
  int RunBatch(const FiltrageCommand& c, std::string* msg) {
    const std::string bat = dir / "filtre.bat";
    WriteText(bat, FiltreBatchText(c));
    return RunCommand("sh " + ShellQuote(bat), msg);
  }

  TempDir dir;
  std::string data, progs, in;
  FiltrageInputs p;
};

TEST_F(FilterBatchRun, EachFormMakesTheWholeOutput) {
  struct Case {
    const char* LC1;
    const char* AGC;
    Form form;
  } cases[] = {{"10", "0", Form::FilterOnly}, {"10", "200", Form::FilterThenGain}, {"", "200", Form::GainOnly}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.AGC);
    p.LC1 = k.LC1;
    p.AGC = k.AGC;
    fs::remove(p.out);
    auto c = Filtrage_SU_Command(p);
    ASSERT_TRUE(c.ok()) << c.refusal;
    ASSERT_EQ(c.form, k.form);
    std::string msg;
    ASSERT_EQ(RunBatch(c, &msg), 0) << c.line << "\n" << msg;
    auto L = ReadSuLayout(p.out);
    ASSERT_TRUE(L.ok()) << L.error();
    EXPECT_EQ(L->traces, 24);
    EXPECT_EQ(L->file_bytes, 24 * (240 + 4 * 1000));
    auto out = ReadSuFile(p.out);
    ASSERT_TRUE(out.ok());
    EXPECT_EQ((*out)[5].header.tracf, 6);
    if (k.form != Form::FilterOnly) {
      // After the gain, the middle of each trace is at about unit RMS.
      double s = 0;
      for (int i = 300; i < 700; ++i) s += std::pow((*out)[3].samples[static_cast<size_t>(i)], 2);
      EXPECT_NEAR(std::sqrt(s / 400), 1.0, 0.2);
    }
  }
}

TEST_F(FilterBatchRun, AFailingBatchSaysSo) {
  for (const char* agc : {"0", "200"}) {
    for (const char* lc1 : {"10", ""}) {
      p.AGC = agc;
      p.LC1 = lc1;
      auto c = Filtrage_SU_Command(p);
      if (!c.ok()) continue;  // neither filter nor gain
      SCOPED_TRACE(c.line);
      fs::rename(in, in + ".away");  // the input goes missing once the line is written
      std::string msg;
      EXPECT_NE(RunBatch(c, &msg), 0) << msg;
      fs::rename(in + ".away", in);
    }
  }
  // A program that is not there.
  p.program_folder = dir / "nowhere";
  auto c = Filtrage_SU_Command(p);
  ASSERT_TRUE(c.ok());
  std::string msg;
  EXPECT_NE(RunBatch(c, &msg), 0) << msg;
}

}  // namespace
}  // namespace keld::korvan
