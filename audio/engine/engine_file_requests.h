// The file requests the disk worker serves: a channel's stream read (message codes 1 and 2,
// the request embedded in the channel) and a recorded buffer's write (code 3, or code 8 to the
// engine thread, which forwards it), both through the file layer's fork calls; and the
// plug-in render request of the output path (code 7), which the plug-in host renders. The
// program installs the handlers at start-up (InstallEngineRequestHandlers).
#pragma once

#include <cstdint>

#include "audio/engine/engine_channels.h"

struct EngineWorker;

// A recorded buffer's write (code 3).
using RecordWriteRequest = ForkIORequest;

// The pending mark a poster stores in a write request's result.
constexpr int32_t kRequestPending = 1;
// Stream reads are from the start of the fork, past the cache.
constexpr uint16_t kStreamReadMode = 0x21;

// The file position of a request, from its high and low words.
int64_t RequestPosition(const ForkIORequest* request);
void SetRequestPosition(ForkIORequest* request, int64_t position);

// The handlers, on the worker's thread (codes 1 and 2 are the stream reads' ExecuteStreamRead,
// audio/streams/stream_reads.h); their result ends the worker's pass and is latched.
// Code 3: writes the request and stores the result.
int32_t ServeRecordWrite(void* request, int32_t code, EngineWorker* worker);
// Code 7: the plug-in host renders the request.
int32_t ServePluginRender(void* request, int32_t code, EngineWorker* worker);

// Fills the workers' handler table with the handlers above.
void InstallEngineRequestHandlers();
