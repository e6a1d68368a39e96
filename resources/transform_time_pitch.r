# The shift and nudge dialogs, the transpose dialog, and the note and program-change event
# dialogs of the main editor.
resource 'NIBT' 1390 "shift" {
  nib {
    window "shift" {
      class movableModal
      attributes compositing
      frame 260 180 300 170
      title "Shift"
      view staticText { frame 16 16 268 16 text "Move the selection by:" }
      view staticText { frame 16 42 40 16 text "Bars" }
      view editText { id 0 3 command 3 frame 16 60 60 16 text "0" }
      view staticText { frame 92 42 40 16 text "Beats" }
      view editText { id 0 4 command 4 frame 92 60 60 16 text "0" }
      view staticText { frame 168 42 40 16 text "Ticks" }
      view editText { id 0 5 command 5 frame 168 60 60 16 text "0" }
      view littleArrows { id 0 8 frame 236 57 13 22 min 0 max 9999 }
      view radioButton { id 0 6 command 6 frame 16 90 120 18 title "Later" value 1 }
      view radioButton { id 0 7 command 7 frame 140 90 120 18 title "Earlier" }
      view pushButton { id 0 2 command 'not!' frame 124 134 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 208 134 76 20 title "OK" default }
    }
  }
}
resource 'NIBT' 1391 "nudge" {
  nib {
    window "nudge" {
      class movableModal
      attributes compositing
      frame 260 180 320 176
      title "Nudge"
      view staticText { frame 16 16 288 16 text "A nudge moves the selection by:" }
      view radioButton { id 0 4 command 4 frame 16 40 70 18 title "Ticks:" }
      view editText { id 0 3 command 3 frame 92 41 60 16 text "1" }
      view littleArrows { id 0 7 command 7 frame 160 38 13 22 min 0 max 480 }
      view radioButton { id 0 5 command 5 frame 16 64 200 18 title "One screen pixel" value 1 }
      view staticText { frame 16 98 150 16 text "Velocity key step:" }
      view editText { id 0 6 command 6 frame 170 98 50 16 text "3" }
      view littleArrows { id 0 8 command 8 frame 228 95 13 22 min 0 max 127 }
      view pushButton { id 0 2 command 'not!' frame 144 140 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 228 140 76 20 title "OK" default }
    }
  }
}
resource 'NIBT' 1392 "transp" {
  nib {
    window "transp" {
      class movableModal
      attributes compositing
      frame 240 140 460 300
      title "Transpose"
      view radioButton { id 0 3 command 3 frame 16 16 200 18 title "Transpose by scale steps" value 1 }
      view radioButton { id 0 4 command 4 frame 16 40 200 18 title "Map one scale onto another" }
      view radioButton { id 0 5 command 5 frame 16 64 200 18 title "Move every note to" }
      view radioButton { id 0 6 command 6 frame 16 88 200 18 title "Use the note map as it is" }
      view editText { id 0 12 command 12 frame 222 65 50 16 text "C3" }
      view staticText { frame 16 120 60 16 text "From:" }
      view editText { id 0 8 command 8 frame 80 120 50 16 text "C3" }
      view staticText { frame 142 120 30 16 text "to:" }
      view editText { id 0 9 command 9 frame 176 120 50 16 text "C3" }
      view littleArrows { id 0 17 frame 234 117 13 22 min 0 max 127 }
      view staticText { frame 16 150 90 16 text "Steps in:" }
      view popupButton { id 0 7 frame 110 148 60 20 title "" }
      view popupButton { id 0 16 frame 176 148 180 20 title "" }
      view staticText { frame 16 178 90 16 text "Source scale:" }
      view popupButton { id 0 10 frame 110 176 60 20 title "" }
      view popupButton { id 0 14 frame 176 176 180 20 title "" }
      view staticText { frame 16 206 90 16 text "Target scale:" }
      view popupButton { id 0 11 frame 110 204 60 20 title "" }
      view popupButton { id 0 15 frame 176 204 180 20 title "" }
      view checkBox { id 0 13 command 13 frame 16 234 340 18 title "Snap notes outside the scale to it" }
      view pushButton { id 0 2 command 'not!' frame 284 266 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 368 266 76 20 title "OK" default }
    }
  }
}
resource 'NIBT' 1393 "NoteEvent" {
  nib {
    window "NoteEvent" {
      class movableModal
      attributes compositing
      frame 240 160 420 230
      title "Note"
      view staticText { frame 16 16 70 16 text "Time:" }
      view editText { id 0 1 command 1 frame 90 16 50 16 text "1" }
      view editText { id 0 2 command 2 frame 146 16 40 16 text "1" }
      view editText { id 0 3 command 3 frame 192 16 50 16 text "0" }
      view littleArrows { id 0 100 frame 250 13 13 22 min 0 max 127 }
      view staticText { frame 16 42 70 16 text "Pitch:" }
      view editText { id 0 4 command 4 frame 90 42 50 16 text "C3" }
      view staticText { frame 16 68 70 16 text "Velocity:" }
      view editText { id 0 5 command 5 frame 90 68 50 16 text "64" }
      view staticText { id 0 16 frame 150 68 110 16 text "" }
      view staticText { id 0 17 frame 264 68 60 16 text "" }
      view staticText { frame 16 94 70 16 text "Length:" }
      view editText { id 0 6 command 6 frame 90 94 50 16 text "0" }
      view editText { id 0 7 command 7 frame 146 94 40 16 text "1" }
      view editText { id 0 8 command 8 frame 192 94 50 16 text "0" }
      view pushButton { id 0 18 command 18 frame 250 92 60 20 title "Note" }
      view staticText { frame 16 120 70 16 text "Channel:" }
      view editText { id 0 9 command 9 frame 90 120 50 16 text "1" }
      view staticText { frame 16 146 70 16 text "Release:" }
      view editText { id 0 10 command 10 frame 90 146 50 16 text "0" }
      view pushButton { id 0 19 command 'DELE' frame 16 194 76 20 title "Delete" }
      view pushButton { id 0 20 command 'DUPL' frame 100 194 90 20 title "Duplicate" }
      view pushButton { id 0 21 command 'not!' frame 252 194 76 20 title "Cancel" cancel }
      view pushButton { id 0 22 command 'ok  ' frame 336 194 76 20 title "OK" default }
    }
  }
}
resource 'NIBT' 1394 "ProgramEvent" {
  nib {
    window "ProgramEvent" {
      class movableModal
      attributes compositing
      frame 240 160 360 160
      title "Program Change"
      view staticText { frame 16 16 70 16 text "Time:" }
      view editText { id 0 1 command 1 frame 90 16 50 16 text "1" }
      view editText { id 0 2 command 2 frame 146 16 40 16 text "1" }
      view editText { id 0 3 command 3 frame 192 16 50 16 text "0" }
      view littleArrows { id 0 100 frame 250 13 13 22 min 0 max 127 }
      view staticText { frame 16 42 70 16 text "Channel:" }
      view editText { id 0 9 command 9 frame 90 42 50 16 text "1" }
      view staticText { frame 16 68 70 16 text "Program:" }
      view editText { id 0 11 command 11 frame 90 68 50 16 text "0" }
      view pushButton { id 0 19 command 'DELE' frame 16 124 76 20 title "Delete" }
      view pushButton { id 0 21 command 'not!' frame 192 124 76 20 title "Cancel" cancel }
      view pushButton { id 0 22 command 'ok  ' frame 276 124 76 20 title "OK" default }
    }
  }
}
