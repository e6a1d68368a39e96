// Feeds arbitrary bytes to the insert rack state reader as a song stream. A state it takes
// holds whole records of the current form and writes back to a stream that reads again to
// the same block; a refused one leaves nothing allocated.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "shell/base/iteration_abort.h"
#include "song/documents/document_input.h"
#include "song/instruments/insert_rack_state.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

Handle ReadState(const FSSpec& fileSpec, OSErr* err) {
  int16_t refNum = 0;
  if (OpenDataFork(&fileSpec, fsRdPerm, &refNum) != noErr) std::abort();
  Handle state;
  *err = BeginDocumentInput(refNum);
  if (*err == noErr) *err = ReadInsertRackState(&state);
  CloseFork(refNum);
  gIterationAbort = 0;
  return state;
}

void CheckWhole(Handle state) {
  Size size = GetHandleSize(state);
  if (size < kRackStateOldHeaderBytes) return;  // too short for plug-ins: kept as read
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(state));
  if (size < kRackStateHeaderBytes || ReadU32BE(p + kRackStateVersionAt) != kRackStateVersion) std::abort();
  if (uint32_t(CountRackStateRecords(state)) != ReadU32BE(p + kRackStateCount)) std::abort();
}

void WriteBack(Handle state, const FSSpec& copySpec) {
  int16_t refNum = 0;
  if (OpenDataFork(&copySpec, fsRdWrPerm, &refNum) != noErr) std::abort();
  BeginStream(refNum);
  if (WriteInsertRackState(state) != noErr) std::abort();
  CloseFork(refNum);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const uint32_t baseline = CountLiveHandles();
  FSSpec fileSpec = WriteFuzzFile("rack", data, size);
  int forks = CountOpenForks();
  OSErr err = noErr;
  Handle state = ReadState(fileSpec, &err);
  if (state) {
    if (err != noErr) std::abort();
    CheckWhole(state);
    FSSpec copySpec = WriteFuzzFile("copy", data, 0);
    WriteBack(state, copySpec);
    Handle again = ReadState(copySpec, &err);
    if (err != noErr || !again || GetHandleSize(again) != GetHandleSize(state)) std::abort();
    if (CountRackStateRecords(again) != CountRackStateRecords(state)) std::abort();
    DisposeInsertRackState(&again);
    DisposeInsertRackState(&state);
  } else if (err == noErr) {
    std::abort();
  }
  if (CountLiveHandles() != baseline) std::abort();
  if (CountOpenForks() != forks) std::abort();
  return 0;
}
