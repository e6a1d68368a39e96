# The program's windows: content bounds (top, left, bottom, right), procedure id, visible,
# close box, reference value and title. The windows are made hidden; the window layout
# shows them.

resource 'WIND' 350 { i16 60 i16 291 i16 131 i16 700 i16 1985 u8 0 u8 0 u8 1 u8 0 i32 0 pstring "Counter" }
resource 'WIND' 353 { i16 44 i16 4 i16 250 i16 760 i16 8 u8 0 u8 0 u8 1 u8 0 i32 0 pstring "Tracks" }
resource 'WIND' 354 { i16 44 i16 770 i16 250 i16 1050 i16 8 u8 0 u8 0 u8 1 u8 0 i32 0 pstring "Songs" }
resource 'WIND' 355 { i16 272 i16 4 i16 600 i16 1050 i16 8 u8 0 u8 0 u8 1 u8 0 i32 0 pstring "Editor" }
resource 'WIND' 357 { i16 80 i16 740 i16 520 i16 1050 i16 8 u8 0 u8 0 u8 1 u8 0 i32 0 pstring "Event List" }
resource 'WIND' 359 { i16 360 i16 600 i16 682 i16 1016 i16 8 u8 0 u8 0 u8 1 u8 0 i32 0 pstring "Instruments" }
resource 'WIND' 361 { i16 120 i16 320 i16 340 i16 620 i16 8 u8 0 u8 0 u8 1 u8 0 i32 0 pstring "Remote Control" }
resource 'WIND' 362 { i16 140 i16 760 i16 420 i16 1050 i16 8 u8 0 u8 0 u8 1 u8 0 i32 0 pstring "Markers" }
resource 'WIND' 364 { i16 100 i16 120 i16 500 i16 520 i16 8 u8 0 u8 0 u8 1 u8 0 i32 0 pstring "Plug-ins" }
resource 'WIND' 365 { i16 400 i16 100 i16 720 i16 940 i16 8 u8 0 u8 0 u8 1 u8 0 i32 0 pstring "Mixer" }
resource 'WIND' 300 { i16 60 i16 291 i16 131 i16 497 i16 1985 u8 0 u8 0 u8 0 u8 0 i32 0 pstring "" }

# The list windows' scroll bars (live scroll bars, procID 386; made hidden, the window's
# layout places and shows them): 133 and 134 the track window's vertical and horizontal bar,
# 130 the song list's, 131 the event list's and 138 the marker list's vertical bar.
resource 'CNTL' 130 "Song list scroll bar" {
  i16 0 i16 0 i16 100 i16 16 i16 0 u8 0 u8 0 i16 0 i16 0 i16 386 i32 0 pstring ""
}
resource 'CNTL' 131 "Event list scroll bar" {
  i16 0 i16 0 i16 100 i16 16 i16 0 u8 0 u8 0 i16 0 i16 0 i16 386 i32 0 pstring ""
}
resource 'CNTL' 133 "Track window vertical scroll bar" {
  i16 0 i16 0 i16 100 i16 16 i16 0 u8 0 u8 0 i16 0 i16 0 i16 386 i32 0 pstring ""
}
resource 'CNTL' 134 "Track window horizontal scroll bar" {
  i16 0 i16 0 i16 16 i16 100 i16 0 u8 0 u8 0 i16 0 i16 0 i16 386 i32 0 pstring ""
}
resource 'CNTL' 138 "Marker list scroll bar" {
  i16 0 i16 0 i16 100 i16 16 i16 0 u8 0 u8 0 i16 0 i16 0 i16 386 i32 0 pstring ""
}

# The track window's buttons beside its scroll bars (small bevel buttons, each made twice):
# 152 makes the rows lower and the overview wider, 153 the rows higher and the overview
# narrower. The window's layout places them.
resource 'CNTL' 152 "Track view smaller" {
  i16 0 i16 0 i16 16 i16 15 i16 0 u8 1 u8 0 i16 0 i16 0 i16 32 i32 0 pstring "-"
}
resource 'CNTL' 153 "Track view larger" {
  i16 0 i16 0 i16 16 i16 15 i16 0 u8 1 u8 0 i16 0 i16 0 i16 32 i32 0 pstring "+"
}

# The main editor's child-sequence button: a bevel button whose menu (255) lists the current
# track's child sequences; hidden until the tool bar places it.
resource 'CNTL' 255 "Child sequence button" {
  i16 0 i16 0 i16 18 i16 48 i16 255 u8 0 u8 0 i16 0 i16 0 i16 36 i32 0 pstring "Seq"
}
