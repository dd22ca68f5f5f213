#include <filesystem>

#include <gtest/gtest.h>

#include "common/testing/testsupport.hpp"
#include "dropconv/seg2_export.hpp"
#include "dropconv/tests/records.hpp"

using namespace keld;
using keld::testing::ReadBytes;
using keld::testing::Record;
using Bytes = std::vector<unsigned char>;

namespace {

struct WriteFixture : ::testing::Test {
  keld::testing::TempDir dir;
  ClassSEG2Export shot;
  std::string out = dir / "shot.sg2";
  void Load(const Record& r) {
    keld::testing::WriteText(dir / "dati.txt", r.Text());
    ASSERT_TRUE(shot.Read(dir / "dati.txt").ok());
  }
  bool Save() {
    bool ok = true;
    shot.SaveAs(out, ok);
    return ok;
  }
  // Only the files the test made: no temporary file left beside the target.
  size_t Files() const {
    size_t n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++n;
    return n;
  }
};

}  // namespace

TEST_F(WriteFixture, TwoChannelsOfThreeSamples) {
  Load(Record{});
  ASSERT_TRUE(Save());
  Bytes f = ReadBytes(out);
  const Bytes head = {0x55, 0x3A, 1, 0, 8, 0, 2, 0, 1, 0, 0, 1, 0x0A, 0};
  EXPECT_EQ(Bytes(f.begin(), f.begin() + 14), head);
  EXPECT_EQ(Bytes(f.begin() + 14, f.begin() + 32), Bytes(18, 0));

  int64_t file_s = StringListSize(shot.FileStrings());
  int64_t trace1_s = StringListSize(shot.Channel(1).strings);
  int64_t trace2_s = StringListSize(shot.Channel(2).strings);
  int32_t p1 = get_i32le(&f[32]), p2 = get_i32le(&f[36]);
  EXPECT_EQ(p1, 32 + 8 + file_s);
  EXPECT_EQ(*shot.FileBlockSize(), p1);
  EXPECT_EQ(p2, p1 + 32 + trace1_s + 12);
  EXPECT_EQ(*shot.TraceBlockSize(1), 32 + trace1_s + 12);
  EXPECT_EQ(f.size(), static_cast<size_t>(p2 + 32 + trace2_s + 12));

  const Bytes trace = {0x22, 0x44, static_cast<unsigned char>(32 + trace1_s), 0, 12, 0, 0, 0,
                       3, 0, 0, 0, 4};
  EXPECT_EQ(Bytes(f.begin() + p1, f.begin() + p1 + 13), trace);
  EXPECT_EQ(Bytes(f.begin() + p1 + 13, f.begin() + p1 + 32), Bytes(19, 0));
  // "CHANNEL_NUMBER 1" (16 characters) first, then "DELAY 0".
  size_t delay = static_cast<size_t>(p1) + 32 + 16 + 3;
  const Bytes delay_bytes = {0x0A, 0, 'D', 'E', 'L', 'A', 'Y', ' ', '0', 0};
  EXPECT_EQ(Bytes(f.begin() + delay, f.begin() + delay + 10), delay_bytes);
  EXPECT_EQ(get_f32le(&f[f.size() - 4]), 7.0f);
  EXPECT_EQ(get_f32le(&f[f.size() - 12]), 0.5f);
}

TEST_F(WriteFixture, TwelveChannelsInTheHeader) {
  Record r;
  r.channels = "12";
  for (int c = 3; c <= 12; ++c) r.blocks.push_back({c, {"0", "0", "0"}});
  Load(r);
  ASSERT_TRUE(Save());
  Bytes f = ReadBytes(out);
  EXPECT_EQ(f[4], 0x30);
  EXPECT_EQ(f[5], 0x00);
  EXPECT_EQ(f[6], 0x0C);
  EXPECT_EQ(f[7], 0x00);
}

TEST_F(WriteFixture, AChannelWithoutBlockIsWrittenWithNoStringsAndZeroSamples) {
  // The record of a shot whose last unit did not answer: its trace is there,
  // a descriptor of 32 bytes and the two zero bytes, then ns zeros.
  Record r;
  r.channels = "3";
  Load(r);
  ASSERT_TRUE(Save());
  auto seg = keld::testing::WalkSeg2(ReadBytes(out));
  ASSERT_EQ(seg.trace.size(), 3u);
  EXPECT_TRUE(seg.trace[2].strings.empty());
  EXPECT_EQ(seg.trace[2].descriptor_size, 34);
  EXPECT_EQ(seg.trace[2].samples, std::vector<float>(3, 0.0f));
}

