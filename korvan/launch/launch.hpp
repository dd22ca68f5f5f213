#pragma once
// korvan starting the suite's other programs and its outside helpers. Every
// start is fire-and-forget (the program runs as its own process and nothing is
// read back) but dropconv's, whose outcome korvan reports. The programs are
// looked for in the program folder of the services.
#include <chrono>
#include <functional>
#include <string>

#include "korvan/window/korvan_services.hpp"
#include "korvan/window/korvan_state.hpp"

namespace keld::korvan {

// Title of korvan's message boxes.
inline constexpr const char* kKorvanTitle = "KORVAN QMR650B";

// The executable of a program named the old way ("VELSCAN.EXE ", "ZUL_Usb_BF.exe")
// in `folder`: lower case, without the extension or trailing blanks.
std::string ProgramIn(const std::string& folder, const std::string& name);

// The trace-header editor keysheet on Fichier_Courant (menu "Header display",
// toolbar header button). A missing keysheet is named in a box first; the start
// is tried all the same and its failure is silent.
void Lance_Editeur(KorvanState& st, KorvanServices& sv);

// The velocity analysis velscan on Fichier_Courant (menu "Normal Move Out").
void Lance_Velscan(KorvanState& st, KorvanServices& sv);

// The section printing ombrix on Fichier_Affiche (menu "Print record", toolbar
// print button), only while a file is shown (Nb_Tracce and Nb_Campioni set).
void Print_record(KorvanState& st, KorvanServices& sv);

// The board's USB system tool (menu "System tool").
void Lance_Outil_Usb(KorvanServices& sv);

// The system-properties panel (menu "System panel"). Linux has none: the box of
// the missing panel is shown.
void Lance_Panneau_Systeme(KorvanServices& sv);

// What became of a SEG-2 copy asked of dropconv.
struct Seg2Copy {
  enum class Outcome { Made, NotStarted, Failed, Stopped };
  Outcome outcome = Outcome::NotStarted;
  // Made: what dropconv noted, if anything; Failed: why, in dropconv's words
  // or, when it gave none, in ours.
  std::string words;
};

// How long dropconv may take: a record of 48 channels is converted in well
// under a second; one that has not ended by then is stuck on its files.
inline constexpr std::chrono::milliseconds kDropconvLimit = std::chrono::seconds(60);

// The SEG-2 export tool dropconv on `record` & "|" & `sg2`, minimised, waited
// for while the windows are served (call it inside the window's run). It
// shows no box of its own: its reason comes back on its standard error. One
// that has not ended within `limit` is ended and counts as failed; `stop` (a
// close of the window) ends it early, and the outcome is then Stopped.
Seg2Copy RunDropconv(KorvanServices& sv, const std::string& record, const std::string& sg2,
                     const std::function<bool()>& stop, std::chrono::milliseconds limit = kDropconvLimit);

// Why dropconv ended as it did: its error output, line by line, and after it
// what its exit status says when that is a signal, or when it wrote nothing.
std::string DropconvWords(int status, const std::string& errors);

// The box after the record `saved` was written and dropconv was asked for its
// SEG-2 copy `sg2`: what it noted first, then "<saved> and <sg2> has been
// recorded"; or that `saved` has been recorded and the copy not, and why.
struct Seg2Box {
  std::string text;
  MsgIcon icon = MsgIcon::Information;
};
Seg2Box Seg2CopyBox(const std::string& saved, const std::string& sg2, const Seg2Copy& copy);

// The desktop's program for files of `extension` ("PDF"), as the name of its
// desktop entry ("org.gnome.Evince.desktop"), or "" when there is none or when
// xdg-mime is missing.
std::string Cherche_Lecteur_PDF(const std::string& extension);

// The PDF manual in the language checked in the menu (menu "Help file", toolbar
// help button): Italian wins over French, English is the default.
void Ouvre_Manuel(KorvanServices& sv, bool french_checked, bool italian_checked);

// Path of the manual that Ouvre_Manuel opens.
std::string ManualPath(const std::string& program_folder, bool french_checked,
                       bool italian_checked);

}  // namespace keld::korvan
