# The place of an aux send shown in the instrument window's program field, and its pop-up:
# item 2 after the strip's fader, item 3 before it (also the mixer header's input-map toggle).
resource 'STR#' 168 "Send placement" {
  "Send"                                                    # 1
  "Post"                                                    # 2: after the fader
  "Pre"                                                     # 3: before the fader
}
