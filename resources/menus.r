# The program's menus: the menu bar MBAR 128 and every 'MENU' it and its submenus name.
# MENU: id, width, height, definition, enable flags, title, then per item its text, icon,
# command key, mark (the submenu id when the key is 0x1B) and style, ended by a 0 byte.

resource 'MBAR' 128 { u16 9 i16 427 i16 428 i16 429 i16 430 i16 433 i16 440 i16 445 i16 435 i16 498 }

resource 'MENU' 427 {
  i16 427 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Zarin"
  pstring "About Zarin…" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Preferences…" u8 0 u8 44 u8 0 u8 0
  u8 0
}

resource 'MENU' 428 {
  i16 428 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "File"
  pstring "New" u8 0 u8 78 u8 0 u8 0
  pstring "Open…" u8 0 u8 27 u8 92 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Close" u8 0 u8 87 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Save" u8 0 u8 83 u8 0 u8 0
  pstring "Save As…" u8 0 u8 0 u8 0 u8 0
  pstring "Save a Copy As…" u8 0 u8 0 u8 0 u8 0
  pstring "Export Standard MIDI File…" u8 0 u8 0 u8 0 u8 0
  pstring "Revert" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Import Audio File" u8 0 u8 27 u8 93 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Export Audio Mix…" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Open Recent Media" u8 0 u8 27 u8 96 u8 0
  pstring "Import Standard MIDI File…" u8 0 u8 0 u8 0 u8 0
  pstring "Import System Exclusive Dump…" u8 0 u8 0 u8 0 u8 0
  pstring "Import Lyrics…" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Bounce to Audio File…" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Quit" u8 0 u8 81 u8 0 u8 0
  u8 0
}

