// CFBundle: the application folder and shared libraries opened with dlopen.
#include "platform/text/cf_bundle.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/text/cf_object.h"

struct CFBundleObject : CFObject {
  CFBundleObject(std::string p, bool folder) : CFObject(kCFBundleTypeID), path(std::move(p)), isFolder(folder) {}
  std::string Describe() const override { return "<CFBundle " + path + (library ? " (loaded)>" : ">"); }
  std::string path;  // the folder, or the library file itself
  bool isFolder;
  std::mutex mutex;
  void* library = nullptr;
};

namespace {

CFBundleObject* AsBundle(CFBundleRef b) { return CFCast<CFBundleObject>(b, kCFBundleTypeID); }

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string RunningProgramFolder() {
  std::vector<char> buffer(4096);
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return "/";
  std::string exe(buffer.data(), size_t(n));
  size_t slash = exe.rfind('/');
  return (slash == std::string::npos || slash == 0) ? std::string("/") : exe.substr(0, slash);
}

// The library of a bundle: the file itself, or "Name.so" / "libName.so" inside "Name.ext".
std::string ExecutablePath(const CFBundleObject& b) {
  if (!b.isFolder) return b.path;
  std::string name = b.path.substr(b.path.rfind('/') + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  std::string plain = b.path + "/" + name + ".so";
  std::string prefixed = b.path + "/lib" + name + ".so";
  return (!IsFile(plain) && IsFile(prefixed)) ? prefixed : plain;
}

void* LookUp(CFBundleRef bundle, CFStringRef name) {
  CFBundleObject* b = AsBundle(bundle);
  std::string symbol = CFStringToUTF8(name);
  if (b == nullptr || symbol.empty() || !CFBundleLoadExecutable(bundle)) return nullptr;
  std::lock_guard<std::mutex> lock(b->mutex);
  return b->library != nullptr ? dlsym(b->library, symbol.c_str()) : nullptr;
}

}  // namespace

CFTypeID CFBundleGetTypeID() { return kCFBundleTypeID; }

CFBundleRef CFBundleGetMainBundle() {
  static CFBundleObject* main = [] {
    CFBundleObject* b = new CFBundleObject(RunningProgramFolder(), true);
    b->MakeImmortal();
    return b;
  }();
  return main;
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
  std::string path = CFURLGetPOSIXPath(bundleURL);
  if (path.empty()) return nullptr;
  if (IsFolder(path)) return new CFBundleObject(path, true);
  if (IsFile(path)) return new CFBundleObject(path, false);
  return nullptr;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
  CFBundleObject* b = AsBundle(bundle);
  return b != nullptr ? CFURLCreateWithPOSIXPath(b->path, b->isFolder) : nullptr;
}

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle) {
  CFBundleObject* b = AsBundle(bundle);
  if (b == nullptr) return nullptr;
  if (b->isFolder) return CFURLCreateWithPOSIXPath(b->path, true);
  return CFURLCreateWithPOSIXPath(b->path.substr(0, b->path.rfind('/') + 1), true);
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle) {
  CFBundleObject* b = AsBundle(bundle);
  if (b == nullptr) return nullptr;
  if (bundle == CFBundleGetMainBundle()) {
    std::vector<char> buffer(4096);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return n > 0 ? CFURLCreateWithPOSIXPath(std::string(buffer.data(), size_t(n)), false) : nullptr;
  }
  return CFURLCreateWithPOSIXPath(ExecutablePath(*b), false);
}

Boolean CFBundleLoadExecutable(CFBundleRef bundle) {
  CFBundleObject* b = AsBundle(bundle);
  if (b == nullptr) return false;
  std::lock_guard<std::mutex> lock(b->mutex);
  if (b->library != nullptr) return true;
  if (bundle == CFBundleGetMainBundle()) {
    b->library = dlopen(nullptr, RTLD_NOW);
    return b->library != nullptr;
  }
  std::string file = ExecutablePath(*b);
  b->library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (b->library == nullptr) {
    const char* why = dlerror();
    std::fprintf(stderr, "Cannot load %s: %s\n", file.c_str(), why != nullptr ? why : "unknown error");
  }
  return b->library != nullptr;
}

Boolean CFBundleIsExecutableLoaded(CFBundleRef bundle) {
  CFBundleObject* b = AsBundle(bundle);
  if (b == nullptr) return false;
  std::lock_guard<std::mutex> lock(b->mutex);
  return b->library != nullptr;
}

void CFBundleUnloadExecutable(CFBundleRef bundle) {
  CFBundleObject* b = AsBundle(bundle);
  if (b == nullptr || bundle == CFBundleGetMainBundle()) return;
  std::lock_guard<std::mutex> lock(b->mutex);
  if (b->library != nullptr) dlclose(b->library);
  b->library = nullptr;
}

void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName) {
  return LookUp(bundle, functionName);
}

void* CFBundleGetDataPointerForName(CFBundleRef bundle, CFStringRef symbolName) { return LookUp(bundle, symbolName); }

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key) {
  if (bundle == nullptr || bundle != CFBundleGetMainBundle()) return nullptr;
  std::string name = CFStringToUTF8(key);
  if (name == "CFBundleShortVersionString" || name == "CFBundleVersion") return CFSTR("1.0");
  if (name == "CFBundleName") return CFSTR("Zarin");
  return nullptr;
}
