#include "tests/fuzz/fuzz_input_file.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/files/file_locations.h"

namespace {

std::string gFolder;

void RemoveFolder() {
  EmptyFuzzFolder();
  rmdir(gFolder.c_str());
}

std::string MakeFolder() {
  std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string pattern = base + "/zarin_fuzz.XXXXXX";
  if (!mkdtemp(pattern.data())) std::abort();
  return pattern;
}

}  // namespace

const std::string& FuzzFolder() {
  if (gFolder.empty()) {
    gFolder = MakeFolder();
    std::atexit(RemoveFolder);
  }
  return gFolder;
}

void EmptyFuzzFolder() {
  DIR* d = opendir(FuzzFolder().c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") unlink((gFolder + "/" + name).c_str());
  }
  closedir(d);
}

FSSpec WriteFuzzFile(const char* name, const uint8_t* data, size_t size) {
  return WriteFuzzFileAt(FuzzFolder() + "/" + name, data, size);
}

FSSpec WriteFuzzFileAt(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  FSSpec fileSpec;
  if (PathToSpec(path, &fileSpec) != noErr) std::abort();
  return fileSpec;
}
