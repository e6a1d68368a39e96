# Nib windows of the humanize, durations and channel transforms (ids 1400..1409; the other
# transform dialogs take 1410..1449 in files of their own).
resource 'NIBT' 1400 "hum" {
  nib {
    window "hum" {
      class movableModal
      attributes compositing
      frame 240 140 420 262
      title "Humanize"
      view checkBox { id 0 3 command 3 frame 16 14 180 18 title "Humanize timing" }
      view radioButton { id 0 14 command 14 frame 36 38 140 18 title "Range in ticks:" }
      view editText { id 0 7 command 7 frame 196 38 60 16 text "10" }
      view radioButton { id 0 15 command 15 frame 36 62 150 18 title "Range in % of length:" }
      view editText { id 0 8 command 8 frame 196 62 60 16 text "5" }
      view staticText { frame 36 86 150 16 text "Earlier part in %:" }
      view editText { id 0 9 command 9 frame 196 86 60 16 text "50" }
      view checkBox { id 0 4 command 4 frame 16 114 170 18 title "Durations by % :" }
      view editText { id 0 10 command 10 frame 196 114 60 16 text "5" }
      view checkBox { id 0 5 command 5 frame 16 140 170 18 title "Velocities by:" }
      view editText { id 0 11 command 11 frame 196 140 60 16 text "10" }
      view checkBox { id 0 6 command 6 frame 16 166 170 18 title "Tempo by BPM:" }
      view editText { id 0 12 command 12 frame 196 166 60 16 text "0.0" }
      view littleArrows { id 0 13 frame 264 86 13 22 min 0 max 9999 }
      view pushButton { id 0 16 command 'HELP' frame 16 226 60 20 title "Help" }
      view pushButton { id 0 2 command 'not!' frame 244 226 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 332 226 76 20 title "OK" default }
    }
  }
}

resource 'NIBT' 1401 "dur" {
  nib {
    window "dur" {
      class movableModal
      attributes compositing
      frame 240 140 440 300
      title "Change Duration"
      view radioButton { id 0 3 command 3 frame 16 14 170 18 title "Set to length:" }
      view editText { id 0 8 command 8 frame 196 14 60 16 text "96" }
      view userPane { id 0 14 frame 266 10 40 24 }
      view littleArrows { id 0 20 frame 312 10 13 22 min 0 max 65535 }
      view radioButton { id 0 4 command 4 frame 16 40 170 18 title "Scale from % to %:" }
      view editText { id 0 9 command 9 frame 196 40 60 16 text "100" }
      view editText { id 0 11 command 11 frame 266 40 60 16 text "100" }
      view radioButton { id 0 5 command 5 frame 16 66 170 18 title "Legato, gap in ticks:" }
      view editText { id 0 12 command 12 frame 196 66 60 16 text "48" }
      view radioButton { id 0 6 command 6 frame 16 92 170 18 title "Add ticks:" }
      view editText { id 0 10 command 10 frame 196 92 60 16 text "0" }
      view radioButton { id 0 7 command 7 frame 16 118 170 18 title "Scale by %:" }
      view editText { id 0 15 command 15 frame 196 118 60 16 text "100" }
      view checkBox { id 0 18 command 18 frame 16 150 300 18 title "Re-space the notes a length apart" }
      view checkBox { id 0 19 command 19 frame 16 176 220 18 title "Remove overlaps, gap in ticks:" }
      view editText { id 0 13 command 13 frame 246 176 60 16 text "0" }
      view pushButton { id 0 16 command 'HELP' frame 16 264 60 20 title "Help" }
      view pushButton { id 0 2 command 'not!' frame 264 264 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 352 264 76 20 title "OK" default }
    }
  }
}

resource 'NIBT' 1402 "chn" {
  nib {
    window "chn" {
      class movableModal
      attributes compositing
      frame 260 180 260 100
      title "Change Channel"
      view staticText { frame 16 18 120 16 text "MIDI channel:" }
      view editText { id 0 3 command 3 frame 140 18 50 16 text "1" }
      view littleArrows { id 0 4 frame 198 14 13 22 min 1 max 16 }
      view pushButton { id 0 2 command 'not!' frame 84 64 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 168 64 76 20 title "OK" default }
    }
  }
}
