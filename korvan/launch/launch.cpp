#include "korvan/launch/launch.hpp"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

#include "common/files.hpp"
#include "common/text.hpp"
#include "platform/process.hpp"

namespace keld::korvan {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The file argument as the old command line carried it: appended unquoted, so a
// blank-only text is no argument at all, while a path with blanks stays whole.
std::vector<std::string> FileArgument(const std::string& path) {
  if (Trim(path).empty()) return {};
  return {path};
}

void Box(KorvanServices& sv, const std::string& text, MsgIcon icon) {
  sv.msg.ok(text, icon, kKorvanTitle);
}

// The MIME type the desktop files an extension under; only the manual's is
// needed.
std::string MimeOfExtension(const std::string& extension) {
  std::string e = Lower(extension);
  if (!e.empty() && e[0] == '.') e.erase(0, 1);
  if (e == "pdf") return "application/pdf";
  return {};
}

}  // namespace

std::string ProgramIn(const std::string& folder, const std::string& name) {
  std::string base = name;
  while (!base.empty() && base.back() == ' ') base.pop_back();
  auto slash = base.find_last_of("/\\");
  if (slash != std::string::npos) base = base.substr(slash + 1);
  base = Lower(base);
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".exe") == 0) base.resize(base.size() - 4);
  return folder + "/" + base;
}

void Lance_Editeur(KorvanState& st, KorvanServices& sv) {
  std::string prog = ProgramIn(sv.program_folder, "keysheet.exe");
  if (!Existe_file(prog)) Box(sv, "\\KEYSHEET.EXE must be in KORVAN folder", MsgIcon::None);
  (void)sv.proc.start({prog, FileArgument(st.Fichier_Courant), WindowStyle::Normal, {}});
}

void Lance_Velscan(KorvanState& st, KorvanServices& sv) {
  // The settings hold a single blank until a file has been chosen.
  if (Trim(st.Fichier_Courant).empty()) {
    Box(sv, "No file selected", MsgIcon::None);
    return;
  }
  std::string prog = ProgramIn(sv.program_folder, "VELSCAN.EXE");
  if (!sv.proc.start({prog, FileArgument(st.Fichier_Courant), WindowStyle::Normal, {}}))
    Box(sv, "You must put VELSCAN.EXE in the KORVAN folder", MsgIcon::Critical);
}

void Print_record(KorvanState& st, KorvanServices& sv) {
  if (st.Nb_Tracce == 0 || st.Nb_Campioni == 0) return;
  std::string prog = ProgramIn(sv.program_folder, "OMBRIX.EXE");
  if (!sv.proc.start({prog, FileArgument(st.Fichier_Affiche), WindowStyle::Normal, {}}))
    Box(sv, " Printing not possible, check printer and OMBRIX.EXE must be in KORVAN folder",
        MsgIcon::Critical);
}

void Lance_Outil_Usb(KorvanServices& sv) {
  std::string prog = ProgramIn(sv.program_folder, "ZUL_Usb_BF.exe");
  if (!Existe_file(prog)) Box(sv, "ZUL_Usb.exe must be in KORVAN folder", MsgIcon::None);
  (void)sv.proc.start({prog, {}, WindowStyle::Normal, {}});
}

void Lance_Panneau_Systeme(KorvanServices& sv) {
  Box(sv, "Impossible to lauch CONFIG", MsgIcon::None);
}

bool StartDropconv(KorvanServices& sv, const std::string& record, const std::string& sg2) {
  std::string prog = ProgramIn(sv.program_folder, "dropconv.exe");
  return sv.proc.start({prog, {record + "|" + sg2}, WindowStyle::Minimized, {}}).has_value();
}

std::string Cherche_Lecteur_PDF(const std::string& extension) {
  std::string mime = MimeOfExtension(extension);
  if (mime.empty()) return {};
  std::string tool = FindOnPath("xdg-mime");
  if (tool.empty()) return {};
  auto r = ReadProgramOutput(tool, {"query", "default", mime});
  if (!r || r->status != 0) return {};
  std::string out = r->text;
  auto eol = out.find_first_of("\r\n");
  if (eol != std::string::npos) out.resize(eol);
  return Trim(out);
}

std::string ManualPath(const std::string& program_folder, bool french_checked,
                       bool italian_checked) {
  std::string m = program_folder + "/manual/ZUL_Manual.pdf";
  if (french_checked) m = program_folder + "/manual/ZUL_Manual_fr.pdf";
  if (italian_checked) m = program_folder + "/manual/ZUL_Manual_it.pdf";
  return m;
}

void Ouvre_Manuel(KorvanServices& sv, bool french_checked, bool italian_checked) {
  if (Cherche_Lecteur_PDF("PDF").empty()) {
    Box(sv, "You must intstall ACROBAT READER from the CD-ROM", MsgIcon::Critical);
    return;
  }
  std::string m = ManualPath(sv.program_folder, french_checked, italian_checked);
  if (!Existe_file(m)) {
    Box(sv, "You must install " + m + " from the CD-ROM", MsgIcon::Critical);
    return;
  }
  if (!sv.proc.open_document(m)) Box(sv, "Unable to shell ", MsgIcon::None);
}

}  // namespace keld::korvan
