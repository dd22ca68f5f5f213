#include "common/files.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/temporaries.hpp"
#include "common/text.hpp"

namespace fs = std::filesystem;

namespace keld {

int Existe_file(const std::string& path) {
  if (path.empty()) return 0;
  std::error_code ec;
  return fs::is_regular_file(fs::path(path), ec) ? 1 : 0;
}

std::optional<std::string> FindBeside(const std::string& name) {
  if (Existe_file(name)) return name;
  const fs::path p(name);
  const std::string file = p.filename().string();
  const auto dot = file.find_last_of('.');
  if (file.empty() || dot == std::string::npos) return std::nullopt;
  const std::string_view stem = std::string_view(file).substr(0, dot + 1);
  const std::string_view ext = std::string_view(file).substr(dot + 1);
  std::vector<std::string> found;
  std::error_code ec;
  const fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string other = it->path().filename().string();
    if (other.size() == file.size() && other.compare(0, stem.size(), stem) == 0 &&
        IEquals(std::string_view(other).substr(stem.size()), ext) && Existe_file(it->path().string()))
      found.push_back(other);
  }
  if (found.empty()) return std::nullopt;
  const std::string first = *std::min_element(found.begin(), found.end());
  return p.has_parent_path() ? (p.parent_path() / first).string() : first;
}

std::optional<int64_t> FileLength(const std::string& path) {
  std::error_code ec;
  auto st = fs::status(path, ec);
  if (ec || !fs::is_regular_file(st)) return std::nullopt;
  auto n = fs::file_size(path, ec);
  if (ec) return std::nullopt;
  return static_cast<int64_t>(n);
}

Result<std::vector<uint8_t>> ReadWholeFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return Result<std::vector<uint8_t>>::failure(path + ": " + std::strerror(errno));
  std::vector<uint8_t> data;
  uint8_t buf[1 << 16];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
  bool bad = std::ferror(f);
  std::fclose(f);
  if (bad) return Result<std::vector<uint8_t>>::failure(path + ": read error");
  return data;
}

std::string CannotWrite(const std::string& name, const std::string& error) {
  const std::string lead = name + ": ";
  return "Cannot write " + lead + (error.rfind(lead, 0) == 0 ? error.substr(lead.size()) : error);
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

namespace {

// The longest file name the folder takes (255 on the usual file systems).
size_t NameMax(const fs::path& dir) {
  const long n = ::pathconf(dir.c_str(), _PC_NAME_MAX);
  return n > 0 ? static_cast<size_t>(n) : 255;
}

// The name pattern of a second name beside `target`: "." + its name + "." +
// "XXXXXX" for a unique ending. When the target's name is as long as the
// folder allows, the end of its name is cut (at a character boundary) before
// the ending, so a temporary fits wherever its output fits, and a temporary
// of a temporary too.
std::string PatternBeside(const std::string& target) {
  fs::path t(target);
  fs::path dir = t.has_parent_path() ? t.parent_path() : fs::path(".");
  std::string file = t.filename().string();
  const std::string ending = ".XXXXXX";
  const size_t room = NameMax(dir) - 1 - ending.size();
  if (file.size() > room) {
    size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(file[cut]) & 0xC0) == 0x80) --cut;
    file.resize(cut);
  }
  return (dir / ("." + file + ending)).string();
}

// Why a name beside `target` could not be made, from MakeRegistered's errno.
std::string MakeError(const std::string& target) {
  if (errno == ENOBUFS) return target + ": too many files are being written at once";
  return target + ": " + std::strerror(errno);
}

// A new file beside `target` (mode 0600, open for reading and writing, closed
// on exec), registered as a temporary from the moment it exists, with
// `original` kept for a later PutBack; its descriptor, or -1 with `error`
// set, naming `shown` when one is given (the name the user gave), else `target`.
int MakeTemp(const std::string& target, std::string& name, std::string& error, const std::string& original = {},
             const std::string& shown = {}) {
  int fd = -1;
  name = MakeRegistered(
      PatternBeside(target), Leftover::Remove,
      [&](const char* n) { return (fd = ::open(n, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600)) >= 0; }, original);
  if (name.empty()) error = MakeError(shown.empty() ? target : shown);
  return name.empty() ? -1 : fd;
}

}  // namespace

unsigned NewFileMode() {
  // The umask from /proc: reading it with umask() means setting it, which
  // another thread creating a file at that moment would see.
  mode_t mask = 022;
  bool known = false;
  if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, f))
      if (std::strncmp(line, "Umask:", 6) == 0) {
        mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
        known = true;
        break;
      }
    std::fclose(f);
  }
  if (!known) {
    mask = ::umask(022);
    ::umask(mask);
  }
  return 0666 & ~mask;
}

