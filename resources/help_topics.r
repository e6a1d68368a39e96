# The Help menu's topics: each item of MENU 498 that is not a switch names an 'MhmI' whose
# 32-bit value at byte 4 is the help topic it opens.
resource 'MhmI' 128 "Zarin Help" { u32 0 u32 0 }
resource 'MhmI' 129 "Zarin Manual" { u32 0 u32 2 }
