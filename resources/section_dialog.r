# The loop dialog of a track's sections: the section's start and end ticks and how often it
# repeats (a count, or endlessly).
resource 'NIBT' 1362 "tloop" {
  nib {
    window "tloop" {
      class movableModal
      attributes compositing
      frame 260 180 300 176
      title "Loop Section"
      view staticText { frame 16 16 80 16 text "Start tick:" }
      view editText { id 0 6 command 6 frame 104 16 100 16 text "1" }
      view staticText { frame 16 42 80 16 text "End tick:" }
      view editText { id 0 9 command 9 frame 104 42 100 16 text "1" }
      view radioButton { id 0 3 command 3 frame 16 74 80 18 title "Repeat" value 1 }
      view editText { id 0 5 command 5 frame 104 75 50 16 text "1" }
      view staticText { frame 162 76 60 16 text "times" }
      view radioButton { id 0 4 command 4 frame 16 100 200 18 title "Repeat endlessly" }
      view pushButton { id 0 2 command 'not!' frame 124 140 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 208 140 76 20 title "OK" default }
    }
  }
}
