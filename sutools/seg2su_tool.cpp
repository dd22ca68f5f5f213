#include "sutools/seg2su_tool.hpp"

#include "common/files.hpp"
#include "sutools/formats/seg2_reader.hpp"
#include "sutools/tools.hpp"

namespace keld::sutools {

Result<std::vector<SuTrace>> ConvertSeg2Files(const std::vector<std::string>& paths,
                                              std::vector<std::string>* notes) {
  using R = Result<std::vector<SuTrace>>;
  std::vector<SuTrace> all;
  for (const std::string& path : paths) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) return R::failure(bytes.error());
    auto file = formats::ReadSeg2(*bytes, path);
    if (!file) return R::failure(file.error());
    auto traces = formats::Seg2ToSu(*file, path, static_cast<int>(all.size()) + 1, notes);
    if (!traces) return R::failure(traces.error());
    for (SuTrace& t : traces.value()) all.push_back(std::move(t));
  }
  return all;
}

Status ConvertSeg2ToSuFile(const std::vector<std::string>& inputs, const std::string& output,
                           std::vector<std::string>* notes) {
  for (const std::string& in : inputs)
    if (SameFile(in, output)) return Status::failure("Same Input / Output");
  auto traces = ConvertSeg2Files(inputs, notes);
  if (!traces) return Status::failure(traces.error());
  return WriteSuFile(output, *traces);
}

int Seg2suMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  if (argc <= 1) {
    std::fputs("SEG2SU - SEG-2 files to an SU trace stream\n\n  seg2su FILE... >OUT.su\n\n"
               "Formats 1 to 5 of either byte order; the traces of every file in turn.\n"
               "Without arguments on a display, a window asks for the files.\n",
               err);
    return 1;
  }
  std::vector<std::string> paths(argv + 1, argv + argc);
  std::vector<std::string> notes;
  auto traces = ConvertSeg2Files(paths, &notes);
  if (!traces) {
    std::fprintf(err, "seg2su: %s\n", traces.error().c_str());
    return 1;
  }
  for (const std::string& n : notes) std::fprintf(err, "seg2su: %s\n", n.c_str());
  return WriteSuTraces("seg2su", *traces, out, err);
}

}  // namespace keld::sutools
