// Hearing the notes the editors enter and select: the event template played on the current
// track's output, and a note entered at a snapped time and played at once.
#pragma once

#include <cstdint>

// Plays the event template now on the current track's output (the instruments it plays, or
// its own output on its channel), as a note-on whatever its status, and schedules its end
// after its duration. Nothing while the transport plays. True when it sounded.
bool SendTemplateNote();
// Plays every note of the current track that starts in start..end-1, when the track is
// audible. Answers the number of notes sent.
int32_t AuditionNotesInRange(uint32_t start, uint32_t end);
// Inside the track-edit brackets: the note enters the current track at tick snapped to the
// grid, lasting SwingOffset (tick, swing) x the note length percentage / 100, at velocity;
// with send it is played. Answers the note's last tick, or 0 when the track can take no note.
int32_t InsertAndAuditionNote(int32_t tick, int32_t pitch, int32_t velocity, bool send, int32_t swing);
