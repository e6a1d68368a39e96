#include "tests/shell/program/wav_capture_reading.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "tests/test_support.h"

namespace program_test {

std::vector<float> WavSamples(const std::string& bytes) {
  std::vector<float> out;
  size_t at = 12;
  uint16_t format = 0, bits = 0;
  while (at + 8 <= bytes.size()) {
    std::string id = bytes.substr(at, 4);
    uint32_t size = 0;
    std::memcpy(&size, bytes.data() + at + 4, 4);
    if (id == "fmt " && at + 24 <= bytes.size()) {
      std::memcpy(&format, bytes.data() + at + 8, 2);
      std::memcpy(&bits, bytes.data() + at + 22, 2);
    }
    if (id == "data") {
      size_t from = at + 8;
      if (bits == 32 && format == 3) {
        for (size_t i = from; i + 4 <= bytes.size(); i += 4) {
          float v;
          std::memcpy(&v, bytes.data() + i, 4);
          out.push_back(v);
        }
      } else if (bits == 16) {
        for (size_t i = from; i + 2 <= bytes.size(); i += 2) {
          int16_t v;
          std::memcpy(&v, bytes.data() + i, 2);
          out.push_back(float(v) / 32768.0f);
        }
      }
      return out;
    }
    at += 8 + size + (size & 1);
  }
  return out;
}

bool FolderKnowsId(const std::string& folder, uint32_t id) {
  std::string big{char(id >> 24), char(id >> 16), char(id >> 8), char(id)};
  std::string little(big.rbegin(), big.rend());
  std::error_code ec;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec)) {
    if (!entry.is_regular_file()) continue;
    std::string bytes = zarin_test::ReadWholeFile(entry.path().string());
    if (bytes.find(big) != std::string::npos || bytes.find(little) != std::string::npos) return true;
  }
  return false;
}

float Peak(const std::vector<float>& samples) {
  float peak = 0;
  for (float v : samples) peak = std::max(peak, std::fabs(v));
  return peak;
}

}  // namespace program_test
