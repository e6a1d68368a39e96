# Error texts. ReportError looks a negative code up in 'SERR' 128 first, then in the
# range tables: a 'SERR' with a negative id covers the codes id .. id + count - 1.

resource 'SERR' 128 "Error texts" {
  errtable {
    -4 "This is not supported yet."
    -33 "The folder is full."
    -34 "The disk is full."
    -35 "The disk could not be found."
    -36 "A disk input or output error occurred."
    -37 "The name is not a valid file name."
    -38 "The file is not open."
    -39 "The end of the file was reached unexpectedly."
    -40 "A position before the start of the file was asked for."
    -41 "There is not enough memory to open the file."
    -42 "Too many files are open."
    -43 "The file could not be found."
    -44 "The disk is write-protected."
    -45 "The file is locked."
    -46 "The disk is locked."
    -47 "The file is in use."
    -48 "A file with this name already exists."
    -49 "The file is already open for writing."
    -50 "A value passed to the system was not valid."
    -51 "The file reference is not valid."
    -52 "The position in the file could not be read."
    -53 "The disk is not available."
    -54 "Permission to open the file was denied."
    -55 "The disk is already in use."
    -56 "The drive could not be found."
    -57 "The disk's format is not recognised."
    -58 "The disk belongs to another file system."
    -59 "The file could not be renamed."
    -60 "The disk's directory is damaged."
    -61 "Permission to write to the file was denied."
    -108 "There is not enough memory."
    -109 "A memory block is missing."
    -111 "A memory block was released twice."
    -117 "A memory block is locked and cannot be changed."
    -120 "The folder could not be found."
    -121 "Too many folders are open."
    -122 "The item cannot be moved there."
    -128 "The operation was cancelled."
    -192 "A resource the program needs could not be found."
    -193 "The resource file could not be found."
    -194 "A resource could not be added."
    -196 "A resource could not be removed."
    -198 "The resource is protected."
    -199 "The resource file is damaged."
    -206 "A picture the program needs is damaged."
    -208 "A plug-in's stored settings are damaged."
    -209 "The edit buffer is already in use."
    -1302 "The item is a folder, not a file."
    -1320 "The items are on different disks."
    -2080 "The instrument table is damaged."
    -2084 "The preferences file holds no settings."
    -2085 "The preferences file is damaged."
    -2086 "The window layout is damaged."
    -2087 "A block of the file is larger than the file allows."
    -2088 "A block of the file is damaged."
    -2089 "The preset file is damaged: its sizes and counts do not fit the file."
    -2110 "The file's path is too long."
    -5000 "Access to the item was denied."
  }
}

# File Manager codes -50 .. -41.
resource 'SERR' -50 "File errors" {
  rangetable {
    "A value passed to the system was not valid."               # -50
    "The file is already open for writing."                     # -49
    "A file with this name already exists."                     # -48
    "The file is in use."                                       # -47
    "The disk is locked."                                       # -46
    "The file is locked."                                       # -45
    "The disk is write-protected."                              # -44
    "The file could not be found."                              # -43
    "Too many files are open."                                  # -42
    "There is not enough memory to open the file."              # -41
  }
}

# Resource Manager codes -199 .. -192.
resource 'SERR' -199 "Resource errors" {
  rangetable {
    "The resource file is damaged."                             # -199
    "The resource is protected."                                # -198
    "A resource reference could not be removed."                # -197
    "A resource could not be removed."                          # -196
    "A resource reference could not be added."                  # -195
    "A resource could not be added."                            # -194
    "The resource file could not be found."                     # -193
    "A resource the program needs could not be found."          # -192
  }
}

