// Widgets on a real X display, as the user meets them: linked into a test
// program, this starts a virtual display of the program's own (Xvfb), makes
// the QApplication on it with the xcb platform before the first test, and
// ends both after the last.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <memory>

#include "common/testing/testsupport.hpp"
#include "common/testing/virtual_display.hpp"

namespace {

class X11AppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    display_ = std::make_unique<keld::testing::VirtualDisplay>(log_ / "xvfb.log");
    ASSERT_FALSE(display_->name().empty())
        << "no virtual display: " << keld::testing::ReadText(log_ / "xvfb.log");
    setenv("DISPLAY", display_->name().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override {
    app_.reset();
    display_.reset();
  }

 private:
  keld::testing::TempDir log_;
  std::unique_ptr<keld::testing::VirtualDisplay> display_;
  int argc_ = 1;
  char name_[16] = "keld-x11-test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kX11App =
    ::testing::AddGlobalTestEnvironment(new X11AppEnvironment);

}  // namespace
