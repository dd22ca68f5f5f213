#pragma once
// The small helpers every window of conversion calls: the keyword-value reader
// of text headers, the byte swap, the substring replacement, the SU geometry
// readers, the folder of a path and the settings reader. The key filter of the
// numeric boxes is common/text.hpp's Filtre_Touche; Existe_file is in
// common/files.hpp.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "conversion/shell/state.hpp"

namespace keld::conversion {

// Finds `key` in `text` (both turned to upper case in place) and reads the
// number after it: over at most 60 characters, "." and the digits are
// collected and everything else is skipped (so "-12.5" gives 12.5 and "1,5"
// gives 15); the value ends at a carriage return, a line feed or the end of
// the text. Returns false and calls `beep` when the key is absent or no end is
// found within the 60 characters; `value` is then left as it was.
bool Lit_Valeur(std::string& text, std::string& key, double& value,
                const std::function<void()>& beep = {});

// The two bytes of a 16-bit value exchanged (256 gives 1, -1 stays -1).
int16_t Swap_Int(int16_t value);

// Replaces every occurrence of `find` in `text`, in place. The scan goes on
// after the inserted text, so it always ends, whatever `repl` holds; an empty
// `find` changes nothing.
void Remplace(std::string& text, const std::string& find, const std::string& repl);

// Sets Ns and Dt from the first trace header of an SU file (Dt 0 becomes 1,
// Ns 0 becomes 1024, as do both when the file cannot be read).
void Lit_ns_dt(ConversionState& st, const std::string& file);

// The channel scan of an SU file of `ns` samples per trace: `stacked` = 2 when
// the nhs words of the first quarter of the traces reach 2 (summed data, and
// `channels` 0), else the channel count from the tracf words of at most the
// first 150 traces (0 when every trace has the same channel or a record has
// fewer than 6 channels). `traces` is the caller's count; nothing past the
// last whole trace of the file is read, and a trace of another length than
// the first ends the scan (what the traces before it said stands).
void Nb_Channel(const std::string& file, int32_t ns, int32_t traces, int16_t& channels,
                int16_t& stacked);

// Work_Dir = the folder part of `path` with its final "/"; a bare name gives
// the current folder.
void Chemin_file(ConversionState& st, const std::string& path);

// SU_Dir = the folder of the Seismic Unix programs from Visual_KELD.ini,
// made absolute (from the program's current folder): the batches that name it run
// in folders of their own.
void Lit_ini(ConversionState& st);

// The files of a multiple selection as the windows keep them: at most
// `max_names` (99 in most windows), in the order the dialog gave them.
std::vector<std::string> BoundSelection(const std::vector<std::string>& paths, size_t max_names = 99);
// What such a window says first of a selection it cut, and again instead of
// "OK" after each run of it: "Files 100 to 101 left out: at most 99 are taken"
// ("File 100 left out: ..." for one); "" when every name was taken.
std::string SelectionLeftOutText(const std::vector<std::string>& paths, size_t max_names = 99);

// The folder of a path with its final "/" (the current folder for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace keld::conversion
