// Small routines kept for the handler tables.
#pragma once

#include <cstdint>

constexpr int32_t kEventNotHandledErr = -9874;

// Marks the song modified and answers "not handled", so that the standard handling goes on.
int32_t MarkModifiedNotHandled(void* a, void* b, void* c);
// Returns its argument.
intptr_t IdentityRoutine(intptr_t value);
// Called on content clicks; does nothing.
void IgnoreContentClick();
