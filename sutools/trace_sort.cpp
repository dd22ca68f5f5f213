#include "sutools/trace_sort.hpp"

#include <algorithm>

#include "common/bytes.hpp"

namespace keld::sutools {

Result<SortKey> ParseSortKey(const std::string& word) {
  SortKey k;
  std::string name = word;
  if (!name.empty() && (name[0] == '+' || name[0] == '-')) {
    k.descending = name[0] == '-';
    name.erase(0, 1);
  }
  auto f = FindHeaderField(name);
  if (!f) return Result<SortKey>::failure("\"" + word + "\" is not a trace header key");
  k.field = *f;
  return k;
}

namespace {

struct Entry {
  double k1, k2;
  TraceSpan span;
};

}  // namespace

Result<std::vector<TraceSpan>> SortTraces(const uint8_t* data, size_t size, const std::vector<SortKey>& keys) {
  using R = Result<std::vector<TraceSpan>>;
  if (keys.empty()) return R::failure("no sort key");
  std::vector<Entry> e;
  std::vector<std::vector<double>> more;  // keys beyond the second, rarely used
  size_t pos = 0;
  while (pos < size) {
    const std::string where = "trace " + std::to_string(e.size() + 1);
    if (size - pos < 240) return R::failure(where + ": truncated header (" + std::to_string(size - pos) + " of 240 bytes)");
    const uint8_t* h = data + pos;
    const int ns = get_i16le(h + 114), dt = get_i16le(h + 116);
    if (ns <= 0) return R::failure(where + ": ns=" + std::to_string(ns) + " in the header (not an SU stream?)");
    if (dt <= 0) return R::failure(where + ": dt=" + std::to_string(dt) + " in the header");
    const size_t bytes = 240 + 4 * static_cast<size_t>(ns);
    if (size - pos < bytes) return R::failure(where + ": truncated (" + std::to_string(size - pos) + " of " + std::to_string(bytes) + " bytes)");
    Entry x{keys.size() > 0 ? GetFieldLe(h, keys[0].field) : 0, keys.size() > 1 ? GetFieldLe(h, keys[1].field) : 0, {pos, bytes}};
    if (keys[0].descending) x.k1 = -x.k1;
    if (keys.size() > 1 && keys[1].descending) x.k2 = -x.k2;
    if (keys.size() > 2) {
      std::vector<double> m;
      for (size_t k = 2; k < keys.size(); ++k) m.push_back((keys[k].descending ? -1 : 1) * GetFieldLe(h, keys[k].field));
      more.push_back(std::move(m));
    }
    e.push_back(x);
    pos += bytes;
  }
  if (e.empty()) return R::failure("no trace on standard input");
  std::vector<TraceSpan> out;
  out.reserve(e.size());
  if (keys.size() <= 2) {
    std::stable_sort(e.begin(), e.end(),
                     [](const Entry& a, const Entry& b) { return a.k1 != b.k1 ? a.k1 < b.k1 : a.k2 < b.k2; });
    for (const Entry& x : e) out.push_back(x.span);
    return out;
  }
  std::vector<size_t> idx(e.size());
  for (size_t i = 0; i < idx.size(); ++i) idx[i] = i;
  std::stable_sort(idx.begin(), idx.end(), [&](size_t a, size_t b) {
    if (e[a].k1 != e[b].k1) return e[a].k1 < e[b].k1;
    if (e[a].k2 != e[b].k2) return e[a].k2 < e[b].k2;
    return more[a] < more[b];
  });
  for (size_t i : idx) out.push_back(e[i].span);
  return out;
}

}  // namespace keld::sutools
