#include "sutools/args.hpp"

#include <gtest/gtest.h>

namespace keld::sutools {
namespace {

TEST(Args, KeyValues) {
  const char* argv[] = {"sufilter", "f=1,2,3,4", "amps=0,1,1,0", "f=5,6,7,8"};
  auto kv = ParseKeyValues(4, argv, {"f", "amps"});
  ASSERT_TRUE(kv.ok()) << kv.error();
  EXPECT_EQ(kv->at("f"), "5,6,7,8");  // the last one given counts
  EXPECT_EQ(kv->at("amps"), "0,1,1,0");
}

TEST(Args, RefusesUnknownAndMalformed) {
  const char* a1[] = {"sugain", "tpow=2"};
  auto r1 = ParseKeyValues(2, a1, {"agc", "wagc"});
  ASSERT_FALSE(r1.ok());
  EXPECT_NE(r1.error().find("unknown parameter tpow="), std::string::npos);
  const char* a2[] = {"sugain", "agc"};
  EXPECT_FALSE(ParseKeyValues(2, a2, {"agc"}).ok());
  const char* a3[] = {"sugain", "=1"};
  EXPECT_FALSE(ParseKeyValues(2, a3, {"agc"}).ok());
}

TEST(Args, Numbers) {
  EXPECT_EQ(*ParseNumber("0.5"), 0.5);
  EXPECT_EQ(*ParseNumber(".5"), 0.5);
  EXPECT_EQ(*ParseNumber("-3"), -3);
  EXPECT_EQ(*ParseNumber("1e3"), 1000);
  for (const char* bad : {"", "abc", "1x", " 1", "1 ", "nan", "inf", "1e999"}) EXPECT_FALSE(ParseNumber(bad).ok()) << bad;
  auto l = ParseNumberList("10,20,8000,16000");
  ASSERT_TRUE(l.ok());
  EXPECT_EQ(*l, (std::vector<double>{10, 20, 8000, 16000}));
  EXPECT_FALSE(ParseNumberList("10,,20").ok());
  EXPECT_FALSE(ParseNumberList("10,20,").ok());
  EXPECT_FALSE(ParseNumberList("").ok());
}

TEST(Args, SelfDocOnlyWithoutArgumentsOnATerminal) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(WantsSelfDoc(1, f));  // a file, not a terminal
  EXPECT_FALSE(WantsSelfDoc(2, f));
  std::fclose(f);
}

}  // namespace
}  // namespace keld::sutools
