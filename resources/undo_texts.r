# The Edit menu's Undo and Redo items: the plain texts, then what each kind of step is
# called (item kind + 1); kinds without a name show only the plain text.
resource 'STR#' 145 "Undo menu texts" {
  "Undo "                                                   # 1: Undo item
  "Redo "                                                   # 2: Redo item
}

resource 'STR#' 501 "Undo step names" {
  "Edit"                                                    # kind 0
  "Typing"                                                  # kind 1
  "Insert"                                                  # kind 2
  "Delete"                                                  # kind 3
  "Cut"                                                     # kind 4
  "Paste"                                                   # kind 5
  "Clear"                                                   # kind 6
  "New Track"                                               # kind 7
  "Delete Tracks"                                           # kind 8
  "Tempo Change"                                            # kind 9
  "Meter Change"                                            # kind 10
  "Key Change"                                              # kind 11
  "Marker Change"                                           # kind 12
  "Transpose"                                               # kind 13
  "Quantize"                                                # kind 14
  "Move"                                                    # kind 15
}
