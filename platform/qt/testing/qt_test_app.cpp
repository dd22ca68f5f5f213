// Widgets need a QApplication. Linked into a test program, this makes one
// before the first test runs (offscreen unless the environment says otherwise)
// and deletes it after the last.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

namespace {

class QtAppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    app_ = new QApplication(argc_, argv_);
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }

 private:
  int argc_ = 1;
  char name_[16] = "keld-gui-test";
  char* argv_[2] = {name_, nullptr};
  QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQtApp =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

}  // namespace
