#pragma once
// The suite's shared settings file, Visual_KELD.ini (section VISUAL_KE), in the
// settings folder. No program of the suite writes it. Values are read whole, so
// long paths work.
#include <string>

namespace keld {

inline constexpr const char* kVisualKeldFile = "Visual_KELD.ini";
inline constexpr const char* kVisualKeldSection = "VISUAL_KE";

// A key's value, or `default_value` when the file, section or key is missing.
std::string VisualKeldValue(const std::string& key, const std::string& default_value);

// "Directory1": the folder of the Seismic Unix programs and of the suite's
// templates, used as a prefix of file names. Defaults to the folder of the
// suite's own programs, with a final "/".
std::string VisualKeldDirectory1();

// "Directory2": the data folder (first folder of the SU file dialogs).
// Defaults to the work folder, with a final "/".
std::string VisualKeldDirectory2();

// The folder the batch files name the Seismic Unix programs in: Directory1 when
// it holds "segyread" (the value joined directly to the name, as it stands),
// else the folder of the suite's own programs with a final "/".
std::string SeismicUnixFolder();

}  // namespace keld