TEST_F(WriteFixture, FileStringsUpToTheLimitOfTheirBlock) {
  Load(Record{});
  // Fill the file descriptor block to exactly 32767 bytes with one string.
  int64_t room = 32767 - *shot.FileBlockSize() - 3;
  shot.AddFileString(std::string(static_cast<size_t>(room), 'x'));
  EXPECT_EQ(*shot.FileBlockSize(), 32767);
  ASSERT_TRUE(Save());
  shot.AddFileString("");
  EXPECT_FALSE(shot.FileBlockSize().has_value());
  Bytes before = ReadBytes(out);
  EXPECT_FALSE(Save());
  EXPECT_EQ(ReadBytes(out), before) << "the older file stays as it was";
  EXPECT_EQ(Files(), 2u);
}

TEST_F(WriteFixture, TraceStringsUpToTheLimitOfTheirBlock) {
  Load(Record{});
  int64_t room = 32735 - StringListSize(shot.Channel(2).strings) - 3;
  shot.AddTraceString(std::string(static_cast<size_t>(room), 'y'), 2);
  EXPECT_EQ(*shot.TraceDescriptorSize(2), 32767);
  ASSERT_TRUE(Save());
  shot.AddTraceString("", 2);
  EXPECT_FALSE(shot.TraceDescriptorSize(2).has_value());
  EXPECT_FALSE(shot.TraceBlockSize(2).has_value());
  std::filesystem::remove(out);
  EXPECT_FALSE(Save());
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_FALSE(shot.AddTraceString("x", 3));
}

TEST_F(WriteFixture, ShotsThatCannotBeWrittenLeaveNoFile) {
  EXPECT_FALSE(Save()) << "no channel count";
  EXPECT_FALSE(shot.FileBlockSize().has_value());
  Record r;
  r.channels = "8191";  // its pointers fill the block: no room for the strings
  r.samples = "0";
  r.blocks.clear();
  for (int c = 1; c <= 8191; ++c) r.blocks.push_back({c, {}});
  Load(r);
  EXPECT_FALSE(Save());
  keld::testing::WriteText(dir / "late.txt", "Numero di campioni=\r\n0\r\nNumero di canali=\r\n2\r\n");
  ClassSEG2Export late;
  EXPECT_FALSE(late.Read(dir / "late.txt").ok()) << "no interval, no channel blocks";
  bool ok = true;
  late.SaveAs(out, ok);
  EXPECT_FALSE(ok) << "channels without a sample count";
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(Files(), 2u);
}

TEST_F(WriteFixture, ReplacesALongerOlderFileWhole) {
  keld::testing::WriteText(out, std::string(5000, 'z'));
  Load(Record{});
  ASSERT_TRUE(Save());
  EXPECT_EQ(ReadBytes(out).size(), static_cast<size_t>(*shot.FileBlockSize() +
                                                       *shot.TraceBlockSize(1) +
                                                       *shot.TraceBlockSize(2)));
}

TEST_F(WriteFixture, AFolderOrAMissingFolderIsNoTarget) {
  Load(Record{});
  std::filesystem::create_directory(out);
  EXPECT_FALSE(Save());
  EXPECT_TRUE(std::filesystem::is_directory(out));
  EXPECT_EQ(Files(), 2u);
  out = dir / "no/such/folder.sg2";
  EXPECT_FALSE(Save());
}

TEST_F(WriteFixture, NoSamplesAndNoChannels) {
  Record r;
  r.samples = "0";
  r.blocks = {{1, {}}, {2, {}}};
  Load(r);
  ASSERT_TRUE(Save());
  auto seg = keld::testing::WalkSeg2(ReadBytes(out));
  EXPECT_EQ(seg.trace[0].data_size, 0);
  EXPECT_EQ(seg.trace[1].end, static_cast<int64_t>(ReadBytes(out).size()));

  r.channels = "0";
  r.blocks.clear();
  ClassSEG2Export none;
  keld::testing::WriteText(dir / "none.txt", r.Text());
  ASSERT_TRUE(none.Read(dir / "none.txt").ok());
  bool ok = false;
  none.SaveAs(out, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(ReadBytes(out).size(), static_cast<size_t>(32 + StringListSize(none.FileStrings())));
}
