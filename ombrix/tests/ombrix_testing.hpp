#pragma once
// Synthetic SU files and page-model queries for the ombrix tests.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "common/su_file.hpp"
#include "ombrix/page/compose.hpp"

namespace keld::ombrix::testing {

// `ntr` traces of `ns` samples at `dt` us; trace k (1-based) carries k times a
// sine of period 20 samples that never passes exactly through 0; `edit` may
// change each trace.
inline void WriteSection(const std::string& path, int ntr, int ns, int dt,
                         std::function<void(int k, SuTrace&)> edit = {}) {
  std::vector<SuTrace> traces(static_cast<size_t>(ntr));
  for (int k = 1; k <= ntr; ++k) {
    SuTrace& t = traces[size_t(k - 1)];
    t.header.tracl = k;
    t.header.cdp = 100 + k;
    t.header.ns = int16_t(ns);
    t.header.dt = int16_t(dt);
    t.header.trid = 1;
    t.samples.resize(size_t(ns));
    // Sample i (1-based, as the composition counts) is samples[i - 1].
    for (int i = 1; i <= ns; ++i)
      t.samples[size_t(i - 1)] = float(k * std::sin(2 * M_PI * (i + 0.25) / 20));
    if (edit) edit(k, t);
  }
  WriteSuFile(path, traces);
}

inline std::vector<const PageOp*> Ops(const Page& p, std::function<bool(const PageOp&)> pred) {
  std::vector<const PageOp*> v;
  for (const PageOp& op : p.ops)
    if (pred(op)) v.push_back(&op);
  return v;
}

inline const PageOp* TextOp(const Page& p, const std::string& text) {
  for (const PageOp& op : p.ops)
    if (op.kind == OpKind::Text && op.text == text) return &op;
  return nullptr;
}

}  // namespace keld::ombrix::testing
