#pragma once
// What the main window shows of an SU file when it is opened, and the checks
// that a file passes before it is drawn.
#include <cstdint>
#include <string>

#include "common/result.hpp"
#include "common/su_file.hpp"

namespace keld::korvan {

// Sampling frequency in Hz for a sample interval in microseconds, by the
// recorder's table (nominal and exact intervals alike); `dt_used` receives the
// exact interval of that frequency (1000 for 1024 and for 1000). An interval
// outside the table counts as 2000 Hz, whose interval is 500 us.
int FrequencyForDt(int dt, int* dt_used = nullptr);

struct SuInfo {
  int ns = 0;                  // samples per trace (Nb_Sample, Nb_Campioni)
  int dt = 0;                  // as in the first header
  int dt_used = 0;             // the exact interval of the frequency (1000 for 1024)
  int delrt = 0;               // recording delay (Text14)
  int64_t traces = 0;          // whole traces (Total_Channel, Nb_Tracce)
  int Freq_Campionamento = 0;  // Hz (F_camp)
  double rec_time = 0;         // ns / Freq_Campionamento seconds
  std::string Rec_time;        // the same as the caption shows it ("1.024")
};

// Reads the first header and the length of the file. Fails, with the reason,
// for a name under 5 characters, a file that is missing, shorter than one
// trace, with ns <= 0, big-endian, or whose traces do not all have the first
// trace's length.
Result<SuInfo> ReadSuInfo(const std::string& path);

// The checks a file passes before anything of it is drawn: a layout with at
// least one whole trace, and every trace header with the first header's ns (a
// file read with the wrong byte order or cut out of another one fails here).
Result<SuLayout> CheckDisplayFile(const std::string& path);

}  // namespace keld::korvan
