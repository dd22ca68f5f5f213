#include "velscan/engine/batch.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/shell.hpp"
#include "common/su_file.hpp"
#include "common/text.hpp"
#include "platform/group_run.hpp"
#include "platform/process.hpp"
#include "platform/signals.hpp"
#include "velscan/engine/velscan_state.hpp"

namespace keld::velscan {

namespace {
std::string Seconds(int32_t ms) {
  std::string s = Str(ms / 1000.0);
  return s[0] == ' ' ? s.substr(1) : s;
}
}  // namespace

std::string CdpList(const std::vector<Pick>& picks) {
  std::string s;
  for (size_t i = 0; i < picks.size(); ++i)
    if (i == 0 || picks[i].cdp != picks[i - 1].cdp) s += (i == 0 ? " cdp=" : ",") + std::to_string(picks[i].cdp);
  return s;
}

std::string VelocityLists(const std::vector<Pick>& picks) {
  std::string s;
  for (size_t i = 0; i < picks.size();) {
    std::string t = " tnmo=", v = " vnmo=";
    size_t j = i;
    for (; j < picks.size() && picks[j].cdp == picks[i].cdp; ++j) {
      t += (j == i ? "" : ",") + Seconds(picks[j].time_ms);
      v += (j == i ? "" : ",") + std::to_string(picks[j].velocity);
    }
    s += t + v;
    i = j;
  }
  return s;
}

std::string ToolName(const std::string& folder, const std::string& upper) {
  if (folder.empty()) return upper;
  const std::string dir = folder.back() == '/' ? folder : folder + "/";
  const std::string lower = LCase(upper);
  if (!Existe_file(dir + upper) && Existe_file(dir + lower)) return lower;
  return upper;
}

std::string BuildBatchLine(const BatchLineInput& in) {
  auto prog = [&](const char* name) { return ShellProgram(in.tools_folder, ToolName(in.tools_folder, name)); };
  std::string smute = CStr(in.smute);
  if (!smute.empty() && smute[0] == '.') smute = "0" + smute;
  return prog("SUSORT") + " <" + ShellWord(in.input) + " cdp offset | " + prog("SUNMO") + " smute=" + smute +
         CdpList(in.picks) + VelocityLists(in.picks) + " | " + prog("SUSTACK") + " >" + ShellWord(in.output) +
         " key=cdp";
}

namespace {
// The end of the quoted text that starts at `i` (a quote), past its closing
// quote; backslashes escape within double quotes only.
size_t SkipQuoted(const std::string& s, size_t i, std::string* text) {
  const char q = s[i++];
  while (i < s.size() && s[i] != q) {
    if (q == '"' && s[i] == '\\' && i + 1 < s.size() && std::strchr("\"\\$`", s[i + 1])) ++i;
    if (text) *text += s[i];
    ++i;
  }
  return std::min(i + 1, s.size());
}
}  // namespace

std::optional<LineOutput> FindLineOutput(const std::string& line) {
  std::optional<LineOutput> found;
  for (size_t i = 0; i < line.size();) {
    const char c = line[i];
    if (c == '\'' || c == '"') {
      i = SkipQuoted(line, i, nullptr);
      continue;
    }
    if (c == '\\') {
      i += 2;
      continue;
    }
    if (c != '>') {
      ++i;
      continue;
    }
    // "2>" and the like send another stream than the output.
    const bool other_stream = i > 0 && std::isdigit(static_cast<unsigned char>(line[i - 1])) && line[i - 1] != '1' &&
                              (i == 1 || line[i - 2] == ' ' || line[i - 2] == '\t');
    size_t j = i + 1;
    if (j < line.size() && (line[j] == '>' || line[j] == '|')) ++j;
    while (j < line.size() && (line[j] == ' ' || line[j] == '\t')) ++j;
    LineOutput o;
    o.begin = j;
    while (j < line.size()) {
      const char w = line[j];
      if (w == '\'' || w == '"') {
        j = SkipQuoted(line, j, &o.path);
      } else if (w == '\\' && j + 1 < line.size()) {
        o.path += line[j + 1];
        j += 2;
      } else if (std::isspace(static_cast<unsigned char>(w)) || std::strchr("|;&<>()", w)) {
        break;
      } else {
        o.path += w;
        ++j;
      }
    }
    o.end = j;
    if (!other_stream && o.end > o.begin) found = o;
    i = std::max(j, i + 1);
  }
  return found;
}

std::string ReplaceLineOutput(const std::string& line, const std::string& output) {
  auto o = FindLineOutput(line);
  if (!o) return line;
  return line.substr(0, o->begin) + ShellWord(output) + line.substr(o->end);
}

BatchOutcome RunBatchFile(const std::string& batch, const std::string& workdir, EventPump& pump,
                          const std::function<bool()>& cancelled) {
  BatchOutcome o;
  // The shell's error output: a file with no name, closed on exec, so that it
  // is the shell's descriptor 2 and nothing more in the programs it starts.
  auto err = OpenUnnamedFile("/tmp", "keld-batch");
  if (!err) {
    o.messages = "cannot make a temporary file: " + err.error();
    return o;
  }
  const int errfd = *err;
  // Its own group, so a cancel stops every program of the pipe.
  pid_t pid = ForkChild(ChildGroup::Own);
  if (pid < 0) {
    o.messages = std::string("cannot start /bin/sh: ") + std::strerror(errno);
    close(errfd);
    return o;
  }
  if (pid == 0) {
    InheritAs(open("/dev/null", O_RDONLY | O_CLOEXEC), 0);
    InheritAs(errfd, 2);
    if (!workdir.empty() && chdir(workdir.c_str()) != 0) _exit(126);
    execl("/bin/sh", "sh", batch.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  o.started = true;
  GroupWait w;
  w.stop = cancelled;
  w.grace = std::chrono::seconds(3);
  w.blocking_stop = false;  // the windows stay served while the batch winds down
  const GroupEnd end = WaitForGroup(pid, pump, w);
  o.cancelled = end.stopped;
  o.status = end.status.value_or(-1);
  // The error output, kept short enough for a message box.
  char buf[2048];
  ssize_t n = pread(errfd, buf, sizeof buf - 1, 0);
  close(errfd);
  if (n > 0) o.messages.assign(buf, static_cast<size_t>(n));
  while (!o.messages.empty() && (o.messages.back() == '\n' || o.messages.back() == '\r')) o.messages.pop_back();
  return o;
}

Status CheckStackOutput(const std::string& path) {
  auto layout = ReadSuLayout(path);
  if (!layout) return Status::failure(layout.error());
  if (!layout->whole())
    return Status::failure(path + " ends with a partial trace");
  return Status::good();
}

Result<std::string> HistoryName(const std::string& su_path) {
  const auto slash = su_path.find_last_of('/');
  const auto dot = su_path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || LCase(su_path.substr(dot)) != ".su")
    return Result<std::string>::failure(su_path + " has no .su extension: no history file for it");
  return su_path.substr(0, dot) + ".txt";
}

std::string HistoryText(const std::string& input, const std::string& ordre) {
  std::string inherited;
  auto in_name = HistoryName(input);
  if (auto found = in_name ? FindBeside(*in_name) : std::nullopt) {
    auto bytes = ReadWholeFile(*found);
    if (bytes) inherited.assign(bytes->begin(), bytes->end());
  }
  std::string text;
  if (inherited.empty()) {
    text = "* No history file available for " + input + " *";
  } else {
    // Every line break as CR LF, whatever the file had.
    for (size_t i = 0; i < inherited.size(); ++i) {
      char c = inherited[i];
      if (c == '\r' || c == '\n') {
        char other = c == '\r' ? '\n' : '\r';
        if (i + 1 < inherited.size() && inherited[i + 1] == other) ++i;
        text += "\r\n";
      } else {
        text += c;
      }
    }
    while (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
  }
  return text + "\r\n" + ordre + "\r\n";
}

Result<HistoryWritten> Ecriture_History(const std::string& input, const std::string& output, const std::string& ordre,
                                        const std::string& fallback_folder) {
  using R = Result<HistoryWritten>;
  // The history belongs to the output: an input on a read-only disc or in a
  // folder of someone else's still gives its output a history.
  auto out_name = HistoryName(output);
  if (!out_name) return R::failure(out_name.error());
  const std::string text = HistoryText(input, ordre);
  Status s = WriteFileAtomic(*out_name, text);
  if (s) return HistoryWritten{*out_name, ""};
  const std::string why = "The history file " + *out_name + " could not be written: " + s.error;
  if (fallback_folder.empty()) return R::failure(why);
  const std::string elsewhere =
      (fallback_folder.back() == '/' ? fallback_folder : fallback_folder + "/") + out_name->substr(FolderOf(*out_name).size());
  if (Status t = WriteFileAtomic(elsewhere, text); !t)
    return R::failure(why + "; nor as " + elsewhere + ": " + t.error);
  return HistoryWritten{elsewhere, why};
}

}  // namespace keld::velscan
