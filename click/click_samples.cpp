// Loading the two click files of MetSynth: finding their folder, reading, decoding and
// converting them to the host's rate. Runs at resume and at a rate change, never while
// processing.
#include <dlfcn.h>
#include <limits.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "click/click_aiff.h"
#include "click/click_rate_conversion.h"
#include "click/met_synth.h"

// Copies the folder part of `path` (of length n): "." when it has none.
static bool CopyParentFolder(const char* path, size_t n, char* folder, size_t capacity) {
  size_t end = n;
  while (end > 0 && path[end - 1] != '/') --end;
  while (end > 1 && path[end - 1] == '/') --end;  // "/a/b" -> "/a", "/b" -> "/"
  if (end == 0) return std::snprintf(folder, capacity, ".") < static_cast<int>(capacity);
  if (end >= capacity) return false;
  std::memcpy(folder, path, end);
  folder[end] = 0;
  return true;
}

bool FindClickSampleFolder(const char* hostAnswer, char* folder, size_t capacity) {
  if (!folder || capacity == 0) return false;
  size_t n = hostAnswer ? strnlen(hostAnswer, PATH_MAX) : 0;
  if (n > 0 && n < PATH_MAX) {
    struct stat st;
    if (stat(hostAnswer, &st) == 0 && !S_ISDIR(st.st_mode))
      return CopyParentFolder(hostAnswer, n, folder, capacity);
    if (n >= capacity) return false;
    std::memcpy(folder, hostAnswer, n + 1);
    return true;
  }
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&FindClickSampleFolder), &info) == 0 || !info.dli_fname ||
      !*info.dli_fname)
    return false;
  return CopyParentFolder(info.dli_fname, strnlen(info.dli_fname, PATH_MAX), folder, capacity);
}

void MetSynth::FreeClickSamples() {
  for (int k = kBeatClick; k <= kBarClick; ++k) {
    std::free(clickBuffer[k]);
    clickBuffer[k] = nullptr;
    bufferLength[k] = 0;
  }
  currentBuffer = nullptr;
  playing = 0;
}

OSErr MetSynth::LoadClickSamples() {
  if (clickBuffer[kBeatClick]) return kClickFileNotFoundErr;
  char folder[PATH_MAX];
  if (!FindClickSampleFolder(GetDirectory(), folder, sizeof folder)) return kClickFileNotFoundErr;
  OSErr result = noErr;
  for (int k = kBeatClick; k <= kBarClick; ++k) {
    bool stop = false;
    result = LoadClickSample(k, folder, &stop);
    if (stop) break;
  }
  return result;
}

// Loads click k unless it is loaded. A file that cannot be opened, or no memory for its
// bytes, stops the loading (*stop); a file that is no usable click file is skipped.
OSErr MetSynth::LoadClickSample(int k, const char* folder, bool* stop) {
  char path[PATH_MAX + 16];
  if (std::snprintf(path, sizeof path, "%s/%s", folder, kClickFileNames[k]) >=
      static_cast<int>(sizeof path)) {
    *stop = true;
    return kClickFileNotFoundErr;
  }
  uint8_t* bytes = nullptr;
  size_t size = 0;
  OSErr err = ReadClickFileBytes(path, &bytes, &size);
  if (err == kClickFileNotFoundErr || err == kClickPermissionErr || err == memFullErr) {
    *stop = true;
    return err;
  }
  if (err) return err;
  ClickAiffInfo info;
  err = ParseClickAiffHeader(bytes, size, &info);
  // The lengths of a loaded click stay as they are: a parse of its file again must not
  // give its converted buffer the file's frame count.
  if (err || clickBuffer[k]) {
    std::free(bytes);
    return err;
  }
  dataOffset[k] = info.dataOffset;
  fileRate = static_cast<float>(info.sampleRate);
  float* decoded = static_cast<float*>(std::calloc(info.frames, sizeof(float)));
  if (decoded) DecodeClickSamples(bytes, info, decoded);
  std::free(bytes);
  if (!decoded) return memFullErr;
  bufferRate = sampleRate;
  if (fileRate == bufferRate) {
    clickBuffer[k] = decoded;
    bufferLength[k] = info.frames;
    return noErr;
  }
  float* converted = nullptr;
  uint32_t convertedLength = 0;
  err = ConvertClickSampleRate(decoded, info.frames, fileRate, bufferRate, &converted,
                               &convertedLength);
  std::free(decoded);
  if (!err) {
    clickBuffer[k] = converted;
    bufferLength[k] = convertedLength;
  }
  return err;
}