# The application's messages. ReportError(c) for a positive code c shows item c + 1.
# Each line is marked with its code; items without a message are empty.
resource 'STR#' 505 "Application messages" {
  "The operation finished, but part of its result could not be kept."  # 0: writer message on close (flag bit 0)
  "The operation finished, but part of its data was left out."  # 1: writer message on close (flag bit 1)
  "Too many tasks were waiting; all activity has been stopped."  # 2: idle-task stack emptied
  "The audio engine did not answer in time; the track was changed without waiting for it."  # 3: track edit wait timed out
  "No more songs can be added: all 16 song slots are in use."  # 4: song slots full
  "The cycle cannot start: the left and right locators are at the same position."  # 5: cycle with equal locators
  ""                                                          # 6
  ""                                                          # 7
  ""                                                          # 8
  ""                                                          # 9
  "A song that contains sequences cannot be used here."  # 10: child sequences
  "There is not enough memory to make this step undoable. The undo history has been cleared."  # 11: undo step failed
  ""                                                          # 12
  "The disk is full."                                         # 13: disk full while writing
  "This file was made by a version that is too old to be read."  # 14: document version too old
  "This file was made by a newer version of Zarin, or it is damaged."  # 15: document version too new
  ""                                                          # 16
  "Select a range of time first."                             # 17: empty time selection
  ""                                                          # 18
  ""                                                          # 19
  ""                                                          # 20
  "Parts of this file cannot be loaded now and were left out."  # 21: document slots not allowed
  ""                                                          # 22
  ""                                                          # 23
  ""                                                          # 24
  ""                                                          # 25
  "There is not enough memory for the tempo and meter map."  # 26: conductor map allocation
  "The number is out of range."                               # 27: dialog value out of range
  ""                                                          # 28
  ""                                                          # 29
  ""                                                          # 30
  ""                                                          # 31
  ""                                                          # 32
  ""                                                          # 33
  "The groove has no notes."                                  # 34: groove without notes
  "Choose start times, durations or both to quantize."  # 35: nothing to quantize
  "There is not enough memory for the system-exclusive buffer."  # 36: sysex buffer allocation
  "The hexadecimal text is not valid: it must begin with F0, end with F7, and its data bytes must not exceed 7F."  # 37: bad sysex hex text
  ""                                                          # 38
  "Nothing could be mapped."                                  # 39: nothing mapped
  "The file holds no complete system-exclusive message."  # 40: sysex file without a message
  "The system-exclusive file ends inside a message; nothing was imported."  # 41: dump cut short
  ""                                                          # 42
  "This file is not a Standard MIDI File."                    # 43: no MIDI header
  "A file of another kind already has this name. Choose another name."  # 44: save over a file of another type
  ""                                                          # 45
  ""                                                          # 46
  ""                                                          # 47
  "The file was not imported: it cannot be played as it is and was not converted."  # 48: unplayable file not converted
  ""                                                          # 49
  ""                                                          # 50
  ""                                                          # 51
  ""                                                          # 52
  ""                                                          # 53
  ""                                                          # 54
  ""                                                          # 55
  ""                                                          # 56
  ""                                                          # 57
  "Select a track first."                                     # 58: no selected track
  ""                                                          # 59
  ""                                                          # 60
  ""                                                          # 61
  ""                                                          # 62
  ""                                                          # 63
  ""                                                          # 64
  ""                                                          # 65
  "No MIDI inputs or outputs were found."                     # 66: no MIDI endpoints
  ""                                                          # 67
  ""                                                          # 68
  ""                                                          # 69
  "Check the audio device settings."                          # 70: audio set-up notice
  "The MIDI file is damaged: a track is missing or cut short."  # 71: MIDI track chunk missing
  ""                                                          # 72
  "The audio plug-in could not be found."                     # 73: plug-in component missing
  ""                                                          # 74
  ""                                                          # 75
  ""                                                          # 76
  "The audio plug-in could not be opened: it is not an effect, or there is not enough memory."  # 77: plug-in open failed
  "The audio plug-in has more than 128 outputs."              # 78: plug-in outputs
  ""                                                          # 79
  "It is not a Standard MIDI File: its header chunk is shorter than 6 bytes."  # 80
  "Its MIDI header gives an unknown format: only formats 0, 1 and 2 exist."  # 81
  "Its MIDI header gives a time division of zero ticks per quarter note."  # 82
  "Only its first 47 tracks were read: a song takes at most 47 tracks from a MIDI file. Tracks left out:"  # 83
  "It is not a song document, a Standard MIDI File or any other kind of file this program opens."  # 84
  "The file is empty."  # 85
  "Its side file (resource fork and Finder information) is damaged, so it was ignored."  # 86
  "It is damaged. It was set aside with \".damaged\" added to its name, and the built-in settings are used."  # 87
  "It is not a complete Standard MIDI File: its header chunk runs past the end of the file."  # 88
  "It is damaged. It was set aside with \".damaged\" added to its name, and the plug-ins are examined again."  # 89: plug-in information file
  ""                                                          # 90
  ""                                                          # 91
  ""                                                          # 92
  ""                                                          # 93
  ""                                                          # 94
  ""                                                          # 95
  ""                                                          # 96
  ""                                                          # 97
  ""                                                          # 98
  ""                                                          # 99
  ""                                                          # 100
  "A track that plays audio cannot hold a song as a sequence."  # 101: a song dropped on an audio track
  "A song cannot be dropped on a track in this song mode."  # 102: a song dropped in song mode 1
  ""                                                          # 103
  ""                                                          # 104
  ""                                                          # 105
  ""                                                          # 106
  ""                                                          # 107
  ""                                                          # 108
  ""                                                          # 109
  "The chosen input channels are not available on the audio input device."  # 110: record input channels
  ""                                                          # 111
  ""                                                          # 112
  "A media file of this song was changed by another program. Its audio may not play as before."  # 113: media file changed
}
