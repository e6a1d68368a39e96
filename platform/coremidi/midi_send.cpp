// Sending to destinations and receiving from virtual sources. Lock-free: the routes come from
// the object table's atomic slots and the bytes go into the drivers' queues.
#include "platform/coremidi/midi_drivers.h"
#include "platform/coremidi/midi_registry.h"
#include "platform/coremidi/midi_server.h"
#include "platform/coremidi/midi_services.h"
#include "platform/system/host_time.h"

namespace {

bool SendPacket(const MidiRoute& dest, MIDIEndpointRef destRef, uint32_t batch, bool last, const MIDIPacket* packet) {
  switch (dest.driver) {
    case kMidiDriverSynth: return SendBuiltInSynth(packet);
    case kMidiDriverJack: return SendJackMidi(dest.index, packet);
    case kMidiDriverAlsa: return SendAlsaSeq(dest.index, packet);
    case kMidiDriverVirtual:
      return QueueMidiDelivery(destRef, kDeliverToDestination, batch, last, packet->timeStamp, packet->data,
                               packet->length, false);
    default: return false;
  }
}

}  // namespace

OSStatus MIDISend(MIDIPortRef port, MIDIEndpointRef dest, const MIDIPacketList* pktlist) {
  if (!MidiServicesRunning()) return kMIDIInvalidPort;
  MidiRoute portRoute;
  if (!ReadMidiRoute(port, &portRoute) || portRoute.kind != kMidiKindOutputPort) return kMIDIInvalidPort;
  MidiRoute destRoute;
  if (!ReadMidiRoute(dest, &destRoute)) return kMIDIUnknownEndpoint;
  if (destRoute.kind != kMidiKindDestination) return kMIDIWrongEndpointType;
  if (pktlist == nullptr) return paramErr;
  uint32_t batch = destRoute.driver == kMidiDriverVirtual ? NextMidiDeliveryBatch() : 0;
  bool sent = true;
  const MIDIPacket* packet = &pktlist->packet[0];
  for (UInt32 i = 0; i < pktlist->numPackets; ++i) {
    if (packet->length > 0) sent &= SendPacket(destRoute, dest, batch, i + 1 == pktlist->numPackets, packet);
    packet = MIDIPacketNext(packet);
  }
  return sent ? OSStatus(noErr) : kMIDIMessageSendErr;
}

OSStatus MIDIReceived(MIDIEndpointRef src, const MIDIPacketList* pktlist) {
  if (!MidiServicesRunning()) return kMIDIUnknownEndpoint;
  MidiRoute route;
  if (!ReadMidiRoute(src, &route)) return kMIDIUnknownEndpoint;
  if (route.kind != kMidiKindSource) return kMIDIWrongEndpointType;
  if (route.driver != kMidiDriverVirtual) return kMIDINotPermitted;
  if (pktlist == nullptr) return paramErr;
  uint32_t batch = NextMidiDeliveryBatch();
  bool queued = true;
  const MIDIPacket* packet = &pktlist->packet[0];
  for (UInt32 i = 0; i < pktlist->numPackets; ++i) {
    MIDITimeStamp stamp = packet->timeStamp != 0 ? packet->timeStamp : HostTimeNanos();
    if (packet->length > 0)
      queued &= QueueMidiDelivery(src, kDeliverToConnections, batch, i + 1 == pktlist->numPackets, stamp, packet->data,
                                  packet->length, true);
    packet = MIDIPacketNext(packet);
  }
  return queued ? OSStatus(noErr) : kMIDIMessageSendErr;
}

UInt64 MIDIGetSendLeadNanos() {
  uint64_t period = JackMidiPeriodNanos();
  return period == 0 ? 0 : period + kMidiSendLeadMarginNanos;
}

OSStatus MIDIFlushOutput(MIDIEndpointRef dest) {
  if (!MidiServicesRunning()) return noErr;
  if (dest == 0) {
    FlushBuiltInSynth();
    FlushJackMidi(kAllMidiPorts);
    FlushAlsaSeq(kAllMidiPorts);
    return noErr;
  }
  MidiRoute route;
  if (!ReadMidiRoute(dest, &route)) return kMIDIUnknownEndpoint;
  if (route.kind != kMidiKindDestination) return kMIDIWrongEndpointType;
  switch (route.driver) {
    case kMidiDriverSynth: FlushBuiltInSynth(); break;
    case kMidiDriverJack: FlushJackMidi(route.index); break;
    case kMidiDriverAlsa: FlushAlsaSeq(route.index); break;
    default: break;
  }
  return noErr;
}
