// The shared result string and the application's indexed texts.
//
// Indexes are 0-based: text n is item n + 1 of a 'STR#' list. The general text list is
// STR# 129 (kGeneralStrList in shell/base/error_report.h).
#pragma once

#include "platform/memory/mac_types.h"

// The result of the string routines: a length byte and up to 255 characters.
extern Str255 gStringBuffer;

// Appends item n + 1 of STR# id to gStringBuffer (cut at 255 characters); returns it.
// A missing list or item appends nothing.
StringPtr AppendIndString(int16_t id, int16_t n);
// Empties gStringBuffer, then appends text n of the general list; returns gStringBuffer.
StringPtr GetAppString(int16_t n);
// The audio messages, STR# 154.
constexpr int16_t kAudioMessageStrList = 154;
constexpr int16_t kOverviewComputingMessage = 7;  // the notice that an overview is being computed
// Empties gStringBuffer, then appends item n (counted from 1) of the audio messages.
StringPtr GetMessageString(int16_t n);
