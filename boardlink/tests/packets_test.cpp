#include <gtest/gtest.h>

#include "boardlink/board_link.hpp"
#include "common/testing/testsupport.hpp"

using namespace keld::board;

namespace {
Packet P(std::initializer_list<int> bytes) {
  Packet p{};
  size_t i = 0;
  for (int b : bytes) p[i++] = static_cast<uint8_t>(b);
  return p;
}
int32_t Dec(uint8_t a, uint8_t b, uint8_t c) {
  const uint8_t s[3] = {a, b, c};
  return DecodeSample(s);
}
}  // namespace

TEST(ArmPacket, ThousandTwentyFourSamplesAt8000HzTriggeredPolarityOne) {
  EXPECT_EQ(ArmPacket(1024, 8000, 0, 1, 1, 0, 0, 0),
            P({0x1A, 0x1F, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x04, 0x00}));
}

TEST(ArmPacket, EveryFieldInItsPlaceBigEndian) {
  const Packet p = ArmPacket(10922, 250, 0x0102, 0, 0, 1, 1, 7);
  EXPECT_EQ(p, P({0x1A, 0x00, 0xFA, 0x01, 0x02, 0x01, 0x00, 0x01, 0x07, 0x00, 0x00, 0x00, 0x00, 0x2A, 0xAA}));
  // 24-bit sample count over all three bytes.
  const Packet q = ArmPacket(200000, 32000, 0, 1, 0, 0, 0, 0);
  EXPECT_EQ(q[1], 0x7D);
  EXPECT_EQ(q[2], 0x00);
  EXPECT_EQ(q[12], 0x03);
  EXPECT_EQ(q[13], 0x0D);
  EXPECT_EQ(q[14], 0x40);
}

TEST(ArmPacket, PolarityAndModeAreOneOnlyForOne) {
  EXPECT_EQ(ArmPacket(256, 1000, 0, 2, 2, 0, 0, 0)[9], 0);
  EXPECT_EQ(ArmPacket(256, 1000, 0, 2, 2, 0, 0, 0)[10], 0);
  EXPECT_EQ(ArmPacket(256, 1000, 0, -1, -1, 0, 0, 0)[9], 0);
  EXPECT_EQ(ArmPacket(256, 1000, 0, 1, 1, 0, 0, 0)[9], 1);
  EXPECT_EQ(ArmPacket(256, 1000, 0, 0, 0, 0, 0, 0)[10], 0);
}

TEST(BlockRequestPacket, Unit248) {
  EXPECT_EQ(BlockRequestPacket(248),
            P({0xD1, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x00, 0x00, 0x00}));
}

TEST(UnitSelectPacket, AddressAtByteOneRestZero) {
  EXPECT_EQ(UnitSelectPacket(0), P({0xC0}));
  EXPECT_EQ(UnitSelectPacket(17), P({0xC0, 17}));
}

TEST(UnitNumberReadPacket, CodeOnly) { EXPECT_EQ(UnitNumberReadPacket(), P({0xB0})); }

TEST(DecodeSample, TwosComplement) {
  EXPECT_EQ(Dec(0x80, 0x00, 0x00), -8388608);
  EXPECT_EQ(Dec(0xFF, 0xFF, 0xFF), -1);
  EXPECT_EQ(Dec(0x7F, 0xFF, 0xFF), 8388607);
  EXPECT_EQ(Dec(0x00, 0x00, 0x01), 1);
  EXPECT_EQ(Dec(0x00, 0x00, 0x00), 0);
  EXPECT_EQ(Dec(0xFF, 0xFF, 0xFE), -2);
  EXPECT_EQ(Dec(0x12, 0x34, 0x56), 0x123456);
  EXPECT_EQ(Dec(0xED, 0xCB, 0xAA), -0x123456);
}

TEST(BlockCount, KorvanRoundsHalfToEvenPlusOne) {
  EXPECT_EQ(BlockCount(1024, BlockRule::RoundHalfEvenPlusOne), 16);
  EXPECT_EQ(BlockCount(10922, BlockRule::RoundHalfEvenPlusOne), 171);
  EXPECT_EQ(BlockCount(256, BlockRule::RoundHalfEvenPlusOne), 4);
  EXPECT_EQ(BlockCount(8192, BlockRule::RoundHalfEvenPlusOne), 128);
  EXPECT_EQ(BlockCount(64 * 10 + 32, BlockRule::RoundHalfEvenPlusOne), 11);  // 9.5 → 10, + 1
  EXPECT_EQ(BlockCount(64 * 11 + 32, BlockRule::RoundHalfEvenPlusOne), 11);  // 10.5 → 10, + 1
  EXPECT_EQ(BlockCount(1, BlockRule::RoundHalfEvenPlusOne), 0);
  EXPECT_EQ(BlockCount(0, BlockRule::RoundHalfEvenPlusOne), 0);
}

TEST(BlockCount, BoardtestWholeBlocks) {
  EXPECT_EQ(BlockCount(256, BlockRule::WholeBlocks), 4);
  EXPECT_EQ(BlockCount(8192, BlockRule::WholeBlocks), 128);
  EXPECT_EQ(BlockCount(10922, BlockRule::WholeBlocks), 170);
  EXPECT_EQ(BlockCount(63, BlockRule::WholeBlocks), 0);
}

TEST(LinkConfig, KorvanAndBoardtestDiffer) {
  const LinkConfig k = LinkConfig::Korvan();
  EXPECT_EQ(k.input_buffer_size, 20000);
  EXPECT_TRUE(k.send_unit_select);
  EXPECT_DOUBLE_EQ(k.reopen_pause_s, 2.5);
  EXPECT_FALSE(k.break_is_link_error);
  EXPECT_EQ(k.block_timeout_ms, 2000);
  EXPECT_EQ(k.block_rule, BlockRule::RoundHalfEvenPlusOne);
  EXPECT_FALSE(k.double_samples);
  const LinkConfig b = LinkConfig::Boardtest();
  EXPECT_EQ(b.input_buffer_size, 30000);
  EXPECT_FALSE(b.send_unit_select);
  EXPECT_EQ(b.reopen_pause_s, 0);
  EXPECT_TRUE(b.break_is_link_error);
  EXPECT_EQ(b.block_timeout_ms, 2000);
  EXPECT_EQ(b.block_rule, BlockRule::WholeBlocks);
  EXPECT_TRUE(b.double_samples);
}

TEST(PortDevice, EnvironmentFirstThenUsbThenAcm) {
  keld::testing::ScopedEnv env("KELD_COM7", "/tmp/some-simulator");
  EXPECT_EQ(PortDevice(7), "/tmp/some-simulator");
  keld::testing::ScopedEnv empty("KELD_COM120", "");
  // No adapter numbered 119 exists here: the ACM name is the fallback.
  EXPECT_EQ(PortDevice(120), "/dev/ttyACM119");
}
