#pragma once
// Root passes every permission check: a test of a file or folder that
// cannot be written drops, for its own thread and while this object lives,
// the capabilities that override file modes. Harmless for any other user.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace keld::testing {

class WithoutFileOverride {
 public:
  WithoutFileOverride() {
    ok_ = syscall(SYS_capget, &head_, saved_) == 0;
    if (!ok_) return;
    __user_cap_data_struct fewer[2] = {saved_[0], saved_[1]};
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
      fewer[cap / 32].effective &= ~(1u << (cap % 32));
    ok_ = syscall(SYS_capset, &head_, fewer) == 0;
  }
  ~WithoutFileOverride() {
    if (ok_) syscall(SYS_capset, &head_, saved_);
  }
  WithoutFileOverride(const WithoutFileOverride&) = delete;
  WithoutFileOverride& operator=(const WithoutFileOverride&) = delete;
  bool ok() const { return ok_; }

 private:
  __user_cap_header_struct head_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
  bool ok_ = false;
};

}  // namespace keld::testing
