#include "tests/media/ogg_files.h"

#include <sndfile.h>

#include <cmath>
#include <cstdlib>

#include "platform/files/file_locations.h"

namespace zarin_test {

std::string ThemeSound(const std::string& name) { return "/usr/share/sounds/freedesktop/stereo/" + name; }

bool RunCommand(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

bool MakeOggSweep(const std::string& path, int rate, int channels, double seconds) {
  std::string synth = " synth " + std::to_string(seconds) + " sine 200-4000";
  if (channels > 1) synth += " sine 3000-300";
  return RunCommand("sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -t ogg '" + path +
                    "'" + synth + " vol 0.8");
}

DecodedAudio DecodeWithSndfile(const std::string& path) {
  DecodedAudio audio;
  SF_INFO info = {};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return audio;
  audio.channels = info.channels;
  audio.rate = info.samplerate;
  audio.samples.resize(size_t(info.frames) * size_t(info.channels));
  sf_count_t got = sf_readf_float(file, audio.samples.data(), info.frames);
  audio.samples.resize(size_t(got) * size_t(info.channels));
  sf_close(file);
  return audio;
}

int32_t To16(float sample) {
  double v = std::floor(double(sample) * 32768.0 + 0.5);
  return int32_t(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
}

std::vector<int32_t> ReadSndfileInts(const std::string& path, SF_INFO* info) {
  *info = SF_INFO{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, info);
  std::vector<int32_t> samples;
  if (!f) return samples;
  samples.resize(size_t(info->frames * info->channels));
  samples.resize(size_t(sf_read_int(f, samples.data(), sf_count_t(samples.size()))));
  sf_close(f);
  return samples;
}

FSSpec SpecFor(const std::string& path) {
  FSSpec spec;
  PathToSpec(path, &spec);
  return spec;
}

}  // namespace zarin_test
