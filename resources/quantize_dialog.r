# The quantize dialog of the Transform menu (and of the record-pass options).

resource 'NIBT' 1420 "sequan" {
  nib {
    window "sequan" {
      class movableModal
      attributes compositing
      frame 220 130 400 236
      title "Quantize"
      view checkBox { id 0 3 command 3 frame 20 16 170 18 title "Start times" }
      view checkBox { id 0 4 command 4 frame 20 38 170 18 title "Durations (note ends)" }
      view checkBox { id 0 7 command 7 frame 20 60 170 18 title "Also triplet positions" }
      view radioButton { id 0 8 command 8 frame 210 16 170 18 title "To the note grid" value 1 }
      view staticText { frame 20 94 150 16 text "Grid in ticks:" }
      view editText { id 0 11 frame 180 94 60 16 text "192" }
      view littleArrows { id 0 32 frame 246 92 13 22 min 0 max 17 }
      view userPane { id 0 20 frame 272 90 40 24 }
      view staticText { frame 20 124 150 16 text "Strength (%):" }
      view editText { id 0 13 frame 180 124 60 16 text "100" }
      view staticText { frame 20 150 150 16 text "Swing (%, 50 straight):" }
      view editText { id 0 14 frame 180 150 60 16 text "50" }
      view littleArrows { id 0 19 frame 246 134 13 22 min 0 max 300 }
      view pushButton { id 0 15 command 'HELP' frame 16 204 60 20 title "Help" }
      view pushButton { id 0 2 command 'not!' frame 224 204 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 312 204 76 20 title "OK" default }
    }
  }
}
