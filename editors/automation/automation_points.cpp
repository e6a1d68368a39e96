#include "editors/automation/automation_points.h"

// Interim: no point list is changed until the automation points are built.

OSErr CutPointListRange(Handle, uint64_t, uint64_t, bool, uint32_t, int32_t) { return noErr; }
void ShiftPointsFrom(Handle, uint64_t, uint64_t, int64_t, uint32_t, int32_t) {}
void ShiftPointListAt(Handle, uint64_t, uint64_t) {}
Handle* GetFocusedAutomationListRef() { return nullptr; }
void RefreshAutomationPlayback(Handle) {}
