# The progress dialog of long operations and the cursors of value dragging.
#
# DLOG 150 has a determinate bar, DLOG 190 the same items with the bar made indeterminate.
# Items: 1 unused, 2 Cancel, 3 message, 4 bar ('CNTL' 150), 5 secondary text, 6 remaining time.

resource 'DLOG' 150 "Progress" {
  i16 100 i16 100 i16 196 i16 460 i16 5 u8 0 u8 0 u8 0 u8 0 i32 0 i16 150
  pstring "Progress" u8 0 u16 0x700A
}
resource 'DLOG' 190 "Progress (no range)" {
  i16 100 i16 100 i16 196 i16 460 i16 5 u8 0 u8 0 u8 0 u8 0 i32 0 i16 150
  pstring "Progress" u8 0 u16 0x700A
}

resource 'DITL' 150 "Progress items" {
  i16 5
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 128 u8 0
  u32 0 i16 64 i16 272 i16 84 i16 348 u8 4 u8 6 text "Cancel"
  u32 0 i16 10 i16 14 i16 26 i16 346 u8 136 u8 0
  u32 0 i16 32 i16 14 i16 44 i16 346 u8 135 u8 2 i16 150
  u32 0 i16 48 i16 14 i16 62 i16 200 u8 136 u8 0
  u32 0 i16 48 i16 200 i16 62 i16 346 u8 136 u8 0
}

resource 'CNTL' 150 "Progress bar" {
  i16 32 i16 14 i16 44 i16 346 i16 0 u8 1 u8 0 i16 32767 i16 0 i16 80 i32 0 pstring ""
}

resource 'STR#' 506 "Progress messages" {
  "Saving the song"
  "Opening the song"
  "Reading the MIDI file"
  "Writing the MIDI file"
  "Exporting audio"
  "Importing audio"
  "Converting audio"
  "Scanning plug-ins"
  "Loading plug-in settings"
  "Saving plug-in settings"
  "Reading the system-exclusive dump"
  "Writing the system-exclusive dump"
  "Building the overview"
  "Copying audio files"
  "Collecting the media"
  "Mixing down"
  "Bouncing the track"
  "Normalizing"
  "Reversing"
  "Changing the gain"
  "Fading"
  "Resampling"
  "Splitting regions"
  "Converting the file to AIFF"
  "Quantizing"
  "Processing"
  "Rendering the movie"
  "Exporting the movie"
  "Loading the movie"
  "Reading the drum set"
  "Writing the drum set"
  "Reading the instrument table"
  "Writing the instrument table"
  "Opening the jukebox list"
  "Checking the files"
  "Updating references"
  "Freeing memory"
  "Preparing playback"
  "Working"
  "Reading presets"
}

# The arrow cursors shown while a value is stepped by the mouse: 5000 down, 5001 up.
# 'CURS': 16 rows of data, 16 rows of mask, hot spot (v, h).
resource 'CURS' 5000 "Value down" {
  hex "0000 0180 0180 0180 0180 0180 0180 0180 0180 1FF8 0FF0 07E0 03C0 0180 0000 0000"
  hex "03C0 03C0 03C0 03C0 03C0 03C0 03C0 03C0 3FFC 3FFC 1FF8 0FF0 07E0 03C0 0180 0000"
  i16 13 i16 7
}
resource 'CURS' 5001 "Value up" {
  hex "0000 0000 0180 03C0 07E0 0FF0 1FF8 0180 0180 0180 0180 0180 0180 0180 0180 0000"
  hex "0000 0180 03C0 07E0 0FF0 1FF8 3FFC 3FFC 03C0 03C0 03C0 03C0 03C0 03C0 03C0 03C0"
  i16 2 i16 7
}
