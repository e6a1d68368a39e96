# Nib windows of the settings dialogs. Each 'NIBT' resource is named after its nib, and the
# nib holds one window of the same name (see platform/nib/nib_format.h for the text form).

resource 'NIBT' 1310 "chase" {
  nib {
    window "chase" {
      class movableModal
      attributes compositing
      frame 240 140 440 316
      title "Chase Options"
      view staticText { frame 16 14 408 16 text "When playback starts or the song position moves, send the latest:" }
      view checkBox { id 0 3 command 3 frame 24 38 190 18 title "Polyphonic pressure" }
      view checkBox { id 0 4 command 4 frame 24 60 190 18 title "Controllers" }
      view checkBox { id 0 5 command 5 frame 24 82 190 18 title "Program changes" }
      view checkBox { id 0 6 command 6 frame 224 38 190 18 title "Channel pressure" }
      view checkBox { id 0 7 command 7 frame 224 60 190 18 title "Pitch bend" }
      view checkBox { id 0 8 command 8 frame 224 82 190 18 title "System exclusive" }
      view checkBox { id 0 9 command 9 frame 24 110 390 18 title "Send every program change, not only the last" }
      view staticText { frame 24 142 200 16 text "Chase range in bars (0: all):" }
      view editText { id 0 11 frame 236 142 60 16 text "0" }
      view staticText { frame 24 166 200 16 text "Pause after set-up (1/60 s):" }
      view editText { id 0 12 frame 236 166 60 16 text "0" }
      view staticText { frame 24 190 200 16 text "Messages per pause:" }
      view editText { id 0 13 frame 236 190 60 16 text "0" }
      view littleArrows { id 0 14 frame 302 164 13 22 min 0 max 65535 }
      view checkBox { id 0 16 command 16 frame 24 220 390 18 title "Chase track switches when playback starts" }
      view checkBox { id 0 17 command 17 frame 24 242 390 18 title "Chase track switches while playing" }
      view staticText { id 0 18 frame 44 262 370 16 text "Switches follow each track's instrument mode." font small }
      view pushButton { id 0 15 command 'HELP' frame 16 288 60 20 title "Help" }
      view pushButton { id 0 2 command 'not!' frame 264 288 76 20 title "Cancel" cancel }
      view pushButton { id 0 1 command 'ok  ' frame 352 288 76 20 title "OK" default }
    }
  }
}
