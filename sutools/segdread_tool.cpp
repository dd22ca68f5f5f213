#include "common/files.hpp"
#include "sutools/args.hpp"
#include "sutools/formats/segd_reader.hpp"
#include "sutools/tools.hpp"

namespace keld::sutools {

namespace {

const char* const kDoc =
    "SEGDREAD - read a SEG-D field file into an SU trace stream\n"
    "\n"
    "  segdread tape=FILE >stdout [verbose=0]\n"
    "\n"
    "Parameters:\n"
    "  tape=FILE   the SEG-D file (revisions 1, 2 and 3; several records one\n"
    "              after the other are read in turn)\n"
    "  verbose=1   print the revision, format code and trace count on standard\n"
    "              error\n"
    "\n"
    "Demultiplexed data in formats 8015, 8022, 8024, 8036, 8038, 8042, 8044,\n"
    "8048 and 8058 is converted to 32-bit floats. Each trace gets ns and dt from\n"
    "its channel set, fldr from the file number, tracf from the trace number,\n"
    "delrt from the channel set start time, the date and time words from the\n"
    "general header, and trid 1 for seismic channels (4 time break, 5 uphole,\n"
    "6 signature, 7 time counter, 8 water break, 3 other auxiliary data, 2 for\n"
    "a trace edited as dead). Nothing is written unless the whole file reads.\n";

}  // namespace

int SegdreadMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  if (argc <= 1) {
    std::fputs(kDoc, err);
    return 1;
  }
  auto kv = ParseKeyValues(argc, argv, {"tape", "verbose"});
  if (!kv) {
    std::fprintf(err, "segdread: %s\n", kv.error().c_str());
    return 1;
  }
  auto tape = kv->find("tape");
  if (tape == kv->end() || tape->second.empty()) {
    std::fprintf(err, "segdread: give the SEG-D file as tape=FILE\n");
    return 1;
  }
  auto bytes = ReadWholeFile(tape->second);
  if (!bytes) {
    std::fprintf(err, "segdread: %s\n", bytes.error().c_str());
    return 1;
  }
  auto file = formats::ReadSegd(*bytes, tape->second);
  if (!file) {
    std::fprintf(err, "segdread: %s\n", file.error().c_str());
    return 1;
  }
  if (auto v = kv->find("verbose"); v != kv->end() && v->second != "0")
    std::fprintf(err, "segdread: %s: revision %d.%d, format %d, %d record(s), %zu traces\n", tape->second.c_str(),
                 file->info.revision_major, file->info.revision_minor, file->info.format, file->info.records,
                 file->traces.size());
  return WriteSuTraces("segdread", file->traces, out, err);
}

}  // namespace keld::sutools
