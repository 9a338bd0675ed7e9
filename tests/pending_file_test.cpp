#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/pending_file.h"

// Publishing's rename, with a SIGTERM just before it (step 1) or after it (step 2), as from Ctrl-C.
static int signalAtStep = -1;
extern "C" int rename(const char* from, const char* to) noexcept {
  if (signalAtStep == 1) std::raise(SIGTERM);
  const int result = renameat(AT_FDCWD, from, AT_FDCWD, to);
  if (signalAtStep == 2) std::raise(SIGTERM);
  return result;
}

// Hard links refused, as a file system without them refuses them.
static int linkError = 0;
extern "C" int link(const char* from, const char* to) noexcept {
  if (linkError) return errno = linkError, -1;
  return linkat(AT_FDCWD, from, AT_FDCWD, to, 0);
}

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
    if (firstExisted) {
      std::ofstream(first) << "old";
      // Private and executable: a mode no new file gets from the umask.
      std::filesystem::permissions(first, std::filesystem::perms::owner_all);
    }
    {
      PendingFile firstFile(first), secondFile(second);
      std::fputs("new", firstFile.stream());
      std::fputs("new", secondFile.stream());
      ASSERT_TRUE(firstFile.Close() && secondFile.Close());
      // Something takes the second target's place while the work runs.
      std::filesystem::create_directories(second / "occupied");
      ASSERT_TRUE(firstFile.Publish());
      EXPECT_EQ(ReadWhole(first), "new");
      EXPECT_TRUE(!firstExisted || std::filesystem::status(first).permissions() == std::filesystem::perms::owner_all)
          << "the replacement lost the old file's permissions";
      EXPECT_FALSE(secondFile.Publish());
    }
    EXPECT_EQ(std::filesystem::exists(first), firstExisted);
    EXPECT_EQ(ReadWhole(first), firstExisted ? "old" : "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), firstExisted ? 2 : 1)
        << "a temporary or a set-aside file was left behind";
    std::filesystem::remove_all(folder);
  }
}

// An old file that cannot be kept aside stays: replaced, it could not be put back.
TEST(PendingFile, RefusesToReplaceAFileItCannotKeepAside) {
  char pattern[] = "/tmp/pending_file_test.XXXXXX";
  const std::filesystem::path folder = mkdtemp(pattern), target = folder / "out.bin";
  std::ofstream(target) << "old";
  {
    PendingFile file(target);
    std::fputs("new", file.stream());
    linkError = EPERM;
    EXPECT_FALSE(file.Close() && file.Publish());
    linkError = 0;
    EXPECT_NE(file.Reason().find(std::strerror(EPERM)), std::string::npos) << file.Reason();
  }
  EXPECT_EQ(ReadWhole(target), "old");
  std::filesystem::remove_all(folder);
}

// The handler ends the run by the signal it caught: before the rename the old file stays, after
// it the new one.
TEST(PendingFile, ASignalWhilePublishingLeavesTheOldOrTheNewFileAndNothingElse) {
  for (int step = 0; step <= 2; ++step) {  // 0: before publishing begins
    char pattern[] = "/tmp/pending_file_test.XXXXXX";
    const std::filesystem::path folder = mkdtemp(pattern), target = folder / "out.txt";
    std::ofstream(target) << "old";
    if (fork() == 0) {
      InstallSignalCleanup();
      PendingFile file(target);
      std::fputs("new", file.stream());
      signalAtStep = step;
      if (file.Close() && step == 0) std::raise(SIGTERM);
      if (file.Publish()) file.Keep();
      std::_Exit(0);
    }
    int status;
    wait(&status);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "step " << step << ": status " << status;
    EXPECT_EQ(ReadWhole(target), step < 2 ? "old" : "new") << "step " << step;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "step " << step << ": a temporary is left";
    std::filesystem::remove_all(folder);
  }
}
