# Messages about a track's audio, GetMessageString(n) reads item n; items not used are empty.
resource 'STR#' 154 "Audio messages" {
  ""                                                        # 1
  ""                                                        # 2
  ""                                                        # 3
  ""                                                        # 4
  "Silence"                                                 # 5: a silent region
  "File missing"                                            # 6: a region whose file is missing
  "Computing the waveform overview..."                      # 7: while the overview is computed
  ""                                                        # 8
  ""                                                        # 9
  ""                                                        # 10
  ""                                                        # 11
  ""                                                        # 12
  ""                                                        # 13
  ""                                                        # 14
  ""                                                        # 15
  ""                                                        # 16
  ""                                                        # 17
  ""                                                        # 18
  "Outputs:"                                                # 19: the mixer's routing line, one label
  "Stereo"                                                  # 20: the channel label under few busses
  "Outputs:"                                                # 21: the routing line, two labels or more
}
