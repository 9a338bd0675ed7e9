// A file written beside its target and put in its place only when complete, in one step, so a
// failed run never leaves a partial file or clobbers an old one, and at every moment the target
// holds its old content or the new. Several files are committed together: each is closed, then
// each is published, and only when all are in place is each kept; a file destroyed before it is
// kept takes its publication back. Once InstallSignalCleanup has run, a run ended by SIGINT,
// SIGTERM or SIGHUP leaves each target whole, old or new, and nothing of its own beside it.
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
  // Flushes the stream to the disk and closes it; false on any write error.
  bool Close();
  // Puts the closed file in the target's place with the permissions of the file it replaces,
  // keeping that file under a second name; false when the target is left as it was, which is
  // also the answer when the old file cannot be given a second name.
  bool Publish();
  // Makes a publication final and drops the replaced file.
  void Keep();
  // Why the last step that failed did, in the system's words; empty when none has.
  std::string Reason() const;

 private:
  // What the target held before it was published: nothing, or a file kept aside so it can come
  // back.
  enum class Replaced { Nothing, KeptAside };

  std::string target_;
  std::string folder_;  // private, beside the target: holds "new" until published, then "old"
  std::FILE* stream_ = nullptr;
  int signalSlot_ = -1;  // the folder's entry in the list a fatal signal clears
  int error_ = 0;
  const char* failedStep_ = nullptr;  // what could not be done, where the system's words alone would mislead
  bool published_ = false;
  Replaced replaced_ = Replaced::Nothing;
};

// Makes SIGINT, SIGTERM and SIGHUP remove every pending file's temporaries before the program
// ends; called once from main, before the first PendingFile.
void InstallSignalCleanup();

// Why `target` cannot take a file, or empty when it can: an existing folder, a symbolic link or
// anything else that is not a plain file (a device, a pipe) is never replaced, and neither is a
// file we may not write to, as cp would refuse it.
std::string FindTargetProblem(const std::string& target);

// Whether two targets name one directory entry, however they are spelt; false when either's
// folder does not exist.
bool IsSameTarget(const std::string& first, const std::string& second);
