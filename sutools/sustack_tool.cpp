#include <cstdint>
#include <cstdio>
#include <string>

#include "common/bytes.hpp"
#include "common/su_header.hpp"
#include "sutools/args.hpp"
#include "sutools/stack_file.hpp"
#include "sutools/stack_group.hpp"
#include "sutools/stack_tools.hpp"
#include "sutools/trace_blocks.hpp"

namespace keld::sutools {

namespace {

const char* const kDoc =
    "SUSTACK - stack adjacent SU traces with the same header key\n"
    "\n"
    "  sustack <stdin >stdout [key=cdp] [normpow=1]\n"
    "\n"
    "Parameters:\n"
    "  key=      header word whose value groups the traces (cdp)\n"
    "  normpow=  each sample of the sum is divided by N^normpow, N the number\n"
    "            of non-zero values stacked at that sample (1)\n"
    "\n"
    "Traces are grouped while the key keeps its value, so sort the input by\n"
    "the key first (susort). Each output trace takes the header of its group's\n"
    "first trace, with offset 0, nhs the number of traces stacked and tracl its\n"
    "number in the output (1, 2, 3, ...).\n";

int Fail(std::FILE* err, const std::string& why) {
  std::fprintf(err, "sustack: %s\n", why.c_str());
  return 1;
}

}  // namespace

int SustackMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  return SustackMainThreads(argc, argv, in, out, err, 0);
}

int SustackMainThreads(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err,
                       unsigned threads) {
  if (WantsSelfDoc(argc, in)) {
    std::fputs(kDoc, out);
    return 1;
  }
  auto kv = ParseKeyValues(argc, argv, {"key", "normpow"});
  if (!kv) return Fail(err, kv.error());
  HeaderField field = *FindHeaderField("cdp");
  if (auto it = kv->find("key"); it != kv->end()) {
    auto f = FindHeaderField(it->second);
    if (!f) return Fail(err, "key=" + it->second + ": not a trace header key");
    field = *f;
  }
  double normpow = 1;
  if (auto it = kv->find("normpow"); it != kv->end()) {
    auto v = ParseNumber(it->second);
    if (!v) return Fail(err, "normpow=: " + v.error());
    normpow = *v;
  }

  SuOutput output(out);
  const StackFileRun run = StackRegularFile(in, field, normpow, output, threads);
  if (run.outcome == StackFileRun::Outcome::kWriteFailed) return Fail(err, output.error());
  if (run.outcome == StackFileRun::Outcome::kDone) return output.flush() ? 0 : Fail(err, output.error());
  if (run.resume > 0 && fseeko(in, static_cast<off_t>(run.resume_at), SEEK_SET) != 0)
    return Fail(err, "cannot read standard input from trace " + std::to_string(run.resume + 1));
  // Otherwise the stream is read ahead in blocks of whole traces into
  // buffers used again and again (from where the file's stack left off).
  TraceBlocksAhead reader(in, run.resume, run.resume > 0 ? run.first_ns : 0);
  StackGroup group(normpow);
  int64_t tracl = run.written;
  double key = 0;
  while (const TraceBlock* block = reader.next()) {
    for (size_t t = 0; t < block->traces(); ++t) {
      const uint8_t* raw = block->bytes() + block->start[t];
      const int ns = get_i16le(raw + 114);
      const double k = GetFieldLe(raw, field);
      if (group.empty() || k != key) {
        if (!group.empty() && !group.write(output, static_cast<int32_t>(++tracl))) return Fail(err, output.error());
        group.start(raw, ns);
        key = k;
      }
      group.add(raw);
    }
  }
  if (!reader.error().empty()) return Fail(err, reader.error());
  if (reader.count() == 0) return Fail(err, "no trace on standard input");
  if ((!group.empty() && !group.write(output, static_cast<int32_t>(++tracl))) || !output.flush())
    return Fail(err, output.error());
  return 0;
}

}  // namespace keld::sutools
