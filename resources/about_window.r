# The about window, which is also the start-up splash: DLOG 556 and its items. Items 5, 6 and
# 7 are the links; their addresses are the strings of 'STR#' 556 in the same order. Item 3 is
# out of sight at first and is shown when the window has been up for half a minute.
# DITL item types: 8 static text (+128 disabled).

resource 'DLOG' 556 { i16 0 i16 0 i16 214 i16 400 i16 1 u8 0 u8 0 u8 0 u8 0 i32 0 i16 556 pstring "About Zarin" }

resource 'DITL' 556 "About Zarin" {
  i16 6
  u32 0 i16 20 i16 20 i16 44 i16 380 u8 136 pstring "Zarin 7" u8 0  # 1
  u32 0 i16 48 i16 20 i16 84 i16 380 u8 136 pstring "A MIDI and audio sequencer. Record, arrange, edit and mix your music." u8 0  # 2
  u32 0 i16 184 i16 20 i16 202 i16 380 u8 136 pstring "Click anywhere or press a key to close this window." u8 0  # 3
  u32 0 i16 92 i16 20 i16 108 i16 380 u8 136 pstring "Made by the Zarin team." u8 0  # 4
  u32 0 i16 120 i16 20 i16 136 i16 380 u8 8 pstring "Visit the Zarin home page" u8 0  # 5
  u32 0 i16 140 i16 20 i16 156 i16 380 u8 8 pstring "Check for updates" u8 0  # 6
  u32 0 i16 160 i16 20 i16 176 i16 380 u8 8 pstring "Get help and support"  # 7
}

resource 'STR#' 556 "About links" {
  "https://www.zarin-music.example/"
  "https://www.zarin-music.example/updates/"
  "https://www.zarin-music.example/support/"
}
