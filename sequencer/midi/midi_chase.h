// Chase: when playback starts or the song position moves, each track's events before the
// start point are scanned for the latest program, controller, pressure and pitch-bend state
// and the system-exclusive records per output, and that set-up data is sent in time order
// before the clock runs.
//
// Set-up lists live in handles: a table of 12-byte lists {u32 send procedure, u32 entries
// handle, u16 port, u16 device kind}, each with 16-byte entries {u8 status (0x40: a
// system-exclusive record), u8 data 1, u8 data 2, u8 0, u32 time (0x7fffffff once sent),
// u32 handle of the record's event list, u32 the record's byte offset in it}. A record goes
// out through the send procedure and port of its list. Main thread only.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/instruments/driver_procs.h"

// Bit 15: system-exclusive records, and controllers 96..101 kept in order; bits 8..14: the
// channel kinds 0x80..0xE0 chased (bit = kind >> 4); bit 1: keep every program change;
// bits 2 and 3: chase switches of tracks (2 when stopped, 3 while playing for device kinds
// 16 and up, or when stopped in mode 1).
extern uint16_t gChaseFilter;
constexpr uint16_t kChaseFilterDefault = 0xFC1D;
extern uint32_t gChaseOffset;  // ticks added to every event time
extern uint32_t gChaseEnd;     // entries are made only for times before it
// The wait after each system-exclusive record sent with the set-up data, in 1/60 s.
extern uint16_t gSysExBlockDelay;

constexpr int32_t kSetupEntrySize = 16;
constexpr int32_t kSetupListSize = 12;
constexpr uint32_t kSetupEntrySent = 0x7FFFFFFF;
constexpr uint8_t kSetupBlock = 0x40;

// Chase modes: 0 at a locate, 1 at the start of playback, 2 all outputs enabled, and a song
// output takes the track's channel.
constexpr int32_t kChaseAtLocate = 0, kChaseAtStart = 1, kChaseForced = 2;

// Disposes every set-up list.
void ResetChase();
// Chases one output's events (bytes long) up to endTime into the list of (send, port);
// answers the event at which the scan stopped. Outputs of kinds that are not chased are only
// stepped to endTime. The events are read from list at byte offset from: instrument (-1 none)
// and channel give the slot's channel, which replaces the events' channel; track (may be
// null) takes the last program and pitch bend and bounds the events.
uint8_t* ChaseOutput(Handle list, uint32_t from, uint32_t endTime, DriverProcId send, uint8_t deviceKind,
                     uint8_t port, bool enabled, uint8_t* track, int32_t instrument,
                     uint8_t channel, int32_t mode);
// Adds the events to the current list; the stored status is kept.
uint8_t* ChaseTrackEvents(uint8_t* events, uint32_t bytes, uint32_t endTime);
// Chases every track of a song up to tick (a locate or the start of playback).
void ChaseSong(Handle song, uint32_t tick, int32_t mode = kChaseAtStart);
// Sends the collected set-up data of each output in time order and disposes the lists, after
// the instrument resets (with resetInstruments) and the initial volumes; waits delayTicks
// (1/60 s) afterwards when anything was sent. Answers the number sent; a malformed entry
// ends its list and reports error 2.
int32_t SendSetupData(uint32_t delayTicks, bool resetInstruments = false);
// Number of set-up lists (for inspection).
int32_t CountSetupLists();
