# The titles of the main editor's view modes: item mode + 2 for view modes 0..16, shown in a
# pane header's mode column (not in the tempo lane's) and in the view-mode pop-up.
resource 'STR#' 147 "View modes" {
  ""                      # 1
  "Notes"                 # 2: mode 0
  "Drums"                 # 3: mode 1
  "Pitch Bend"            # 4: mode 2
  "Controller"            # 5: mode 3
  "Velocity"              # 6: mode 4
  "Channel Pressure"      # 7: mode 5
  "Program Change"        # 8: mode 6
  "Poly Pressure"         # 9: mode 7
  "Tempo"                 # 10: mode 8
  "Audio"                 # 11: mode 9
  "Volume"                # 12: mode 10
  "Pan"                   # 13: mode 11
  "Plug-in Parameter"     # 14: mode 12
  "Send Level"            # 15: mode 13
  "Send Pan"              # 16: mode 14
  "Master Volume"         # 17: mode 15
  "Drum Map"              # 18: mode 16
}
