# The parameter lane's texts, GetIndString(155, n) reads item n; items not used are empty.
resource 'STR#' 155 "Lane parameter texts" {
  ""                                                        # 1
  ""                                                        # 2
  ""                                                        # 3
  ""                                                        # 4
  ""                                                        # 5
  ""                                                        # 6
  ""                                                        # 7
  ""                                                        # 8
  ""                                                        # 9
  ""                                                        # 10
  ""                                                        # 11
  ""                                                        # 12
  ""                                                        # 13
  "Parameter "                                              # 14: a parameter without a name
  ""                                                        # 15
  "Special 1"                                               # 16: entry -4
  "Special 2"                                               # 17: entry -3
  "Bypass"                                                  # 18: entry -2
  "Mute"                                                    # 19: entry -1
}
