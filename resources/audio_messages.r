# Messages about a track's audio, GetMessageString(n) reads item n; items not used are empty.
resource 'STR#' 154 "Audio messages" {
  ""                                                        # 1
  ""                                                        # 2
  ""                                                        # 3
  ""                                                        # 4
  "Silence"                                                 # 5: a silent region
  "File missing"                                            # 6: a region whose file is missing
  "Computing the waveform overview..."                      # 7: while the overview is computed
}
