#include <gtest/gtest.h>

#include "platform/messages.hpp"

using namespace keld;

TEST(MessageRecorder, KeepsTextsAndAnswersAsTold) {
  MessageRecorder m;
  m.answer(MsgAnswer::No);
  EXPECT_FALSE(m.yes("Do you want to quit KORVAN QMR650B", MsgIcon::Question, "KORVAN QMR650B"));
  EXPECT_TRUE(m.yes("again?", MsgIcon::Question, "t"));  // nothing queued: first button
  m.ok("Check the number of boards", MsgIcon::Critical, "KORVAN QMR650B");
  m.type("5");
  EXPECT_EQ(*m.input("Receiever spacing (m or ft)", "KORVAN QMR650B", "0"), "5");
  EXPECT_FALSE(m.input("Receiever spacing (m or ft)", "KORVAN QMR650B", "0").has_value());
  ASSERT_EQ(m.shown.size(), 5u);
  EXPECT_EQ(m.shown[2].icon, MsgIcon::Critical);
  EXPECT_EQ(m.shown[2].title, "KORVAN QMR650B");
  EXPECT_TRUE(m.shown[3].is_input);
  EXPECT_EQ(m.shown[3].default_text, "0");
  EXPECT_EQ(m.count("Receiever spacing (m or ft)"), 2);
}
