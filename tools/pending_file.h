// A file written beside its target under a temporary name and renamed into place only when
// complete, so a failed run never leaves a partial file or clobbers an old one.
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
  // Closes the stream and renames the file onto its target; false on any write error.
  bool Commit();

 private:
  std::string target_;
  std::string temporary_;
  std::FILE* stream_ = nullptr;
};
