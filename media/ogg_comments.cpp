#include "media/ogg_comments.h"

#include <cctype>
#include <cstring>

#include "media/ogg_vorbis_file.h"
#include "platform/files/forks.h"
#include "platform/text/pascal_strings.h"

namespace {

constexpr const char* kCommentTagNames[] = {"Title", "Artist", "Album", "Year"};
constexpr int16_t kTagCount = int16_t(sizeof(kCommentTagNames) / sizeof(kCommentTagNames[0]));
constexpr int32_t kMaxCommentChars = 255;
constexpr int32_t kMaxValueChars = 63;

// The value's length after "KEY=" at the comment's start (any case), or -1.
int32_t MatchTagKey(const char* comment, int32_t length, const char* key) {
  int32_t keyLength = int32_t(std::strlen(key));
  if (length <= keyLength || comment[keyLength] != '=') return -1;
  for (int32_t i = 0; i < keyLength; ++i)
    if (std::toupper(static_cast<unsigned char>(comment[i])) != std::toupper(static_cast<unsigned char>(key[i])))
      return -1;
  return length - keyLength - 1;
}

void CopyValue(const char* value, int32_t length, unsigned char* field) {
  if (length > kMaxValueChars) length = kMaxValueChars;
  field[0] = uint8_t(length);
  std::memcpy(field + 1, value, size_t(length));
}

void ReadComment(const char* comment, int32_t length, OggEntryTags* tags) {
  if (length > kMaxCommentChars) length = kMaxCommentChars;
  unsigned char* fields[] = {tags->title, tags->artist, tags->album};
  for (int16_t k = 0; k < kTagCount; ++k) {
    int32_t valueLength = MatchTagKey(comment, length, kCommentTagNames[k]);
    if (valueLength < 0) continue;
    const char* value = comment + (length - valueLength);
    if (k < 3) {
      CopyValue(value, valueLength, fields[k]);
    } else {
      Str255 digits;
      CopyValue(value, valueLength, digits);
      long year = 0;
      StringToNum(digits, &year);
      tags->year = int32_t(year);
    }
    return;
  }
}

}  // namespace

int16_t CountCommentTagNames() { return kTagCount; }

float ReadOggComments(const FSSpec* file, OggEntryTags* tags) {
  int16_t fork = 0;
  if (FSpOpenDF(file, fsRdPerm, &fork) != noErr) return 0.0f;
  OggVorbis_File stream;
  if (OpenOggFile(&fork, &stream) < 0) {
    FSClose(fork);
    return 0.0f;
  }
  double seconds = ov_time_total(&stream, -1);
  long bits = ov_bitrate(&stream, -1);
  tags->bitRate = bits > 0 ? int32_t(bits / 1000) : 0;
  if (vorbis_comment* comments = ov_comment(&stream, -1))
    for (int i = 0; i < comments->comments; ++i)
      if (comments->user_comments[i])
        ReadComment(comments->user_comments[i], comments->comment_lengths[i], tags);
  CloseOggFile(&stream);
  if (fork) FSClose(fork);
  return seconds > 0 ? float(seconds) : 0.0f;
}
