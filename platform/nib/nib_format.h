// The nib text: our readable description of windows and their views, kept in the application's
// resource file as 'NIBT' resources named after the nib (the resource compiler's `nib { }`
// form copies the text in verbatim). The text is UTF-8; '#' and '//' start comments.
//
//   window "transp" {
//     class movableModal               # document floating utility modal movableModal alert
//                                      # movableAlert plain help sheet toolbar
//     attributes closeBox compositing  # closeBox horizontalZoom verticalZoom fullZoom
//                                      # collapseBox resizable liveResize noActivates
//                                      # compositing inWindowMenu hideOnSuspend noShadow
//     frame 100 80 360 200             # left top width height of the content, global
//     title "Transpose"
//     visible                          # shown at once (else hidden until ShowWindow)
//     view staticText { frame 20 20 100 16 text "Semitones:" }
//     view editText { id 0 3 frame 130 20 60 16 text "0" }
//     view littleArrows { id 0 4 frame 196 18 13 22 min -127 max 127 }
//     view groupBox {
//       frame 20 50 320 80 title "Range"
//       view radioButton { id 0 5 command 5 frame 10 20 120 18 title "All" value 1 }
//     }
//     view pushButton { id 0 1 command 'ok  ' frame 270 160 70 20 title "OK" default }
//   }
//
// View kinds: pushButton checkBox radioButton scrollBar popupButton littleArrows staticText
// editText progressBar userPane bevelButton groupBox separator picture icon. A view's frame
// is relative to the view it sits in (group boxes, user panes and bevel buttons hold views).
// View properties: id SIGNATURE NUMBER (signature a 'code' or 0), command ('code' or number),
// frame, title, text, value, min, max, viewSize, increment, menu ('MENU' id), titleWidth,
// resource ('PICT' or 'cicn' id), justify left|center|right, font system|small|smallBold|
// emphasized|views|label|mini, and the flags default cancel hidden disabled live
// indeterminate password manual (check boxes and radio buttons that do not toggle
// themselves). Nib windows always get the standard window handler.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/controls/control_types.h"

struct NibView {
  std::string kind;
  HIViewID id;
  UInt32 command = 0;
  SInt16 left = 0, top = 0, width = 0, height = 0;
  std::string title;  // UTF-8
  std::string text;   // UTF-8
  SInt32 value = 0;
  SInt32 minimum = 0;
  SInt32 maximum = 0;
  bool hasMaximum = false;
  SInt32 viewSize = 0;
  SInt32 increment = 1;
  SInt16 menuID = 0;
  SInt16 titleWidth = 0;
  SInt16 resourceID = 0;
  SInt16 justification = 0;  // teFlushDefault
  SInt16 themeFont = -1;     // a ThemeFontID, -1: the kind's own
  bool isDefault = false;
  bool isCancel = false;
  bool hidden = false;
  bool disabled = false;
  bool live = false;
  bool indeterminate = false;
  bool password = false;
  bool manual = false;
  std::vector<NibView> children;
};

struct NibWindow {
  std::string name;  // UTF-8
  UInt32 windowClass = 6;  // kDocumentWindowClass
  UInt32 attributes = 0;
  SInt16 left = 0, top = 0, width = 0, height = 0;
  std::string title;  // UTF-8
  bool visible = false;
  std::vector<NibView> views;
};

struct NibDocument {
  std::vector<NibWindow> windows;
};

struct NibParseError {
  int line = 0;
  std::string message;
};

// Limits that keep a damaged or hostile text from costing much.
constexpr size_t kMaxNibWindows = 64;
constexpr size_t kMaxNibViews = 2048;
constexpr int kMaxNibDepth = 8;
constexpr size_t kMaxNibText = 255;

// Reads a nib text. False with the line and a message on the first error: unknown words,
// missing values, numbers out of range, texts longer than 255 bytes or not UTF-8, windows
// named twice, views inside kinds that hold none, and more than the limits above.
bool ParseNibText(std::string_view text, NibDocument* out, NibParseError* error);
