#include "tests/fuzz/fuzz_input_file.h"

#include <dirent.h>
#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/files/file_locations.h"

namespace {

std::string gFolder;

int RemoveEntry(const char* path, const struct stat*, int, FTW*) { return remove(path); }

// The folder and everything in it (the places readers look for their files included).
void RemoveFolder() { nftw(gFolder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

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
    if (name == "." || name == "..") continue;
    std::string path = gFolder + "/" + name;
    if (unlink(path.c_str()) != 0) nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
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
