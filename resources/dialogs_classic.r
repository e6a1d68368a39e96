# The classic dialogs and alerts: 'DLOG' windows with their 'DITL' item lists (item count
# minus one, then per item: reserved word, rectangle top left bottom right, type, text and a
# pad byte after an odd length; type 4 button, 5 check box, 6 radio button, 8 static text,
# 16 edit text, 0 user item, +128 disabled) and 'ALRT' alerts (rectangle, item list, stages,
# position on the main screen).

resource 'STR#' 142 "Key modes" {
  "Major"
  "Minor"
}

# Time and key signature: bars 3..4, meter 5..8, key 9..12, beat groups 16..23.

resource 'DLOG' 1180 { i16 100 i16 100 i16 346 i16 474 i16 5 u8 0 u8 0 u8 0 u8 0 i32 0 i16 1180 pstring "Time and Key Signature" }

resource 'DITL' 1180 "tksig" {
  i16 22
  u32 0 i16 216 i16 290 i16 236 i16 360 u8 4 pstring "OK"  # 1
  u32 0 i16 216 i16 200 i16 236 i16 270 u8 4 pstring "Cancel"  # 2
  u32 0 i16 14 i16 90 i16 30 i16 130 u8 16 pstring ""  # 3
  u32 0 i16 14 i16 200 i16 30 i16 240 u8 16 pstring ""  # 4
  u32 0 i16 44 i16 14 i16 62 i16 130 u8 5 pstring "Change meter"  # 5
  u32 0 i16 45 i16 150 i16 61 i16 180 u8 16 pstring ""  # 6
  u32 0 i16 45 i16 200 i16 61 i16 230 u8 16 pstring ""  # 7
  u32 0 i16 40 i16 240 i16 76 i16 256 u8 128 u8 0  # 8
  u32 0 i16 88 i16 14 i16 106 i16 130 u8 5 pstring "Change key"  # 9
  u32 0 i16 89 i16 150 i16 105 i16 190 u8 16 pstring ""  # 10
  u32 0 i16 84 i16 200 i16 120 i16 216 u8 128 u8 0  # 11
  u32 0 i16 87 i16 230 i16 107 i16 300 u8 4 pstring "Major" u8 0  # 12
  u32 0 i16 14 i16 14 i16 30 i16 86 u8 136 pstring "From bar"  # 13
  u32 0 i16 14 i16 140 i16 30 i16 196 u8 136 pstring "to bar"  # 14
  u32 0 i16 45 i16 184 i16 61 i16 196 u8 136 pstring "/" u8 0  # 15
  u32 0 i16 130 i16 14 i16 148 i16 150 u8 5 pstring "Group beats" u8 0  # 16
  u32 0 i16 160 i16 14 i16 176 i16 44 u8 16 pstring ""  # 17
  u32 0 i16 160 i16 54 i16 176 i16 84 u8 16 pstring ""  # 18
  u32 0 i16 160 i16 94 i16 176 i16 124 u8 16 pstring ""  # 19
  u32 0 i16 160 i16 134 i16 176 i16 164 u8 16 pstring ""  # 20
  u32 0 i16 160 i16 174 i16 176 i16 204 u8 16 pstring ""  # 21
  u32 0 i16 160 i16 214 i16 176 i16 244 u8 16 pstring ""  # 22
  u32 0 i16 160 i16 254 i16 176 i16 284 u8 16 pstring ""  # 23
}

# Tempo: modes 3..5, tempos 6..8 (tenths shown with a point), arrow 9, time 10..14 as

# hours, minutes, seconds, frames and subframes, 15/16 end position or duration.

resource 'DLOG' 1190 { i16 100 i16 100 i16 366 i16 484 i16 5 u8 0 u8 0 u8 0 u8 0 i32 0 i16 1190 pstring "Tempo" }

