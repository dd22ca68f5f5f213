#include <cstdio>
#include <string>

#include "common/files.hpp"
#include "sutools/args.hpp"
#include "sutools/segy/segyread.hpp"
#include "sutools/tools.hpp"

namespace keld::sutools {

namespace {

const char* const kDoc =
    "SEGYREAD - read a SEG-Y file into an SU trace stream\n"
    "\n"
    "  segyread tape=FILE [endian=] [conv=1] [over=0] [ns=] [trmin=1] [trmax=]\n"
    "           [trcwt=1] [hfile=header] [bfile=binary] >stdout\n"
    "\n"
    "Parameters:\n"
    "  tape=FILE   the SEG-Y file\n"
    "  endian=     0: the file is big-endian (the standard), 1: little-endian;\n"
    "              when not given, the order in which the binary header makes\n"
    "              sense\n"
    "  conv=1      convert the samples to IEEE floats; conv=0 keeps format-1\n"
    "              (IBM) samples as their raw 32-bit words\n"
    "  over=0      refuse an unknown format code; over=1 reads it as IBM floats\n"
    "  ns=         samples per trace, in place of the binary header's\n"
    "  trmin=1 trmax=  first and last trace to read (1-based, inclusive)\n"
    "  trcwt=1     multiply integer samples by 2^-trwf (trace header bytes\n"
    "              169-170); trcwt=0 leaves them as they are\n"
    "  hfile= bfile=  where the 3200-byte text header and the 400-byte binary\n"
    "              header (big-endian) are saved, in the working folder\n"
    "              unless a folder is named\n"
    "\n"
    "Sample formats: 1 IBM float, 2 int32, 3 int16, 5 IEEE float, 6 IEEE\n"
    "double, 7 int24, 8 int8, 9 int64, 10 uint32, 11 uint16, 12 uint64,\n"
    "15 uint24, 16 uint8. Extended text headers (revision 1 and later) and\n"
    "additional trace headers (revision 2, the same number after every trace\n"
    "header) are skipped; a file too short for the extended text headers it\n"
    "announces is refused. The trace count comes from the file's length;\n"
    "bytes after the last whole trace are left out with a warning, and the\n"
    "binary header's ns (at most 32767) is used for every trace.\n"
    "buffer=, buff= and errmax= (tape-drive settings) are accepted and ignored.\n";

}  // namespace

int SegyreadMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  if (WantsSelfDoc(argc, in)) {
    std::fputs(kDoc, out);
    return 1;
  }
  auto kv = ParseKeyValues(argc, argv,
                           {"tape", "endian", "conv", "over", "ns", "trmin", "trmax", "trcwt", "hfile", "bfile",
                            "buffer", "buff", "errmax", "verbose"});
  auto fail = [&](const std::string& why) {
    std::fprintf(err, "segyread: %s\n", why.c_str());
    return 1;
  };
  if (!kv) return fail(kv.error());
  auto tape = kv->find("tape");
  if (tape == kv->end() || tape->second.empty()) return fail("give the SEG-Y file as tape=FILE");

  segy::SegyreadParams p;
  p.hfile = "header";
  p.bfile = "binary";
  if (auto it = kv->find("hfile"); it != kv->end()) p.hfile = it->second;
  if (auto it = kv->find("bfile"); it != kv->end()) p.bfile = it->second;
  auto endian = IntegerParam(*kv, "endian", -1, 0, 1);
  auto conv = IntegerParam(*kv, "conv", 1, 0, 1);
  auto over = IntegerParam(*kv, "over", 0, 0, 1);
  auto trcwt = IntegerParam(*kv, "trcwt", 1, 0, 1);
  auto ns = IntegerParam(*kv, "ns", 0, 0, segy::kMaxNs);
  auto trmin = IntegerParam(*kv, "trmin", 1, 1, INT64_MAX);
  auto trmax = IntegerParam(*kv, "trmax", INT64_MAX, 1, INT64_MAX);
  for (const auto* r : {&endian, &conv, &over, &trcwt, &ns, &trmin, &trmax})
    if (!*r) return fail(r->error());
  if (*endian >= 0) p.layout.order = *endian == 1 ? segy::ByteOrder::Little : segy::ByteOrder::Big;
  p.conv = *conv == 1;
  p.layout.over = *over == 1;
  p.trcwt = *trcwt == 1;
  p.layout.ns = static_cast<int>(*ns);
  p.trmin = *trmin;
  p.trmax = *trmax;

  const std::string path = tape->second;
  auto size = FileLength(path);
  std::FILE* f = size ? std::fopen(path.c_str(), "rb") : nullptr;
  if (!f) return fail("cannot open the SEG-Y file " + path);
  const int status = segy::RunSegyread(f, *size, p, out, err);
  std::fclose(f);
  return status;
}

}  // namespace keld::sutools
