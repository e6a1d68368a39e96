// The values of an instrument strip and how they leave the program: the slot the window shows
// (the strip's own volume and pan, or one of its sends), the level that is sent, and the
// sending itself: a control change to the strip's MIDI output, the strip's system-exclusive
// template filled with the value, or the levels of the strip's engine channels. While value
// moves are recorded they are written into the record tracks (controller events, or the rack's
// automation points for a strip that plays through a plug-in) as they are sent.
//
// Main thread.
#pragma once

#include <cstdint>

// Which values the instrument window's strips show: 0 their own volume and pan, n = 1..8
// their send n (the slot at Instrument +128 + 4(n - 1)).
extern uint8_t gInstrumentWindowPart;
// The instrument window's option byte; kRecordValueMoves (its second check box) records the
// value moves while the transport runs.
extern uint8_t gInstrumentWindowOptions;
constexpr uint8_t kRecordValueMoves = 0x02;

// Instrument +88, the strip's send flags.
constexpr uint8_t kSendVolumeChanges = 0x01;
constexpr uint8_t kSendPanChanges = 0x02;
constexpr uint8_t kPanThroughTemplate = 0x04;
constexpr uint8_t kVolumeThroughTemplate = 0x08;
constexpr uint8_t kProgramArrived = 0x80;
// Instrument +6 bit 4: a strip of a link chain that takes the moved strip's value itself.
constexpr uint8_t kInstOptionTakesLinkedValue = 0x10;
// Instrument +87: a pan the engine or a played controller changed, parked with this bit until
// the meter pass (a volume is parked in +4 with kInstOptionFixedVolume).
constexpr uint8_t kParkedPanValid = 0x80;

// The main volume controller.
constexpr uint8_t kMainVolumeController = 7;

// The index of a record of the instrument table, or -1 for an address that starts none.
int32_t GetStripIndex(const uint8_t* record);
// The record of gCurrentInstrument (null out of the table).
uint8_t* CurrentInstrumentRecord();
// True while a send is shown and the current strip is an instrument (not an aux bus or the
// master): the shown values are the send's.
bool IsSendShown();
// The current strip's pan byte (+86), or the shown send's pan byte; null without a record.
uint8_t* CurrentInstrumentSlotPtr();
// The matching level: the strip's volume, or the shown send's u16 level.
int32_t CurrentInstrumentSlotValue();
// Stores a level into the same place (the volume through SetInstrumentVolume), clamped to
// 0..127; returns what was stored.
int32_t SetCurrentInstrumentSlotValue(int32_t value);
// Stores a pan (clamped to 0..127) into CurrentInstrumentSlotPtr.
int32_t SetCurrentInstrumentSlotPan(int32_t value);

// The level to send for the current strip. With audibleOnly: 0 when the strip (or the shown
// send) is not audible, else the slot's value, clamped to 0..127 when no send is shown and the
// volume controller is 7. Without: the volume, except that with controller 7 (taken as 7 for
// the aux busses and the master) a strip that is not audible sends 0 and others the volume
// clamped to 0..127.
int32_t GetCurrentInstrumentLevel(bool audibleOnly);

// The output-device entry of a strip: its part-0 device kind when that is an engine channel
// (audio), a plug-in or ReWire, or for an aux bus and the master; 0 for a plain MIDI strip.
uint8_t GetInstrumentDevice(const uint8_t* record);

// What SendInstrumentValue is asked for.
constexpr int32_t kValueSendAndRecord = 0;  // records the move while moves are recorded
constexpr int32_t kValueSendOnly = 1;
// Sends one value of a record live: through the template at templateField (a handle word of
// the record) when the record's +88 has templateBit and the template exists (nothing unless
// output part 0 is in use), else, for a strip without a device entry, as a control change of
// the controller at controllerField (+3 or +85) on part 0's channel and port (controller 7
// shaped for the device and clamped). A strip with a device entry gets its engine channels'
// levels instead. Unless mode is kValueSendOnly the move is first recorded while moves are
// recorded. Answers 0, or an error of the template or the recording.
int16_t SendInstrumentValue(uint8_t* record, uint8_t templateBit, int32_t templateField,
                            int32_t controllerField, int32_t value, int32_t mode);
// The current strip's volume (GetCurrentInstrumentLevel with audibleOnly) and pan sent with
// SendInstrumentValue through their templates and controllers.
int16_t SendCurrentVolume(int32_t mode);
int16_t SendCurrentPan(int32_t mode);

// Strip index's own volume or pan (not a send) stored through its setter and sent as the
// window's moves are (recorded while moves are recorded); gCurrentInstrument is kept.
void SetStripVolumeAndSend(int32_t index, int32_t volume);
void SetStripPanAndSend(int32_t index, int32_t pan);

// Writes a value into the current track at tick: a controller event of the strip's controller
// replaced (always on a track with its own channel, else only on the strip's channel) or
// inserted; with the template bit the filled template as a system-exclusive event instead.
int16_t WriteInstrumentValueEvent(uint8_t* record, uint8_t templateBit, int32_t templateField,
                                  int32_t controllerField, int32_t value, uint32_t tick);
// which bit 0 the volume, bit 1 the pan (-1 both) of the current strip at tick: as automation
// points of its rack when it plays through a plug-in (withPlugin), else as events of the
// current track.
int16_t WriteStripValues(bool withPlugin, uint32_t tick, int32_t which);

// Stores the program (Instrument +5 and +89; the chosen program less one when +6 bit 1 is
// set) and sends a program change to the strip's output part 0.
void SendProgramChange(uint8_t* record, int32_t chosen);

// Sets the master volume words (SetMasterVolume) and the engine's master level, then re-sends
// every instrument's values (ResendAllInstrumentValues).
void SetMasterVolumeFromWindow(int32_t volume);
// Sends the volume and pan of every instrument (device kinds 20 and 21 left out) to its
// output; while the transport plays, every eighth instrument without an engine channel is
// followed by a 1 ms pause.
void ResendAllInstrumentValues();

// Answers 0: installed where a callback must answer nothing.
int32_t ReturnZero();
