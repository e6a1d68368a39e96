# The song list window: its contextual menu and its settings dialog.

resource 'MENU' 220 {
  i16 220 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Songs"
  pstring "Add a Song Slot" u8 0 u8 0 u8 0 u8 0
  pstring "Remove Selected Songs" u8 0 u8 0 u8 0 u8 0
  u8 0
}

# Settings: the pause between songs 3, the total time 11, the time column 12..14.

resource 'DLOG' 147 { i16 100 i16 100 i16 330 i16 460 i16 5 u8 0 u8 0 u8 0 u8 0 i32 0 i16 147 pstring "Song List Settings" }

resource 'DITL' 147 "song list settings" {
  i16 13
  u32 0 i16 196 i16 276 i16 216 i16 346 u8 4 pstring "OK"  # 1
  u32 0 i16 196 i16 186 i16 216 i16 256 u8 4 pstring "Cancel"  # 2
  u32 0 i16 14 i16 180 i16 30 i16 220 u8 16 pstring ""  # 3
  u32 0 i16 14 i16 14 i16 30 i16 170 u8 136 pstring "Pause between songs" u8 0  # 4
  u32 0 i16 14 i16 230 i16 30 i16 346 u8 136 pstring "seconds" u8 0  # 5
  u32 0 i16 72 i16 14 i16 88 i16 200 u8 136 pstring "Time column:"  # 6
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 pstring ""  # 7
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 pstring ""  # 8
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 pstring ""  # 9
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 pstring ""  # 10
  u32 0 i16 42 i16 14 i16 60 i16 300 u8 5 pstring "Show the total time" u8 0  # 11
  u32 0 i16 96 i16 30 i16 114 i16 300 u8 6 pstring "No times"  # 12
  u32 0 i16 120 i16 30 i16 138 i16 300 u8 6 pstring "Length of each song" u8 0  # 13
  u32 0 i16 144 i16 30 i16 162 i16 346 u8 6 pstring "Length, or time left while playing"  # 14
}

# The small name editor: the name 1, accept 2 (the default), cancel 3.

resource 'DLOG' 573 { i16 0 i16 0 i16 30 i16 260 i16 5 u8 0 u8 0 u8 0 u8 0 i32 0 i16 573 pstring "Name" }

resource 'DITL' 573 "name editor" {
  i16 2
  u32 0 i16 6 i16 6 i16 22 i16 150 u8 16 pstring ""  # 1
  u32 0 i16 4 i16 156 i16 24 i16 206 u8 4 pstring "OK"  # 2
  u32 0 i16 4 i16 210 i16 24 i16 256 u8 4 pstring "Cancel"  # 3
}
