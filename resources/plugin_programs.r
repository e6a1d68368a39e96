# The plug-in programs' texts.

# The plug-in folder names: item 8 is the presets folder of the audio folder.
resource 'STR#' 181 "Plug-in folder names" {
  ""
  ""
  ""
  ""
  ""
  ""
  ""
  "Presets"
}

# The program pop-up of a plug-in row, and the word a plug-in's preset folder is named with.
resource 'STR#' 183 "Plug-in program texts" {
  "Save Program As…"
  "Save Bank As…"
  "Programs"
  "User Presets"
  "Presets"
}
