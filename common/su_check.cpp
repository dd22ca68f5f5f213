#include "common/su_check.hpp"

#include <cstring>

#include "common/bytes.hpp"

namespace keld {

namespace {

const char* Noun(SuSource what) { return what == SuSource::File ? "file" : "stream"; }

}  // namespace

int SuHeaderNs(const uint8_t* h) { return get_i16le(h + 114); }

std::string SuLengthFault(const uint8_t* h, int64_t number, int first_ns, SuSource what) {
  const int ns = SuHeaderNs(h);
  if (ns == first_ns) return {};
  return std::string("not an SU ") + Noun(what) + " of fixed trace length (trace " + std::to_string(number) +
         " has " + std::to_string(ns) + " samples, the first trace " + std::to_string(first_ns) + ")";
}

std::string SuBigEndianReading(const uint8_t* h, int64_t len, bool ends, const SuByteReader& read_at,
                               SuSource what) {
  const int ns = get_i16be(h + 114);
  if (ns <= 0 || len <= 0) return {};
  const int64_t trace = 240 + 4 * static_cast<int64_t>(ns);
  if (ends ? (len < trace || len % trace != 0) : len < 2 * trace) return {};
  uint8_t next[2];
  if (len >= 2 * trace && (!read_at(trace + 114, next, 2) || get_i16be(next) != ns)) return {};
  const std::string noun = Noun(what);
  return "it reads as a big-endian " + noun + " of " + (ends ? std::to_string(len / trace) + " " : "") +
         "traces of " + std::to_string(ns) + " samples; only little-endian SU " + noun + "s are read";
}

std::string SuBigEndianStream(const uint8_t* head, size_t have, bool ends) {
  if (have < 240) return {};
  auto read_at = [head, have](int64_t offset, void* buf, size_t n) {
    if (offset < 0 || static_cast<size_t>(offset) > have || n > have - static_cast<size_t>(offset)) return false;
    std::memcpy(buf, head + offset, n);
    return true;
  };
  const std::string big = SuBigEndianReading(head, static_cast<int64_t>(have), ends, read_at, SuSource::Stream);
  if (big.empty()) return {};
  if (head[114] == head[115] && !(get_i16le(head + 116) <= 0 && get_i16be(head + 116) > 0)) return {};
  return "not a little-endian SU stream (" + big + ")";
}

std::string SuStreamTraceFault(const uint8_t* h, int64_t number, int first_ns, bool need_dt, int& ns,
                               int& dt_us) {
  ns = SuHeaderNs(h);
  dt_us = get_i16le(h + 116);
  if (first_ns > 0 && ns != first_ns) return SuLengthFault(h, number, first_ns, SuSource::Stream);
  const std::string at = "trace " + std::to_string(number) + ": ";
  if (ns <= 0)
    return at + "ns=" + std::to_string(ns) + " in the header (samples per trace must be positive; not an SU stream?)";
  if (need_dt && dt_us <= 0)
    return at + "dt=" + std::to_string(dt_us) + " in the header (the sample interval must be positive)";
  return {};
}

std::string SuTruncatedHeader(int64_t number, size_t got) {
  return "trace " + std::to_string(number) + ": truncated header (" + std::to_string(got) + " of 240 bytes)";
}

std::string SuTruncatedSamples(int64_t number, size_t got, size_t want) {
  return "trace " + std::to_string(number) + ": truncated (" + std::to_string(got) + " of " + std::to_string(want) +
         " sample bytes)";
}

}  // namespace keld
