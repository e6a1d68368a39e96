# The value transforms of the Transform menu: velocity, limit, thin, and the controller and
# pitch-bend value dialogs.

resource 'NIBT' 1430 "vel" {
  nib {
    window "vel" {
      class movableModal
      attributes compositing
      frame 240 140 420 330
      title "Velocity"
      view radioButton { id 0 3 command 3 frame 16 12 120 18 title "Velocity" value 1 }
      view radioButton { id 0 4 command 4 frame 150 12 160 18 title "Release velocity" }
      view radioButton { id 0 5 command 5 frame 16 44 150 18 title "Set to" value 1 }
      view editText { id 0 10 command 10 frame 180 45 60 16 text "64" }
      view radioButton { id 0 6 command 6 frame 16 70 150 18 title "Add" }
      view editText { id 0 11 command 11 frame 180 71 60 16 text "0" }
      view radioButton { id 0 7 command 7 frame 16 96 150 18 title "Scale by percent" }
      view editText { id 0 12 command 12 frame 180 97 60 16 text "100" }
      view radioButton { id 0 8 command 8 frame 16 122 150 18 title "Ramp from / to" }
      view editText { id 0 13 command 13 frame 180 123 60 16 text "64" }
      view editText { id 0 14 command 14 frame 250 123 60 16 text "64" }
      view radioButton { id 0 9 command 9 frame 16 148 150 18 title "Percent ramp from / to" }
      view editText { id 0 15 command 15 frame 180 149 60 16 text "75" }
      view editText { id 0 16 command 16 frame 250 149 60 16 text "125" }
      view littleArrows { id 0 19 frame 320 96 13 22 min 0 max 127 }
      view checkBox { id 0 21 command 21 frame 16 190 200 18 title "Change the top bit" }
      view radioButton { id 0 22 command 22 frame 36 214 120 18 title "Clear it" value 1 }
      view radioButton { id 0 23 command 23 frame 170 214 120 18 title "Set it" }
      view pushButton { id 0 2 command 'not!' frame 244 296 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 332 296 76 20 title "OK" default }
    }
  }
}

resource 'NIBT' 1431 "lim" {
  nib {
    window "lim" {
      class movableModal
      attributes compositing
      frame 240 140 400 250
      title "Limit Values"
      view radioButton { id 0 3 command 3 frame 16 12 180 18 title "Velocity" value 1 }
      view radioButton { id 0 4 command 4 frame 16 34 180 18 title "Release velocity" }
      view radioButton { id 0 5 command 5 frame 16 56 180 18 title "Channel pressure" }
      view radioButton { id 0 6 command 6 frame 16 78 180 18 title "Controllers" }
      view radioButton { id 0 7 command 7 frame 210 56 180 18 title "All controllers" value 1 }
      view radioButton { id 0 8 command 8 frame 210 78 120 18 title "Only controller" }
      view editText { id 0 9 command 9 frame 332 79 50 16 text "1" }
      view staticText { frame 16 116 100 16 text "Minimum:" }
      view editText { id 0 10 command 10 frame 120 116 60 16 text "0" }
      view staticText { frame 16 142 100 16 text "Maximum:" }
      view editText { id 0 11 command 11 frame 120 142 60 16 text "127" }
      view littleArrows { id 0 12 frame 190 126 13 22 min 0 max 127 }
      view pushButton { id 0 2 command 'not!' frame 224 216 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 312 216 76 20 title "OK" default }
    }
  }
}

resource 'NIBT' 1432 "thin" {
  nib {
    window "thin" {
      class movableModal
      attributes compositing
      frame 240 140 420 280
      title "Thin Data"
      view checkBox { id 0 3 command 3 frame 16 12 180 18 title "Pitch bend" value 1 }
      view checkBox { id 0 4 command 4 frame 16 34 180 18 title "Channel pressure" value 1 }
      view checkBox { id 0 5 command 5 frame 16 56 180 18 title "Polyphonic pressure" value 1 }
      view checkBox { id 0 6 command 6 frame 16 78 180 18 title "Controllers" value 1 }
      view radioButton { id 0 9 command 9 frame 210 56 180 18 title "All controllers" value 1 }
      view radioButton { id 0 10 command 10 frame 210 78 120 18 title "Only controller" }
      view editText { id 0 11 command 11 frame 332 79 50 16 text "1" }
      view checkBox { id 0 7 command 7 frame 16 116 220 18 title "When the value changes less than" }
      view editText { id 0 12 command 12 frame 240 117 50 16 text "10" }
      view checkBox { id 0 8 command 8 frame 16 142 220 18 title "When closer in ticks than" }
      view editText { id 0 13 command 13 frame 240 143 50 16 text "10" }
      view littleArrows { id 0 14 frame 300 126 13 22 min 0 max 255 }
      view pushButton { id 0 2 command 'not!' frame 244 246 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 332 246 76 20 title "OK" default }
    }
  }
}

