#include "audio/engine/engine_file_requests.h"

#include "audio/engine/engine_plugin_hooks.h"
#include "audio/engine/engine_thread.h"
#include "audio/streams/stream_reads.h"
#include "platform/files/forks.h"

namespace {

void StoreResult(ForkIORequest* request, OSErr err, ByteCount actual) {
  request->actualCount = uint32_t(actual);
  request->result.store(err, std::memory_order_release);
}

}  // namespace

int64_t RequestPosition(const ForkIORequest* request) {
  return int64_t((uint64_t(request->positionHigh) << 32) | request->positionLow);
}

void SetRequestPosition(ForkIORequest* request, int64_t position) {
  request->positionHigh = uint32_t(uint64_t(position) >> 32);
  request->positionLow = uint32_t(uint64_t(position));
}

int32_t ServeRecordWrite(void* object, int32_t, EngineWorker*) {
  auto* request = static_cast<RecordWriteRequest*>(object);
  if (!request) return 0;
  ByteCount actual = 0;
  OSErr err = !request->buffer && request->count ? OSErr(paramErr) : FSWriteFork(request->forkRefNum, request->positionMode, RequestPosition(request), request->count,
                          request->buffer, &actual);
  StoreResult(request, err, actual);
  return err;
}
int32_t ServePluginRender(void* request, int32_t, EngineWorker*) { return RenderAudioUnit(request); }

void InstallEngineRequestHandlers() {
  SetEngineRequestHandler(kEngineMsgReadHalf0, ExecuteStreamRead);
  SetEngineRequestHandler(kEngineMsgReadHalf1, ExecuteStreamRead);
  SetEngineRequestHandler(kEngineMsgWriteRecord, ServeRecordWrite);
  SetEngineRequestHandler(kEngineMsgRenderPlugin, ServePluginRender);
}
