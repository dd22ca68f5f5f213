#include <cstdio>
#include <vector>

#include "common/bytes.hpp"
#include "common/files.hpp"
#include "sutools/args.hpp"
#include "sutools/segy/headers.hpp"
#include "sutools/tools.hpp"

namespace keld::sutools {

namespace {

const char* const kDoc =
    "SEGYHDRS - make the text and binary headers that segywrite puts in front\n"
    "           of a SEG-Y file, from an SU stream\n"
    "\n"
    "  segyhdrs <stdin [hfile=header] [bfile=binary] [ns=] [dt=]\n"
    "\n"
    "Parameters:\n"
    "  hfile=header  the 3200-byte EBCDIC text header written\n"
    "  bfile=binary  the 400-byte binary header written (big-endian)\n"
    "  ns= dt=       samples per trace and interval (microseconds) in place of\n"
    "                those of the first trace\n"
    "\n"
    "Only the first trace header is read. The binary header gets job, line and\n"
    "reel number 1, the interval, the sample count, format 1 and metres.\n";

}  // namespace

int SegyhdrsMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  if (WantsSelfDoc(argc, in)) {
    std::fputs(kDoc, out);
    return 1;
  }
  auto fail = [&](const std::string& why) {
    std::fprintf(err, "segyhdrs: %s\n", why.c_str());
    return 1;
  };
  auto kv = ParseKeyValues(argc, argv, {"hfile", "bfile", "ns", "dt"});
  if (!kv) return fail(kv.error());
  uint8_t th[240];
  const size_t got = std::fread(th, 1, sizeof th, in);
  if (got < sizeof th) return fail(got == 0 ? "no trace on standard input" : "truncated trace header on standard input");
  auto ns = IntegerParam(*kv, "ns", get_i16le(th + segy::kTrNs), 1, 32767);
  auto dt = IntegerParam(*kv, "dt", get_i16le(th + segy::kTrDt), 0, 65535);
  if (!ns) return fail(kv->count("ns") ? ns.error() : "the first trace header says ns=" + std::to_string(get_i16le(th + segy::kTrNs)) + ": not an SU stream?");
  if (!dt) return fail(dt.error());

  std::vector<uint8_t> bin(segy::kBinaryBytes, 0);
  put_i32be(bin.data() + 0, 1);
  put_i32be(bin.data() + 4, 1);
  put_i32be(bin.data() + 8, 1);
  put_u16be(bin.data() + segy::kBinHdt, static_cast<uint16_t>(*dt));
  put_u16be(bin.data() + segy::kBinNs, static_cast<uint16_t>(*ns));
  put_u16be(bin.data() + segy::kBinFormat, 1);
  put_u16be(bin.data() + segy::kBinMfeet, 1);
  const auto text = segy::DefaultTextHeader();
  const std::string hfile = kv->count("hfile") ? kv->at("hfile") : "header";
  const std::string bfile = kv->count("bfile") ? kv->at("bfile") : "binary";
  if (auto s = WriteFileAtomic(hfile, std::vector<uint8_t>(text.begin(), text.end())); !s)
    return fail("cannot write the text header: " + s.error);
  if (auto s = WriteFileAtomic(bfile, bin); !s) return fail("cannot write the binary header: " + s.error);
  return 0;
}

}  // namespace keld::sutools
