#include "sutools/whole_input.hpp"

#include <vector>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace keld::sutools {

namespace {

bool Fail(std::string& why, const char* what) {
  why = what;
  return false;
}

// The size of a regular file read from its start, or -1.
off_t RegularFromStart(int fd) {
  struct stat s;
  if (fd < 0 || fstat(fd, &s) != 0 || !S_ISREG(s.st_mode) || lseek(fd, 0, SEEK_CUR) != 0) return -1;
  return s.st_size;
}

}  // namespace

WholeInput::~WholeInput() {
  if (map_) munmap(map_, size_);
  if (spool_) std::fclose(spool_);
}

bool WholeInput::map(int fd, size_t size, bool populate, std::string& why) {
  size_ = size;
  if (size_ == 0) return true;
  void* m = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | (populate ? MAP_POPULATE : 0), fd, 0);
  if (m == MAP_FAILED) return Fail(why, "cannot map the input into memory");
  map_ = m;
  return true;
}

bool WholeInput::mapFile(std::FILE* in) {
  const int fd = fileno(in);
  const off_t size = RegularFromStart(fd);
  std::string why;
  return size > 0 && map(fd, static_cast<size_t>(size), false, why);
}

bool WholeInput::load(std::FILE* in, std::string& why) {
  int fd = fileno(in);
  off_t size = RegularFromStart(fd);
  if (size < 0) {
    spool_ = std::tmpfile();
    if (!spool_) return Fail(why, "cannot make a temporary file for the input");
    std::vector<char> buf(1 << 20);
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), in)) > 0)
      if (std::fwrite(buf.data(), 1, n, spool_) != n) return Fail(why, "cannot write the temporary copy of the input");
    if (std::ferror(in)) return Fail(why, "read error on standard input");
    if (std::fflush(spool_) != 0) return Fail(why, "cannot write the temporary copy of the input");
    fd = fileno(spool_);
    struct stat s;
    if (fstat(fd, &s) != 0) return Fail(why, "cannot read the temporary copy of the input");
    size = s.st_size;
  }
  return map(fd, static_cast<size_t>(size), true, why);
}

}  // namespace keld::sutools
