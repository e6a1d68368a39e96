#include "tests/audio/streams/pcm_file_header.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/files/file_locations.h"

namespace stream_test {

namespace {

uint32_t Be32(const uint8_t* p) { return (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }
uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

}  // namespace

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool ParseHeader(const std::vector<uint8_t>& f, FileFormat* out) {
  if (f.size() < 12) return false;
  bool wave = std::memcmp(f.data(), "RIFF", 4) == 0;
  for (size_t at = 12; at + 8 <= f.size();) {
    uint32_t size = wave ? Le32(&f[at + 4]) : Be32(&f[at + 4]);
    const uint8_t* body = &f[at + 8];
    if (at + 8 + size > f.size()) size = uint32_t(f.size() - at - 8);
    if (!std::memcmp(&f[at], "COMM", 4)) {
      out->channels = (body[0] << 8) | body[1];
      out->width = int16_t((body[6] << 8) | body[7]);
      out->format = size >= 22 ? Be32(body + 18) : FourCC("NONE");
      // Codes some writers use for the same formats, as the header reader maps them.
      if (out->format == FourCC("FL32")) out->format = FourCC("fl32");
      if (out->format == FourCC("42n1") || out->format == FourCC("23n1")) out->format = FourCC("sowt");
    } else if (!std::memcmp(&f[at], "SSND", 4)) {
      out->dataOffset = uint32_t(at + 16 + Be32(body));
      out->data.assign(body + 8 + Be32(body), body + size);
    } else if (!std::memcmp(&f[at], "fmt ", 4)) {
      out->wave.assign(body, body + size);
      out->channels = body[2] | (body[3] << 8);
      out->width = int16_t(body[14] | (body[15] << 8));
      out->format = FourCC("sowt");
    } else if (!std::memcmp(&f[at], "data", 4)) {
      out->dataOffset = uint32_t(at + 8);
      out->data.assign(body, body + size);
    }
    at += 8 + size + (size & 1);
  }
  return out->channels > 0 && !out->data.empty();
}

FSIORefNum OpenReadFork(const std::string& path) {
  FSRef ref;
  if (FSPathMakeRef(path, &ref) != noErr) return 0;
  HFSUniStr255 data;
  FSGetDataForkName(&data);
  FSIORefNum refNum = 0;
  return FSOpenFork(&ref, data.length, data.unicode, fsRdPerm, &refNum) == noErr ? refNum : 0;
}

}  // namespace stream_test
