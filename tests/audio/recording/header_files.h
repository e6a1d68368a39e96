// Files for the header tests: a fork open read-write on a file of given bytes, closed on
// destruction.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files/file_locations.h"
#include "platform/files/forks.h"
#include "tests/test_support.h"

namespace zarin_test {

class ForkFile {
 public:
  explicit ForkFile(const std::vector<uint8_t>& bytes = {}, const std::string& name = "audio") {
    path_ = tmp_.File(name);
    WriteWholeFile(path_, std::string(bytes.begin(), bytes.end()));
    FSRef ref;
    HFSUniStr255 data;
    FSGetDataForkName(&data);
    if (FSPathMakeRef(path_, &ref) == noErr) FSOpenFork(&ref, data.length, data.unicode, fsRdWrPerm, &fork_);
  }
  ~ForkFile() {
    if (fork_) FSCloseFork(fork_);
  }
  ForkFile(const ForkFile&) = delete;
  ForkFile& operator=(const ForkFile&) = delete;

  int16_t fork() const { return fork_; }
  const std::string& path() const { return path_; }
  std::vector<uint8_t> Bytes() const {
    std::string s = ReadWholeFile(path_);
    return std::vector<uint8_t>(s.begin(), s.end());
  }

 private:
  TempFolder tmp_;
  std::string path_;
  FSIORefNum fork_ = 0;
};

}  // namespace zarin_test
