# Groove templates: each 'GRVE' block is a song header with one track entry (668 bytes), whose
# entry names the 'TRKD' resource that holds its events. Quantize with a groove pulls notes to
# the nearest note of the groove, repeated every loop length, and velocities and durations
# toward the groove's.

resource 'GRVE' 1 "Swing eighths" {
  zeros 404                   # song header
  u16 264                     # track entry: record length
  zeros 2
  u32 480                       # ticks per quarter the groove was made at
  zeros 52
  u32 1921                      # length: the loop is one tick shorter
  zeros 4
  i16 128                       # its 'TRKD' events
  zeros 194
}

resource 'TRKD' 128 "Swing eighths" {
  u32 1 u8 0 u8 0x90 u8 42 u8 100 u8 0 u8 0 u8 0 u8 1 u16 200
  u32 321 u8 0 u8 0x90 u8 42 u8 70 u8 0 u8 0 u8 0 u8 1 u16 120
  u32 481 u8 0 u8 0x90 u8 42 u8 100 u8 0 u8 0 u8 0 u8 1 u16 200
  u32 801 u8 0 u8 0x90 u8 42 u8 70 u8 0 u8 0 u8 0 u8 1 u16 120
  u32 961 u8 0 u8 0x90 u8 42 u8 100 u8 0 u8 0 u8 0 u8 1 u16 200
  u32 1281 u8 0 u8 0x90 u8 42 u8 70 u8 0 u8 0 u8 0 u8 1 u16 120
  u32 1441 u8 0 u8 0x90 u8 42 u8 100 u8 0 u8 0 u8 0 u8 1 u16 200
  u32 1761 u8 0 u8 0x90 u8 42 u8 70 u8 0 u8 0 u8 0 u8 1 u16 120
  zeros 14                    # end record
}

resource 'GRVE' 2 "Shuffle sixteenths" {
  zeros 404                   # song header
  u16 264                     # track entry: record length
  zeros 2
  u32 96                        # ticks per quarter the groove was made at
  zeros 52
  u32 385                       # length: the loop is one tick shorter
  zeros 4
  i16 129                       # its 'TRKD' events
  zeros 194
}

resource 'TRKD' 129 "Shuffle sixteenths" {
  u32 1 u8 0 u8 0x90 u8 42 u8 96 u8 0 u8 0 u8 0 u8 1 u16 12
  u32 33 u8 0 u8 0x90 u8 42 u8 64 u8 0 u8 0 u8 0 u8 1 u16 8
  u32 49 u8 0 u8 0x90 u8 42 u8 96 u8 0 u8 0 u8 0 u8 1 u16 12
  u32 81 u8 0 u8 0x90 u8 42 u8 64 u8 0 u8 0 u8 0 u8 1 u16 8
  u32 97 u8 0 u8 0x90 u8 42 u8 96 u8 0 u8 0 u8 0 u8 1 u16 12
  u32 129 u8 0 u8 0x90 u8 42 u8 64 u8 0 u8 0 u8 0 u8 1 u16 8
  u32 145 u8 0 u8 0x90 u8 42 u8 96 u8 0 u8 0 u8 0 u8 1 u16 12
  u32 177 u8 0 u8 0x90 u8 42 u8 64 u8 0 u8 0 u8 0 u8 1 u16 8
  u32 193 u8 0 u8 0x90 u8 42 u8 96 u8 0 u8 0 u8 0 u8 1 u16 12
  u32 225 u8 0 u8 0x90 u8 42 u8 64 u8 0 u8 0 u8 0 u8 1 u16 8
  u32 241 u8 0 u8 0x90 u8 42 u8 96 u8 0 u8 0 u8 0 u8 1 u16 12
  u32 273 u8 0 u8 0x90 u8 42 u8 64 u8 0 u8 0 u8 0 u8 1 u16 8
  u32 289 u8 0 u8 0x90 u8 42 u8 96 u8 0 u8 0 u8 0 u8 1 u16 12
  u32 321 u8 0 u8 0x90 u8 42 u8 64 u8 0 u8 0 u8 0 u8 1 u16 8
  u32 337 u8 0 u8 0x90 u8 42 u8 96 u8 0 u8 0 u8 0 u8 1 u16 12
  u32 369 u8 0 u8 0x90 u8 42 u8 64 u8 0 u8 0 u8 0 u8 1 u16 8
  zeros 14                    # end record
}
