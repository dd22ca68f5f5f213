#pragma once
// The lines of the batch files that hand SEG-Y, SEG-D and SU files to the
// Seismic Unix programs (ours in sutools/, or the real ones in SU_Dir), for
// /bin/sh: every path quoted, every program named in the folder of programs,
// LF line ends, and the numbers of the boxes written as whole numbers so
// that nothing typed into a box reaches the shell as a command.
#include <cstdint>
#include <string>
#include <vector>

#include "common/result.hpp"

namespace keld::conversion {

// The parameters of segyread that the SEG-Y import window passes.
struct SegyreadBoxes {
  int conv = 1, over = 0, endian = 0;
  int ns = 0;                    // 0: no ns= part
  int32_t trmin = 0, trmax = 0;  // both non-zero: a trace range
};

// segyread tape=F conv=C over=O endian=E[ ns=N][ trmin= A trmax= B] | segyclean >O
std::string SegyConvertLine(const std::string& su_dir, const SegyreadBoxes& b, const std::string& in,
                            const std::string& out);
// segyread tape=F >T conv=C over=O endian=E trmin=1 trmax=24 (the test run)
std::string SegyTestLine(const std::string& su_dir, const SegyreadBoxes& b, const std::string& in,
                         const std::string& out);
// segyread tape=F >T endian=0 conv=1 over=0 trmax=1 ns= N (the one-trace trial)
std::string SegyTrialLine(const std::string& su_dir, const std::string& in, const std::string& out, int ns);
// segdread tape=F >O
std::string SegdLine(const std::string& su_dir, const std::string& in, const std::string& out);
// segyread tape=F endian=1|0 | segyclean >O (the conversion window's SEG-Y type)
std::string SegyToSuLine(const std::string& su_dir, const std::string& in, const std::string& out, bool little);
// The join of one converted file: its SU traces appended to `joined`, the
// temporary file removed when `remove_temp`.
std::vector<std::string> AppendLines(const std::string& temp_su, const std::string& joined, bool remove_temp);

// The SU to SEG-Y window's boxes.
struct SegywriteBoxes {
  int32_t trmin = 1, trmax = 10000;
  int conv = 1, endian = 0, buffer = 1, errmax = 0;
};
// segyhdrs <I, an empty line, segywrite <I tape=O conv= trmin= trmax= endian= buffer= errmax=
std::vector<std::string> SuToSegyLines(const std::string& su_dir, const std::string& in, const std::string& out,
                                       const SegywriteBoxes& b);

// A file as the batch lines name it: absolute (from the program's own
// folder), since every batch runs in a folder of its own.
std::string BatchPath(const std::string& path);

// A box's text as the whole number the batch line carries: its leading
// numeric part (as the boxes are read everywhere), rounded, held within the
// 32-bit range.
int32_t BoxNumber(const std::string& text);

// Writes the lines, each ended by LF, as a new file renamed over `path`.
Status WriteBatch(const std::string& path, const std::vector<std::string>& lines);

}  // namespace keld::conversion