resource 'DITL' 1190 "tempo" {
  i16 17
  u32 0 i16 236 i16 300 i16 256 i16 370 u8 4 pstring "OK"  # 1
  u32 0 i16 236 i16 210 i16 256 i16 280 u8 4 pstring "Cancel"  # 2
  u32 0 i16 14 i16 14 i16 32 i16 150 u8 6 pstring "Set tempo" u8 0  # 3
  u32 0 i16 40 i16 14 i16 58 i16 150 u8 6 pstring "Gradual change"  # 4
  u32 0 i16 66 i16 14 i16 84 i16 150 u8 6 pstring "Fit to time" u8 0  # 5
  u32 0 i16 15 i16 170 i16 31 i16 220 u8 16 pstring ""  # 6
  u32 0 i16 41 i16 170 i16 57 i16 220 u8 16 pstring ""  # 7
  u32 0 i16 41 i16 270 i16 57 i16 320 u8 16 pstring ""  # 8
  u32 0 i16 14 i16 330 i16 50 i16 346 u8 128 u8 0  # 9
  u32 0 i16 130 i16 14 i16 146 i16 44 u8 16 pstring ""  # 10
  u32 0 i16 130 i16 54 i16 146 i16 84 u8 16 pstring ""  # 11
  u32 0 i16 130 i16 94 i16 146 i16 124 u8 16 pstring ""  # 12
  u32 0 i16 130 i16 134 i16 146 i16 164 u8 16 pstring ""  # 13
  u32 0 i16 130 i16 174 i16 146 i16 204 u8 16 pstring ""  # 14
  u32 0 i16 100 i16 14 i16 118 i16 150 u8 6 pstring "End position"  # 15
  u32 0 i16 100 i16 160 i16 118 i16 300 u8 6 pstring "Duration"  # 16
  u32 0 i16 41 i16 230 i16 57 i16 266 u8 136 pstring "to"  # 17
  u32 0 i16 152 i16 14 i16 168 i16 210 u8 136 pstring "h : m : s : frames : sub"  # 18
}

# Output remapping: the missing outputs 5 (one row each, with the replacement after the
# arrow) and the outputs that may replace them 6 (no output first), rows of 16 pixels.

resource 'DLOG' 1210 { i16 90 i16 90 i16 430 i16 560 i16 5 u8 0 u8 0 u8 0 u8 0 i32 0 i16 1210 pstring "Missing Outputs" }

resource 'DITL' 1210 "remap outputs" {
  i16 5
  u32 0 i16 306 i16 380 i16 326 i16 450 u8 4 pstring "OK"  # 1
  u32 0 i16 306 i16 290 i16 326 i16 360 u8 4 pstring "Cancel"  # 2
  u32 0 i16 306 i16 14 i16 324 i16 250 u8 5 pstring "Remember these choices"  # 3
  u32 0 i16 10 i16 14 i16 44 i16 456 u8 136 pstring "This song uses outputs that are not here. Choose a replacement for each:"  # 4
  u32 0 i16 50 i16 14 i16 178 i16 456 u8 0 u8 0  # 5
  u32 0 i16 186 i16 14 i16 298 i16 456 u8 0 u8 0  # 6
}

# Alerts: item 1 is the default button; the caution, stop and note icons are drawn by the alert.

resource 'ALRT' 550 { i16 120 i16 100 i16 254 i16 460 i16 550 u16 0x4444 u16 0x300A }

resource 'DITL' 550 "message" {
  i16 1
  u32 0 i16 104 i16 270 i16 124 i16 350 u8 4 pstring "OK"  # 1
  u32 0 i16 10 i16 70 i16 94 i16 350 u8 136 pstring "^0"  # 2
}

resource 'ALRT' 520 { i16 120 i16 100 i16 254 i16 460 i16 520 u16 0x4444 u16 0x300A }

resource 'DITL' 520 "open failed" {
  i16 1
  u32 0 i16 104 i16 270 i16 124 i16 350 u8 4 pstring "OK"  # 1
  u32 0 i16 10 i16 70 i16 94 i16 350 u8 136 pstring "^0 ^1" u8 0  # 2
}

resource 'ALRT' 535 { i16 120 i16 100 i16 254 i16 460 i16 535 u16 0x4444 u16 0x300A }

resource 'DITL' 535 "revert" {
  i16 2
  u32 0 i16 104 i16 270 i16 124 i16 350 u8 4 pstring "Cancel"  # 1
  u32 0 i16 104 i16 180 i16 124 i16 260 u8 4 pstring "Revert"  # 2
  u32 0 i16 10 i16 70 i16 94 i16 350 u8 136 pstring "Revert to the saved version of the song? The changes made since it was saved are lost."  # 3
}

resource 'ALRT' 536 { i16 120 i16 100 i16 254 i16 460 i16 536 u16 0x4444 u16 0x300A }

resource 'DITL' 536 "frame rate" {
  i16 1
  u32 0 i16 104 i16 270 i16 124 i16 350 u8 4 pstring "OK"  # 1
  u32 0 i16 10 i16 70 i16 94 i16 350 u8 136 pstring "The incoming time code runs at ^0; the song is set to ^1." u8 0  # 2
}

resource 'ALRT' 539 { i16 120 i16 100 i16 254 i16 460 i16 539 u16 0x4444 u16 0x300A }

resource 'DITL' 539 "clear recent" {
  i16 2
  u32 0 i16 104 i16 270 i16 124 i16 350 u8 4 pstring "Cancel"  # 1
  u32 0 i16 104 i16 180 i16 124 i16 260 u8 4 pstring "Clear" u8 0  # 2
  u32 0 i16 10 i16 70 i16 94 i16 350 u8 136 pstring "Clear the list of recent files?" u8 0  # 3
}

