// What the audio engine asks of the plug-in host: setting a plug-in parameter from
// automation, the plug-in at a position of a channel's insert chain, the engine channel an
// insert rack plays through, whether a rack runs a chain of plug-ins, and a plug-in's output
// buses. Installed by the plug-in host at start-up (InstallPluginEngineHooks); an entry not
// installed does nothing and answers as for "no plug-in" (see each procedure below).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct EngineChannel;
struct ChannelRenderState;

constexpr int32_t kMaxPluginOutputBuses = 32;

// One output bus of a plug-in: the output it plays to (device kind, port, channel mask) and,
// when it feeds another track, that track's engine channel.
struct PluginBusInfo {
  uint8_t deviceKind = 0;
  uint8_t port = 0;
  uint16_t channelMask = 0;
  EngineChannel* drivenChannel = nullptr;  // the channel of the track this bus feeds, or null
};

struct EnginePluginHooks {
  // Engine thread too (automation): never blocks, never allocates.
  int32_t (*setParameter)(void* plugin, int32_t parameter, float value);
  void* (*findChainPlugin)(EngineChannel* channel, int32_t position);
  // Engine thread (automation): hands a list of timed parameter events (a 32-bit count, then
  // 32-byte events whose parameter is an index and value normalised) to a plug-in that takes
  // them scheduled; non-zero when it does not (the caller sets the values one by one).
  int32_t (*scheduleParameterRamps)(void* plugin, Ptr eventList);
  // Engine thread (channel rendering): the channel whose chain renders now (null when it is
  // done), and the MIDI that falls into the block queued to the chain's first plug-in.
  void (*setRenderChannel)(EngineChannel* channel);
  void (*deliverBufferMidi)(EngineChannel* channel, void* plugin, ChannelRenderState* chain, int32_t frames);
  // Any thread (stop, locate): every instrument channel's sounding notes are released at the
  // start of its next block.
  void (*releaseChannelNotes)();
  // Engine thread (message code 7): renders a plug-in request of the output path; its result.
  int32_t (*renderPluginRequest)(void* request);
  // Engine thread (channel rendering): renders the chain that starts at chainHead. inputs and
  // outputs are tables of kRenderBufferCount entries (null entries are silence); the chain's
  // output lands in inputs[0] and inputs[1]; *rendered becomes 1 when a plug-in produced
  // output or passed its input on.
  void (*renderInsertChain)(void* chainHead, float** inputs, float** outputs, int32_t frames, int32_t channels,
                            uint8_t* rendered);
  // Main thread (binding channels and instruments, preparing playback).
  // Before Play prepares the engine from tick: adds the channels the host plays through of its
  // own (the metronome's click); 0 or an engine error.
  int16_t (*addPlayChannels)(uint32_t tick);
  EngineChannel* (*getRackEngineChannel)(Handle rack);
  // Points the insert rack of each of the song's tracks that play the channel's instrument at
  // the channel (creating a missing rack at the engine's rate).
  void (*bindTrackRacks)(Handle song, EngineChannel* channel);
  bool (*rackHasPluginChain)(Handle rack);
  int32_t (*countOutputBuses)(void* plugin);
  int16_t (*getOutputBusInfo)(void* plugin, int32_t bus, PluginBusInfo* info);
  // Main thread (preparing a channel's render state; chains by their head instance id).
  uint32_t (*deviceChainHead)(uint32_t deviceId);
  uint32_t (*rackChainHead)(Handle rack);
  void (*assignChainIndices)(uint32_t head, uint32_t enabledOutputs, Handle automationList);
  void (*getChainChannelCounts)(uint32_t head, int32_t* firstIn, int32_t* firstOut, int32_t* largestOut,
                                int32_t* lastOut, int32_t* largestIn);
  uint32_t (*sumChainLatency)(uint32_t head, int32_t refresh, int32_t firstOnly);
  void (*prepareChainPlugins)(uint32_t head);
  void (*suspendChainPlugins)(EngineChannel* channel, uint32_t head);
  bool (*chainHasInstrument)(uint32_t head);
  int32_t (*countChainPlugins)(uint32_t head);
  void* (*chainPlugin)(uint32_t head, int32_t n);
  // The plug-in at position n takes MIDI (and does not refuse it).
  bool (*chainPluginTakesMidi)(uint32_t head, int32_t n);
  void (*getFirstPluginIOConfig)(uint32_t head, uint32_t* stereoOutputs, uint8_t* outputCount);
  // An instrument channel's MIDI state (its event pools and lists), started at a song tick,
  // linked to its device for live input (null unlinks), disposed.
  void* (*newChannelMidiState)(EngineChannel* channel, uint32_t deviceId);
  void (*startChannelMidiState)(void* state, Handle song, double tick);
  void (*attachChannelMidiState)(EngineChannel* channel, void* state);
  void (*disposeChannelMidiState)(void* state);
  // Every device lets go of its channel's MIDI state (the engine stops; a hold keeps them).
  void (*clearDeviceMidiStates)();
};
extern EnginePluginHooks gEnginePluginHooks;

// Sets a parameter (normalised 0..1, clamped) of a plug-in; 0, -50 for no plug-in or a
// negative parameter (and -50 when no host is installed). Never allocates.
int32_t SetPluginParameterChecked(void* plugin, int32_t parameter, float value);
// Hands a list of timed parameter events to the plug-in (see the hook entry); -50 with no host.
int32_t SchedulePluginParameterRamps(void* plugin, Ptr eventList);
// The plug-in at a position of the channel's insert chain, or null (null with no host).
void* FindChainPlugin(EngineChannel* channel, int32_t position);
// The channel whose chain renders now, null when done (nothing with no host).
void SetPluginRenderChannel(EngineChannel* channel);
// Queues the block's MIDI to the chain's first plug-in (nothing with no host).
void DeliverBufferMidi(EngineChannel* channel, void* plugin, ChannelRenderState* chain, int32_t frames);
// Not installed: nothing to release.
void ReleasePluginChannelNotes();
// Renders a plug-in request of the output path (engine message code 7); 0 with no host.
int32_t RenderAudioUnit(void* request);
// Renders an insert chain (see the hook entry); with no host the signal passes on unchanged
// and *rendered is left as it was.
void RenderPluginChain(void* chainHead, float** inputs, float** outputs, int32_t frames, int32_t channels,
                       uint8_t* rendered);
// Adds the host's own play channels (0 and nothing with no host).
int16_t AddPluginPlayChannels(uint32_t tick);
// The engine channel that an insert rack plays through, or null (null with no host).
EngineChannel* GetRackEngineChannel(Handle rack);
// Binds the song's tracks' racks to the channel (nothing with no host).
void BindTrackRackToChannel(Handle song, EngineChannel* channel);
// True when the rack runs a chain of plug-ins (false with no host).
bool RackHasInsertChain(Handle rack);
// The number of output buses of a plug-in (0 for none, an unknown plug-in or no host).
int32_t CountPluginOutputBuses(void* plugin);
// 0 and the bus's information, or -1 when the plug-in has no such bus (or there is no host).
int16_t GetPluginOutputBusInfo(void* plugin, int32_t bus, PluginBusInfo* info);
