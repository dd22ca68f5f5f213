// The comma-separated columns reader: the counts of the window's questions,
// columns into traces, and refusals.
#include <gtest/gtest.h>

#include "conversion/importers/ascii_columns.hpp"

using namespace keld;
using namespace keld::conversion;

TEST(AsciiColumns, ColumnsBecomeTraces) {
  auto v = ReadColumnValues("1,2,3,4\r\n5, 6 ,7,8\r\n\r\n9,10,11,-1.5e1\n");
  ASSERT_TRUE(v.ok()) << v.error();
  ASSERT_EQ(v->size(), 12u);
  EXPECT_EQ(ColumnTraces(12, 3), 4);
  EXPECT_EQ(ColumnTraces(1024, 512), 2);
  EXPECT_EQ(ColumnTraces(5, 2), 2);  // 2.5 to even
  EXPECT_EQ(ColumnTraces(1, 1), 1);  // one value of one sample is one trace
  EXPECT_EQ(ColumnTraces(10, 0), 0);
  auto t = ImportColumns(*v, {3, 4, 100, true});
  ASSERT_TRUE(t.ok()) << t.error();
  ASSERT_EQ(t->size(), 4u);
  EXPECT_EQ((*t)[3].samples, (std::vector<float>{4, 8, -15}));
  EXPECT_EQ((*t)[0].samples, (std::vector<float>{1, 5, 9}));
  const SuTraceHeader& h = (*t)[2].header;
  EXPECT_EQ(h.tracl, 0);
  EXPECT_EQ(h.fldr, 1);
  EXPECT_EQ(h.tracf, 3);
  EXPECT_EQ(h.cdp, 3);
  EXPECT_EQ(h.nhs, 95);
  EXPECT_EQ(h.trid, 1);
  EXPECT_EQ(h.dt, 100);
  EXPECT_EQ(ImportColumns(*v, {3, 4, 100, false})->at(0).header.nhs, 1);
}

TEST(AsciiColumns, ShortFilesAndBadValuesAreRefused) {
  auto v = ReadColumnValues("1,2\n3,4\n");
  EXPECT_NE(ImportColumns(*v, {3, 2, 1, false}).error().find("fewer than the 6"), std::string::npos);
  EXPECT_FALSE(ImportColumns(*v, {0, 2, 1, false}).ok());
  EXPECT_FALSE(ImportColumns(*v, {2, 0, 1, false}).ok());
  EXPECT_EQ(ReadColumnValues("1,2\n3,x4\n").error(), "Line 2, value 2: \"x4\" is not a number");
  EXPECT_FALSE(ReadColumnValues("1,,2\n").ok());
  EXPECT_TRUE(ReadColumnValues("")->empty());
}
