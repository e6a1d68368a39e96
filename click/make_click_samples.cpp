// Makes the plug-in's two click samples at build time: short decaying sine bursts, 16-bit mono
// at 44.1 kHz, the bar click higher and louder than the beat click.
//   make_click_samples <folder>   writes <folder>/MBeat.aif and <folder>/MBar.aif
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "click/click_aiff_writer.h"
#include "click/met_synth.h"

constexpr double kRate = 44100.0;
constexpr double kLengthSeconds = 0.040;
constexpr double kAttackSeconds = 0.0008;
constexpr double kDecaySeconds = 0.0065;

static std::vector<float> SynthesizeClick(double pitch, double level) {
  const double kPi = 3.14159265358979323846;
  std::vector<float> samples(static_cast<size_t>(kRate * kLengthSeconds));
  for (size_t i = 0; i < samples.size(); ++i) {
    double t = i / kRate;
    double envelope = t < kAttackSeconds ? t / kAttackSeconds
                                         : std::exp(-(t - kAttackSeconds) / kDecaySeconds);
    samples[i] = static_cast<float>(level * envelope * std::sin(2.0 * kPi * pitch * t));
  }
  return samples;
}

static bool WriteClick(const std::string& folder, const char* name, double pitch, double level) {
  std::vector<float> samples = SynthesizeClick(pitch, level);
  std::string path = folder + "/" + name;
  if (WriteClickAiffFile(path.c_str(), samples.data(), static_cast<uint32_t>(samples.size()),
                         kRate) != noErr) {
    std::fprintf(stderr, "make_click_samples: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_click_samples <folder>\n");
    return 2;
  }
  bool ok = WriteClick(argv[1], kClickFileNames[kBeatClick], 1000.0, 0.6) &&
            WriteClick(argv[1], kClickFileNames[kBarClick], 1600.0, 0.8);
  return ok ? 0 : 1;
}
