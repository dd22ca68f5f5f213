#pragma once
// The sort, NMO and stack programs of the velocity analysis' batch, as
// functions over streams (tests run them in the same process too). Each
// returns the exit status.
#include <cstdio>

namespace keld::sutools {

int SusortMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);
int SunmoMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);
int SustackMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace keld::sutools
