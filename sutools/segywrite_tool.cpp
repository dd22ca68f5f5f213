#include <cstdio>
#include <string>

#include "sutools/args.hpp"
#include "sutools/segy/segywrite.hpp"
#include "sutools/tools.hpp"
#include "sutools/whole_input.hpp"

namespace keld::sutools {

namespace {

const char* const kDoc =
    "SEGYWRITE - write an SU trace stream as a SEG-Y file\n"
    "\n"
    "  segywrite <stdin tape=FILE [conv=1] [endian=0] [trmin=1] [trmax=]\n"
    "            [hfile=header] [bfile=binary]\n"
    "\n"
    "Parameters:\n"
    "  tape=FILE   the SEG-Y file written (beside its name, then renamed over\n"
    "              it once complete)\n"
    "  conv=1      samples as IBM floats (format 1); conv=0 as IEEE floats\n"
    "              (format 5)\n"
    "  endian=0    big-endian, the standard; endian=1 little-endian\n"
    "  trmin=1 trmax=  first and last trace of the stream to write\n"
    "  hfile= bfile=  the text and binary headers made by segyhdrs\n"
    "  buffer=, buff=, errmax=  tape-drive settings, accepted and ignored\n"
    "\n"
    "The binary header takes ns and dt from the first trace written and the\n"
    "format from conv=; every trace must have the first one's ns.\n";

}  // namespace

int SegywriteMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  if (WantsSelfDoc(argc, in)) {
    std::fputs(kDoc, out);
    return 1;
  }
  auto fail = [&](const std::string& why) {
    std::fprintf(err, "segywrite: %s\n", why.c_str());
    return 1;
  };
  auto kv = ParseKeyValues(argc, argv,
                           {"tape", "conv", "endian", "trmin", "trmax", "hfile", "bfile", "buffer", "buff", "errmax",
                            "verbose"});
  if (!kv) return fail(kv.error());
  segy::SegywriteParams p;
  if (auto it = kv->find("tape"); it != kv->end()) p.tape = it->second;
  if (p.tape.empty()) return fail("give the SEG-Y file to write as tape=FILE");
  if (auto it = kv->find("hfile"); it != kv->end()) p.hfile = it->second;
  if (auto it = kv->find("bfile"); it != kv->end()) p.bfile = it->second;
  auto conv = IntegerParam(*kv, "conv", 1, 0, 1);
  auto endian = IntegerParam(*kv, "endian", 0, 0, 1);
  auto trmin = IntegerParam(*kv, "trmin", 1, 1, INT64_MAX);
  auto trmax = IntegerParam(*kv, "trmax", INT64_MAX, 1, INT64_MAX);
  for (const auto* r : {&conv, &endian, &trmin, &trmax})
    if (!*r) return fail(r->error());
  p.ibm = *conv == 1;
  p.little = *endian == 1;
  p.trmin = *trmin;
  p.trmax = *trmax;
  // A file on standard input is read in place; a pipe trace by trace.
  WholeInput mapped;
  if (mapped.mapFile(in)) {
    SuStreamReader reader(mapped.data(), mapped.size(), false);
    return segy::RunSegywrite(reader, p, err);
  }
  SuStreamReader reader(in, false);
  return segy::RunSegywrite(reader, p, err);
}

}  // namespace keld::sutools
