#pragma once
// The grid window `grille`, "Visual_KELD 3 Header Editor": the 86 words of up
// to 120 traces in the grid `FlexArray`; a value typed into a cell and
// double-clicked is written into that word of that trace, in place.
//
// The window owns the layout of the file it shows: the path and ns are taken
// from the file when the range is read, and every write goes to that file
// with that ns (and is refused when the file no longer holds it).
#include <QWidget>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "keysheet/core/grid_keys.hpp"
#include "keysheet/core/header_table.hpp"

class QLabel;
class QLineEdit;

namespace keld {
class Grid;
}

namespace keld::keysheet {

class Excelf;

// Cell colours, 0x00BBGGRR.
inline constexpr uint32_t kWhite = 0xFFFFFF;
inline constexpr uint32_t kBlack = 0x000000;
inline constexpr uint32_t kYellow = 0x00FFFF;
inline constexpr uint32_t kRed = 0x0000FF;
inline constexpr uint32_t kLightGrey = 0xE0E0E0;

class Grille : public QWidget {
  Q_OBJECT
 public:
  explicit Grille(Excelf& main);

  // False, with the refusal shown, when the range cannot be read: the window
  // is then not to be shown.
  bool Form_Load();
  // Writes one word of one trace of `Fichier_SU`; says why when it cannot.
  Status Enregistre_dans_Header(int64_t trace_header, int word_header_Nb, int32_t stored);
  void Affiche_grille();
  // The window's own file dialog (double-click on Text1).
  void lit_fichier();
  // Reads the range of the main window's boxes into `Table_entete`. A file
  // that cannot be read, or whose traces up to the range's end do not all
  // hold the first one's ns, is refused with a message and leaves the window
  // without a file: it takes no write.
  bool lecture_data();
  // Reads the main window's file and range again and fills the grid anew;
  // a file refused closes the window.
  bool Recharge();

  void FlexArray_DblClick();
  void FlexArray_KeyDown(int& key_code, int shift);

  Grid* FlexArray;
  QLineEdit* Text1;
  QLineEdit* Text2;
  QLabel* Label1;

  // State of the window.
  std::string Fichier_SU;
  int ns_grille = 0;  // ns of Fichier_SU when its range was read
  int64_t Premiere_trace = 1;
  int64_t Derniere_trace = 0;
  int64_t Nb_traces_grille = 0;
  std::vector<std::optional<WordValues>> Table_entete;  // traces Premiere_trace ... on
  CellTyping typing;                                     // Saisie_neuve

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void Layout_grille();  // rows, columns, widths and titles for Nb_traces_grille
  Excelf& main_;
};

}  // namespace keld::keysheet
