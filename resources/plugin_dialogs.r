# The plug-in's MIDI filter: the message kinds 3-8 (status 9 to 0xE), the 16 filter bytes
# shown in 10, the flag 14, the channels 18-33, and the buttons that set (34) and clear (35)
# every channel box.
resource 'DLOG' 581 { i16 80 i16 80 i16 410 i16 570 i16 5 u8 0 u8 0 u8 0 u8 0 i32 0 i16 581 pstring "MIDI Filter" }

resource 'DITL' 581 "plug-in MIDI filter" {
  i16 34
  u32 0 i16 300 i16 400 i16 320 i16 470 u8 4 pstring "OK"  # 1
  u32 0 i16 300 i16 310 i16 320 i16 380 u8 4 pstring "Cancel"  # 2
  u32 0 i16 34 i16 20 i16 52 i16 200 u8 5 pstring "Notes" u8 0  # 3
  u32 0 i16 54 i16 20 i16 72 i16 200 u8 5 pstring "Poly Pressure" u8 0  # 4
  u32 0 i16 74 i16 20 i16 92 i16 200 u8 5 pstring "Controllers" u8 0  # 5
  u32 0 i16 94 i16 20 i16 112 i16 200 u8 5 pstring "Program Changes" u8 0  # 6
  u32 0 i16 114 i16 20 i16 132 i16 200 u8 5 pstring "Channel Pressure"  # 7
  u32 0 i16 134 i16 20 i16 152 i16 200 u8 5 pstring "Pitch Bend"  # 8
  u32 0 i16 12 i16 20 i16 30 i16 200 u8 136 pstring "Messages that pass:" u8 0  # 9
  u32 0 i16 162 i16 20 i16 178 i16 470 u8 136 pstring ""  # 10
  u32 0 i16 12 i16 230 i16 30 i16 470 u8 136 pstring "Channels that pass:" u8 0  # 11
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 pstring ""  # 12
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 pstring ""  # 13
  u32 0 i16 186 i16 20 i16 204 i16 470 u8 5 pstring "Filter flag" u8 0  # 14
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 pstring ""  # 15
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 pstring ""  # 16
  u32 0 i16 0 i16 0 i16 0 i16 0 u8 136 pstring ""  # 17
  u32 0 i16 34 i16 230 i16 52 i16 285 u8 5 pstring "1" u8 0  # 18
  u32 0 i16 34 i16 290 i16 52 i16 345 u8 5 pstring "2" u8 0  # 19
  u32 0 i16 34 i16 350 i16 52 i16 405 u8 5 pstring "3" u8 0  # 20
  u32 0 i16 34 i16 410 i16 52 i16 465 u8 5 pstring "4" u8 0  # 21
  u32 0 i16 54 i16 230 i16 72 i16 285 u8 5 pstring "5" u8 0  # 22
  u32 0 i16 54 i16 290 i16 72 i16 345 u8 5 pstring "6" u8 0  # 23
  u32 0 i16 54 i16 350 i16 72 i16 405 u8 5 pstring "7" u8 0  # 24
  u32 0 i16 54 i16 410 i16 72 i16 465 u8 5 pstring "8" u8 0  # 25
  u32 0 i16 74 i16 230 i16 92 i16 285 u8 5 pstring "9" u8 0  # 26
  u32 0 i16 74 i16 290 i16 92 i16 345 u8 5 pstring "10"  # 27
  u32 0 i16 74 i16 350 i16 92 i16 405 u8 5 pstring "11"  # 28
  u32 0 i16 74 i16 410 i16 92 i16 465 u8 5 pstring "12"  # 29
  u32 0 i16 94 i16 230 i16 112 i16 285 u8 5 pstring "13"  # 30
  u32 0 i16 94 i16 290 i16 112 i16 345 u8 5 pstring "14"  # 31
  u32 0 i16 94 i16 350 i16 112 i16 405 u8 5 pstring "15"  # 32
  u32 0 i16 94 i16 410 i16 112 i16 465 u8 5 pstring "16"  # 33
  u32 0 i16 120 i16 230 i16 140 i16 300 u8 4 pstring "All" u8 0  # 34
  u32 0 i16 120 i16 310 i16 140 i16 380 u8 4 pstring "None"  # 35
}

# The plug-in information dialog: the chain's latency in samples (3) and milliseconds (4), and
# the plug-in's four-character id (5); the window takes the plug-in's name as its title.
resource 'NIBT' 1363 "plugininfo" {
  nib {
    window "plugininfo" {
      class movableModal
      attributes compositing
      frame 200 120 300 150
      title "Plug-in"
      view staticText { frame 16 14 160 16 text "Latency (samples):" }
      view staticText { id 0 3 frame 180 14 100 16 text "0" }
      view staticText { frame 16 36 160 16 text "Latency (ms):" }
      view staticText { id 0 4 frame 180 36 100 16 text "0" }
      view staticText { frame 16 58 160 16 text "Plug-in ID:" }
      view staticText { id 0 5 frame 180 58 100 16 text "" }
      view pushButton { id 0 1 command 'ok  ' frame 204 116 76 20 title "OK" default }
    }
  }
}
