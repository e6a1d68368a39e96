# The names of a two-state data lane's scale (the plug-in lane's on and off entry): item 1 at
# the lower half, item 2 at the upper half; the readout shows them too.
resource 'STR#' 167 "Two-state lane" {
  "Off"                                                     # 1
  "On"                                                      # 2
}
