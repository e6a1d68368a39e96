#include "platform/quicktime/movie_files.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include "platform/files/catalog.h"
#include "platform/files/file_locations.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"

namespace {

struct MovieRecord {
  std::string path;
  int32_t rate = 0;
  int32_t frames = 0;
  int16_t channels = 0;
  int16_t bits = 0;
  MovieProgressProc progress = nullptr;
  int32_t progressRefCon = 0;
};

std::map<int16_t, std::string> gMovieFiles;
std::map<Movie, MovieRecord> gMovies;
int16_t gNextMovieFile = 1;
Movie gNextMovie = 1;
thread_local OSErr gMoviesError = noErr;

OSErr Answer(OSErr err) {
  gMoviesError = err;
  return err;
}

MovieRecord* FindMovie(Movie movie) {
  auto it = gMovies.find(movie);
  return it == gMovies.end() ? nullptr : &it->second;
}

// An opened file with its first decodable sound stream and that stream's decoder.
struct SoundInput {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  int stream = -1;
  ~SoundInput() {
    avcodec_free_context(&codec);
    if (format) avformat_close_input(&format);
  }
};

OSErr OpenSoundInput(const std::string& path, SoundInput* in) {
  if (avformat_open_input(&in->format, path.c_str(), nullptr, nullptr) < 0) return kNoMovieFoundErr;
  if (avformat_find_stream_info(in->format, nullptr) < 0) return kNoMovieFoundErr;
  const AVCodec* decoder = nullptr;
  in->stream = av_find_best_stream(in->format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (in->stream < 0 || !decoder) return kNoMovieFoundErr;
  in->codec = avcodec_alloc_context3(decoder);
  if (!in->codec) return memFullErr;
  avcodec_parameters_to_context(in->codec, in->format->streams[in->stream]->codecpar);
  if (avcodec_open2(in->codec, decoder, nullptr) < 0 || in->codec->sample_rate <= 0 ||
      in->codec->ch_layout.nb_channels <= 0)
    return kNoMovieFoundErr;
  return noErr;
}

// The sample size the file stores: PCM and lossless sound keep theirs, compressed sound 16.
int16_t StoredSampleSize(const AVCodecContext* codec) {
  int raw = codec->bits_per_raw_sample;
  switch (av_get_packed_sample_fmt(codec->sample_fmt)) {
    case AV_SAMPLE_FMT_U8: return 8;
    case AV_SAMPLE_FMT_S16: return 16;
    case AV_SAMPLE_FMT_S32: return int16_t(raw > 0 && raw <= 24 ? (raw <= 16 ? 16 : 24) : 32);
    default: return 16;
  }
}

int64_t StreamFrames(const SoundInput& in) {
  const AVStream* s = in.format->streams[in.stream];
  int rate = in.codec->sample_rate;
  if (s->duration > 0) return av_rescale_q(s->duration, s->time_base, AVRational{1, rate});
  if (in.format->duration > 0) return av_rescale(in.format->duration, rate, AV_TIME_BASE);
  return 0;
}

// --- the AIFF writer ---

constexpr int32_t kAiffHeaderBytes = 54;  // FORM + COMM (18) + SSND header

void MakeAiffHeader(uint8_t* h, int16_t channels, int16_t bits, double rate, uint32_t frames) {
  uint32_t dataBytes = frames * uint32_t(channels) * uint32_t((bits + 7) / 8);
  uint32_t pad = dataBytes & 1;
  std::memcpy(h, "FORM", 4);
  WriteU32BE(h + 4, kAiffHeaderBytes - 8 + dataBytes + pad);
  std::memcpy(h + 8, "AIFFCOMM", 8);
  WriteU32BE(h + 16, 18);
  WriteU16BE(h + 20, uint16_t(channels));
  WriteU32BE(h + 22, frames);
  WriteU16BE(h + 26, uint16_t(bits));
  WriteExtended80(h + 28, rate);
  std::memcpy(h + 38, "SSND", 4);
  WriteU32BE(h + 42, 8 + dataBytes);
  WriteU32BE(h + 46, 0);
  WriteU32BE(h + 50, 0);
}

// One interleaved 32-bit sample as big-endian bytes of the given size.
void PackSample(int32_t v, int16_t bits, uint8_t* out) {
  int bytes = (bits + 7) / 8;
  uint32_t u = uint32_t(v) >> (32 - bytes * 8);
  for (int i = bytes - 1; i >= 0; --i, u >>= 8) out[i] = uint8_t(u);
}

struct AiffOutput {
  FSIORefNum fork = 0;
  int16_t channels = 0;
  int16_t bits = 0;
  uint32_t frames = 0;
  int64_t skip = 0;      // frames still to drop before the start
  int64_t left = -1;     // frames still to write; -1 to the end
  std::vector<uint8_t> bytes;
};

OSErr WriteFrames(AiffOutput* out, const int32_t* samples, int count) {
  int64_t from = std::min<int64_t>(out->skip, count);
  out->skip -= from;
  int64_t n = count - from;
  if (out->left >= 0) n = std::min(n, out->left);
  if (n <= 0) return noErr;
  if (uint64_t(out->frames) + uint64_t(n) > 0x7FFFFFFFu / uint32_t(out->channels * 4)) return -1309;
  int width = (out->bits + 7) / 8;
  out->bytes.resize(size_t(n) * size_t(out->channels) * size_t(width));
  const int32_t* s = samples + from * out->channels;
  for (size_t i = 0; i < size_t(n) * size_t(out->channels); ++i) PackSample(s[i], out->bits, &out->bytes[i * width]);
  SInt32 size = SInt32(out->bytes.size());
  if (OSErr err = FSWrite(out->fork, &size, out->bytes.data())) return err;
  out->frames += uint32_t(n);
  if (out->left > 0) out->left -= n;
  return noErr;
}

struct Resampler {
  SwrContext* swr = nullptr;
  std::vector<int32_t> samples;
  ~Resampler() { swr_free(&swr); }
};

OSErr OpenResampler(AVCodecContext* codec, int16_t channels, double rate, Resampler* r) {
  AVChannelLayout outLayout;
  av_channel_layout_default(&outLayout, channels);
  int err = swr_alloc_set_opts2(&r->swr, &outLayout, AV_SAMPLE_FMT_S32, int(rate), &codec->ch_layout,
                                codec->sample_fmt, codec->sample_rate, 0, nullptr);
  av_channel_layout_uninit(&outLayout);
  if (err < 0 || swr_init(r->swr) < 0) return kNoMovieFoundErr;
  return noErr;
}

// Converts one decoded frame (or, with none, what the resampler still holds) into the file.
OSErr ConvertFrame(Resampler* r, const AVFrame* frame, AiffOutput* out) {
  int inCount = frame ? frame->nb_samples : 0;
  int room = swr_get_out_samples(r->swr, inCount) + 32;
  r->samples.resize(size_t(room) * size_t(out->channels));
  uint8_t* dest[1] = {reinterpret_cast<uint8_t*>(r->samples.data())};
  int made = swr_convert(r->swr, dest, room, frame ? const_cast<const uint8_t**>(frame->extended_data) : nullptr,
                         inCount);
  if (made < 0) return noErr;  // a piece the resampler refuses gives no samples
  return WriteFrames(out, r->samples.data(), made);
}

struct Progress {
  Movie movie = 0;
  const MovieRecord* record = nullptr;
  int64_t total = 0;
  int64_t next = 0;
  OSErr Report(int16_t message, int64_t done) {
    if (!record || !record->progress) return noErr;
    int32_t percent = total > 0 ? int32_t(std::min<int64_t>(done, total) * 0x10000 / total) : 0;
    if (message == kMovieProgressClose) percent = 0x10000;
    return record->progress(movie, message, kProgressOpFlatten, percent, record->progressRefCon) ? OSErr(userCanceledErr)
                                                                                                  : OSErr(noErr);
  }
};

// Drains the decoder's frames into the file.
OSErr ReceiveFrames(SoundInput* in, AVFrame* frame, Resampler* r, AiffOutput* out, Progress* progress) {
  for (;;) {
    int got = avcodec_receive_frame(in->codec, frame);
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return noErr;
    if (got < 0) return noErr;  // a bad piece gives no samples; the rest goes on
    OSErr err = ConvertFrame(r, frame, out);
    av_frame_unref(frame);
    if (err) return err;
    if (out->left == 0) return noErr;
    if (out->frames >= progress->next) {
      progress->next = out->frames + progress->total / 20 + 1;
      if (OSErr cancel = progress->Report(kMovieProgressUpdatePercent, out->frames)) return cancel;
    }
  }
}

OSErr DecodeIntoFile(SoundInput* in, Resampler* r, AiffOutput* out, Progress* progress) {
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  OSErr err = packet && frame ? noErr : memFullErr;
  while (err == noErr && out->left != 0 && av_read_frame(in->format, packet) >= 0) {
    if (packet->stream_index == in->stream && avcodec_send_packet(in->codec, packet) >= 0)
      err = ReceiveFrames(in, frame, r, out, progress);
    av_packet_unref(packet);
  }
  if (err == noErr && out->left != 0) {
    avcodec_send_packet(in->codec, nullptr);
    err = ReceiveFrames(in, frame, r, out, progress);
  }
  if (err == noErr && out->left != 0) err = ConvertFrame(r, nullptr, out);
  av_frame_free(&frame);
  av_packet_free(&packet);
  return err;
}

OSErr FinishAiff(AiffOutput* out, double rate) {
  uint32_t dataBytes = out->frames * uint32_t(out->channels) * uint32_t((out->bits + 7) / 8);
  if (dataBytes & 1) {
    uint8_t zero = 0;
    SInt32 one = 1;
    if (OSErr err = FSWrite(out->fork, &one, &zero)) return err;
  }
  uint8_t header[kAiffHeaderBytes];
  MakeAiffHeader(header, out->channels, out->bits, rate, out->frames);
  if (OSErr err = SetFPos(out->fork, fsFromStart, 0)) return err;
  SInt32 size = kAiffHeaderBytes;
  return FSWrite(out->fork, &size, header);
}

OSErr CreateAiffFile(const FSSpec* file, OSType creator, bool replace, FSIORefNum* fork) {
  OSErr err = FSpCreate(file, creator, FourCC("AIFF"), -1);
  if (err == dupFNErr && replace) {
    if ((err = FSpDelete(file)) == noErr) err = FSpCreate(file, creator, FourCC("AIFF"), -1);
  }
  if (err != noErr) return err;
  err = FSpOpenDF(file, fsRdWrPerm, fork);
  if (err != noErr) FSpDelete(file);
  return err;
}

}  // namespace

OSErr OpenMovieFile(const FSSpec* fileSpec, int16_t* resRefNum, int8_t) {
  *resRefNum = 0;
  FSIORefNum fork = 0;
  OSErr err = FSpOpenDF(fileSpec, fsRdPerm, &fork);
  if (err != noErr) return Answer(err);
  FSClose(fork);
  int16_t ref = gNextMovieFile++;
  if (gNextMovieFile <= 0) gNextMovieFile = 1;
  gMovieFiles[ref] = SpecToPath(fileSpec);
  *resRefNum = ref;
  return Answer(noErr);
}

OSErr CloseMovieFile(int16_t resRefNum) {
  return Answer(gMovieFiles.erase(resRefNum) ? OSErr(noErr) : kMovieFileNotOpenErr);
}

OSErr NewMovieFromFile(Movie* movie, int16_t resRefNum, int16_t*, StringPtr, int16_t, Boolean* dataRefWasChanged) {
  *movie = 0;
  if (dataRefWasChanged) *dataRefWasChanged = false;
  auto file = gMovieFiles.find(resRefNum);
  if (file == gMovieFiles.end()) return Answer(kMovieFileNotOpenErr);
  SoundInput in;
  if (OSErr err = OpenSoundInput(file->second, &in)) return Answer(err);
  MovieRecord record;
  record.path = file->second;
  record.rate = in.codec->sample_rate;
  record.channels = int16_t(in.codec->ch_layout.nb_channels);
  record.bits = StoredSampleSize(in.codec);
  record.frames = int32_t(std::min<int64_t>(StreamFrames(in), INT32_MAX));
  Movie id = gNextMovie++;
  gMovies[id] = record;
  *movie = id;
  return Answer(noErr);
}

void DisposeMovie(Movie movie) { gMovies.erase(movie); }

OSErr GetMoviesError() { return gMoviesError; }

int32_t GetMovieTimeScale(Movie movie) {
  const MovieRecord* m = FindMovie(movie);
  return m ? m->rate : 0;
}

int32_t GetMovieDuration(Movie movie) {
  const MovieRecord* m = FindMovie(movie);
  return m ? m->frames : 0;
}

int16_t GetMovieSoundChannels(Movie movie) {
  const MovieRecord* m = FindMovie(movie);
  return m ? m->channels : 0;
}

int16_t GetMovieSoundSampleSize(Movie movie) {
  const MovieRecord* m = FindMovie(movie);
  return m ? m->bits : 0;
}

void SetMovieProgressProc(Movie movie, MovieProgressProc proc, int32_t refCon) {
  if (MovieRecord* m = FindMovie(movie)) {
    m->progress = proc;
    m->progressRefCon = refCon;
  }
}

OSErr WriteMovieSoundAsAiff(Movie movie, const FSSpec* outputFile, int16_t channels, int16_t bits,
                            double rate, int32_t start, int32_t duration, OSType creator, bool replace) {
  const MovieRecord* record = FindMovie(movie);
  if (!record) return Answer(kInvalidMovieErr);
  if (channels < 1 || channels > 64 || bits < 1 || bits > 32 || !(rate > 0.0) || rate > 1e6) return Answer(paramErr);
  SoundInput in;
  if (OSErr err = OpenSoundInput(record->path, &in)) return Answer(err);
  Resampler resampler;
  if (OSErr err = OpenResampler(in.codec, channels, rate, &resampler)) return Answer(err);
  AiffOutput out;
  out.channels = channels;
  out.bits = int16_t((bits + 7) / 8 * 8);
  double scale = rate / record->rate;
  out.skip = int64_t(std::max(start, 0) * scale);
  out.left = duration < 0 || duration >= record->frames ? -1 : int64_t(duration * scale);
  if (OSErr err = CreateAiffFile(outputFile, creator, replace, &out.fork)) return Answer(err);
  Progress progress{movie, record, record->frames > 0 ? int64_t(record->frames * scale) : 0, 0};
  OSErr err = progress.Report(kMovieProgressOpen, 0);
  uint8_t header[kAiffHeaderBytes] = {};
  SInt32 size = kAiffHeaderBytes;
  if (err == noErr) err = FSWrite(out.fork, &size, header);
  if (err == noErr) err = DecodeIntoFile(&in, &resampler, &out, &progress);
  if (err == noErr) err = FinishAiff(&out, rate);
  OSErr closeErr = FSClose(out.fork);
  if (err == noErr) err = closeErr;
  OSErr closing = progress.Report(kMovieProgressClose, out.frames);
  if (err == noErr) err = closing;
  if (err != noErr) FSpDelete(outputFile);
  return Answer(err);
}

OSErr ConvertMovieToFile(Movie movie, MovieTrack, const FSSpec* outputFile, OSType fileType, OSType creator,
                         int16_t, int16_t*, int32_t flags, uint32_t) {
  const MovieRecord* record = FindMovie(movie);
  if (!record) return Answer(kInvalidMovieErr);
  if (fileType != FourCC("AIFF")) return Answer(paramErr);
  return WriteMovieSoundAsAiff(movie, outputFile, record->channels, record->bits, record->rate, 0, -1, creator,
                               (flags & kCreateMovieFileDeleteCurFile) != 0);
}
