// Resources for the dialog tests, written as resource-compiler text: a dialog with every kind
// of item, its picture, icon and control, and alerts.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/dialogs/dialog_resources.h"
#include "platform/dialogs/dialogs.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/platform/quickdraw/pict_builder.h"

namespace dialog_test {

inline std::string HexOf(const std::string& bytes) {
  std::string out;
  char buffer[4];
  for (unsigned char c : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02x", c);
    out += buffer;
  }
  return out;
}

inline DialogItemTemplate Item(SInt16 type, Rect r, const std::string& text = "", SInt16 id = 0) {
  DialogItemTemplate t;
  t.type = type;
  t.rect = r;
  t.text = text;
  t.resourceID = id;
  return t;
}

inline std::string DitlSource(SInt16 id, const std::vector<DialogItemTemplate>& items) {
  return "resource 'DITL' " + std::to_string(id) + " { hex \"" + HexOf(BuildDialogItemList(items)) + "\" }\n";
}

// The items of the dialog with every kind (DITL 128), by number.
enum : DialogItemIndex {
  kOK = 1, kCancel, kCheck, kEdit, kStatic, kUser, kRadio, kIcon, kPicture, kBar, kSecondEdit,
};

constexpr Rect kOKRect{150, 230, 170, 300};
constexpr Rect kCancelRect{150, 140, 170, 210};
constexpr Rect kCheckRect{20, 20, 38, 200};
constexpr Rect kEditRect{50, 24, 66, 130};
constexpr Rect kStaticRect{80, 20, 96, 300};
constexpr Rect kUserRect{100, 20, 140, 60};
constexpr Rect kRadioRect{100, 80, 118, 200};
constexpr Rect kIconRect{100, 230, 132, 262};
constexpr Rect kPictureRect{20, 240, 60, 300};
constexpr Rect kBarRect{124, 80, 140, 200};
constexpr Rect kSecondEditRect{50, 150, 66, 220};

inline std::vector<DialogItemTemplate> EveryItemKind() {
  return {Item(kButtonDialogItem, kOKRect, "OK"),
          Item(kButtonDialogItem, kCancelRect, "Cancel"),
          Item(kCheckBoxDialogItem, kCheckRect, "Loop playback"),
          Item(kEditTextDialogItem, kEditRect, "120"),
          Item(kStaticTextDialogItem + itemDisable, kStaticRect, "^0 files"),
          Item(userItem, kUserRect),
          Item(kRadioButtonDialogItem, kRadioRect, "Mono"),
          Item(kIconDialogItem + itemDisable, kIconRect, "", 300),
          Item(kPictureDialogItem + itemDisable, kPictureRect, "", 301),
          Item(kResourceControlDialogItem, kBarRect, "", 302),
          Item(kEditTextDialogItem + itemDisable, kSecondEditRect, "")};
}

inline std::string PictureSource() {
  qd_test::PictBuilder p(Rect{0, 0, 40, 60});
  p.Op(0x1A).U16(0xFFFF).U16(0).U16(0);  // red
  p.Op(0x31).R(0, 0, 40, 60);            // paintRect
  return "resource 'PICT' 301 { hex \"" + HexOf(p.Finish()) + "\" }\n";
}

inline std::string IconSource() {
  std::vector<uint8_t> indices(32 * 32, 1), mask(32 * 4, 0xFF);
  return "resource 'cicn' 300 { hex \"" +
         HexOf(qd_test::MakeCIcon(32, 32, {0xFFFFFF, 0x00A000}, indices, mask)) + "\" }\n";
}

// DLOG 128 (movable modal, visible) with DITL 128 and everything its items need.
inline std::string EveryKindSource() {
  return R"(
    resource 'DLOG' 128 { i16 100 i16 100 i16 280 i16 420 i16 5 u8 1 u8 0 u8 0 u8 0 i32 0 i16 128
                          pstring "Every kind" }
    resource 'CNTL' 302 { i16 0 i16 0 i16 16 i16 120 i16 30 u8 1 u8 0 i16 100 i16 0 i16 386
                          i32 0 pstring "" }
  )" + DitlSource(128, EveryItemKind()) + PictureSource() + IconSource();
}

constexpr uint32_t kPictureRed = 0xFF0000;
constexpr uint32_t kIconGreen = 0x00A000;

}  // namespace dialog_test
