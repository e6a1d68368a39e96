// Output kinds: the (device kind, port) pair of a track's or an instrument part's output,
// its normal form, its driver procedure and its display name.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Rewrites a pair in place:
//   kinds 4, 5, 11 and 127 clear the port;
//   kind 13 becomes 19 and keeps its port;
//   kinds 18-20 and 22-24 keep both;
//   kinds 7-10 become 0-3;
// every other kind (after that mapping) keeps its port only when it is 2, 3, 6 or 14.
void NormalizeKindPair(uint8_t* kind, uint8_t* port);
// The same; the third argument of the handler tables has no effect.
void NormalizeKindPairDefault(uint8_t* kind, uint8_t* port, int32_t unused = 255);
// The driver procedure id for a device kind: fixed ones for kinds 5, 18, 20 and 21, else the
// procedure of the audio driver with that id, else the default procedure.
uint32_t GetDriverProcForKind(uint8_t kind);
// Normalises the current track's pair (bytes 58 and 17) and stores its kind's procedure in
// the track's procedure word (offset 208).
void RefreshCurrentTrackDriver();
// The display name of a pair, in gStringBuffer: the audio driver's name for kinds 19, 23
// and 24 when the drivers answer one, else the kind's fixed name.
StringPtr BuildOutputKindName(uint8_t kind, uint8_t port);
StringPtr GetOutputKindName(uint8_t kind, uint8_t port);