namespace {
// The mode the output takes: the old file's when it replaces one, else a new
// file's.
mode_t OutputMode(const std::string& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  return NewFileMode();
}
}  // namespace

std::string FileBehindLink(const std::string& name) {
  // Link by link, so a link whose file is gone still leads to where that
  // file was (a shell's ">" through it would make it there).
  fs::path p(name);
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(p, ec); ++hops) {
    const fs::path to = fs::read_symlink(p, ec);
    if (ec) break;
    p = to.is_absolute() ? to : p.parent_path() / to;
  }
  return p.string();
}

void FlushFolderOf(const std::string& path) {
  const fs::path parent = fs::path(path).parent_path();
  const int fd = ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

bool SyncFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool good = ::fsync(fd) == 0 || errno == EINVAL;  // EINVAL: a file system that does not sync
  const int sync_errno = errno;
  ::close(fd);
  errno = sync_errno;
  return good;
}

Result<std::string> CreateFileBeside(const std::string& target) {
  if (fs::path(target).filename().empty()) return Result<std::string>::failure(target + ": no file name");
  std::string name, error;
  const int fd = MakeTemp(target, name, error);
  if (fd < 0) return Result<std::string>::failure(error);
  // Writable by its maker whatever the old file's mode, since a batch writes it.
  ::fchmod(fd, OutputMode(target) | S_IWUSR);
  ::close(fd);
  return name;
}

Result<int> OpenUnnamedFile(const std::string& folder, const std::string& stem) {
  int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  // EISDIR: a kernel without unnamed files; the others: a file system.
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
    return Result<int>::failure(folder + ": " + std::strerror(errno));
  std::string name, error;
  fd = MakeTemp(folder + "/" + stem, name, error);  // 0600, never wider
  if (fd < 0) return Result<int>::failure(error);
  RemoveTemporary(name);
  return fd;
}

namespace {

// The target under a second name beside it, registered to be moved back by a
// killed process; with free_name the target's own name is freed as well.
// The second name is registered before it exists, and is to be put back from
// the step that makes it a copy of the old file: a kill at any moment removes
// a half-made copy, and never the only one.
Result<std::string> SetAside(const std::string& given, bool free_name) {
  using R = Result<std::string>;
  const std::string target = FileBehindLink(given);
  if (fs::path(target).filename().empty()) return R::failure(target + ": no file name");
  // A hard link: the old file under both names from the first moment.
  std::string name = MakeRegistered(
      PatternBeside(target), Leftover::PutBack, [&](const char* n) { return ::link(target.c_str(), n) == 0; }, target);
  if (name.empty()) {
    if (errno == ENOBUFS) return R::failure(MakeError(target));
    // No hard links here: a new file holds the name, then takes the old
    // file's place (the name to be freed) or a copy of it.
    std::string error;
    const int fd = MakeTemp(target, name, error, target);
    if (fd < 0) return R::failure(error);
    ::close(fd);
    if (free_name) {
      if (DiscStep({{name, Leftover::PutBack}}, [&] { return std::rename(target.c_str(), name.c_str()) == 0; }))
        return name;
      const std::string why = std::strerror(errno);
      RemoveTemporary(name);
      return R::failure(target + ": " + why);
    }
    std::error_code ec;
    fs::copy_file(target, name, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      RemoveTemporary(name);
      return R::failure(target + ": " + ec.message());
    }
    DiscStep({{name, Leftover::PutBack}}, [] { return true; });  // whole now: put back if killed
    return name;
  }
  if (!free_name || ::unlink(target.c_str()) == 0) return name;
  const std::string why = std::strerror(errno);
  RemoveTemporary(name);
  return R::failure(target + ": " + why);
}

}  // namespace

void RemoveTemporary(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
  ForgetTemporary(path);
}

Result<std::string> KeepBeside(const std::string& target) { return SetAside(target, false); }