resource 'NIBT' 1433 "conmidi" {
  nib {
    window "conmidi" {
      class movableModal
      attributes compositing
      frame 240 140 420 300
      title "Controller Values"
      view radioButton { id 0 3 command 3 frame 16 12 130 18 title "Modulation" value 1 }
      view radioButton { id 0 4 command 4 frame 16 34 150 18 title "Channel pressure" }
      view radioButton { id 0 5 command 5 frame 16 56 100 18 title "Controller" }
      view editText { id 0 6 command 6 frame 120 57 50 16 text "1" }
      view staticText { id 0 16 frame 180 57 200 16 text "" }
      view radioButton { id 0 7 command 7 frame 16 92 150 18 title "Set to" value 1 }
      view editText { id 0 11 command 11 frame 180 93 60 16 text "64" }
      view radioButton { id 0 8 command 8 frame 16 118 150 18 title "Add" }
      view editText { id 0 12 command 12 frame 180 119 60 16 text "0" }
      view radioButton { id 0 9 command 9 frame 16 144 150 18 title "Scale by percent" }
      view editText { id 0 13 command 13 frame 180 145 60 16 text "100" }
      view radioButton { id 0 10 command 10 frame 16 170 150 18 title "Ramp from / to" }
      view editText { id 0 14 command 14 frame 180 171 60 16 text "64" }
      view editText { id 0 15 command 15 frame 250 171 60 16 text "64" }
      view littleArrows { id 0 17 frame 320 130 13 22 min 0 max 127 }
      view pushButton { id 0 2 command 'not!' frame 244 266 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 332 266 76 20 title "OK" default }
    }
  }
}

resource 'NIBT' 1434 "pb" {
  nib {
    window "pb" {
      class movableModal
      attributes compositing
      frame 240 140 420 280
      title "Pitch Bend Values"
      view radioButton { id 0 3 command 3 frame 16 12 150 18 title "Set to (cents)" value 1 }
      view editText { id 0 7 command 7 frame 180 13 60 16 text "0" }
      view radioButton { id 0 4 command 4 frame 16 38 150 18 title "Add (cents)" }
      view editText { id 0 8 command 8 frame 180 39 60 16 text "0" }
      view radioButton { id 0 5 command 5 frame 16 64 150 18 title "Scale by percent" }
      view editText { id 0 9 command 9 frame 180 65 60 16 text "100" }
      view radioButton { id 0 6 command 6 frame 16 90 150 18 title "Ramp from / to" }
      view editText { id 0 10 command 10 frame 180 91 60 16 text "0" }
      view editText { id 0 11 command 11 frame 250 91 60 16 text "0" }
      view staticText { frame 16 130 160 16 text "Bend range (semitones):" }
      view editText { id 0 12 command 12 frame 180 130 60 16 text "2" }
      view littleArrows { id 0 14 frame 320 60 13 22 min 0 max 127 }
      view checkBox { id 0 13 command 13 frame 16 156 260 18 title "Keep this bend range" }
      view pushButton { id 0 2 command 'not!' frame 244 246 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 332 246 76 20 title "OK" default }
    }
  }
}

resource 'NIBT' 1435 "conaudio" {
  nib {
    window "conaudio" {
      class movableModal
      attributes compositing
      frame 240 140 420 250
      title "Automation Values"
      view staticText { id 0 12 frame 16 12 380 16 text "" }
      view radioButton { id 0 3 command 3 frame 16 40 150 18 title "Set to" value 1 }
      view editText { id 0 7 command 7 frame 180 41 70 16 text "0" }
      view radioButton { id 0 4 command 4 frame 16 66 150 18 title "Add" }
      view editText { id 0 8 command 8 frame 180 67 70 16 text "0" }
      view radioButton { id 0 5 command 5 frame 16 92 150 18 title "Scale by percent" }
      view editText { id 0 9 command 9 frame 180 93 70 16 text "100" }
      view radioButton { id 0 6 command 6 frame 16 118 150 18 title "Ramp from / to" }
      view editText { id 0 10 command 10 frame 180 119 70 16 text "0" }
      view editText { id 0 11 command 11 frame 260 119 70 16 text "0" }
      view pushButton { id 0 2 command 'not!' frame 244 216 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 332 216 76 20 title "OK" default }
    }
  }
}
