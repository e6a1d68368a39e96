# The file dialogs' texts: the program's name in their titles, a title per dialog kind,
# the line above the file list, the check boxes some save dialogs add, and the text of
# the alert for a damaged MIDI file.
resource 'STR ' 1000 "Dialog client name" { "Zarin" }
resource 'STR ' 1200 "Damaged MIDI file" { "The MIDI file could not be read completely; a track is missing or damaged." }
# Item n: the title of dialog kind n.
resource 'STR#' 169 "File dialog titles" {
  "Open"                                                    # 1
  "Save"                                                    # 2
  ""                                                        # 3
  "Find a Missing File"                                     # 4
  ""                                                        # 5
  ""                                                        # 6
  ""                                                        # 7
  ""                                                        # 8
  ""                                                        # 9
  ""                                                        # 10
  ""                                                        # 11
  "Save Song As"                                            # 12
  ""                                                        # 13
  ""                                                        # 14
  ""                                                        # 15
  ""                                                        # 16
  ""                                                        # 17
  "Open Sound Bank"                                         # 18
  ""                                                        # 19
  ""                                                        # 20
  ""                                                        # 21
  ""                                                        # 22
  ""                                                        # 23
  "Save Names"                                              # 24
  ""                                                        # 25
  ""                                                        # 26
  ""                                                        # 27
  ""                                                        # 28
  ""                                                        # 29
  ""                                                        # 30
  ""                                                        # 31
  ""                                                        # 32
  ""                                                        # 33
  ""                                                        # 34
  ""                                                        # 35
  ""                                                        # 36
  ""                                                        # 37
  ""                                                        # 38
  ""                                                        # 39
  ""                                                        # 40
  ""                                                        # 41
  ""                                                        # 42
  ""                                                        # 43
  ""                                                        # 44
  ""                                                        # 45
  "Save Drum Set"                                           # 46
  ""                                                        # 47
  ""                                                        # 48
  ""                                                        # 49
  ""                                                        # 50
  ""                                                        # 51
  ""                                                        # 52
  ""                                                        # 53
  ""                                                        # 54
  ""                                                        # 55
  ""                                                        # 56
  ""                                                        # 57
  ""                                                        # 58
  ""                                                        # 59
  ""                                                        # 60
  ""                                                        # 61
  ""                                                        # 62
  ""                                                        # 63
  ""                                                        # 64
  ""                                                        # 65
  "Save Plug-in Preset"                                     # 66
}
# Item 1: opening, 2: saving, 4: finding a missing file, 7: choosing a folder.
resource 'STR#' 149 "File dialog messages" {
  "Choose a song document, bundle or Standard MIDI File."   # 1
  "Choose a name and a place for the file."                 # 2
  ""                                                        # 3
  "Choose the file the song refers to."                     # 4
  ""                                                        # 5
  ""                                                        # 6
  "Choose a folder."                                        # 7
}
# The check boxes of dialog kinds 12, 13 and 14.
resource 'STR#' 150 "File dialog choices" {
  "Save as a bundle (the song with its media in one folder)"
  "Include the audio"
  "Save the audio files with the song"
}
