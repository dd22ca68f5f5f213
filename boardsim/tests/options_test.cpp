#include <gtest/gtest.h>

#include "boardsim/options.hpp"

using namespace keld::sim;

TEST(Options, UnitLists) {
  EXPECT_EQ(ParseUnitList("1-3,7"), (std::vector<int>{1, 2, 3, 7}));
  EXPECT_EQ(ParseUnitList("248"), (std::vector<int>{248}));
  EXPECT_FALSE(ParseUnitList("3-1"));
  EXPECT_FALSE(ParseUnitList("256"));
  EXPECT_FALSE(ParseUnitList("a"));
  EXPECT_FALSE(ParseUnitList(""));
}

TEST(Options, EveryFlag) {
  std::string err;
  auto o = ParseOptions({"--seed", "12", "--units", "1-10", "--absent", "3,4", "--no-status",
                         "--never-trigger", "--trigger-delay", "70", "--trigger-on-signal",
                         "--free-run-delay", "5", "--merge-status", "--split", "9", "--piece-gap",
                         "0.25", "--unit-number", "33", "--cut", "1:2", "--cut", "1:3:50", "--garble",
                         "2:0", "--delay", "3:1:400", "--merge-blocks", "4:4", "--flood", "5:5:30000",
                         "--link", "/tmp/x", "--verbose", "--extra", "6:1", "--hold-first-block",
                         "--stray", "3:40"},
                        &err);
  ASSERT_TRUE(o) << err;
  EXPECT_EQ(o->sim.seed, 12u);
  EXPECT_EQ(o->sim.units.size(), 10u);
  EXPECT_EQ(o->sim.absent, (std::set<int>{3, 4}));
  EXPECT_TRUE(o->sim.no_status && o->sim.never_trigger && o->sim.trigger_on_signal && o->sim.merge_status);
  EXPECT_EQ(o->sim.trigger_delay_ms, 70);
  EXPECT_EQ(o->sim.free_run_delay_ms, 5);
  EXPECT_EQ(o->sim.split, 9u);
  EXPECT_DOUBLE_EQ(o->sim.piece_gap_ms, 0.25);
  EXPECT_EQ(o->sim.unit_number, 33);
  ASSERT_EQ(o->sim.faults.size(), 7u);
  EXPECT_EQ(o->sim.faults[6].kind, BlockFault::Kind::Extra);
  EXPECT_TRUE(o->sim.hold_first_block);
  EXPECT_EQ(o->sim.stray_after_notice, 3);
  EXPECT_DOUBLE_EQ(o->sim.stray_delay_ms, 40);
  EXPECT_EQ(o->sim.faults[0].kind, BlockFault::Kind::Cut);
  EXPECT_EQ(o->sim.faults[0].value, 0);
  EXPECT_EQ(o->sim.faults[1].value, 50);
  EXPECT_EQ(o->sim.faults[3].kind, BlockFault::Kind::Delay);
  EXPECT_EQ(o->sim.faults[3].unit, 3);
  EXPECT_EQ(o->sim.faults[3].value, 400);
  EXPECT_EQ(o->sim.faults[5].kind, BlockFault::Kind::Flood);
  EXPECT_EQ(o->link, "/tmp/x");
  EXPECT_TRUE(o->verbose);
}

TEST(Options, WrongOnesSayWhat) {
  std::string err;
  EXPECT_FALSE(ParseOptions({"--bogus"}, &err));
  EXPECT_NE(err.find("--bogus"), std::string::npos);
  EXPECT_FALSE(ParseOptions({"--delay", "1:2"}, &err));
  EXPECT_NE(err.find("--delay"), std::string::npos);
  EXPECT_FALSE(ParseOptions({"--garble", "1:2:3"}, &err));
  EXPECT_FALSE(ParseOptions({"--units", "1-49"}, &err));
  EXPECT_NE(err.find("48"), std::string::npos);
  EXPECT_FALSE(ParseOptions({"--split", "0"}, &err));
  EXPECT_FALSE(ParseOptions({"--seed"}, &err));
  EXPECT_FALSE(ParseOptions({"--link"}, &err));
}
