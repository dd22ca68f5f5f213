#pragma once
// File helpers: existence, length, whole-file reads, and writes that never leave
// a half-written file where a good one was.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "platform/temporaries.hpp"

namespace keld {

// 1 when `path` names an existing regular file, else 0 (a folder gives 0). On
// Linux '*' and '?' are legal in names, so the path is tested literally.
int Existe_file(const std::string& path);

// The file that `name` means beside another, whatever the case of its
// extension: `name` itself when it exists, else the file in the same folder
// whose name differs from it only in the case of the part after the last dot
// (LINE.VEL or LINE.Vel for LINE.vel), the first in name order when several
// do. Instruments on Windows write extensions in either case. nullopt when
// there is none.
std::optional<std::string> FindBeside(const std::string& name);

// Length in bytes, or nullopt when the file cannot be examined.
std::optional<int64_t> FileLength(const std::string& path);

Result<std::vector<uint8_t>> ReadWholeFile(const std::string& path);

// True when both names lead to the same file (or the same path when neither exists).
bool SameFile(const std::string& a, const std::string& b);

// "Cannot write <name>: <why>", the name said once: an AtomicFile's error
// begins with the name already.
std::string CannotWrite(const std::string& name, const std::string& error);

// Writes a file beside its target and renames it over the target only when
// complete (and on the disc): a failure leaves the old file as it was and no
// partial file behind. A target that is a symbolic link keeps being one: the
// file it leads to is replaced.
class AtomicFile {
 public:
  explicit AtomicFile(std::string target);
  ~AtomicFile();  // discards the temporary file unless committed
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool is_open() const { return fp_ != nullptr; }
  const std::string& error() const { return error_; }
  std::FILE* handle() { return fp_; }
  bool write(const void* data, size_t n);
  bool write(const std::string& s) { return write(s.data(), s.size()); }
  bool write(const std::vector<uint8_t>& v) { return write(v.data(), v.size()); }
  // A 1 MiB buffer for a file written in many small pieces; call before the
  // first write.
  void useLargeBuffer();
  // Flushes, closes and renames over the target. Returns false (and removes the
  // temporary file) on any failure. `with`: registrations that change as the
  // target takes the new file, in the same step (see DiscStep).
  bool commit(const std::vector<LeftoverChange>& with = {});
  void discard();

 private:
  std::string target_, dest_, temp_, error_;  // dest_: target_, or the file its link leads to
  std::FILE* fp_ = nullptr;
  bool failed_ = false;
  std::unique_ptr<char[]> buffer_;
};

// The file that a new output named `name` replaces: `name` itself, or, when
// it is a symbolic link, the file it leads to (also when that file is gone),
// so that the link stays a link and its file takes the new contents.
std::string FileBehindLink(const std::string& name);

// Flushes the folder of `path` to the disc (after a rename into it, so that
// the new name is there too after a power cut). As far as the file system
// allows: a failure changes nothing that was written.
void FlushFolderOf(const std::string& path);

// Flushes the bytes of the file `path` to the disc (before its name is
// published, or before an output written in place is said to be made, so
// that a stick pulled at once does not hold an empty file). False, with
// errno, when it cannot be opened or the flush fails.
bool SyncFile(const std::string& path);

// Gives standard input and standard output 64 KiB buffers (a stream of many
// short traces then moves in few system calls); call before either is used.
// setvbuf with no buffer of its own keeps the default size, hence this.
void UseLargeStandardBuffers();

// Moves a file over `to` in one step: a rename, or on another file system a
// copy written beside the target, renamed over it, then the source removed.
// An existing target is replaced whole and its mode kept, a link's file
// rather than the link, and the folder flushed; on failure both files stay
// as they were. `with`: registrations that change as `to` takes the new
// file, in the same step (see DiscStep); the rename is not begun once a
// clean-up has started.
Status MoveFileOver(const std::string& from, const std::string& to, const std::vector<LeftoverChange>& with = {});

// A new empty file beside `target` ("." + its name + a unique ending, cut to
// fit the folder's longest name), made by this call: a run writes there and
// moves it over the target when whole. It has the mode the target will keep
// (the old file's, or a new file's) and is removed if the process is ended by
// SIGTERM, SIGINT or SIGHUP before it is renamed (MoveFileOver) or removed.
Result<std::string> CreateFileBeside(const std::string& target);
// A new file for this process alone (mode 0600) in `folder`, open for
// reading and writing, with no name: it goes with its last descriptor,
// however the process ends. Where the file system makes no unnamed file, it
// is made under a registered temporary name (`stem` and a unique ending)
// that is removed at once. The descriptor, or the reason naming the folder.
Result<int> OpenUnnamedFile(const std::string& folder, const std::string& stem);
// Removes such a file (a temporary, or a file set aside that is no longer
// wanted), then forgets it: in that order, so a signal in between finds
// nothing to do.
void RemoveTemporary(const std::string& path);

// The old `target`, given a second name beside it (a hard link, else a
// copy) before a run replaces it: registered so that a process ended by
// SIGTERM, SIGINT or SIGHUP moves it back over `target`. The run removes it
// (ForgetTemporary, then remove) when the new file is good, or moves it back.
Result<std::string> KeepBeside(const std::string& target);
// The same, but the target's name is freed for a batch that writes it anew
// (whose ">" would empty a file the old one shares with a hard link).
Result<std::string> MoveAside(const std::string& target);

// A new folder made from `pattern` (a path whose name ends in "XXXXXX", as
// mkdtemp takes it), removed with what is in it when the object goes, or
// when the process is ended by SIGTERM, SIGINT or SIGHUP. Its path is empty
// when it could not be made.
class TempFolder {
 public:
  explicit TempFolder(const std::string& pattern);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The mode the user's umask gives a new file (0666 less the umask).
unsigned NewFileMode();

// Whole-file convenience over AtomicFile.
Status WriteFileAtomic(const std::string& path, const std::vector<uint8_t>& bytes);
Status WriteFileAtomic(const std::string& path, const std::string& text);

}  // namespace keld
