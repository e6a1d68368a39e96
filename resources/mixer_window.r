# The mixer window's texts.
resource 'STR#' 151 "Mixer texts" {
  ""                                                        # 1
  ""                                                        # 2
  "No plug-ins here"                                        # 3: the selection has no rack to show
  "This track has no inserts"                               # 4: a track without a rack
  "In"                                                      # 5: rack fader 0, the input level
  "Dry"                                                     # 6: rack fader 1, the dry level
  "Out"                                                     # 7: rack fader 2, the output level
  "Edit"                                                    # 8: a row's editor button
}
