#pragma once
// Where things live on Linux: the program folder (beside the running
// executable), the settings folder (for profile files named without a folder)
// and the work folder (for the files the programs keep beside themselves).
#include <string>

namespace keld {

// Folder of the running executable, without a trailing '/'.
std::string ProgramFolder();

// $KELD_WINDIR when set, else $XDG_CONFIG_HOME/keld or ~/.config/keld. Created
// when missing.
std::string SettingsFolder();

// $KELD_HOME when set, else $XDG_DATA_HOME/keld, else ~/.local/share/keld;
// never the folder of the executables. Created when missing.
std::string WorkFolder();

// A profile file name without a folder lives in the settings folder; a name
// with one is used as it is.
std::string ProfilePath(const std::string& name);

// Path of a program of the suite (or of sutools) in the program folder:
// "VELSCAN.EXE" and "velscan" both give <program folder>/velscan.
std::string SuiteProgram(const std::string& name);

}  // namespace keld
