#include "tests/media/overview/overview_fixture.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "audio/engine/region_lookup.h"
#include "audio/recording/aiff_header.h"
#include "audio/streams/stream_reads.h"
#include "media/track_audio/track_audio.h"
#include "media/overview/overview_blocks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/conductor/sample_position.h"
#include "song/documents/document_file.h"
#include "song/documents/media_references.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "tests/audio/streams/pcm_file_header.h"

namespace overview_test {

bool MakeSoxFile(const std::string& path, const std::string& arguments) {
  // The format options go before the file, the effect (from "synth" on) after it.
  size_t effect = arguments.find("synth");
  std::string command = "sox -n " + arguments.substr(0, effect) + " '" + path + "' " +
                        (effect == std::string::npos ? "" : arguments.substr(effect)) + " 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

Samples ReadSamples(const std::string& path) {
  Samples s;
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return s;
  s.channels = info.channels;
  s.frames = info.frames;
  s.isFloat = (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT;
  if (s.isFloat) {
    sf_command(f, SFC_SET_NORM_FLOAT, nullptr, SF_FALSE);
    s.floats.resize(size_t(info.frames * info.channels));
    sf_readf_float(f, s.floats.data(), info.frames);
  } else {
    s.ints.resize(size_t(info.frames * info.channels));
    sf_readf_int(f, s.ints.data(), info.frames);
  }
  sf_close(f);
  return s;
}

bool WriteSowtCopy(const std::string& from, const std::string& to) {
  stream_test::FileFormat format;
  std::vector<uint8_t> bytes = stream_test::ReadAll(from);
  if (!stream_test::ParseHeader(bytes, &format) || format.width != 16) return false;
  int16_t fork = 0;
  FSSpec spec;
  std::ofstream(to, std::ios::binary).flush();
  if (PathToSpec(to, &spec) != noErr || FSpOpenDF(&spec, fsRdWrPerm, &fork) != noErr) return false;
  uint64_t n = format.data.size();
  OSErr err = WriteAiffHeader(fork, int16_t(format.channels), 16, FourCC("sowt"), n, 0, 48000.0);
  std::vector<uint8_t> swapped = format.data;
  for (size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
  ByteCount count = ByteCount(n);
  if (err == noErr) err = FSWriteFork(fork, fsAtMark, 0, count, swapped.data(), &count);
  FSCloseFork(fork);
  return err == noErr;
}

bool PlayedFile::Open(const std::string& path) {
  std::vector<uint8_t> bytes = stream_test::ReadAll(path);
  stream_test::FileFormat f;
  if (!stream_test::ParseHeader(bytes, &f)) return false;
  format = f.format;
  bits = f.width;
  channels = int16_t(f.channels);
  dataOffset = f.dataOffset;
  fork_ = stream_test::OpenReadFork(path);
  if (fork_ == 0) return false;
  table_ = NewHandleClear(kReferencedFileSize);
  WriteU32BE(*table_ + kRefFork, uint32_t(fork_));
  savedTable_ = GetDocumentSlot(kReferencedFilesSlot);
  SetDocumentSlot(kReferencedFilesSlot, table_);
  return true;
}

PlayedFile::~PlayedFile() {
  if (table_) {
    SetDocumentSlot(kReferencedFilesSlot, savedTable_);
    DisposeHandle(table_);
  }
  if (fork_) FSCloseFork(fork_);
}

Handle PlayedFile::MakeRegions(const std::vector<Piece>& pieces) const {
  Handle list = NewHandleClear(Size(pieces.size()) * kRegionSize);
  int32_t frameBytes = channels * ((bits + 7) / 8);
  for (size_t i = 0; i < pieces.size(); ++i) {
    uint8_t* r = reinterpret_cast<uint8_t*>(*list) + i * kRegionSize;
    WriteU32BE(r + kRegionFileOffsetAt, uint32_t(dataOffset + pieces[i].fileFrame * frameBytes));
    r[kRegionBytesPerFrameAt] = uint8_t(frameBytes);
    WriteU16BE(r + kRegionFlagsAt, pieces[i].silent ? kRegionFlagSilent : 0);
    SetRegionLength(r, pieces[i].frames);
  }
  return list;
}

Handle PlayedFile::AttachToCurrentTrack(const std::vector<Piece>& pieces, float rate) const {
  EXPECT_EQ(noErr, NewTrackAudio());
  Handle record(ReadU32BE(gCurrentTrack + kTrackRegionList));
  TrackAudioView v = ViewTrackAudio(record);
  v.SetRegions(MakeRegions(pieces));
  v.SetEncoding(format);
  v.SetBitsPerSample(bits);
  v.SetChannels(channels);
  v.SetSampleRate(rate);
  return record;
}

Samples PlayedSamples(const Samples& file, const std::vector<Piece>& pieces) {
  Samples out = file;
  out.ints.clear();
  out.floats.clear();
  out.frames = 0;
  size_t c = size_t(file.channels);
  for (const Piece& p : pieces) {
    for (int64_t f = 0; f < p.frames; ++f) {
      for (size_t k = 0; k < c; ++k) {
        size_t at = size_t(p.fileFrame + f) * c + k;
        if (file.isFloat) out.floats.push_back(p.silent ? 0.0f : file.floats[at]);
        else out.ints.push_back(p.silent ? 0 : file.ints[at]);
      }
    }
    out.frames += p.frames;
  }
  return out;
}

namespace {

// Quantising as the format's full scale says: an integer sample (sndfile's 32-bit scale)
// keeps its top 8 bits; a float is cut to -1..1, times 128, truncated.
int32_t QuantiseInt(int32_t v) { return (v >> 24) + 128; }
int32_t QuantiseFloat(float v) { return std::min(int32_t(std::clamp(v, -1.0f, 1.0f) * 128.0f) + 128, 255); }

}  // namespace

std::vector<std::vector<TickValue>> ExpectedOverview(const Samples& played, float rate) {
  std::vector<std::vector<TickValue>> out(size_t(played.channels));
  for (int32_t tick = 1;; ++tick) {
    int64_t from = TickToSamplePosition(tick, rate), to = TickToSamplePosition(tick + 1, rate);
    if (from >= played.frames) break;
    for (int32_t c = 0; c < played.channels; ++c) {
      TickValue value;
      {
        bool loud = false;
        int32_t lo = 255, hi = 0;
        for (int64_t f = from; f < std::min(to, played.frames); ++f) {
          size_t at = size_t(f * played.channels + c);
          int32_t q = played.isFloat ? QuantiseFloat(played.floats[at]) : QuantiseInt(played.ints[at]);
          loud = loud || (played.isFloat ? played.floats[at] != 0.0f : played.ints[at] != 0);
          lo = std::min(lo, q), hi = std::max(hi, q);
        }
        if (loud) value = std::make_pair(lo, hi);
      }
      out[size_t(c)].push_back(value);
    }
  }
  return out;
}

std::vector<TickValue> BlockTicks(Handle block) {
  std::vector<TickValue> ticks;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(*block);
  for (int32_t i = 0; i < OverviewBlockCount(block); ++i) {
    const uint8_t* e = p + kOverviewHeaderBytes + i * 2;
    if (IsOverviewData(e)) ticks.push_back(std::make_pair(int32_t(e[0]), int32_t(e[0] + e[1])));
    else ticks.insert(ticks.end(), size_t(e[1]), TickValue());
  }
  return ticks;
}

std::vector<TickValue> Padded(std::vector<TickValue> ticks, size_t length) {
  if (ticks.size() < length) ticks.resize(length);
  return ticks;
}

}  // namespace overview_test
