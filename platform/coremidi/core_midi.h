// The MIDI services in one include: types, packet lists, clients, ports, endpoints and
// properties, the built-in synth's render entry, and the note allocator.
#pragma once

#include "platform/coremidi/builtin_synth.h"
#include "platform/coremidi/midi_packets.h"
#include "platform/coremidi/midi_services.h"
#include "platform/coremidi/midi_types.h"
#include "platform/coremidi/note_allocator.h"
