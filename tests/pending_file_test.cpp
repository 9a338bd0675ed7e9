#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/pending_file.h"

namespace {

std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream stream(path);
  return std::string(std::istreambuf_iterator<char>(stream), {});
}

}  // namespace

// The second of two outputs fails only when it is moved into place, after the first was: the
// first must be taken back, to its old file or to nothing.
TEST(PendingFile, TakesBackTheFirstOutputWhenTheSecondCannotBePublished) {
  for (const bool firstExisted : {false, true}) {
    char pattern[] = "/tmp/pending_file_test.XXXXXX";
    const std::filesystem::path folder = mkdtemp(pattern);
    const std::filesystem::path first = folder / "first.bin", second = folder / "second.png";
    if (firstExisted) std::ofstream(first) << "old";
    {
      PendingFile firstFile(first), secondFile(second);
      std::fputs("new", firstFile.stream());
      std::fputs("new", secondFile.stream());
      ASSERT_TRUE(firstFile.Close() && secondFile.Close());
      // Something takes the second target's place while the work runs.
      std::filesystem::create_directories(second / "occupied");
      ASSERT_TRUE(firstFile.Publish());
      EXPECT_EQ(ReadWhole(first), "new");
      EXPECT_FALSE(secondFile.Publish());
    }
    EXPECT_EQ(std::filesystem::exists(first), firstExisted);
    EXPECT_EQ(ReadWhole(first), firstExisted ? "old" : "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), firstExisted ? 2 : 1)
        << "a temporary or a set-aside file was left behind";
    std::filesystem::remove_all(folder);
  }
}
