#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/pending_file.h"

namespace {

// A SIGTERM right after the chosen call to link or rename, as a Ctrl-C at that moment would come.
int signalAfterCall = -1, callsMade = 0;

int SignalWhenDue(int result) {
  if (++callsMade == signalAfterCall) std::raise(SIGTERM);
  return result;
}

}  // namespace

extern "C" int link(const char* from, const char* to) noexcept {
  return SignalWhenDue(linkat(AT_FDCWD, from, AT_FDCWD, to, 0));
}

extern "C" int rename(const char* from, const char* to) noexcept {
  return SignalWhenDue(renameat(AT_FDCWD, from, AT_FDCWD, to));
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

TEST(PendingFile, ASignalWhilePublishingLeavesTheOldOrTheNewFileAndNothingElse) {
  for (const bool existed : {false, true}) {
    for (int call = 0; call <= 2; ++call) {  // 0: before publishing; then after each call
      char pattern[] = "/tmp/pending_file_test.XXXXXX";
      const std::filesystem::path folder = mkdtemp(pattern), target = folder / "out.txt";
      if (existed) std::ofstream(target) << "old";
      if (fork() == 0) {
        InstallSignalCleanup();
        PendingFile file(target);
        std::fputs("new", file.stream());
        callsMade = 0;
        signalAfterCall = call;
        if (file.Close() && call == 0) std::raise(SIGTERM);
        if (file.Publish()) file.Keep();
        std::_Exit(0);
      }
      int status;
      wait(&status);
      const bool present = std::filesystem::exists(target);
      EXPECT_TRUE(WIFSIGNALED(status)) << "call " << call;
      EXPECT_TRUE(present ? ReadWhole(target) == "new" || (existed && ReadWhole(target) == "old") : !existed)
          << "call " << call << ", the target " << (present ? "holds " + ReadWhole(target) : "is gone");
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), present ? 1 : 0)
          << "call " << call << ": a temporary was left behind";
      std::filesystem::remove_all(folder);
    }
  }
}
