# The Preferences dialog: DLOG 600 holds the common items (1 OK, 2 Cancel, 3 apply the clock
# source now, 4 the page pop-up of 'CNTL' 600 with 'MENU' 600); each page's items come from
# a 'DITL' of their own, laid over the window while the page is shown: page 1 DITL 144,
# page 2 DITL 143, page 3 DITL 157, page 4 DITL 153, page 5 DITL 155. Item types: 4 button,
# 5 check box, 6 radio button, 7 control, 8 static text, 16 edit text, 0 user item; +128
# disabled.

resource 'DLOG' 600 "Preferences" {
  i16 130 i16 100 i16 550 i16 640 i16 5 u8 0 u8 0 u8 0 u8 0 i32 0 i16 600
  pstring "Preferences" u8 0 u16 0x300A
}

resource 'DITL' 600 "Preferences items" {
  i16 3
  u32 0 i16 388 i16 450 i16 408 i16 526 u8 4 pstring "OK"  # 1
  u32 0 i16 388 i16 362 i16 408 i16 438 u8 4 pstring "Cancel"  # 2
  u32 0 i16 388 i16 14 i16 408 i16 140 u8 4 pstring "Apply Clock" u8 0  # 3
  u32 0 i16 10 i16 14 i16 30 i16 260 u8 7 u8 2 i16 600  # 4
}

resource 'CNTL' 600 "Preferences pages" {
  i16 10 i16 14 i16 30 i16 260 i16 0 u8 1 u8 0 i16 60 i16 600 i16 1008 i32 0 pstring "Page:"
}

resource 'MENU' 600 {
  i16 600 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Pages"
  pstring "Display and Options" u8 0 u8 0 u8 0 u8 0
  pstring "Clock Source" u8 0 u8 0 u8 0 u8 0
  pstring "Memory and Undo" u8 0 u8 0 u8 0 u8 0
  pstring "About Settings" u8 0 u8 0 u8 0 u8 0
  pstring "Drawing" u8 0 u8 0 u8 0 u8 0
  u8 0
}

# Page 1: display and options.
resource 'DITL' 144 "Display and options" {
  i16 24
  u32 0 i16 44 i16 14 i16 60 i16 300 u8 136 pstring "Display" u8 0  # 1
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 u8 0  # 2
  u32 0 i16 66 i16 24 i16 84 i16 200 u8 6 pstring "Names first" u8 0  # 3
  u32 0 i16 86 i16 24 i16 104 i16 200 u8 6 pstring "Numbers first" u8 0  # 4
  u32 0 i16 110 i16 24 i16 128 i16 260 u8 5 pstring "Show track numbers"  # 5
  u32 0 i16 66 i16 280 i16 84 i16 526 u8 6 pstring "Middle C is C3"  # 6
  u32 0 i16 86 i16 280 i16 104 i16 526 u8 6 pstring "Middle C is C4"  # 7
  u32 0 i16 110 i16 280 i16 128 i16 526 u8 5 pstring "Pass MIDI input through" u8 0  # 8
  u32 0 i16 66 i16 204 i16 104 i16 260 u8 8 pstring "Order" u8 0  # 9
  u32 0 i16 138 i16 24 i16 156 i16 260 u8 6 pstring "Windows open in place" u8 0  # 10
  u32 0 i16 158 i16 24 i16 176 i16 260 u8 6 pstring "Windows open near the mouse" u8 0  # 11
  u32 0 i16 188 i16 24 i16 204 i16 110 u8 136 pstring "Colours:"  # 12
  u32 0 i16 186 i16 120 i16 206 i16 150 u8 0 u8 0  # 13
  u32 0 i16 186 i16 160 i16 206 i16 190 u8 0 u8 0  # 14
  u32 0 i16 186 i16 200 i16 206 i16 230 u8 0 u8 0  # 15
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 u8 0  # 16
  u32 0 i16 216 i16 24 i16 234 i16 260 u8 5 pstring "Keep windows on screen"  # 17
  u32 0 i16 236 i16 24 i16 254 i16 260 u8 5 pstring "Theme text drawing"  # 18
  u32 0 i16 256 i16 24 i16 274 i16 260 u8 5 pstring "Pop-ups as standard menus" u8 0  # 19
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 u8 0  # 20
  u32 0 i16 138 i16 280 i16 156 i16 526 u8 5 pstring "Stop at the song end"  # 21
  u32 0 i16 158 i16 280 i16 176 i16 526 u8 5 pstring "Record audio as AIFF"  # 22
  u32 0 i16 216 i16 280 i16 234 i16 526 u8 5 pstring "Send to every MIDI destination"  # 23
  u32 0 i16 236 i16 280 i16 254 i16 526 u8 5 pstring "Show the splash window"  # 24
  u32 0 i16 256 i16 280 i16 274 i16 526 u8 5 pstring "Show tool tips"  # 25
}

