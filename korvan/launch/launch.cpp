#include "korvan/launch/launch.hpp"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "common/files.hpp"
#include "common/text.hpp"
#include "platform/process.hpp"
#include "platform/pump.hpp"

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

Seg2Copy RunDropconv(KorvanServices& sv, const std::string& record, const std::string& sg2,
                     const std::function<bool()>& stop, std::chrono::milliseconds limit) {
  StartRequest req{ProgramIn(sv.program_folder, "dropconv.exe"), {record + "|" + sg2}, WindowStyle::Minimized, {}};
  // Without a display dropconv puts its box on standard error: korvan says it,
  // with what became of the record, in one box of its own.
  req.environment = {"QT_QPA_PLATFORM=offscreen"};
  std::string errors;
  req.error_output = &errors;
  const auto deadline = MonoClock::now() + limit;
  bool stopped = false, late = false;
  const std::optional<int> status = sv.proc.run_and_wait(req, sv.pump, [&] {
    stopped = stop && stop();
    late = !stopped && MonoClock::now() >= deadline;
    return stopped || late;
  });
  Seg2Copy c;
  if (!status) return c;
  if (*status == 0) {
    c.outcome = Seg2Copy::Outcome::Made;
    c.words = DropconvWords(0, errors);
  } else if (stopped) {
    c.outcome = Seg2Copy::Outcome::Stopped;
    c.words = "dropconv was stopped";
  } else {
    c.outcome = Seg2Copy::Outcome::Failed;
    c.words = late ? "dropconv had not ended after " + std::to_string((limit.count() + 999) / 1000) +
                         " s and was stopped"
                   : DropconvWords(*status, errors);
  }
  return c;
}

std::string DropconvWords(int status, const std::string& errors) {
  std::string words;
  for (std::string line : Split(errors, '\n')) {
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    if (line.empty()) continue;
    if (!words.empty()) words += "\r\n";
    words += line;
  }
  std::string ours;
  if (status >= 128) {
    const char* name = strsignal(status - 128);
    ours = "dropconv was ended by signal " + std::to_string(status - 128) + (name ? std::string(" (") + name + ")" : "");
  } else if (status != 0 && words.empty()) {
    static const char* const why[] = {"", ": its command line was refused", ": the text record could not be read",
                                      ": the SEG-2 file could not be written",
                                      ": the SEG-2 file would replace the text record"};
    ours = "dropconv ended with status " + std::to_string(status) + (status < 5 ? why[status] : "");
  }
  if (ours.empty()) return words;
  return words.empty() ? ours : words + "\r\n" + ours;
}

Seg2Box Seg2CopyBox(const std::string& saved, const std::string& sg2, const Seg2Copy& copy) {
  using O = Seg2Copy::Outcome;
  const std::string lost = saved + " has been recorded, but its SEG-2 copy " + sg2;
  switch (copy.outcome) {
    case O::Made:
      return {(copy.words.empty() ? "" : copy.words + "\r\n") + saved + " and " + sg2 + " has been recorded",
              copy.words.empty() ? MsgIcon::Information : MsgIcon::Exclamation};
    case O::NotStarted:
      return {lost + " could not be made: dropconv must be in KORVAN folder !", MsgIcon::Critical};
    case O::Failed:
    case O::Stopped:
      break;
  }
  return {lost + " has not been made:\r\n" + copy.words, MsgIcon::Critical};
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
