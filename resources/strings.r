# The general text list. GetAppString(n) reads item n + 1; items not used are empty.
resource 'STR#' 129 "General texts" {
  ""                                                        # 1
  ""                                                        # 2
  "Instrument"                                              # 3: instrument name before its channel
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
  ""                                                        # 14
  ""                                                        # 15
  ""                                                        # 16
  ""                                                        # 17
  ""                                                        # 18
  ""                                                        # 19
  ""                                                        # 20
  ""                                                        # 21
  ""                                                        # 22
  ""                                                        # 23
  "None"                                                    # 24: none (GetAppString 23)
  ""                                                        # 25
  ""                                                        # 26
  ""                                                        # 27
  "(empty)"                                                 # 28: an empty slot in the song list
  "Songs"                                                   # 29: the song list's title
  "Copy of "                                                # 30: prefix of a copied song's name
  "Sequence "                                               # 31: child sequence window title
  "Song "                                                   # 32: song window title
  ""                                                        # 33
  ""                                                        # 34
  ""                                                        # 35
  "Locked to time"                                          # 36: marker locked to time
  "Locked to bars"                                          # 37: marker locked to bars
  "Colour of channel "                                      # 38: the channel colour picker's prompt
  ""                                                        # 39
  " ct"                                                     # 40: after the pitch-bend readout's cents (GetAppString 39)
  ""                                                        # 41
  ""                                                        # 42
  ""                                                        # 43
  "Controller "                                             # 44: a controller without a name
  ""                                                        # 45
  ""                                                        # 46
  ""                                                        # 47
  "New Name…"                                               # 48: new note name
  "New Set…"                                                # 49: new drum set
  "All Notes"                                               # 50: all notes
  ""                                                        # 51
  ""                                                        # 52
  ""                                                        # 53
  "Length"                                                  # 54: the song list's time column, durations
  "Time left"                                               # 55: the song list's time column, time left
  "Total"                                                   # 56: the song list's total before its sum
  ""                                                        # 57
  "The movie of the song could not be found."               # 58
  ""                                                        # 59
  ""                                                        # 60
  "Keep the reference to look for the file again next time, forget the reference, or find the file." # 61
  "An audio file the song plays could not be found."        # 62
  ""                                                        # 63
  ""                                                        # 64
  ""                                                        # 65
  ""                                                        # 66
  ""                                                        # 67
  ""                                                        # 68
  ""                                                        # 69
  ""                                                        # 70
  ""                                                        # 71
  "An error occurred."                                      # 72: no 'SERR' 128
  ""                                                        # 73
  "A resource the program needs is missing."                # 74: fatal: missing resource
  "There is not enough memory to continue."                 # 75: fatal: memory exhausted
  "This system is too old to run Zarin."                    # 76: fatal: system too old
  ""                                                        # 77
  ""                                                        # 78
  ""                                                        # 79
  ""                                                        # 80
  ""                                                        # 81
  ""                                                        # 82
  "The appearance services Zarin needs are not available."  # 83: fatal: no appearance services
  "All"                                                     # 84: all channels (channel above 16)
  ""                                                        # 85
  "Colour drawing is not available."                        # 86: fatal: no colour drawing
  ""                                                        # 87
  ""                                                        # 88
  ""                                                        # 89
  ""                                                        # 90
  ""                                                        # 91
  ""                                                        # 92
  ""                                                        # 93
  "Default Instrument"                                      # 94: instrument defaults title
  ": Program Names"                                         # 95: after the instrument name in the title
  ""                                                        # 96
  ""                                                        # 97
  "Sequence"                                                # 98: track holding a sequence
  ""                                                        # 99
  ""                                                        # 100
  "New Instrument..."                                        # 101: a new instrument for an output (GetAppString 100)
  ""                                                        # 102
  ""                                                        # 103
  "All Inputs"                                              # 104: all inputs (GetAppString 103)
  ""                                                        # 105
  ""                                                        # 106
  ""                                                        # 107
  ""                                                        # 108
  ""                                                        # 109
  "Instruments"                                             # 110: the instrument window's title (GetAppString 109)
  "Keyboard"                                                # 111: on-screen keyboard (GetAppString 110)
}
