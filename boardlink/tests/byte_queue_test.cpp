#include <gtest/gtest.h>

#include <numeric>

#include "boardlink/byte_queue.hpp"

using keld::board::ByteQueue;

TEST(ByteQueue, TakesExactlyWhatIsAskedWhateverTheArrivalSizes) {
  ByteQueue q;
  std::vector<uint8_t> all(1000);
  std::iota(all.begin(), all.end(), 0);
  size_t pos = 0;
  for (size_t piece : {1u, 7u, 192u, 3u, 500u, 297u}) {
    q.append(all.data() + pos, piece);
    pos += piece;
  }
  ASSERT_EQ(q.size(), 1000u);
  std::vector<uint8_t> got;
  for (size_t n : {1u, 3u, 192u, 192u, 192u, 420u}) {
    auto t = q.take(n);
    EXPECT_EQ(t.size(), n);
    got.insert(got.end(), t.begin(), t.end());
  }
  EXPECT_EQ(got, all);
  EXPECT_TRUE(q.empty());
}

TEST(ByteQueue, TakeOfMoreThanWaitsGivesWhatWaits) {
  ByteQueue q;
  const uint8_t b[3] = {1, 2, 3};
  q.append(b, 3);
  EXPECT_EQ(q.take(10), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_TRUE(q.take(1).empty());
}

TEST(ByteQueue, LongRunsKeepOrder) {
  ByteQueue q;
  uint8_t next_in = 0, next_out = 0;
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> in(static_cast<size_t>(round % 37 + 1));
    for (auto& b : in) b = next_in++;
    q.append(in.data(), in.size());
    for (uint8_t b : q.take(static_cast<size_t>(round % 29 + 1))) ASSERT_EQ(b, next_out++);
  }
  for (uint8_t b : q.take(q.size())) ASSERT_EQ(b, next_out++);
  EXPECT_EQ(next_in, next_out);
  q.append(&next_in, 1);
  q.clear();
  EXPECT_EQ(q.size(), 0u);
}
