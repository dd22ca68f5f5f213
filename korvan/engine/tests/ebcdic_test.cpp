#include "korvan/engine/ebcdic.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/testing/testsupport.hpp"

namespace keld::korvan {
namespace {

unsigned At(const std::string& s, size_t i) { return static_cast<unsigned char>(s.at(i)); }

TEST(HexOctet, PairsOfDigits) {
  EXPECT_EQ(Hex_Octet("C1C2C3"), "\xC1\xC2\xC3");
  EXPECT_EQ(Hex_Octet("00ff7F"), std::string("\x00\xFF\x7F", 3));
  EXPECT_EQ(Hex_Octet(""), "");
  EXPECT_EQ(Hex_Octet("ABC"), "\xAB");  // the unpaired digit is ignored
}

TEST(TableEbcdic, KnownEntries) {
  const std::string t = Table_Ebcdic();
  ASSERT_EQ(t.size(), 256u);
  EXPECT_EQ(At(t, ' '), 0x40u);
  EXPECT_EQ(At(t, 'A'), 0xC1u);
  EXPECT_EQ(At(t, 'Z'), 0xE9u);
  EXPECT_EQ(At(t, 'a'), 0x81u);
  EXPECT_EQ(At(t, '0'), 0xF0u);
  EXPECT_EQ(At(t, '9'), 0xF9u);
  EXPECT_EQ(At(t, '\r'), 0x0Du);
  EXPECT_EQ(At(t, '\n'), 0x25u);
  EXPECT_EQ(At(t, 0x00), 0x00u);
  EXPECT_EQ(At(t, 0x1F), 0x1Fu);
  EXPECT_EQ(At(t, 0x80), 0x20u);
  EXPECT_EQ(At(t, 0xD5), 0x4Au);
  EXPECT_EQ(At(t, 0xFF), 0xFFu);
  // The four codes where the table differs from the dd utility's.
  EXPECT_EQ(At(t, 0x5E), 0x5Fu);
  EXPECT_EQ(At(t, 0x7E), 0xA1u);
  EXPECT_EQ(At(t, 0xCB), 0x9Au);
  EXPECT_EQ(At(t, 0xE5), 0x6Au);
}

TEST(TableEbcdic, IsAPermutation) {
  const std::string t = Table_Ebcdic();
  std::set<unsigned> seen;
  for (size_t i = 0; i < 256; ++i) seen.insert(At(t, i));
  EXPECT_EQ(seen.size(), 256u);
}

TEST(TableEbcdic, AgreesWithDdExceptAtFourCodes) {
  keld::testing::TempDir dir;
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  keld::testing::WriteText(dir / "ascii.bin", all);
  std::string msg;
  int rc = keld::testing::RunCommand("dd if=" + keld::testing::ShellQuote(dir / "ascii.bin") + " of=" +
                                         keld::testing::ShellQuote(dir / "ebcdic.bin") + " conv=ebcdic status=none",
                                     &msg);
  if (rc != 0) GTEST_SKIP() << "dd conv=ebcdic is not available: " << msg;
  const std::string dd = keld::testing::ReadText(dir / "ebcdic.bin");
  ASSERT_EQ(dd.size(), 256u);
  const std::string t = Table_Ebcdic();
  std::set<int> differ;
  for (int c = 0; c < 256; ++c)
    if (t[static_cast<size_t>(c)] != dd[static_cast<size_t>(c)]) differ.insert(c);
  EXPECT_EQ(differ, (std::set<int>{0x5E, 0x7E, 0xCB, 0xE5}));
}

TEST(AsciiEbcdic, EachCharacterThroughTheTable) {
  const std::string t = Table_Ebcdic();
  EXPECT_EQ(Ascii_Ebcdic("ABC", t), "\xC1\xC2\xC3");
  EXPECT_EQ(Ascii_Ebcdic("", t), "");
  EXPECT_EQ(Ascii_Ebcdic("Line 1\r\n", t), "\xD3\x89\x95\x85\x40\xF1\x0D\x25");
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  EXPECT_EQ(Ascii_Ebcdic(all, t), t);
}

TEST(InverseOctets, ExchangesTheTwoBytes) {
  EXPECT_EQ(Inverse_Octets(0), 0);
  EXPECT_EQ(Inverse_Octets(1), 256);
  EXPECT_EQ(Inverse_Octets(256), 1);
  EXPECT_EQ(Inverse_Octets(0x1234), 0x3412);
  EXPECT_EQ(Inverse_Octets(0x0400), 0x0004);
  EXPECT_EQ(Inverse_Octets(65535), 65535);
  for (int v = 0; v <= 65535; v += 251) EXPECT_EQ(Inverse_Octets(Inverse_Octets(v)), v);
}

}  // namespace
}  // namespace keld::korvan
