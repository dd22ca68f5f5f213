#pragma once
// The programs themselves, as functions over streams so tests can run them in
// the same process as well as through their executables. Each returns the
// exit status.
#include <cstdio>
#include <vector>

#include "common/su_file.hpp"

namespace keld::sutools {

int SufilterMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);
int SugainMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);
int SegyreadMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);
int SegycleanMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);
int SegyhdrsMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);
int SegywriteMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);
int SegdreadMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err);
int Seg2suMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

// Writes whole traces to `out`; 0, or 1 with a message when writing fails.
int WriteSuTraces(const char* prog, const std::vector<SuTrace>& traces, std::FILE* out, std::FILE* err);

}  // namespace keld::sutools
