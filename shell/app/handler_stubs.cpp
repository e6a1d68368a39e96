#include "shell/app/handler_stubs.h"

#include "song/model/song_context.h"

int32_t MarkModifiedNotHandled(void*, void*, void*) {
  SetSongModified();
  return kEventNotHandledErr;
}

intptr_t IdentityRoutine(intptr_t value) { return value; }

void IgnoreContentClick() {}
