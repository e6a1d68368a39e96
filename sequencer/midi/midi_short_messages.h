// Sending one short message (a status and one or two data bytes) to an output through its
// driver's send procedure, as a short-message record (header 128). Never allocates; the clock
// task and the main thread both send this way.
#pragma once

#include <cstdint>

#include "song/instruments/driver_procs.h"

// A program change or channel pressure: one data byte.
inline bool IsOneDataByteStatus(uint8_t status) { return status >= 0x80 && (status & 0xE0) == 0xC0; }
// Sends status, data1, data2 as a short-message record (header 128, length 9) through send;
// a program change or channel pressure carries its one data byte only (length 8), whatever
// data2 holds, so that no stray byte reaches the output as a message of its own.
int32_t SendShortMessage(DriverProcId send, uint8_t output, uint8_t status, uint8_t data1,
                         uint8_t data2);
// The same with one data byte (length 8: status and data 1).
int32_t SendTwoByteMessage(DriverProcId send, uint8_t output, uint8_t status, uint8_t data1);