Result<std::string> MoveAside(const std::string& target) { return SetAside(target, true); }

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)), dest_(FileBehindLink(target_)) {
  // Only a file is ever replaced: a rename over a device, a folder or a pipe
  // would swap it for a plain file.
  struct stat st {};
  if (::stat(dest_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    error_ = target_ + ": not a regular file";
    return;
  }
  int fd = MakeTemp(dest_, temp_, error_, {}, target_);  // a failure names the link, as the user gave it
  if (fd < 0) return;
  fp_ = fdopen(fd, "wb");
  if (!fp_) {
    error_ = target_ + ": " + std::strerror(errno);
    ::close(fd);
    discard();
  }
}

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::write(const void* data, size_t n) {
  if (!fp_ || failed_) return false;
  if (n && std::fwrite(data, 1, n, fp_) != n) {
    failed_ = true;
    error_ = target_ + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

void AtomicFile::useLargeBuffer() {
  if (!fp_) return;
  constexpr size_t kSize = 1 << 20;
  buffer_ = std::make_unique<char[]>(kSize);
  std::setvbuf(fp_, buffer_.get(), _IOFBF, kSize);
}

void UseLargeStandardBuffers() {
  // 64 KiB: a trace longer than that goes straight between the caller's memory
  // and the file, and a larger buffer only costs the pages it touches.
  static char in[64 << 10], out[64 << 10];
  std::setvbuf(stdin, in, _IOFBF, sizeof in);
  std::setvbuf(stdout, out, _IOFBF, sizeof out);
}

bool AtomicFile::commit(const std::vector<LeftoverChange>& with) {
  if (!fp_) return false;
  bool good = !failed_;
  if (good && (std::fflush(fp_) != 0 || std::ferror(fp_))) {
    error_ = target_ + ": " + std::strerror(errno);  // a full disc, or a file-size limit (EFBIG)
    good = false;
  }
  // The old file's mode, or a new file's: never mkstemp's 0600.
  ::fchmod(fileno(fp_), OutputMode(dest_));
  if (good && ::fsync(fileno(fp_)) != 0 && errno != EINVAL) {
    error_ = target_ + ": " + std::strerror(errno);
    good = false;
  }
  if (std::fclose(fp_) != 0) good = false;
  fp_ = nullptr;
  if (good && !DiscStep(with, [&] { return std::rename(temp_.c_str(), dest_.c_str()) == 0; })) {
    error_ = target_ + ": " + std::strerror(errno);
    good = false;
  }
  // The new name on the disc too, not only the bytes.
  if (good) FlushFolderOf(dest_);
  if (!good) {
    if (error_.empty()) error_ = target_ + ": write failed";
    std::remove(temp_.c_str());
  }
  ForgetTemporary(temp_);
  temp_.clear();
  return good;
}

void AtomicFile::discard() {
  if (fp_) {
    std::fclose(fp_);
    fp_ = nullptr;
  }
  if (!temp_.empty()) {
    RemoveTemporary(temp_);
    temp_.clear();
  }
}

Status MoveFileOver(const std::string& from, const std::string& given_to, const std::vector<LeftoverChange>& with) {
  const std::string to = FileBehindLink(given_to);
  if (!SyncFile(from)) return Status::failure(given_to + ": " + std::strerror(errno));
  // A replaced file keeps its mode.
  struct stat old {};
  if (::stat(to.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::chmod(from.c_str(), old.st_mode & 07777);
  if (DiscStep(with, [&] { return std::rename(from.c_str(), to.c_str()) == 0; })) {
    ForgetTemporary(from);
    FlushFolderOf(to);
    return Status::good();
  }
  if (errno != EXDEV) return Status::failure(given_to + ": " + std::strerror(errno));
  std::FILE* in = std::fopen(from.c_str(), "rb");
  if (!in) return Status::failure(from + ": " + std::strerror(errno));
  AtomicFile out(given_to);  // replaces the file behind a link, and names the link
  if (!out.is_open()) {
    std::fclose(in);
    return Status::failure(out.error());
  }
  char buf[1 << 16];
  size_t n;
  bool good = true;
  while (good && (n = std::fread(buf, 1, sizeof buf, in)) > 0) good = out.write(buf, n);
  good = good && !std::ferror(in);
  std::fclose(in);
  if (!good || !out.commit(with)) return Status::failure(out.error().empty() ? from + ": read error" : out.error());
  RemoveTemporary(from);
  return Status::good();
}

TempFolder::TempFolder(const std::string& pattern) {
  // Removed by a killed process too, after the temporaries in it.
  path_ = MakeRegistered(pattern, Leftover::RemoveFolder, [](const char* n) { return ::mkdir(n, 0700) == 0; });
}

TempFolder::~TempFolder() {
  std::error_code ec;
  if (path_.empty()) return;
  fs::remove_all(path_, ec);
  ForgetTemporary(path_);
}

Status WriteFileAtomic(const std::string& path, const std::vector<uint8_t>& bytes) {
  AtomicFile f(path);
  if (!f.is_open()) return Status::failure(f.error());
  if (!f.write(bytes) || !f.commit()) return Status::failure(f.error());
  return Status::good();
}

Status WriteFileAtomic(const std::string& path, const std::string& text) {
  return WriteFileAtomic(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace keld
