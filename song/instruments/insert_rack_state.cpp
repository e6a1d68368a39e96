// Interim: no plug-in can be inserted yet, so a rack never has a state to save; a state
// handed in is written as a size-prefixed block.
#include "song/instruments/insert_rack_state.h"

#include "shell/base/file_access.h"
#include "shell/base/memory_reserve.h"

Handle SaveInsertRackState(Handle) { return Handle(); }

OSErr WriteInsertRackState(Handle state) {
  if (state) WriteHandleWithSize(state);
  return GetLastFileError();
}

void DisposeInsertRackState(Handle* cell) { DisposeHandleAndClear(cell); }
