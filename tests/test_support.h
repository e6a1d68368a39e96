// Small helpers shared by the test suites: temporary folders and environment
// overrides that put the standard folders somewhere harmless.
#pragma once

#include <string>

namespace zarin_test {

// A fresh folder under $TMPDIR, removed with everything in it on destruction.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A small disk of its own (a tmpfs of `bytes`) mounted on a fresh folder for the lifetime of
// the object, to fill up for real. mounted() is false where the host refuses the mount.
class SmallDisk {
 public:
  explicit SmallDisk(size_t bytes);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool mounted() const { return mounted_; }
  const std::string& path() const { return folder_.path(); }
  std::string File(const std::string& name) const { return folder_.File(name); }

 private:
  TempFolder folder_;
  bool mounted_ = false;
};

// Sets an environment variable for the lifetime of the object, restoring the old value after.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::string old_;
  bool had_old_;
};

// Path of a file under tests/fixtures.
std::string FixturePath(const std::string& name);

// Whole contents of a file, or an empty string when it cannot be read.
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace zarin_test
