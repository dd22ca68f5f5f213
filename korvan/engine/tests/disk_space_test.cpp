#include <gtest/gtest.h>

#include "common/testing/testsupport.hpp"
#include "korvan/engine/disk_space.hpp"

using namespace keld::korvan;

TEST(DiskSpace, ReportTextsAndWarning) {
  std::string r = DiskReport("/", 900000, 40000000, FreePercentage(900000, 40000000));
  EXPECT_EQ(r,
            "INFO ON DRIVE: /\r\n\r\n"
            "Free kilobytes: 900'000\r\n"
            "Total kilobytes: 40'000'000\r\n"
            "\r\n"
            "Free Space Percentage: 2%\r\n\r\n"
            "BE CAREFUL, DISK WILL BE QUICKLY FULL !");
  EXPECT_EQ(DiskReport("/", 1000000, 40000000, 3).find("BE CAREFUL"), std::string::npos);
  EXPECT_NE(DiskReport("/", 1234567, 40000000, 3).find("Free kilobytes: 1'234'567"), std::string::npos);
  EXPECT_EQ(FreePercentage(0, 0), 0);
  EXPECT_EQ(FreePercentage(1, 40), 2);  // 2.5 to the even neighbour
}

TEST(DiskSpace, LargeDisksCountIn64Bits) {
  // 3 TB free of 4 TB: no warning, the true counts.
  uint64_t free_kb = 3ull * 1024 * 1024 * 1024, total_kb = 4ull * 1024 * 1024 * 1024;
  std::string r = DiskReport("/data", free_kb, total_kb, FreePercentage(free_kb, total_kb));
  EXPECT_EQ(r.find("BE CAREFUL"), std::string::npos);
  EXPECT_NE(r.find("Free kilobytes: 3'221'225'472"), std::string::npos);
  EXPECT_NE(r.find("75%"), std::string::npos);
}

TEST(DiskSpace, QueriesTheFolderItsDiskAndFailsCleanly) {
  keld::testing::TempDir d;
  auto q = QueryDiskSpace(d.path());
  ASSERT_TRUE(q.has_value());
  EXPECT_GT(q->total_bytes, 0u);
  EXPECT_LE(q->free_bytes, q->total_bytes);
  EXPECT_FALSE(q->mount_point.empty());
  EXPECT_FALSE(QueryDiskSpace(d / "no/such/folder").has_value());
  EXPECT_EQ(Octets_Libres(d / "no/such/folder"), "");
  EXPECT_EQ(Texte_Libre(d / "no/such/folder"), "");
  EXPECT_EQ(Espace_Disque(d / "no/such/folder"), 0);
  EXPECT_NE(Texte_Total(d.path()), "");
}
