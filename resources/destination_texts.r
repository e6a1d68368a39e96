# The instrument window's texts: items 1-17 label its strips' fields; item kind + 20 begins the
# label of a destination of that kind in the go-to menus (the number and name follow); items
# 30-35 are the window's menu of shown strips.
resource 'STR#' 138 "Destination texts" {
  "Output"                                                  # 1: the output field
  "Channel"                                                 # 2: the channel field
  "Program"                                                 # 3: the program or plug-in field
  "Pan"                                                     # 4: the pan field
  "Volume"                                                  # 5: the volume field
  "Send"                                                    # 6: the program field while a send is shown
  ""                                                        # 7
  ""                                                        # 8
  ""                                                        # 9
  "Master"                                                  # 10: the master strip and the label column
  "Several"                                                 # 11: more than one output part in use
  "Part Off"                                                # 12: the shown output part is not in use
  "No Output"                                               # 13: no output part in use
  "Patches"                                                 # 14: the patch-list field
  ""                                                        # 15
  ""                                                        # 16
  "Instruments"                                             # 17: the column heading
  ""                                                        # 18
  ""                                                        # 19
  ""                                                        # 20
  "Track "                                                  # 21: a track
  "Aux "                                                    # 22: an aux bus
  "Insert "                                                 # 23: an insert
  "Instrument "                                             # 24: an instrument
  ""                                                        # 25
  "Click "                                                  # 26: the click output
  "Output "                                                 # 27: an output beyond the aux busses
  "Jukebox "                                                # 28: the jukebox
  ""                                                        # 29
  "Show All Strips"                                         # 30: show every strip
  "Show Strips With Plug-ins"                               # 31: show the strips with a plug-in
  "Show Strips Without Plug-ins"                            # 32: show the strips without one
  "Hide Selected Strips"                                    # 33: hide the selected strips
  "Hide Strips With Plug-ins"                               # 34: hide the strips with a plug-in
  "Hide Strips Without Plug-ins"                            # 35: hide the strips without one
}
