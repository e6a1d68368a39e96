// Select all (Edit item 23): the whole song as the time selection, and by window every event,
// track or row.
#pragma once

// The time selection becomes 1 .. the song's end and every track is selected; in the event
// contexts (main editor, event list) every event of the current track is selected, in the
// conductor list every conductor record. The jukebox takes the item itself.
void SelectAllInContext();
