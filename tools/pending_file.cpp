#include "tools/pending_file.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

// The temporaries in being, for a run ended by a signal (Ctrl-C, a kill) to remove on its way out.
constexpr int MaxTemporaries = 4;
char temporaryNames[MaxTemporaries][PATH_MAX];
volatile std::sig_atomic_t temporaryInUse[MaxTemporaries];

void RemoveTemporariesAndEnd(int signal) {
  for (int slot = 0; slot < MaxTemporaries; ++slot)
    if (temporaryInUse[slot]) unlink(temporaryNames[slot]);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

int RegisterTemporary(const std::string& name) {
  for (int slot = 0; slot < MaxTemporaries; ++slot) {
    if (temporaryInUse[slot] || name.size() >= PATH_MAX) continue;
    std::memcpy(temporaryNames[slot], name.c_str(), name.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);  // the name is whole before the handler may read it
    temporaryInUse[slot] = 1;
    return slot;
  }
  return -1;
}

void ForgetTemporary(int slot) {
  if (slot >= 0) temporaryInUse[slot] = 0;
}

// A fresh, empty file beside `target`; its name, or empty when none could be made.
std::string CreateBeside(const std::string& target, int& descriptor) {
  std::string name = target + ".XXXXXX";
  descriptor = mkstemp(name.data());
  if (descriptor < 0) name.clear();
  return name;
}

}  // namespace

void InstallSignalCleanup() {
  // A signal the caller chose to ignore (a background job's SIGINT) stays ignored.
  for (int signal : {SIGINT, SIGTERM, SIGHUP})
    if (std::signal(signal, RemoveTemporariesAndEnd) == SIG_IGN) std::signal(signal, SIG_IGN);
}

PendingFile::PendingFile(std::string target) : target_(std::move(target)) {
  // No signal may fall between the file's creation and its entry in the list.
  sigset_t fatalSignals, previousMask;
  sigemptyset(&fatalSignals);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&fatalSignals, signal);
  sigprocmask(SIG_BLOCK, &fatalSignals, &previousMask);
  int descriptor;
  temporary_ = CreateBeside(target_, descriptor);
  if (!temporary_.empty()) signalSlot_ = RegisterTemporary(temporary_);
  sigprocmask(SIG_SETMASK, &previousMask, nullptr);
  if (temporary_.empty()) return;
  // mkstemp makes the file private; give it the permissions an ordinary new file would get.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(descriptor, 0666 & ~mask);
  stream_ = fdopen(descriptor, "wb");
  if (!stream_) close(descriptor);
}

PendingFile::~PendingFile() {
  if (stream_) std::fclose(stream_);
  if (!temporary_.empty()) unlink(temporary_.c_str());
  ForgetTemporary(signalSlot_);
  // Taken back: the target returns to what it was, our file goes. The old file itself is never
  // removed here; should it fail to return, it stays where it waits.
  if (published_) {
    if (replaced_.empty())
      unlink(target_.c_str());
    else
      std::rename(replaced_.c_str(), target_.c_str());
  }
}

bool PendingFile::Close() {
  if (!stream_) return false;
  const bool written = std::fflush(stream_) == 0 && !std::ferror(stream_);
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  return written && closed;
}

bool PendingFile::Publish() {
  if (stream_ || temporary_.empty()) return false;
  struct stat status;
  if (lstat(target_.c_str(), &status) == 0) {
    // The old file moves onto a placeholder of our own, so it can come back if a later file fails.
    int descriptor;
    replaced_ = CreateBeside(target_, descriptor);
    if (replaced_.empty()) return false;
    close(descriptor);
    if (std::rename(target_.c_str(), replaced_.c_str()) != 0) {
      unlink(replaced_.c_str());
      replaced_.clear();
      return false;
    }
  }
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    if (!replaced_.empty()) std::rename(replaced_.c_str(), target_.c_str());
    replaced_.clear();
    return false;
  }
  temporary_.clear();
  ForgetTemporary(signalSlot_);
  signalSlot_ = -1;
  published_ = true;
  return true;
}

void PendingFile::Keep() {
  published_ = false;
  if (!replaced_.empty()) unlink(replaced_.c_str());
  replaced_.clear();
}

std::string FindTargetProblem(const std::string& target) {
  // lstat, as Publish sees the target: a link would be replaced by a file rather than written
  // through, so it is refused like anything else that is not a plain file.
  struct stat status;
  if (lstat(target.c_str(), &status) != 0) return "";
  if (S_ISLNK(status.st_mode)) return "it is a symbolic link";
  if (S_ISDIR(status.st_mode)) return "it is a folder";
  if (!S_ISREG(status.st_mode)) return "it is not a plain file";
  return "";
}

bool IsSameTarget(const std::string& first, const std::string& second) {
  const auto split = [](const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return std::pair<std::string, std::string>(".", path);
    return std::pair<std::string, std::string>(slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1));
  };
  const auto [firstFolder, firstName] = split(first);
  const auto [secondFolder, secondName] = split(second);
  struct stat firstStatus, secondStatus;
  return firstName == secondName && stat(firstFolder.c_str(), &firstStatus) == 0 &&
         stat(secondFolder.c_str(), &secondStatus) == 0 && firstStatus.st_dev == secondStatus.st_dev &&
         firstStatus.st_ino == secondStatus.st_ino;
}
