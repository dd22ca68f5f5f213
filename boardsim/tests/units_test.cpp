#include <gtest/gtest.h>

#include "boardsim/units.hpp"

using namespace keld::sim;
using keld::board::ArmPacket;
using keld::board::BlockRequestPacket;
using keld::board::Packet;

namespace {
std::vector<Chunk> Feed(Units& u, const Packet& p) { return u.feed(p.data(), p.size()); }
std::vector<uint8_t> Bytes(const std::vector<Chunk>& c) {
  std::vector<uint8_t> out;
  for (const auto& x : c) out.insert(out.end(), x.bytes.begin(), x.bytes.end());
  return out;
}
const std::vector<uint8_t> kNoticeBytes(kNotice, kNotice + 3);
}  // namespace

TEST(Units, ATriggeredArmGetsTheStatusByteThenTheNoticeLater) {
  Units u;
  const auto out = Feed(u, ArmPacket(1024, 8000, 0, 1, 1, 0, 0, 0));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].bytes, std::vector<uint8_t>{0x06});
  EXPECT_EQ(out[0].delay_ms, 0);
  EXPECT_EQ(out[1].bytes, kNoticeBytes);
  EXPECT_EQ(out[1].delay_ms, 10);
  EXPECT_EQ(u.shots(), 1);
  EXPECT_EQ(u.shot().samples, 1024);
  EXPECT_EQ(u.shot().shot, 0);
}

TEST(Units, AFreeRunningArmGetsTheStatusByteAndTheNoticeAsRealUnitsSend) {
  Units u;
  const auto out = Feed(u, ArmPacket(256, 1000, 0, 0, 0, 0, 0, 0));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].bytes, std::vector<uint8_t>{0x06});
  EXPECT_EQ(out[1].bytes, kNoticeBytes);
}

TEST(Units, FaultOptionsForHeldFirstBlockExtraBlockAndStrayBytes) {
  SimConfig c;
  c.hold_first_block = true;
  c.stray_after_notice = 2;
  c.stray_delay_ms = 7;
  c.faults.push_back({BlockFault::Kind::Extra, 3, 1});
  Units u(c);
  auto arm = Feed(u, ArmPacket(1000, 250, 0, 1, 1, 0, 0, 0));
  ASSERT_EQ(arm.size(), 3u);
  EXPECT_EQ(arm[2].bytes, (std::vector<uint8_t>{0xA5, 0xA5}));
  EXPECT_EQ(arm[2].delay_ms, 7);
  auto first = Feed(u, BlockRequestPacket(3));
  EXPECT_DOUBLE_EQ(first[0].delay_ms, 4000.0) << "1000 samples at 250 Hz";
  EXPECT_EQ(Feed(u, BlockRequestPacket(4))[0].delay_ms, 0) << "only the first block of the shot waits";
  auto extra = Feed(u, BlockRequestPacket(3));
  EXPECT_EQ(Bytes(extra).size(), 384u);
  EXPECT_EQ(Bytes(Feed(u, BlockRequestPacket(3))), UnitBlock(u.shot(), 3, 3));
}

TEST(Units, BlockRequestsGiveTheUnitsNextSixtyFourSamples) {
  Units u;
  Feed(u, ArmPacket(1024, 8000, 0, 1, 1, 0, 0, 0));
  for (int b = 0; b < 3; ++b) {
    const auto out = Feed(u, BlockRequestPacket(7));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].bytes, UnitBlock(u.shot(), 7, b));
  }
  // Another unit starts at its own first block; a new arm starts again.
  EXPECT_EQ(Bytes(Feed(u, BlockRequestPacket(8))), UnitBlock(u.shot(), 8, 0));
  Feed(u, ArmPacket(1024, 8000, 0, 1, 1, 0, 0, 0));
  EXPECT_EQ(u.shot().shot, 1);
  EXPECT_EQ(Bytes(Feed(u, BlockRequestPacket(7))), UnitBlock(u.shot(), 7, 0));
}

TEST(Units, AbsentAndUnknownUnitsDoNotAnswer) {
  SimConfig c;
  c.units = {1, 2, 3};
  c.absent = {2};
  Units u(c);
  Feed(u, ArmPacket(256, 8000, 0, 1, 1, 0, 0, 0));
  EXPECT_FALSE(Feed(u, BlockRequestPacket(1)).empty());
  EXPECT_TRUE(Feed(u, BlockRequestPacket(2)).empty());
  EXPECT_TRUE(Feed(u, BlockRequestPacket(4)).empty());
  EXPECT_TRUE(Feed(u, BlockRequestPacket(248)).empty());
}

TEST(Units, NoUnitOnTheLineNoAnswerToTheArm) {
  SimConfig c;
  c.units = {5};
  c.absent = {5};
  Units u(c);
  EXPECT_TRUE(Feed(u, ArmPacket(256, 8000, 0, 1, 1, 0, 0, 0)).empty());
}

TEST(Units, SelectionIsTakenSilentlyAndUnknownPacketsIgnored) {
  Units u;
  EXPECT_TRUE(Feed(u, keld::board::UnitSelectPacket(9)).empty());
  EXPECT_EQ(u.last_selected(), 9);
  Packet odd{};
  odd[0] = 0x77;
  odd[11] = 3;
  EXPECT_TRUE(Feed(u, odd).empty());
  EXPECT_EQ(u.unknown_packets(), 1);
  // Framing holds after it: the next packet is read from its first byte.
  EXPECT_EQ(Feed(u, ArmPacket(256, 8000, 0, 1, 1, 0, 0, 0)).size(), 2u);
}

