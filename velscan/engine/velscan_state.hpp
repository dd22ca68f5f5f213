#pragma once
// The program-wide values of velscan, one object made by main and handed to
// its windows. Record and CDP numbers are 32-bit and file positions 64-bit.
#include <cstdint>
#include <string>
#include <vector>

#include "velscan/engine/gather.hpp"
#include "velscan/engine/picks.hpp"
#include "velscan/engine/scan.hpp"

namespace keld::velscan {

inline constexpr const char* kTitle = "Visual_KELD velscan 1.01";

struct VelscanState {
  std::string Nom_Fichier;     // input SU file
  std::string Repertoire;      // its folder, ending in "/"
  std::string Fichier_Sortie;  // output of the batch
  int32_t Premier_FLDR = 0, Dernier_FLDR = 0;
  int dt = 0;     // microseconds
  int ns = 0;
  int delrt = 0;  // ms, time of sample 0
  int32_t CDP_Courant = 0;
  int32_t Traces_Par_Record = 0;
  double Espacement = 0, Offset1 = 0;
  std::string Saut_Ligne = "\n\r";
  int Mode_CDP = 0;
  std::string Mode_Affichage;
  PickTable Picks;
  std::string Repertoire_SU;  // prefix of the sort, NMO and stack programs
  int16_t scalco = 0;

  ScanInfo scan;              // the index of the scanned file
  bool scanned = false;
  bool records_by_count = false;  // fldr does not tell records apart: runs of Traces_Par_Record
  bool offset_asked = false;      // the offset question is put once a file
  Gather Tableau_Film;            // the gather or record shown
  std::vector<float> Somme_NMO;
  int32_t Max_Somme = 0;
  int Premier_Echantillon = 0, Dernier_Echantillon = 0, Pas = 1;  // 0-based window
};

// The default output of the batch: the input's name without ".su", then
// "_nmo_stack.su".
std::string DefaultOutput(const std::string& input);
// The folder of a path with a final "/" ("" for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace keld::velscan