resource 'MENU' 429 {
  i16 429 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Edit"
  pstring "Undo" u8 0 u8 90 u8 0 u8 0
  pstring "Redo" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Cut" u8 0 u8 88 u8 0 u8 0
  pstring "Copy" u8 0 u8 67 u8 0 u8 0
  pstring "Duplicate" u8 0 u8 0 u8 0 u8 0
  pstring "Paste" u8 0 u8 86 u8 0 u8 0
  pstring "Clear" u8 0 u8 0 u8 0 u8 0
  pstring "Delete Tracks" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Expand Sequences" u8 0 u8 0 u8 0 u8 0
  pstring "Merge" u8 0 u8 0 u8 0 u8 0
  pstring "Copy to New Track" u8 0 u8 0 u8 0 u8 0
  pstring "Extract by Criteria…" u8 0 u8 0 u8 0 u8 0
  pstring "Remove Time" u8 0 u8 0 u8 0 u8 0
  pstring "Insert Time" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Select All" u8 0 u8 65 u8 0 u8 0
  pstring "Selection Range…" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 430 {
  i16 430 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Transform"
  pstring "Quantize…" u8 0 u8 0 u8 0 u8 0
  pstring "Change Duration…" u8 0 u8 0 u8 0 u8 0
  pstring "Transpose…" u8 0 u8 0 u8 0 u8 0
  pstring "Humanize…" u8 0 u8 0 u8 0 u8 0
  pstring "Change Velocity…" u8 0 u8 0 u8 0 u8 0
  pstring "Change Channel…" u8 0 u8 0 u8 0 u8 0
  pstring "Shift…" u8 0 u8 0 u8 0 u8 0
  pstring "Change Controller Values…" u8 0 u8 0 u8 0 u8 0
  pstring "Change Pitch Bend…" u8 0 u8 0 u8 0 u8 0
  pstring "Limit Values…" u8 0 u8 0 u8 0 u8 0
  pstring "Thin Data…" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Tempo Change…" u8 0 u8 0 u8 0 u8 0
  pstring "Time and Key Signature…" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 433 {
  i16 433 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "View"
  pstring "List Display" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Show Track Colours" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Show Chosen Value" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 440 {
  i16 440 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Tools"
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Editor Command" u8 0 u8 0 u8 0 u8 0
  pstring "Editor Layout" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "New Instrument…" u8 0 u8 0 u8 0 u8 0
  pstring "Instrument Command" u8 0 u8 0 u8 0 u8 0
  pstring "Start-up Settings…" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Open Start-up Song" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Zoom Out" u8 0 u8 0 u8 0 u8 0
  pstring "Zoom In" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "MIDI Reset" u8 0 u8 27 u8 89 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Reset Window Positions" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 89 {
  i16 89 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "MIDI Reset"
  pstring "Universal System On" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Sound Module Reset 1" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Sound Module Reset 2" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "All Notes Off" u8 0 u8 0 u8 0 u8 0
  pstring "All Sound Off" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Local Control Off" u8 0 u8 0 u8 0 u8 0
  pstring "Local Control On" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Reset All Controllers" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Omni Off" u8 0 u8 0 u8 0 u8 0
  pstring "Omni On" u8 0 u8 0 u8 0 u8 0
  pstring "Mono Mode" u8 0 u8 0 u8 0 u8 0
  pstring "Poly Mode" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 435 {
  i16 435 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Window"
  pstring "Info Panel" u8 0 u8 49 u8 0 u8 0
  pstring "Jukebox" u8 0 u8 0 u8 0 u8 0
  pstring "On-screen Keyboard" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Song List" u8 0 u8 50 u8 0 u8 0
  pstring "Tracks" u8 0 u8 51 u8 0 u8 0
  pstring "Editor" u8 0 u8 52 u8 0 u8 0
  pstring "Event List" u8 0 u8 53 u8 0 u8 0
  pstring "Conductor List" u8 0 u8 0 u8 0 u8 0
  pstring "Instruments" u8 0 u8 54 u8 0 u8 0
  pstring "Markers" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Remote Control" u8 0 u8 0 u8 0 u8 0
  pstring "Loop" u8 0 u8 0 u8 0 u8 0
  pstring "Vezaze Zodaruzi" u8 0 u8 0 u8 0 u8 0
  pstring "Notepad" u8 0 u8 0 u8 0 u8 0
  pstring "Plug-in Chooser" u8 0 u8 0 u8 0 u8 0
  pstring "Mixer" u8 0 u8 55 u8 0 u8 0
  u8 0
}

resource 'MENU' 445 {
  i16 445 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Options"
  pstring "Region Filter…" u8 0 u8 0 u8 0 u8 0
  pstring "Region Presets…" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Speech" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Chase Settings…" u8 0 u8 0 u8 0 u8 0
  pstring "Performance Tools…" u8 0 u8 0 u8 0 u8 0
  pstring "Timebase…" u8 0 u8 0 u8 0 u8 0
  pstring "Sequencer Engine…" u8 0 u8 0 u8 0 u8 0
  pstring "Device Sets…" u8 0 u8 0 u8 0 u8 0
  pstring "Controller Names…" u8 0 u8 0 u8 0 u8 0
  pstring "Nudge…" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Audio Device Set-up…" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Event Dialog Settings…" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 498 {
  i16 498 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Help"
  pstring "Zarin Help" u8 0 u8 0 u8 0 u8 0
  pstring "Zarin Manual" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Show Help Tags" u8 0 u8 0 u8 0 u8 0
  pstring "Open the Local Manual" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 193 {
  i16 193 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Justification"
  pstring "Left" u8 0 u8 0 u8 0 u8 0
  pstring "Centre" u8 0 u8 0 u8 0 u8 0
  pstring "Right" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 77 {
  i16 77 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "ReWire"
  pstring "Enable ReWire" u8 0 u8 0 u8 0 u8 0
  pstring "Transport Sync" u8 0 u8 0 u8 0 u8 0
  pstring "Tempo Sync" u8 0 u8 0 u8 0 u8 0
  pstring "Open Panel" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 66 {
  i16 66 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Store Memory"
  pstring "Memory 1" u8 0 u8 0 u8 0 u8 0
  pstring "Memory 2" u8 0 u8 0 u8 0 u8 0
  pstring "Memory 3" u8 0 u8 0 u8 0 u8 0
  pstring "Memory 4" u8 0 u8 0 u8 0 u8 0
  pstring "Memory 5" u8 0 u8 0 u8 0 u8 0
  pstring "Memory 6" u8 0 u8 0 u8 0 u8 0
  pstring "Memory 7" u8 0 u8 0 u8 0 u8 0
  pstring "Memory 8" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 67 {
  i16 67 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Recall Memory"
  pstring "Memory 1" u8 0 u8 0 u8 0 u8 0
  pstring "Memory 2" u8 0 u8 0 u8 0 u8 0
  pstring "Memory 3" u8 0 u8 0 u8 0 u8 0
  pstring "Memory 4" u8 0 u8 0 u8 0 u8 0
  pstring "Memory 5" u8 0 u8 0 u8 0 u8 0
  pstring "Memory 6" u8 0 u8 0 u8 0 u8 0
  pstring "Memory 7" u8 0 u8 0 u8 0 u8 0
  pstring "Memory 8" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 68 {
  i16 68 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Instrument Window"
  pstring "Show Names" u8 0 u8 0 u8 0 u8 0
  pstring "Show Channels" u8 0 u8 0 u8 0 u8 0
  pstring "Show Inserts" u8 0 u8 0 u8 0 u8 0
  pstring "Show Sends" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 69 {
  i16 69 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Track Operations"
  pstring "Expand Sequence References" u8 0 u8 0 u8 0 u8 0
  pstring "Add Events to Tracks" u8 0 u8 0 u8 0 u8 0
  pstring "Unroll Sections" u8 0 u8 0 u8 0 u8 0
  pstring "Split Tracks by Channel" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 86 {
  i16 86 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Track Commands"
  pstring "Mute Tracks" u8 0 u8 0 u8 0 u8 0
  pstring "Unmute Tracks" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Process Tracks…" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Link Tracks" u8 0 u8 0 u8 0 u8 0
  pstring "Group Tracks" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 91 {
  i16 91 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Track Display"
  pstring "Normal" u8 0 u8 0 u8 0 u8 0
  pstring "Highlighted" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 87 {
  i16 87 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Refresh"
  pstring "Continuous" u8 0 u8 0 u8 0 u8 0
  pstring "Page" u8 0 u8 0 u8 0 u8 0
  pstring "None" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Follow Song Position" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 88 {
  i16 88 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Scrolling"
  pstring "Scroll with Song" u8 0 u8 0 u8 0 u8 0
  pstring "Scroll by Page" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 70 {
  i16 70 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Editor Display"
  pstring "Notes" u8 0 u8 0 u8 0 u8 0
  pstring "Velocities" u8 0 u8 0 u8 0 u8 0
  pstring "Durations" u8 0 u8 0 u8 0 u8 0
  pstring "Controllers" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Show Grid" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 72 {
  i16 72 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Grid Value"
  pstring "Whole" u8 0 u8 0 u8 0 u8 0
  pstring "Half" u8 0 u8 0 u8 0 u8 0
  pstring "Quarter" u8 0 u8 0 u8 0 u8 0
  pstring "Triplets" u8 0 u8 0 u8 0 u8 0
  pstring "Eighth" u8 0 u8 0 u8 0 u8 0
  pstring "Sixteenth" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 79 {
  i16 79 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Display Size"
  pstring "Small" u8 0 u8 0 u8 0 u8 0
  pstring "Medium" u8 0 u8 0 u8 0 u8 0
  pstring "Large" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 73 {
  i16 73 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Window Appearance"
  u8 0
}

resource 'MENU' 85 {
  i16 85 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Audio Processing"
  pstring "Normalize" u8 0 u8 0 u8 0 u8 0
  pstring "Fade In" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Fade Out" u8 0 u8 0 u8 0 u8 0
  pstring "Reverse" u8 0 u8 0 u8 0 u8 0
  pstring "Silence" u8 0 u8 0 u8 0 u8 0
  pstring "Gain…" u8 0 u8 0 u8 0 u8 0
  pstring "Crossfade" u8 0 u8 0 u8 0 u8 0
  pstring "Pitch Shift…" u8 0 u8 0 u8 0 u8 0
  pstring "Time Stretch…" u8 0 u8 0 u8 0 u8 0
  pstring "Remove DC Offset" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 95 {
  i16 95 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Plug-in Processing"
  pstring "Repeat Last Plug-in" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 92 {
  i16 92 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Recent Songs"
  pstring "Open…" u8 0 u8 79 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Clear Menu" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 93 {
  i16 93 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Recent Audio Files"
  u8 0
}

resource 'MENU' 96 {
  i16 96 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Recent Media"
  pstring "Import Standard MIDI File…" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Clear Menu" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  u8 0
}

resource 'MENU' 184 {
  i16 184 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Help Topics"
  pstring "Getting Started" u8 0 u8 0 u8 0 u8 0
  u8 0
}

# The child-sequence button's menu: filled with the current track's child sequences.
resource 'MENU' 255 {
  i16 255 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring ""
  u8 0
}

# The instrument window's contextual menu: items 1, 2 and 4 take the go-to and strip menus
# built when it opens (31924, 31925, 31926).
resource 'MENU' 194 {
  i16 194 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Strip"
  pstring "Used By" u8 0 u8 0 u8 0 u8 0
  pstring "Goes To" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Strips" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Show Device" u8 0 u8 0 u8 0 u8 0
  pstring "Write Values at Song Start" u8 0 u8 0 u8 0 u8 0
  pstring "Write Values at Selection" u8 0 u8 0 u8 0 u8 0
  pstring "Write and Mark at Song Start" u8 0 u8 0 u8 0 u8 0
  pstring "Write and Mark at Selection" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "Link Selected Strips" u8 0 u8 0 u8 0 u8 0
  pstring "Instrument Table" u8 0 u8 0 u8 0 u8 0
  pstring "-" u8 0 u8 0 u8 0 u8 0
  pstring "New Instrument…" u8 0 u8 0 u8 0 u8 0
  pstring "Instrument Settings…" u8 0 u8 0 u8 0 u8 0
  u8 0
}

# The instrument window's send selector: item 1 shows the strips' own values, item n + 1
# their send n.
resource 'MENU' 199 {
  i16 199 u16 0 u16 0 u32 0 u32 0xFFFFFFFF pstring "Sends"
  pstring "Own Values" u8 0 u8 0 u8 0 u8 0
  pstring "Send 1" u8 0 u8 0 u8 0 u8 0
  pstring "Send 2" u8 0 u8 0 u8 0 u8 0
  pstring "Send 3" u8 0 u8 0 u8 0 u8 0
  pstring "Send 4" u8 0 u8 0 u8 0 u8 0
  pstring "Send 5" u8 0 u8 0 u8 0 u8 0
  pstring "Send 6" u8 0 u8 0 u8 0 u8 0
  pstring "Send 7" u8 0 u8 0 u8 0 u8 0
  pstring "Send 8" u8 0 u8 0 u8 0 u8 0
  u8 0
}
