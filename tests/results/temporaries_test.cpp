// Temporaries have no fixed number: many result sets written at once (a
// series run with hundreds of workers) each get theirs.
#include "results/temporaries.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/scratch_dir.h"

namespace xas {
namespace {

TEST(Temporaries, ThousandsRegisteredAtOnce) {
  test::ScratchDir dir;
  const int dirfd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(dirfd, 0);
  std::vector<temporaries::Slot*> slots;
  // More than the 2048 a fixed table once held.
  for (int i = 0; i < 2100; ++i) {
    const std::string name = ".t" + std::to_string(i);
    temporaries::Slot* slot = nullptr;
    const int fd = temporaries::create(dirfd, name.c_str(), O_WRONLY, &slot);
    ASSERT_GE(fd, 0) << "temporary " << i;
    ASSERT_NE(slot, nullptr);
    ::close(fd);
    slots.push_back(slot);
  }
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 2100u);
  for (temporaries::Slot* slot : slots) temporaries::forget(slot);
  ::close(dirfd);
}

}  // namespace
}  // namespace xas
