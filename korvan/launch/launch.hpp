#pragma once
// korvan starting the suite's other programs and its outside helpers. Every
// start is fire-and-forget: the program runs as its own process and nothing is
// read back. The programs are looked for in the program folder of the services.
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

// The SEG-2 export tool dropconv on `record` & "|" & `sg2`, minimised, without
// waiting. True when it started; dropconv reports its own conversion failures.
bool StartDropconv(KorvanServices& sv, const std::string& record, const std::string& sg2);

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