# Page 2: the clock source.
resource 'DITL' 143 "Clock source" {
  i16 4
  u32 0 i16 44 i16 14 i16 60 i16 300 u8 136 pstring "Clock source"  # 1
  u32 0 i16 66 i16 24 i16 84 i16 400 u8 6 pstring "Hardware timer"  # 2
  u32 0 i16 86 i16 24 i16 104 i16 400 u8 6 pstring "Internal timer"  # 3
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 u8 0  # 4
  u32 0 i16 116 i16 24 i16 134 i16 500 u8 5 pstring "Time-stamp MIDI input with the host clock" u8 0  # 5
}

# Page 3: memory and undo. Item 1 is the arrow button beside the number fields.
resource 'DITL' 157 "Memory and undo" {
  i16 20
  u32 0 i16 60 i16 300 i16 96 i16 316 u8 0 u8 0  # 1
  u32 0 i16 44 i16 14 i16 60 i16 300 u8 136 pstring "Memory and undo" u8 0  # 2
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 u8 0  # 3
  u32 0 i16 66 i16 220 i16 82 i16 280 u8 16 u8 0  # 4
  u32 0 i16 90 i16 220 i16 106 i16 280 u8 16 u8 0  # 5
  u32 0 i16 114 i16 220 i16 130 i16 280 u8 16 u8 0  # 6
  u32 0 i16 138 i16 220 i16 154 i16 280 u8 16 u8 0  # 7
  u32 0 i16 66 i16 24 i16 82 i16 210 u8 136 pstring "Event buffer (K):" u8 0  # 8
  u32 0 i16 90 i16 24 i16 106 i16 210 u8 136 pstring "MIDI input buffer (K):"  # 9
  u32 0 i16 114 i16 24 i16 130 i16 210 u8 136 pstring "Buffers:"  # 10
  u32 0 i16 138 i16 24 i16 154 i16 210 u8 136 pstring "MIDI output buffer (K):" u8 0  # 11
  u32 0 i16 162 i16 24 i16 178 i16 210 u8 136 pstring "Events per pass:"  # 12
  u32 0 i16 186 i16 24 i16 202 i16 210 u8 136 pstring "Undo levels:"  # 13
  u32 0 i16 210 i16 24 i16 226 i16 210 u8 136 pstring "Events kept by undo:"  # 14
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 u8 0  # 15
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 u8 0  # 16
  u32 0 i16 162 i16 220 i16 178 i16 280 u8 16 u8 0  # 17
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 u8 0  # 18
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 u8 0  # 19
  u32 0 i16 186 i16 220 i16 202 i16 280 u8 16 u8 0  # 20
  u32 0 i16 210 i16 220 i16 226 i16 280 u8 16 u8 0  # 21
}

# Page 4: nothing to set; a note on where the settings are kept.
resource 'DITL' 153 "About settings" {
  i16 0
  u32 0 i16 44 i16 14 i16 120 i16 526 u8 136 pstring "The settings are saved in the preferences file when you click OK. Cancel puts back every setting as it was when the dialog opened."
}

# Page 5: drawing options and the display refresh period.
resource 'DITL' 155 "Drawing" {
  i16 7
  u32 0 i16 44 i16 14 i16 60 i16 300 u8 136 pstring "Drawing" u8 0  # 1
  u32 0 i16 66 i16 24 i16 84 i16 400 u8 5 pstring "Smooth scrolling"  # 2
  u32 0 i16 86 i16 24 i16 104 i16 400 u8 5 pstring "Draw notes with velocity shading"  # 3
  u32 0 i16 106 i16 24 i16 124 i16 400 u8 5 pstring "Draw notes in one colour"  # 4
  u32 0 i16 126 i16 24 i16 144 i16 400 u8 5 pstring "Show the song position line" u8 0  # 5
  u32 0 i16 160 i16 24 i16 176 i16 250 u8 136 pstring "Display refresh period (microseconds):"  # 6
  u32 0 i16 160 i16 260 i16 176 i16 340 u8 16 u8 0  # 7
  u32 0 i16 150 i16 346 i16 186 i16 362 u8 0 u8 0  # 8
}
