// MIDI into a unit: MusicDeviceMIDIEvent queues a message (any thread, no locks) and the next
// render writes the queued messages, in frame order, into the plug-in's MIDI atom sequence.
#include <lv2/atom/util.h>

#include <algorithm>

#include "platform/audiounit/audio_unit_instance.h"
#include "platform/audiounit/audio_unit_midi.h"

namespace {

// The length of a short message by its status byte; 0 for those a unit does not take
// (system exclusive and undefined statuses).
uint8_t MessageLength(uint8_t status) {
  if (status < 0x80) return 0;
  if (status < 0xF0) return (status & 0xE0) == 0xC0 ? 2 : 3;
  switch (status) {
    case 0xF1:
    case 0xF3:
      return 2;
    case 0xF2:
      return 3;
    case 0xF6:
    case 0xF8:
    case 0xFA:
    case 0xFB:
    case 0xFC:
    case 0xFE:
    case 0xFF:
      return 1;
    default:
      return 0;
  }
}

// The queue's messages sorted by offset (stable: equal offsets keep their order); offsets at
// or past the block's end play at its last frame.
uint32_t TakeQueuedMessages(AudioUnitInstance* u, uint32_t frames) {
  uint32_t count = 0;
  Lv2MidiMessage m;
  while (count < std::size(u->pending) && u->midi.TryPop(&m)) {
    m.offset = std::min(m.offset, frames > 0 ? frames - 1 : 0);
    uint32_t at = count++;
    while (at > 0 && u->pending[at - 1].offset > m.offset) {
      u->pending[at] = u->pending[at - 1];
      --at;
    }
    u->pending[at] = m;
  }
  return count;
}

// A sequence of its own for a time port that takes no MIDI.
void WriteTimeSequence(AudioUnitInstance* u, uint32_t port) {
  std::vector<uint64_t>& buffer = u->atoms[port];
  LV2_Atom_Forge* forge = &u->forge;
  lv2_atom_forge_set_buffer(forge, reinterpret_cast<uint8_t*>(buffer.data()), buffer.size() * sizeof(uint64_t));
  LV2_Atom_Forge_Frame frame;
  lv2_atom_forge_sequence_head(forge, &frame, 0);
  ForgeTimePosition(u, forge);
  lv2_atom_forge_pop(forge, &frame);
}

}  // namespace

OSStatus MusicDeviceMIDIEvent(AudioUnit unit, uint32_t status, uint32_t data1, uint32_t data2, uint32_t offsetFrames) {
  AudioUnitInstance* u = FindAudioUnit(unit);
  if (u == nullptr) return badComponentInstance;
  if (u->midiPort < 0) return badComponentSelector;
  Lv2MidiMessage m;
  m.size = MessageLength(uint8_t(status));
  if (status > 0xFF || m.size == 0) return paramErr;
  m.offset = offsetFrames;
  m.bytes[0] = uint8_t(status);
  m.bytes[1] = uint8_t(data1 & 0x7F);
  m.bytes[2] = uint8_t(data2 & 0x7F);
  return u->midi.TryPush(m) ? OSStatus(noErr) : OSStatus(kAudioUnitErr_CannotDoInCurrentContext);
}

void DropQueuedMidi(AudioUnitInstance* u) {
  Lv2MidiMessage dropped;
  while (u->midi.TryPop(&dropped)) {
  }
}

void WriteMidiSequence(AudioUnitInstance* u, uint32_t frames) {
  if (u->midiPort < 0) return;
  std::vector<uint64_t>& buffer = u->atoms[uint32_t(u->midiPort)];
  LV2_Atom_Forge* forge = &u->forge;
  lv2_atom_forge_set_buffer(forge, reinterpret_cast<uint8_t*>(buffer.data()), buffer.size() * sizeof(uint64_t));
  LV2_Atom_Forge_Frame frame;
  lv2_atom_forge_sequence_head(forge, &frame, 0);
  if (u->timePort == u->midiPort) ForgeTimePosition(u, forge);
  uint32_t count = TakeQueuedMessages(u, frames);
  for (uint32_t i = 0; i < count; ++i) {
    const Lv2MidiMessage& m = u->pending[i];
    if (!lv2_atom_forge_frame_time(forge, m.offset)) break;
    if (!lv2_atom_forge_atom(forge, m.size, u->midiEventUrid)) break;
    if (!lv2_atom_forge_write(forge, m.bytes, m.size)) break;
  }
  lv2_atom_forge_pop(forge, &frame);
}

void PrepareAtomPorts(AudioUnitInstance* u) {
  for (const Lv2Port& p : u->ports) {
    if (p.kind != Lv2PortKind::kAtom || int32_t(p.index) == u->midiPort) continue;
    auto* atom = reinterpret_cast<LV2_Atom*>(u->atoms[p.index].data());
    if (p.input && int32_t(p.index) == u->timePort) {
      WriteTimeSequence(u, p.index);
    } else if (p.input) {  // an empty sequence
      auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(atom);
      seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
      seq->atom.type = u->sequenceUrid;
      seq->body.unit = 0;
      seq->body.pad = 0;
    } else {  // room for the plug-in's output
      atom->size = uint32_t(u->atoms[p.index].size() * sizeof(uint64_t) - sizeof(LV2_Atom));
      atom->type = u->chunkUrid;
    }
  }
}
