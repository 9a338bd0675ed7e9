// A file written beside its target under a temporary name and moved into place only when
// complete, so a failed run never leaves a partial file or clobbers an old one. Several files
// are committed together: each is closed, then each is published, and only when all are in place
// is each kept; a file destroyed before it is kept takes its publication back. Once
// InstallSignalCleanup has run, a run ended by SIGINT, SIGTERM or SIGHUP removes its
// temporaries first.
#pragma once

#include <cstdio>
#include <string>

class PendingFile {
 public:
  explicit PendingFile(std::string target);
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Null when the temporary file could not be created.
  std::FILE* stream() const { return stream_; }
  // Flushes and closes the stream; false on any write error.
  bool Close();
  // Moves the closed file onto its target, setting aside the file it replaces; false when the
  // target is left as it was.
  bool Publish();
  // Makes a publication final and drops the replaced file.
  void Keep();

 private:
  std::string target_;
  std::string temporary_;
  std::string replaced_;  // where the target's old file waits until kept, if it had one
  std::FILE* stream_ = nullptr;
  int signalSlot_ = -1;  // the temporary's entry in the list a fatal signal clears
  bool published_ = false;
};

// Makes SIGINT, SIGTERM and SIGHUP remove every pending file's temporary before the program
// ends; called once from main, before the first PendingFile.
void InstallSignalCleanup();

// Why `target` cannot take a file, or empty when it can: an existing folder, a symbolic link or
// anything else that is not a plain file (a device, a pipe) is never replaced.
std::string FindTargetProblem(const std::string& target);

// Whether two targets name one directory entry, however they are spelt; false when either's
// folder does not exist.
bool IsSameTarget(const std::string& first, const std::string& second);
