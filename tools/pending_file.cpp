#include "tools/pending_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

PendingFile::PendingFile(std::string target) : target_(std::move(target)), temporary_(target_ + ".XXXXXX") {
  const int descriptor = mkstemp(temporary_.data());
  if (descriptor < 0) {
    temporary_.clear();
    return;
  }
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
}

bool PendingFile::Commit() {
  if (!stream_) return false;
  const bool written = std::fflush(stream_) == 0 && !std::ferror(stream_);
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  if (!written || !closed || std::rename(temporary_.c_str(), target_.c_str()) != 0) return false;
  temporary_.clear();
  return true;
}
