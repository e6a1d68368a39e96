#include "audio/recording/audio_file_header.h"

#include <cmath>

#include "audio/recording/aiff_header.h"
#include "audio/recording/caf_header.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "sequencer/midi/coremidi_driver.h"

uint32_t RateToFixed(double rate) {
  double product = std::trunc(rate * 65536.0);
  if (!(product >= 0.0)) return 0;
  if (product >= 4294967296.0) return 0xFFFFFFFFu;
  return uint32_t(product);
}

OSErr CreateAudioRecordFile(int16_t fork, int16_t channels, int16_t bits, OSType formatCode,
                            uint64_t byteCount, double rate) {
  OSType fileType = (gMidiPrefs & kMidiPrefAiffFiles) ? kAiffFileType : kCafFileType;
  return WriteAudioFileHeader(fork, channels, bits, formatCode, byteCount, rate, fileType);
}

OSErr WriteAudioFileHeader(int16_t fork, int16_t channels, int16_t bits, OSType formatCode,
                           uint64_t byteCount, double rate, OSType fileType) {
  if (fileType == kAiffFileType) return WriteAiffHeader(fork, channels, bits, formatCode, byteCount, 0, rate);
  if (fileType == kCafFileType) return WriteCafHeader(fork, channels, bits, formatCode, byteCount, rate);
  return unimpErr;
}

OSErr ReadAudioFileHeader(int16_t fork, uint8_t* description, uint64_t* frameCount,
                          uint32_t* dataOffset, float* rate) {
  WriteU32BE(description + kSoundDescFlags, 0);
  if (ReadCafHeader(fork, description, frameCount, dataOffset, rate, false) == noErr) return noErr;
  if (OSErr err = FSSetForkPosition(fork, fsFromStart, 0)) return err;
  return ReadAiffHeader(fork, description, frameCount, dataOffset, rate);
}
