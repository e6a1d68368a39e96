# Messages about the preferences file.
resource 'STR#' 146 "Preferences messages" {
  "The preferences file could not be read. The default settings are used; your drum sets, chord types and presets are kept."  # 1: damaged preferences
}
