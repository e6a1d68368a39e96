#include "tests/test_support.h"

#include <sys/mount.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zarin_test {

TempFolder::TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zarin-test-XXXXXX";
  char* made = mkdtemp(pattern.data());
  path_ = made ? made : "";
}

TempFolder::~TempFolder() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

SmallDisk::SmallDisk(size_t bytes) {
  std::string options = "size=" + std::to_string(bytes);
  mounted_ = !folder_.path().empty() &&
             mount("tmpfs", folder_.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
  if (mounted_) umount2(folder_.path().c_str(), MNT_DETACH);
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
  const char* old = std::getenv(name);
  had_old_ = old != nullptr;
  if (old) old_ = old;
  setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
  if (had_old_)
    setenv(name_.c_str(), old_.c_str(), 1);
  else
    unsetenv(name_.c_str());
}

std::string FixturePath(const std::string& name) {
  const char* root = std::getenv("ZARIN_TEST_FIXTURES");
  return std::string(root ? root : "tests/fixtures") + "/" + name;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace zarin_test
