#include "audio/recording/record_files.h"

#include <algorithm>

#include "audio/recording/audio_file_header.h"
#include "audio/recording/record_input_list.h"
#include "audio/recording/recording_hooks.h"
#include "platform/files/catalog.h"
#include "platform/files/forks.h"
#include "sequencer/midi/coremidi_driver.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/sample_position.h"
#include "song/documents/bundle_media.h"

int16_t gRecordFolderVRefNum = 0;
int32_t gRecordFolderDirID = 0;

namespace {

constexpr OSType kRecordCreator = FourCC("V|ov");
constexpr uint32_t kMaxSpanTicks = 0x400000;
constexpr int32_t kMaxPreallocBars = 200;

bool AiffFiles() { return (gMidiPrefs & kMidiPrefAiffFiles) != 0; }

constexpr uint8_t kAiffExtension[] = "\x04.aif";
constexpr uint8_t kCafExtension[] = "\x04.caf";

void AppendExtension(Str255 name, ConstStr255Param extension) {
  int32_t room = 31 - extension[0];
  if (name[0] > room) name[0] = uint8_t(room);
  for (int i = 1; i <= extension[0]; ++i) name[++name[0]] = extension[i];
}

OSErr ChooseRecordFile(ConstStr255Param trackName, bool aiff, FSSpec* file) {
  Str255 name;
  uint8_t length = trackName && trackName[0] ? trackName[0] : 0;
  if (length == 0) {
    static const char kTake[] = "Audio take";
    name[0] = uint8_t(sizeof kTake - 1);
    std::copy(kTake, kTake + name[0], name + 1);
  } else {
    name[0] = length;
    for (int i = 1; i <= length; ++i) name[i] = (trackName[i] == '/' || trackName[i] == ':') ? '_' : trackName[i];
  }
  ConstStr255Param extension = aiff ? kAiffExtension : kCafExtension;
  if (gRecordingMediaHooks.chooseRecordFile) return gRecordingMediaHooks.chooseRecordFile(name, extension, file);
  AppendExtension(name, extension);
  if (gRecordFolderVRefNum == 0) return OSErr(-128);
  return MakeUniqueFileSpec(gRecordFolderVRefNum, gRecordFolderDirID, name, file);
}

}  // namespace

OSErr CreateRecordFile(AudioInput* input, ConstStr255Param trackName) {
  bool aiff = AiffFiles();
  OSErr err = ChooseRecordFile(trackName, aiff, &input->file);
  if (err != noErr) return err == userCanceledErr ? OSErr(-128) : err;
  input->scriptCode = -1;
  err = FSpCreate(&input->file, kRecordCreator, aiff ? kAiffFileType : kCafFileType, input->scriptCode);
  if (err != noErr) return err;
  input->fileOpen = 1;
  return OpenRecordFile(input, fsRdWrPerm);
}

OSErr OpenRecordFile(AudioInput* input, int8_t permission) {
  FSIORefNum fork = 0;
  OSErr err = FSpOpenDF(&input->file, permission, &fork);
  input->fork = err == noErr ? int16_t(fork) : 0;
  return err;
}

OSErr CloseRecordFile(AudioInput* input) {
  if (!input || input->fork == 0) return noErr;
  OSErr err = FSCloseFork(input->fork);
  input->fork = 0;
  return err;
}

void DeleteRecordFile(AudioInput* input) {
  CloseRecordFile(input);
  if (input->fileOpen) FSpDelete(&input->file);
  input->fileOpen = 0;
}

OSErr PreallocateRecordFile(AudioInput* input, uint32_t startTick, uint32_t endTick, int32_t barCount) {
  uint64_t bytes = uint64_t(gRecordSettings.preallocMegabytes) << 20;
  if (bytes == 0) {
    if (endTick < startTick || endTick > kMaxSpanTicks) {
      int32_t bars = std::clamp(barCount, 1, kMaxPreallocBars);
      endTick = uint32_t(std::max(BarToTick(bars), 1));
    }
    if (endTick > startTick) {
      int64_t span = TickToSamplePosition(int32_t(endTick), input->sampleRate) -
                     TickToSamplePosition(int32_t(startTick), input->sampleRate);
      bytes = uint64_t(std::max<int64_t>(span, 0)) * uint64_t(RecordSampleBytes(input->sampleBits)) *
              uint64_t(input->channels < 1 ? 1 : input->channels);
    }
  }
  bytes = std::min(bytes, kMaxRecordFileBytes);
  if (bytes == 0) return noErr;
  return FSSetForkSize(input->fork, fsFromStart, SInt64(bytes));
}

OSErr WriteRecordHeader(AudioInput* input) {
  OSErr err = FSSetForkPosition(input->fork, fsFromStart, 0);
  if (err == noErr)
    err = CreateAudioRecordFile(input->fork, int16_t(input->channels), int16_t(input->sampleBits), input->formatCode, 0,
                                input->sampleRate);
  SInt64 position = 0;
  if (err == noErr) err = FSGetForkPosition(input->fork, &position);
  input->dataOffset = uint32_t(position);
  return err;
}

OSErr CompleteRecordFile(AudioInput* input) {
  CloseRecordFile(input);
  OSErr err = OpenRecordFile(input, fsRdWrPerm);
  if (err != noErr) return err;
  SInt64 size = 0;
  err = FSGetForkSize(input->fork, &size);
  if (err == noErr) {
    uint64_t present = size > SInt64(input->dataOffset) ? uint64_t(size) - input->dataOffset : 0;
    input->bytesWritten = std::min({input->bytesWritten, present, kMaxRecordFileBytes});
    err = FSSetForkPosition(input->fork, fsFromStart, 0);
  }
  if (err == noErr)
    err = CreateAudioRecordFile(input->fork, int16_t(input->channels), int16_t(input->sampleBits), input->formatCode,
                                input->bytesWritten, input->sampleRate);
  if (err == noErr) err = FSSetForkSize(input->fork, fsFromStart, SInt64(input->dataOffset + input->bytesWritten));
  OSErr closeErr = CloseRecordFile(input);
  return err != noErr ? err : closeErr;
}
