// Chase: when playback starts or the song position moves, each track's events before the
// start point are scanned for the latest program, controller, pressure and pitch-bend state
// per output, and that set-up data is sent in time order before the clock runs.
//
// Set-up lists live in handles: a table of 12-byte lists {u32 send procedure, u32 entries
// handle, u16 port, u16 device kind}, each with 16-byte entries {u8 status, u8 data 1,
// u8 data 2, u8 0, u32 time (0x7fffffff once sent), u32 0, u32 0}. Main thread only.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/instruments/driver_procs.h"

// Bit 15: system-exclusive blocks, and controllers 96..101 kept in order; bits 8..14: the
// channel kinds 0x80..0xE0 chased (bit = kind >> 4); bit 1: keep every program change;
// bits 2 and 3: chase switches of tracks.
extern uint16_t gChaseFilter;
constexpr uint16_t kChaseFilterDefault = 0xFC1D;
extern uint32_t gChaseOffset;  // ticks added to every event time
extern uint32_t gChaseEnd;     // entries are made only for times before it

constexpr int32_t kSetupEntrySize = 16;
constexpr int32_t kSetupListSize = 12;
constexpr uint32_t kSetupEntrySent = 0x7FFFFFFF;

// Disposes every set-up list.
void ResetChase();
// Chases one output's events (bytes long) up to endTime into the list of (send, port);
// answers the event at which the scan stopped. Outputs of kinds that are not chased are only
// stepped to endTime.
uint8_t* ChaseOutput(uint8_t* events, uint32_t bytes, uint32_t endTime, DriverProcId send,
                     uint8_t deviceKind, uint8_t port, bool enabled);
// Adds the events to the current list; the stored status is kept.
uint8_t* ChaseTrackEvents(uint8_t* events, uint32_t bytes, uint32_t endTime);
// Chases every track of a song up to tick (a locate or the start of playback).
void ChaseSong(Handle song, uint32_t tick);
// Sends the collected set-up data of each output in time order and disposes the lists;
// waits delayTicks (1/60 s) afterwards when anything was sent. Answers the number sent, or
// error 2 reported for a malformed entry (that list ends there).
int32_t SendSetupData(uint32_t delayTicks);
// Number of set-up lists and the entries of list n (for inspection).
int32_t CountSetupLists();
Handle GetSetupEntries(int32_t n, DriverProcId* send, uint8_t* port);
