// The queue of notifications waiting for MIDIDeliverPendingNotifications (private to
// platform/coremidi). Queueing may happen with MidiRegistryLock held.
#pragma once

#include <string>

#include "platform/coremidi/midi_types.h"

void QueueMidiObjectAdded(MIDIObjectRef parent, MIDIObjectType parentType, MIDIObjectRef child, MIDIObjectType childType);
void QueueMidiObjectRemoved(MIDIObjectRef parent, MIDIObjectType parentType, MIDIObjectRef child,
                            MIDIObjectType childType);
void QueueMidiPropertyChanged(MIDIObjectRef object, MIDIObjectType objectType, const std::string& propertyName);
void QueueMidiSetupChanged();
// Nothing is queued while suppressed (start-up, shut-down).
void SuppressMidiNotifications(bool suppress);
void ClearMidiNotifications();