resource 'ALRT' 543 { i16 120 i16 100 i16 254 i16 460 i16 543 u16 0x4444 u16 0x300A }

resource 'DITL' 543 "still missing" {
  i16 2
  u32 0 i16 104 i16 270 i16 124 i16 350 u8 4 pstring "OK"  # 1
  u32 0 i16 104 i16 180 i16 124 i16 260 u8 4 pstring "Skip"  # 2
  u32 0 i16 10 i16 70 i16 94 i16 350 u8 136 pstring "\"^0\" was not found." u8 0  # 3
}

resource 'ALRT' 561 { i16 120 i16 100 i16 254 i16 460 i16 561 u16 0x4444 u16 0x300A }

resource 'DITL' 561 "convert file" {
  i16 2
  u32 0 i16 104 i16 270 i16 124 i16 350 u8 4 pstring "Convert" u8 0  # 1
  u32 0 i16 104 i16 180 i16 124 i16 260 u8 4 pstring "Cancel"  # 2
  u32 0 i16 10 i16 70 i16 94 i16 350 u8 136 pstring "The file \"^0\" cannot be played as it is. Convert it to a new AIFF file?" u8 0  # 3
}

resource 'ALRT' 566 { i16 120 i16 100 i16 254 i16 460 i16 566 u16 0x4444 u16 0x300A }

resource 'DITL' 566 "missing plug-in" {
  i16 1
  u32 0 i16 104 i16 270 i16 124 i16 350 u8 4 pstring "OK"  # 1
  u32 0 i16 10 i16 70 i16 94 i16 350 u8 136 pstring "The plug-in \"^0\" is not installed."  # 2
}

resource 'ALRT' 510 { i16 120 i16 100 i16 254 i16 460 i16 510 u16 0x4444 u16 0x300A }

resource 'DITL' 510 "keep changes" {
  i16 3
  u32 0 i16 104 i16 270 i16 124 i16 350 u8 4 pstring "Save"  # 1
  u32 0 i16 104 i16 180 i16 124 i16 260 u8 4 pstring "Cancel"  # 2
  u32 0 i16 104 i16 90 i16 124 i16 170 u8 4 pstring "Don't Save"  # 3
  u32 0 i16 10 i16 70 i16 94 i16 350 u8 136 pstring "The list \"^0\" was changed. ^1" u8 0  # 4
}

# Before New, Open or Quit would lose the song's changes: 1 saves (the default, Return), 2
# cancels the command (Escape), 3 goes on without saving. ^0 the document's name, ^1 what
# would lose them ('STR#' 170 item n for the command n).
resource 'ALRT' 511 { i16 120 i16 100 i16 254 i16 460 i16 511 u16 0x4444 u16 0x300A }

resource 'DITL' 511 "save changes" {
  i16 3
  u32 0 i16 104 i16 270 i16 124 i16 350 u8 4 pstring "Save"  # 1
  u32 0 i16 104 i16 180 i16 124 i16 260 u8 4 pstring "Cancel"  # 2
  u32 0 i16 104 i16 70 i16 124 i16 170 u8 4 pstring "Don't Save"  # 3
  u32 0 i16 10 i16 70 i16 94 i16 350 u8 136 pstring "Save the changes made to \"^0\" before ^1?"  # 4
}

resource 'STR#' 170 "What would lose the changes" {
  ""                                                        # 1
  "opening another document"                                # 2
  "starting a new song"                                     # 3
  "quitting"                                                # 4
}

# A file the document refers to was not found: ^0 its name, ^1 and ^2 the explanation
# (general texts 61 or 57, and 60). 1 keeps the reference (the file stays missing until it
# is back), 2 forgets it, 3 looks for the file; 4 to 6 the same for every further missing file.
resource 'ALRT' 149 { i16 100 i16 100 i16 290 i16 520 i16 149 u16 0x4444 u16 0x300A }

resource 'DITL' 149 "missing file" {
  i16 6
  u32 0 i16 126 i16 330 i16 146 i16 410 u8 4 pstring "Keep"  # 1
  u32 0 i16 126 i16 240 i16 146 i16 320 u8 4 pstring "Forget"  # 2
  u32 0 i16 126 i16 150 i16 146 i16 230 u8 4 pstring "Find…" u8 0  # 3
  u32 0 i16 156 i16 330 i16 176 i16 410 u8 4 pstring "Keep All"  # 4
  u32 0 i16 156 i16 240 i16 176 i16 320 u8 4 pstring "Forget All"  # 5
  u32 0 i16 156 i16 150 i16 176 i16 230 u8 4 pstring "Find All…" u8 0  # 6
  u32 0 i16 10 i16 70 i16 116 i16 410 u8 136 pstring "\"^0\" was not found. ^1 ^2" u8 0  # 7
}
