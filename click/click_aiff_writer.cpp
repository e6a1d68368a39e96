#include "click/click_aiff_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <string>

#include "click/click_aiff.h"
#include "platform/memory/byte_order.h"

static void PutU16(std::vector<uint8_t>* out, uint16_t v) {
  size_t at = out->size();
  out->resize(at + 2);
  WriteU16BE(out->data() + at, v);
}

static void PutU32(std::vector<uint8_t>* out, uint32_t v) {
  size_t at = out->size();
  out->resize(at + 4);
  WriteU32BE(out->data() + at, v);
}

static void PutCommonChunk(std::vector<uint8_t>* out, const ClickAiffFormat& format) {
  bool aifc = format.compression != 0;
  PutU32(out, FourCC("COMM"));
  PutU32(out, aifc ? 24 : 18);
  PutU16(out, format.channels);
  PutU32(out, format.frames);
  PutU16(out, format.sampleBits);
  size_t at = out->size();
  out->resize(at + 10);
  WriteExtended80(out->data() + at, format.sampleRate);
  if (aifc) {
    PutU32(out, format.compression);
    PutU16(out, 0);  // empty compression name and its pad byte
  }
}

std::vector<uint8_t> BuildClickAiff(const ClickAiffFormat& format, const uint8_t* data,
                                    size_t dataBytes) {
  bool aifc = format.compression != 0;
  std::vector<uint8_t> out;
  PutU32(&out, FourCC("FORM"));
  PutU32(&out, 0);  // set at the end
  PutU32(&out, aifc ? FourCC("AIFC") : FourCC("AIFF"));
  if (aifc) {
    PutU32(&out, FourCC("FVER"));
    PutU32(&out, 4);
    PutU32(&out, 0xA2805140);  // the AIFF-C version stamp
  }
  PutCommonChunk(&out, format);
  PutU32(&out, FourCC("SSND"));
  PutU32(&out, static_cast<uint32_t>(8 + dataBytes));
  PutU32(&out, 0);  // offset
  PutU32(&out, 0);  // block size
  if (dataBytes) out.insert(out.end(), data, data + dataBytes);
  if (dataBytes & 1) out.push_back(0);
  WriteU32BE(out.data() + 4, static_cast<uint32_t>(out.size() - 8));
  return out;
}

std::vector<uint8_t> EncodeClickSamples16(const float* samples, uint32_t frames) {
  std::vector<uint8_t> out(size_t(frames) * 2);
  for (uint32_t i = 0; i < frames; ++i) {
    float v = std::fmax(-1.0f, std::fmin(1.0f, samples[i]));
    long word = std::lround(v * 32767.0f);
    WriteI16BE(out.data() + 2 * i, static_cast<int16_t>(word));
  }
  return out;
}

static bool WriteAll(int fd, const uint8_t* p, size_t n) {
  while (n) {
    ssize_t put = write(fd, p, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put;
    n -= static_cast<size_t>(put);
  }
  return true;
}

OSErr WriteClickAiffFile(const char* path, const float* samples, uint32_t frames,
                         double sampleRate) {
  ClickAiffFormat format;
  format.frames = frames;
  format.sampleRate = sampleRate;
  std::vector<uint8_t> data = EncodeClickSamples16(samples, frames);
  std::vector<uint8_t> file = BuildClickAiff(format, data.data(), data.size());
  std::string temp = std::string(path) + ".new";
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return kClickIOErr;
  bool ok = WriteAll(fd, file.data(), file.size()) && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  if (!ok || std::rename(temp.c_str(), path) != 0) {
    unlink(temp.c_str());
    return kClickIOErr;
  }
  return noErr;
}
