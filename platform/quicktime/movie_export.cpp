#include "platform/quicktime/movie_export.h"

#include <map>

#include "platform/files/catalog.h"
#include "platform/files/sidecars.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"

namespace {

constexpr MovieExporterComponent kAiffExporter = 1;

struct ExportSettings {
  int16_t channels = 2;
  int16_t bits = 16;
  double rate = 44100.0;
  bool described = false;
};

std::map<MovieExporter, ExportSettings> gExporters;
MovieExporter gNextInstance = 1;

bool Matches(uint32_t wanted, uint32_t have) { return wanted == 0 || wanted == have; }

}  // namespace

MovieExporterComponent FindNextMovieExporter(MovieExporterComponent after, const MovieExporterDescription* d) {
  if (after >= kAiffExporter || !d) return 0;
  uint32_t mask = d->componentFlagsMask;
  bool found = Matches(d->componentType, kMovieExportType) && Matches(d->componentSubType, FourCC("AIFF")) &&
               Matches(d->componentManufacturer, kSoundMediaType) && (mask & d->componentFlags & ~0x10u) == 0;
  return found ? kAiffExporter : 0;
}

MovieExporter OpenMovieExporter(MovieExporterComponent component) {
  if (component != kAiffExporter) return 0;
  MovieExporter id = gNextInstance++;
  gExporters[id] = ExportSettings();
  return id;
}

OSErr CloseMovieExporter(MovieExporter instance) {
  return gExporters.erase(instance) ? OSErr(noErr) : kBadComponentInstance;
}

OSErr MovieExportSetSampleDescription(MovieExporter instance, Handle description, OSType mediaType) {
  auto it = gExporters.find(instance);
  if (it == gExporters.end()) return kBadComponentInstance;
  if (mediaType != kSoundMediaType || !description || GetHandleSize(description) < kSoundDescriptionSize)
    return paramErr;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(description));
  int16_t channels = int16_t(ReadU16BE(p + kSoundDescriptionChannels));
  int16_t bits = int16_t(ReadU16BE(p + kSoundDescriptionSampleSize));
  double rate = ReadU32BE(p + kSoundDescriptionRate) / 65536.0;
  if (channels < 1 || bits < 1 || bits > 32 || !(rate > 0.0)) return paramErr;
  it->second = ExportSettings{channels, bits, rate, true};
  return noErr;
}

OSErr MovieExportDoUserDialog(MovieExporter instance, Movie, MovieTrack, int32_t, int32_t, Boolean* canceled) {
  if (canceled) *canceled = false;
  return gExporters.count(instance) ? OSErr(noErr) : kBadComponentInstance;
}

OSErr MovieExportToFile(MovieExporter instance, const FSSpec* file, Movie movie, MovieTrack, int32_t start,
                        int32_t duration) {
  auto it = gExporters.find(instance);
  if (it == gExporters.end()) return kBadComponentInstance;
  ExportSettings s = it->second;
  if (!s.described) {
    s.channels = GetMovieSoundChannels(movie);
    s.bits = GetMovieSoundSampleSize(movie);
    s.rate = GetMovieTimeScale(movie);
  }
  FInfo info;
  OSType creator = FSpGetFInfo(file, &info) == noErr ? info.fdCreator : FourCC("TVOD");
  return WriteMovieSoundAsAiff(movie, file, s.channels, s.bits, s.rate, start, duration, creator, true);
}
