# The mixer's menus. 196: the header's contextual menu (items 1, 2 and 4 lead to the
# submenus built at run time, 6 the expanded view). 7502: a plug-in's contextual menu (the
# item number is the command; 7 leads to the colours, 7503).
resource 'MENU' 196 {
  i16 196 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Channel"
  pstring "Used By" u8 0 u8 0 u8 0 u8 0
  pstring "Goes To" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Input Channels" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Compact View" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 7502 {
  i16 7502 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Plug-in"
  pstring "Remove" u8 0 u8 0 u8 0 u8 0
  pstring "Clear Automation" u8 0 u8 0 u8 0 u8 0
  pstring "MIDI Filter..." u8 0 u8 0 u8 0 u8 0
  pstring "Information..." u8 0 u8 0 u8 0 u8 0
  pstring "Show Without Parameters" u8 0 u8 0 u8 0 u8 0
  pstring "Show in Plug-in Chooser" u8 0 u8 0 u8 0 u8 0
  pstring "Colour" u8 0 u8 0 u8 0 u8 0
  pstring "Open Editor" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 7503 {
  i16 7503 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Colour"
  pstring "Grey" u8 0 u8 0 u8 0 u8 0
  pstring "Blue" u8 0 u8 0 u8 0 u8 0
  pstring "Green" u8 0 u8 0 u8 0 u8 0
  pstring "Red" u8 0 u8 0 u8 0 u8 0
  pstring "Orange" u8 0 u8 0 u8 0 u8 0
  pstring "Purple" u8 0 u8 0 u8 0 u8 0
  pstring "Teal" u8 0 u8 0 u8 0 u8 0
  pstring "Brown" u8 0 u8 0 u8 0 u8 0
  u8 0
}

# The commands of a slot's plug-in pop-up.
resource 'STR#' 214 "Insert slot commands" {
  "Plug-in"                                                 # 1: the slot (a title)
  "Open Editor"                                             # 2: the slot plug-in's editor
  "Remove Plug-in"                                          # 3: removes the slot's plug-in
  "Recent Plug-ins"                                         # 4: the recent plug-ins
}

# The mixer's own menu texts.
resource 'STR#' 215 "Mixer menu texts" {
  "New Aux Buss"                                            # 1: the send menu's new bus
  "Multiple Outputs"                                        # 2: the track output's count
}
