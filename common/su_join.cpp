#include "common/su_join.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <sys/types.h>
#include <unistd.h>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"

namespace keld {

namespace {

constexpr size_t kChunk = 1 << 20;

struct Copied {
  std::string path;
  int64_t offset = 0, length = 0;
};

// Appends the whole of `path` to `out`, in pieces of whole traces of `L`
// (none for an empty file), each trace's ns checked as it passes. On a read
// failure, a trace of another length or a partial last trace, the output is
// cut back to where it stood, so a file is either in it whole or not at all;
// `why` then says what was wrong with the file (empty after a read failure).
bool AppendFile(std::FILE* out, const std::string& path, const SuLayout& L, int64_t& written, std::string& why,
                std::string& write_error, const std::function<bool()>& stopped) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return false;
  const size_t trace = static_cast<size_t>(L.trace_bytes);
  std::vector<uint8_t> buf(trace > 0 ? std::max<size_t>(1, kChunk / trace) * trace : kChunk);
  const int64_t start = written;
  int64_t number = 0;  // traces checked so far
  size_t n;
  while (why.empty() && (n = std::fread(buf.data(), 1, buf.size(), in)) > 0) {
    if (stopped && stopped()) {
      write_error = kJoinStopped;
      std::fclose(in);
      return false;
    }
    for (size_t at = 0; trace > 0 && why.empty() && at < n; at += trace) {
      if (n - at >= 240) why = SuLengthFault(buf.data() + at, ++number, L.ns, SuSource::File);
      if (why.empty() && n - at < trace) why = "it ends with a partial trace";
    }
    if (!why.empty()) break;
    if (std::fwrite(buf.data(), 1, n, out) != n) {
      write_error = std::strerror(errno);
      std::fclose(in);
      return false;
    }
    written += static_cast<int64_t>(n);
  }
  if (std::ferror(in)) why.clear();  // the file could not be read: no more is known of it
  const bool read_ok = !std::ferror(in) && why.empty();
  std::fclose(in);
  if (!read_ok) {
    std::fflush(out);
    if (ftruncate(fileno(out), static_cast<off_t>(start)) != 0 || fseeko(out, static_cast<off_t>(start), SEEK_SET) != 0)
      write_error = "cannot cut back the output after a read failure";
    written = start;
  }
  return read_ok;
}

// Why `path` cannot go into the join: "" when it can, with its layout in `L`
// (none for a file with nothing to add). Each input must be a little-endian
// SU file of whole traces of one length: a big-endian file, one whose last
// trace is cut or one whose length changes would turn every trace after the
// fault into noise; the copy checks its traces. Files of other lengths than
// the other inputs are joined as they are (each trace carries its own ns). A
// file that cannot be opened is left to the copy, which names it as
// unreadable. `refused`: the file was read, and refused for what it holds.
std::string UnfitInput(const std::string& path, SuLayout& L, bool& refused) {
  L = SuLayout{};
  refused = false;
  if (!Existe_file(path) || FileLength(path).value_or(0) == 0) return "";  // nothing to add
  if (std::FILE* f = std::fopen(path.c_str(), "rb"))
    std::fclose(f);
  else
    return std::string("cannot open (") + std::strerror(errno) + ")";
  auto layout = ReadSuLayout(path);
  if (!layout) {
    refused = true;
    const std::string& e = layout.error();
    return e.compare(0, path.size() + 2, path + ": ") == 0 ? e.substr(path.size() + 2) : e;
  }
  L = *layout;
  return "";
}

// True when `path` holds exactly the `c.length` bytes at `c.offset` of `joined`.
bool SameBytes(std::FILE* joined, const Copied& c) {
  auto len = FileLength(c.path);
  if (!len || *len != c.length) return false;
  std::FILE* in = std::fopen(c.path.c_str(), "rb");
  if (!in) return false;
  bool same = fseeko(joined, static_cast<off_t>(c.offset), SEEK_SET) == 0;
  std::vector<uint8_t> a(kChunk), b(kChunk);
  int64_t left = c.length;
  while (same && left > 0) {
    size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(kChunk)));
    same = std::fread(a.data(), 1, n, in) == n && std::fread(b.data(), 1, n, joined) == n &&
           std::memcmp(a.data(), b.data(), n) == 0;
    left -= static_cast<int64_t>(n);
  }
  std::fclose(in);
  return same;
}

}  // namespace

