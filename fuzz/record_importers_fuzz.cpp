// Every record reader on arbitrary bytes, with layout values taken from the
// input's first bytes, whole 32-bit counts among them, so that absurd counts
// and positions are tried too: nothing may be read outside the record, and
// no count the record cannot hold may be allocated for. The text readers
// also read the bytes as a file, in the pieces a conversion reads.
#include <cstdint>
#include <cstring>

#include "conversion/importers/records/abem.hpp"
#include "conversion/importers/records/ambrogeo.hpp"
#include "conversion/importers/records/bison.hpp"
#include "conversion/importers/records/es1225.hpp"
#include "conversion/importers/records/oyo.hpp"
#include "conversion/importers/records/pasi.hpp"
#include "conversion/importers/records/sisforme.hpp"
#include "conversion/importers/records/tests/collect_traces.hpp"
#include "fuzz/scratch_file.hpp"

using namespace keld::conversion;
using keld::conversion::testing::Collect;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Bytes file(data, size);
  int32_t v[6] = {};
  if (size) std::memcpy(v, data, std::min(size, sizeof v));
  const int ns = v[0], channels = v[1];
  (void)ReadAbemHeader(file);
  (void)Collect(ReadAbemRecord, file, "f", AbemParams{ns, 500, channels}, 1);
  (void)Collect(ReadLayoutRecord, file, "f",
                LayoutParams{v[2], v[3], channels, ns, 250, static_cast<LayoutType>((v[4] & 3))}, 1);
  (void)Collect(ReadEs1225Record, file, "f", Es1225Params{channels, ns, 250});
  const BisonHeader h = ReadBisonHeader(file);
  (void)Collect(ReadBisonRecord, file, "f", BisonParams{channels, ns, 250, h.header_size});
  (void)Collect(ReadBisonRecord, file, "f", BisonParams{channels, ns, 250, v[2]});
  (void)Collect(ReadPasiRecord, file, "f", PasiParams{channels, ns, 500}, 1);
  (void)Collect(ReadOyoRecord, file, "f", OyoParams{channels, ns, 0.25, (v[5] & 1) != 0});
  (void)ReadAmbrogeoHeader(file);
  (void)Collect(ReadAmbrogeoRecord, file, "f", AmbrogeoParams{channels, ns, 250}, 1);
  const keld::fuzzing::MemoryFile memory(data, size);
  FileSource source(memory.path());
  const TraceSink drop = [](const keld::SuTraceHeader&, const std::vector<float>&) { return ReadEnd{}; };
  (void)ReadPasiRecord(source, "f", {channels, ns, 500}, 1, drop);
  (void)ReadAmbrogeoRecord(source, "f", {channels, ns, 250}, 1, drop);
  (void)ReadOyoRecord(source, "f", {channels, ns, 0.25, (v[5] & 1) != 0}, drop);
  return 0;
}
