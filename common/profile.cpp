#include "common/profile.hpp"

#include <fstream>
#include <sstream>
#include <vector>

#include "common/files.hpp"
#include "common/text.hpp"
#include "platform/folders.hpp"

namespace keld {

namespace {

struct Lines {
  std::vector<std::string> text;  // without line ends
  std::string eol = "\n";         // the file's own line end, kept on rewrite
  bool final_eol = true;
};

Lines Load(const std::string& path) {
  Lines L;
  auto data = ReadWholeFile(path);
  if (!data) return L;
  std::string s(data->begin(), data->end());
  if (s.find("\r\n") != std::string::npos) L.eol = "\r\n";
  size_t start = 0;
  while (start < s.size()) {
    size_t p = s.find('\n', start);
    std::string line = s.substr(start, p == std::string::npos ? std::string::npos : p - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    L.text.push_back(line);
    if (p == std::string::npos) {
      L.final_eol = false;
      break;
    }
    start = p + 1;
  }
  return L;
}

// "[name]" with blanks around the name allowed; returns whether it is a header.
bool SectionName(const std::string& line, std::string& name) {
  std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  size_t close = t.find(']');
  if (close == std::string::npos) return false;
  name = Trim(t.substr(1, close - 1));
  return true;
}

// "key=value"; comment lines (';') and lines without '=' are not entries.
bool Entry(const std::string& line, std::string& key, std::string& value) {
  std::string t = Trim(line);
  if (t.empty() || t[0] == ';') return false;
  size_t eq = t.find('=');
  if (eq == std::string::npos) return false;
  key = Trim(t.substr(0, eq));
  value = Trim(t.substr(eq + 1));
  return true;
}

std::string Unquote(std::string v) {
  if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
    return v.substr(1, v.size() - 2);
  return v;
}

std::string Cut(std::string v, std::size_t buffer_size) {
  if (buffer_size == 0) return {};
  if (v.size() > buffer_size - 1) v.resize(buffer_size - 1);
  return v;
}

}  // namespace

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& default_value, std::size_t buffer_size,
                                    const std::string& file) {
  Lines L = Load(ProfilePath(file));
  bool in = false;
  for (const auto& line : L.text) {
    std::string name, k, v;
    if (SectionName(line, name)) {
      in = IEquals(name, section);
      continue;
    }
    if (in && Entry(line, k, v) && IEquals(k, key)) return Cut(Unquote(v), buffer_size);
  }
  std::string d = default_value;
  while (!d.empty() && (d.back() == ' ' || d.back() == '\t')) d.pop_back();
  return Cut(d, buffer_size);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file) {
  std::string path = ProfilePath(file);
  Lines L = Load(path);
  const std::string entry = key + "=" + value;
  int sec_start = -1;   // index of the section header
  int last_entry = -1;  // last non-blank line of the section
  bool in = false;
  bool done = false;
  for (size_t i = 0; i < L.text.size() && !done; ++i) {
    std::string name, k, v;
    if (SectionName(L.text[i], name)) {
      if (in) break;  // the section ended without the key
      in = IEquals(name, section);
      if (in) {
        sec_start = static_cast<int>(i);
        last_entry = static_cast<int>(i);
      }
      continue;
    }
    if (!in) continue;
    if (Entry(L.text[i], k, v) && IEquals(k, key)) {
      L.text[i] = entry;
      done = true;
    } else if (!Trim(L.text[i]).empty()) {
      last_entry = static_cast<int>(i);
    }
  }
  if (!done) {
    if (sec_start >= 0) {
      L.text.insert(L.text.begin() + last_entry + 1, entry);
    } else {
      if (!L.text.empty() && !Trim(L.text.back()).empty()) L.text.push_back("");
      L.text.push_back("[" + section + "]");
      L.text.push_back(entry);
    }
  }
  std::string out;
  for (size_t i = 0; i < L.text.size(); ++i) {
    out += L.text[i];
    if (i + 1 < L.text.size() || L.final_eol || !done) out += L.eol;
  }
  return WriteFileAtomic(path, out).ok();
}

}  // namespace keld
