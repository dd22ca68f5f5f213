#pragma once
// One group of SU traces with the same key, summed as its traces come, and
// the stacked trace it gives: each sum divided by N^normpow, N the values
// that were not 0 there. Shared by sustack's stream and its reading of a
// regular file on several threads, so both give the same bytes.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/su_header.hpp"
#include "sutools/su_output.hpp"

namespace keld::sutools {

class StackGroup {
 public:
  explicit StackGroup(double normpow) : normpow_(normpow) {}
  // Room for traces of ns samples and folds up to `fold`, made ahead.
  void reserve(int ns, size_t fold);
  bool empty() const { return traces_ == 0; }
  // Forgets the traces added so far.
  void clear() { traces_ = 0; }
  int ns() const { return ns_; }
  // A new group, whose header is that of `raw` (a whole trace in stream
  // layout, ns samples).
  void start(const uint8_t* raw, int ns);
  // Adds the samples of a trace of the group's ns.
  void add(const uint8_t* raw);
  // The stacked trace appended to `to`: the group's header with offset 0,
  // nhs the traces stacked and tracl the given number; nothing when the
  // group is empty. The group is empty after.
  void append(std::vector<uint8_t>& to, int32_t tracl);
  // The same written to `out`; false when the write failed.
  bool write(SuOutput& out, int32_t tracl);

 private:
  double normpow_;
  uint8_t header_[240] = {};
  int ns_ = 0, traces_ = 0;
  std::vector<double> sum_;
  std::vector<int32_t> live_;
  std::vector<double> norm_;  // norm_[n] = n^normpow, made as far as needed
  std::vector<uint8_t> bytes_;
};

}  // namespace keld::sutools
