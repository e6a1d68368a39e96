# The info panel's texts: the sync source names (item n + 1 for source n), the counter mode
# names (items 16-18 for modes 0-2), the output label of a track without an output, and the
# contextual menu of the counter's forward button (tempo or varispeed).
resource 'STR#' 136 "Info panel texts" {
  "Internal"                                                # 1: sync source 0
  "Internal (audio clock)"                                  # 2: sync source 1
  "MIDI Time Code"                                          # 3: sync source 2
  "MIDI Clock"                                              # 4: sync source 3
  "MTC + Machine Control"                                   # 5: sync source 4
  "Movie"                                                   # 6: sync source 5
  "Audio Sample Clock"                                      # 7: sync source 6
  "External Device"                                         # 8: sync source 7
  "Cy"                                                      # 9: the cycle indicator
  "Pu"                                                      # 10: the punch indicator
  "Cl"                                                      # 11: the click indicator
  ""                                                        # 12
  ""                                                        # 13
  ""                                                        # 14
  ""                                                        # 15
  "Bars"                                                    # 16: counter mode 0
  "Time Code"                                               # 17: counter mode 1
  "Samples"                                                 # 18: counter mode 2
}

resource 'STR#' 139 "Device list texts" {
  "No Output"                                               # 1: a track without an output
}

resource 'MENU' 207 {
  i16 207 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Tempo Mode"
  pstring "Show Tempo or Rate" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Off" u8 0 u8 0 u8 0 u8 0
  pstring "Tempo" u8 0 u8 0 u8 0 u8 0
  pstring "Varispeed" u8 0 u8 0 u8 0 u8 0
  u8 0
}
