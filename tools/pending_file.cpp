#include "tools/pending_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

// The private folders in being, for a run ended by a signal (Ctrl-C, a kill) to clear on its way
// out. Clearing never touches a target: the new file replaces the old one in a single rename, so
// a target holds one of the two whenever the signal comes.
constexpr int MaxPending = 4;
struct PendingNames {
  char folder[PATH_MAX], newFile[PATH_MAX], oldFile[PATH_MAX];
};
PendingNames pendingNames[MaxPending];
volatile std::sig_atomic_t pendingInUse[MaxPending];

std::string NewFile(const std::string& folder) { return folder + "/new"; }
std::string OldFile(const std::string& folder) { return folder + "/old"; }

void RemoveTemporariesAndEnd(int signal) {
  for (int slot = 0; slot < MaxPending; ++slot) {
    if (!pendingInUse[slot]) continue;
    unlink(pendingNames[slot].newFile);
    unlink(pendingNames[slot].oldFile);
    rmdir(pendingNames[slot].folder);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

int RegisterFolder(const std::string& folder) {
  if (OldFile(folder).size() >= PATH_MAX) return -1;
  for (int slot = 0; slot < MaxPending; ++slot) {
    if (pendingInUse[slot]) continue;
    std::strcpy(pendingNames[slot].folder, folder.c_str());
    std::strcpy(pendingNames[slot].newFile, NewFile(folder).c_str());
    std::strcpy(pendingNames[slot].oldFile, OldFile(folder).c_str());
    std::atomic_signal_fence(std::memory_order_seq_cst);  // the names are whole before the handler may read them
    pendingInUse[slot] = 1;
    return slot;
  }
  return -1;
}

}  // namespace

void InstallSignalCleanup() {
  // A signal the caller chose to ignore (a background job's SIGINT) stays ignored.
  for (int signal : {SIGINT, SIGTERM, SIGHUP})
    if (std::signal(signal, RemoveTemporariesAndEnd) == SIG_IGN) std::signal(signal, SIG_IGN);
}

PendingFile::PendingFile(std::string target) : target_(std::move(target)) {
  // No signal may fall between the folder's creation and its entry in the list.
  sigset_t fatalSignals, previousMask;
  sigemptyset(&fatalSignals);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&fatalSignals, signal);
  sigprocmask(SIG_BLOCK, &fatalSignals, &previousMask);
  std::string folder = target_ + ".XXXXXX";
  if (mkdtemp(folder.data())) {
    folder_ = folder;
    signalSlot_ = RegisterFolder(folder_);
  } else {
    error_ = errno;
  }
  sigprocmask(SIG_SETMASK, &previousMask, nullptr);
  if (folder_.empty()) return;
  // Created with the permissions an ordinary new file gets.
  const int descriptor = open(NewFile(folder_).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor >= 0 && !(stream_ = fdopen(descriptor, "wb"))) close(descriptor);
  if (!stream_) error_ = errno;
}

PendingFile::~PendingFile() {
  if (stream_) std::fclose(stream_);
  if (folder_.empty()) return;
  // Taken back: the target returns to what it was, in one step. The old file itself is never
  // removed here; should it fail to return, it stays where it waits.
  if (published_ && replaced_ == Replaced::KeptAside) std::rename(OldFile(folder_).c_str(), target_.c_str());
  if (published_ && replaced_ == Replaced::Nothing) unlink(target_.c_str());
  unlink(NewFile(folder_).c_str());
  rmdir(folder_.c_str());
  if (signalSlot_ >= 0) pendingInUse[signalSlot_] = 0;
}

bool PendingFile::Close() {
  if (!stream_) return false;
  // On the disk before it is published, so a power cut leaves the old file or the new, never an
  // empty one.
  const bool written = std::fflush(stream_) == 0 && !std::ferror(stream_) && fsync(fileno(stream_)) == 0;
  if (!written) error_ = errno;
  const bool closed = std::fclose(stream_) == 0;
  if (written && !closed) error_ = errno;
  stream_ = nullptr;
  return written && closed;
}

bool PendingFile::Publish() {
  if (stream_ || folder_.empty()) return false;
  // A second name holds on to the old file while the new one takes the target's name over it.
  // An old file that cannot be held on to (a file system without hard links, too many links) is
  // not replaced: its publication could no longer be taken back.
  if (link(target_.c_str(), OldFile(folder_).c_str()) == 0) {
    replaced_ = Replaced::KeptAside;
  } else if (errno == ENOENT) {
    replaced_ = Replaced::Nothing;
  } else {
    error_ = errno;
    failedStep_ = "the old file cannot be kept aside to be put back";
    return false;
  }
  // A replacement keeps the read, write and execute permissions of the file it replaces, as
  // editors do, so a private file stays private; set-user and set-group bits are not carried over.
  struct stat old;
  if (replaced_ == Replaced::KeptAside &&
      (stat(OldFile(folder_).c_str(), &old) != 0 || chmod(NewFile(folder_).c_str(), old.st_mode & 0777) != 0)) {
    error_ = errno;
    unlink(OldFile(folder_).c_str());
    return false;
  }
  if (std::rename(NewFile(folder_).c_str(), target_.c_str()) != 0) {
    error_ = errno;
    unlink(OldFile(folder_).c_str());
    return false;
  }
  published_ = true;
  return true;
}

void PendingFile::Keep() {
  published_ = false;
  unlink(OldFile(folder_).c_str());
}

std::string PendingFile::Reason() const {
  if (!error_) return "";
  return failedStep_ ? std::string(failedStep_) + " (" + std::strerror(error_) + ")" : std::strerror(error_);
}

std::string FindTargetProblem(const std::string& target) {
  // lstat, as Publish sees the target: a link would be replaced by a file rather than written
  // through, so it is refused like anything else that is not a plain file.
  struct stat status;
  if (lstat(target.c_str(), &status) != 0) return "";
  if (S_ISLNK(status.st_mode)) return "it is a symbolic link";
  if (S_ISDIR(status.st_mode)) return "it is a folder";
  if (!S_ISREG(status.st_mode)) return "it is not a plain file";
  if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return std::strerror(errno);
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