TEST(Units, TheUnitNumberRead) {
  SimConfig c;
  c.units = {12, 30};
  Units u(c);
  EXPECT_EQ(Bytes(Feed(u, keld::board::UnitNumberReadPacket())), std::vector<uint8_t>{12});
  u.config().unit_number = 200;
  EXPECT_EQ(Bytes(Feed(u, keld::board::UnitNumberReadPacket())), std::vector<uint8_t>{200});
}

TEST(Units, PacketsInPiecesAndSeveralInOneRead) {
  Units u;
  const Packet arm = ArmPacket(256, 8000, 0, 1, 1, 0, 0, 0);
  EXPECT_TRUE(u.feed(arm.data(), 6).empty());
  EXPECT_EQ(u.partial_bytes(), 6u);
  EXPECT_EQ(u.feed(arm.data() + 6, 9).size(), 2u);
  std::vector<uint8_t> two;
  const Packet req = BlockRequestPacket(1);
  two.insert(two.end(), req.begin(), req.end());
  two.insert(two.end(), req.begin(), req.end());
  two.push_back(0xD1);
  const auto out = u.feed(two.data(), two.size());
  EXPECT_EQ(out.size(), 2u);
  EXPECT_EQ(u.partial_bytes(), 1u);
  u.drop_partial();
  EXPECT_EQ(u.partial_bytes(), 0u);
}

TEST(Units, NeverTriggerAndTriggerOnSignal) {
  SimConfig never;
  never.never_trigger = true;
  Units a(never);
  EXPECT_EQ(Bytes(Feed(a, ArmPacket(256, 8000, 0, 1, 1, 0, 0, 0))), std::vector<uint8_t>{0x06});
  EXPECT_TRUE(a.trigger().empty());
  SimConfig sig;
  sig.trigger_on_signal = true;
  Units b(sig);
  EXPECT_EQ(Bytes(Feed(b, ArmPacket(256, 8000, 0, 1, 1, 0, 0, 0))), std::vector<uint8_t>{0x06});
  EXPECT_TRUE(b.notice_held());
  EXPECT_EQ(Bytes(b.trigger()), kNoticeBytes);
  EXPECT_TRUE(b.trigger().empty()) << "one notice per arm";
}

TEST(Units, MergedStatusAndSplitWrites) {
  SimConfig m;
  m.merge_status = true;
  Units a(m);
  const auto out = Feed(a, ArmPacket(256, 8000, 0, 1, 1, 0, 0, 0));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].bytes, (std::vector<uint8_t>{0x06, 'T', 'R', 'G'}));
  SimConfig s;
  s.split = 50;
  Units b(s);
  Feed(b, ArmPacket(256, 8000, 0, 1, 1, 0, 0, 0));
  const auto pieces = Feed(b, BlockRequestPacket(1));
  ASSERT_EQ(pieces.size(), 4u);  // 50 + 50 + 50 + 42
  EXPECT_EQ(pieces[3].bytes.size(), 42u);
  EXPECT_GT(pieces[3].delay_ms, pieces[0].delay_ms);
  EXPECT_EQ(Bytes(pieces), UnitBlock(b.shot(), 1, 0));
}

TEST(Units, BlockFaults) {
  SimConfig c;
  c.faults = {{BlockFault::Kind::Cut, 1, 0, -1, 100},  {BlockFault::Kind::Garble, 1, 1, -1, 0},
              {BlockFault::Kind::Delay, 1, 2, -1, 250}, {BlockFault::Kind::Merge, 1, 3, -1, 0},
              {BlockFault::Kind::Flood, 1, 5, -1, 0},   {BlockFault::Kind::Error, 1, 6, -1, 1006},
              {BlockFault::Kind::Cut, 2, 0, 1, 10}};
  Units u(c);
  Feed(u, ArmPacket(1024, 8000, 0, 1, 1, 0, 0, 0));
  const ShotSpec s = u.shot();
  auto block = [&](int unit) { return Feed(u, BlockRequestPacket(unit)); };
  EXPECT_EQ(Bytes(block(1)).size(), 100u);
  const auto garbled = Bytes(block(1));
  ASSERT_EQ(garbled.size(), 192u);
  EXPECT_NE(garbled, UnitBlock(s, 1, 1));
  const auto late = block(1);
  ASSERT_EQ(late.size(), 1u);
  EXPECT_EQ(late[0].delay_ms, 250);
  EXPECT_EQ(late[0].bytes, UnitBlock(s, 1, 2));
  auto merged = UnitBlock(s, 1, 3);
  const auto b4 = UnitBlock(s, 1, 4);
  merged.insert(merged.end(), b4.begin(), b4.end());
  EXPECT_EQ(Bytes(block(1)), merged);
  EXPECT_TRUE(block(1).empty()) << "block 4 went out with block 3";
  EXPECT_EQ(Bytes(block(1)).size(), 25000u);
  const auto err = block(1);
  ASSERT_EQ(err.size(), 1u);
  EXPECT_EQ(err[0].error, 1006);
  EXPECT_EQ(err[0].bytes, UnitBlock(s, 1, 6));
  // A fault bound to shot 1 leaves shot 0 alone.
  EXPECT_EQ(Bytes(block(2)).size(), 192u);
  Feed(u, ArmPacket(1024, 8000, 0, 1, 1, 0, 0, 0));
  EXPECT_EQ(Bytes(block(2)).size(), 10u);
}
