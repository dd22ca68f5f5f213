#pragma once
// The program-wide state of conversion: one object, made by main() and handed
// to every window, so that a value one window leaves (file names, ns, dt, the
// channel count, the working folder) is what the next window sees. Nothing in
// it is reset between windows. Tests make as many as they need.
#include <cstdint>
#include <string>
#include <vector>

namespace keld::conversion {

// Texts that every window of the program uses.
inline constexpr const char* kTitle = "Velquist File converter";
inline constexpr const char* kFileNameMissing = "File name missing";
inline constexpr const char* kSameInputOutput = "Same Input / Output";

// Values of Conversion_Type: what the conversion window and the SEG-Y import
// window perform.
inline constexpr const char* kSegy2Su = "SEGY2SU";
inline constexpr const char* kKgsInt2Su = "KGSI2SU";
inline constexpr const char* kKgs2Su = "KGS2SU";
inline constexpr const char* kSu2Kgs = "SU2KGS";
inline constexpr const char* kSegd2Su = "SEGD2SU";

struct ConversionState {
  std::string Input_File;   // input of the current conversion or import
  std::string Output_File;  // output (SU, SEG-Y, KGS, joined SU)
  std::string SU_File;      // SU file of an ASCII export or of the header-word viewer
  int32_t Nb_Traces = 0;    // traces of the current SU file
  int16_t Nb_Ch = 0;        // channels per field record; 0 when not found
  int32_t Ns = 0;           // samples per trace
  int16_t Dt = 0;           // sample interval, microseconds

  // Raw samples of the importers and the samples of the trace being written
  // or read. Trace_Data is 0-based here (sample k of the trace is [k - 1]).
  std::vector<int16_t> Data_I2;
  std::vector<int32_t> Data_I4;
  std::vector<float> Data_In;
  std::vector<float> Trace_Data;
  int64_t Trace_Pos = 0;  // 1-based byte position of the next read or write

  std::string SU_Dir;    // folder of the Seismic Unix programs, ending in "/"
  std::string Work_Dir;  // folder of the last chosen file, ending in "/"
  // Batch files always run through sh. A non-empty prefix means that the
  // window showing a batch's output closes by itself when the batch ends
  // (start window's "Close SU windows automatically").
  std::string Shell_Prefix;
  std::string CrLf = "\r\n";
  std::string Conversion_Type;  // one of the k...2... values above
  std::string Editor_Document;  // the file the text editor loads when shown
  std::string Tmp_SU, Tmp_Bat;  // trial file and batch of the SEG-Y import window
  int16_t Nb_Files = 0;         // files to process, from a window's records box

  bool Close_SU_Windows() const { return !Shell_Prefix.empty(); }
};

// The prefix a ticked "Close SU windows automatically" puts in Shell_Prefix.
inline constexpr const char* kShellPrefixClose = "sh ";

}  // namespace keld::conversion