JoinResult JoinSuFiles(const std::vector<std::string>& inputs, const std::string& output, bool delete_inputs,
                       const std::function<void(int, int)>& progress, const std::function<bool()>& stopped) {
  JoinResult r;
  r.output = output;
  if (output.empty()) {
    r.error = "File name missing";
    return r;
  }
  if (inputs.empty()) {
    r.error = "No SU file to join: select the files first";
    return r;
  }
  for (const auto& in : inputs) {
    if (SameFile(in, output)) {
      r.error = "Same Input / Output";
      return r;
    }
  }
  AtomicFile out(output);
  if (!out.is_open()) {
    r.error = out.error();
    return r;
  }
  out.useLargeBuffer();
  std::vector<Copied> copied;
  int64_t written = 0;
  const int n = static_cast<int>(inputs.size());
  for (int i = 0; i < n; ++i) {
    if (progress) progress(i + 1, n);
    if (stopped && stopped()) {
      r.error = kJoinStopped;
      return r;
    }
    const std::string& in = inputs[static_cast<size_t>(i)];
    SuLayout L;
    bool refused = false;
    std::string why = UnfitInput(in, L, refused);
    auto leave_out = [&] {
      r.unreadable.push_back(in);
      r.reasons.push_back(why);
      r.refused.push_back(refused);
    };
    if (!why.empty()) {
      leave_out();
      continue;
    }
    std::string write_error;
    const int64_t before = written;
    bool ok = AppendFile(out.handle(), in, L, written, why, write_error, stopped);
    if (write_error == kJoinStopped) {
      r.error = kJoinStopped;
      return r;
    }
    if (!write_error.empty()) {
      r.error = output + ": " + write_error + "; nothing written";
      return r;  // the temporary file goes with `out`
    }
    refused = !why.empty();  // a trace of another length, or a cut one; else a read failure
    if (ok)
      copied.push_back({in, before, written - before});
    else
      leave_out();
  }
  if (copied.empty()) {
    const bool read = std::find(r.refused.begin(), r.refused.end(), true) != r.refused.end();
    r.error = read ? JoinLeftOutText(r) + "\nNone of the files could be joined; " + output + " not written"
                   : "None of the files could be read; " + output + " not written";
    return r;
  }
  // A join that left inputs out never replaces an output that exists.
  if (!r.unreadable.empty() && Existe_file(output)) {
    r.error = JoinLeftOutText(r) + "\n" + output + kKeptWithoutThem;
    return r;
  }
  if (!out.commit()) {
    r.error = out.error() + "; nothing written";
    return r;
  }
  r.ok = true;
  r.size = FileLength(output).value_or(0);
  if (delete_inputs) {
    std::FILE* joined = std::fopen(output.c_str(), "rb");
    for (const auto& c : copied) {
      if (std::find(r.deleted.begin(), r.deleted.end(), c.path) != r.deleted.end()) continue;  // listed twice
      std::error_code ec;
      if (joined && SameBytes(joined, c) && std::filesystem::remove(c.path, ec))
        r.deleted.push_back(c.path);
      else
        r.not_deleted.push_back(c.path);
    }
    if (joined) std::fclose(joined);
  }
  return r;
}

std::string JoinLeftOutText(const JoinResult& r) {
  std::string t;
  for (const bool refused : {false, true}) {
    std::string group;
    for (size_t i = 0; i < r.unreadable.size(); ++i) {
      if ((i < r.refused.size() && r.refused[i]) != refused) continue;
      group += "\n" + r.unreadable[i];
      if (i < r.reasons.size() && !r.reasons[i].empty()) group += " (" + r.reasons[i] + ")";
    }
    if (group.empty()) continue;
    if (!t.empty()) t += "\n";
    t += (refused ? "Not added (refused):" : "Not added (could not be read):") + group;
  }
  return t;
}

std::string RecordedText(const std::string& output, int64_t size, bool all_in) {
  return output + (all_in ? " has been recorded OK size:" : " has been recorded without them, size:") +
         Str(static_cast<double>(size));
}

std::string JoinMessage(const JoinResult& r, const std::string& left_out) {
  std::string m = left_out.empty() ? "" : left_out + "\n";
  if (!r.ok) return m + r.error;
  if (!r.unreadable.empty()) m += JoinLeftOutText(r) + "\n";
  m += RecordedText(r.output, r.size, left_out.empty() && r.unreadable.empty());
  if (!r.not_deleted.empty()) {
    m += "\nNot deleted:";
    for (const auto& f : r.not_deleted) m += "\n" + f;
  }
  return m;
}

}  // namespace keld
