// Reading a song document from the stream: blocks that are checked against the bytes left in
// the file before anything is allocated, and a first error that sticks.
//
// The stream's own error word is overwritten by every transfer; a document reader needs the
// first failure to stand until the end. Every read here stops once an error is latched, and a
// block that claims more bytes than the file still holds is refused (eofErr) without reading.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Makes refNum the stream and measures what is left from its current position.
OSErr BeginDocumentInput(int16_t refNum);
// The first error since BeginDocumentInput (0 while all is well).
OSErr GetDocumentInputError();
// Latches err (when no error is latched yet); returns the latched error.
OSErr FailDocumentInput(OSErr err);
uint64_t DocumentBytesLeft();

// The form of the document being read: its file version (gSongFileVersion until its header
// is read) and its resolution in ticks per quarter note. Older forms are converted by the
// readers as they go.
void SetDocumentInputForm(uint16_t version, uint32_t resolution);
uint16_t GetDocumentInputVersion();
uint32_t GetDocumentInputResolution();

OSErr ReadDocumentBytes(void* buffer, uint32_t n);
OSErr ReadDocumentU16(uint16_t* value);
OSErr ReadDocumentU32(uint32_t* value);
OSErr SkipDocumentBytes(uint32_t n);

// A block of n bytes from the stream in a new handle (within the memory reserve).
// eofErr when n exceeds the bytes left, memFullErr when it cannot be had.
OSErr ReadDocumentHandle(uint32_t n, Handle* out);
// The handle such a block is read into, not yet filled: the same checks, nothing read. The
// caller fills it with ReadDocumentBytes (and disposes it when a read fails).
OSErr NewDocumentBlockHandle(uint32_t n, Handle* out);
// A size-prefixed block: u32 n, then n bytes, into a new handle.
OSErr ReadSizedDocumentHandle(Handle* out);
// A size-prefixed block that the program does not keep.
OSErr SkipSizedDocumentBlock();

// The handle-slot primitive. The slot's stored word says whether a block follows (with
// useAlternate, a zero word takes the alternate word). The slot is cleared first; when a
// block follows it is read and its new handle stored in the slot. A read failure leaves the
// slot empty.
OSErr ReadLengthPrefixedHandle(uint8_t* slot, bool useAlternate);
// The presence a slot's stored words give (alternate included when asked).
bool SlotHasBlock(const uint8_t* slot, bool useAlternate);
// Clears the slot, then, when present, reads a size-prefixed block into a new handle stored
// in the slot's handle word (for slots whose stored words were taken aside earlier).
OSErr ReadPresentBlock(uint8_t* slot, bool present);
