#include "platform/navigation/nav_dialog.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/dialogs/alerts.h"
#include "platform/dialogs/dialog_resources.h"
#include "platform/events/key_codes.h"
#include "platform/files/catalog.h"
#include "platform/files/file_locations.h"
#include "platform/files/host_files.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/system/sys_beep.h"
#include "platform/text/pascal_strings.h"
#include "platform/windows/appearance.h"
#include "platform/windows/windows.h"

namespace {

constexpr SInt16 kVisibleRows = (kNavListRect.bottom - kNavListRect.top - 2) / kNavRowHeight;
constexpr SInt16 kTextInset = 22;
constexpr size_t kMaxMacNameLength = 63;
constexpr int kWheelRows = 3;

struct NavState {
  NavDialogRun* run = nullptr;
  DialogRef dialog = nullptr;
  ControlRef scrollBar = nullptr;
  std::string folder;
  std::vector<NavEntry> entries;
  int selected = -1;
  int top = 0;
  int lastClickRow = -1;
  UInt32 lastClickWhen = 0;
  bool activate = false;  // the last list hit was a double-click
};

NavState* gNav = nullptr;
NavDialogShownProc gShownProc = nullptr;
void* gShownData = nullptr;

RGBColor ColorOf(UInt32 rgb) { return RGBFromPixel(rgb); }

std::string FromPString(ConstStr255Param s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }

std::string Label(ConstStr255Param given, const char* standard) {
  return given && given[0] ? FromPString(given) : std::string(standard);
}

const char* StandardAction(NavDialogMode mode) {
  return mode == kNavModeSave ? "Save" : mode == kNavModeChooseFolder ? "Choose" : "Open";
}

const char* StandardTitle(NavDialogMode mode) {
  return mode == kNavModeSave ? "Save" : mode == kNavModeChooseFolder ? "Choose a Folder" : "Open";
}

std::vector<DialogItemTemplate> ItemList(const NavDialogRun& run) {
  const NavDialogOptions& o = *run.options;
  std::vector<DialogItemTemplate> items{
      MakeDialogItem(kButtonDialogItem, Rect{294, 366, 314, 446}, Label(o.actionButtonLabel, StandardAction(run.mode))),
      MakeDialogItem(kButtonDialogItem, Rect{294, 270, 314, 350}, "Cancel"),
      MakeDialogItem(userItem, kNavListRect),
      MakeDialogItem(kButtonDialogItem, Rect{34, 14, 54, 134}, "Enclosing Folder"),
      MakeDialogItem(kStaticTextDialogItem + itemDisable, Rect{36, 142, 52, 446}),
      MakeDialogItem(kStaticTextDialogItem + itemDisable, Rect{10, 14, 26, 446}, FromPString(o.message)),
      MakeDialogItem(kStaticTextDialogItem + itemDisable, Rect{250, 14, 266, 60},
                     run.mode == kNavModeSave ? "Name:" : "Go to:"),
      MakeDialogItem(kEditTextDialogItem, Rect{250, 66, 266, 300}, FromPString(o.savedFileName)),
      MakeDialogItem(kCheckBoxDialogItem, Rect{272, 14, 290, 260}, FromPString(o.choiceLabel))};
  return items;
}

DialogItemHandle ItemHandle(DialogItemIndex item) {
  DialogItemType type;
  DialogItemHandle handle = nullptr;
  Rect box;
  GetDialogItem(gNav->dialog, item, &type, &handle, &box);
  return handle;
}

// The name field (the path field of the open and choose-folder dialogs).
std::string FieldText() {
  Str255 text;
  GetDialogItemText(ItemHandle(kNavNameItem), text);
  return FromPString(text);
}

void ClearField() {
  SetDialogItemText(ItemHandle(kNavNameItem), reinterpret_cast<ConstStr255Param>(""));
}

// ---- The list ------------------------------------------------------------------------------

Rect RowRect(int row) {
  SInt16 top = SInt16(kNavListRect.top + 1 + (row - gNav->top) * kNavRowHeight);
  return Rect{top, SInt16(kNavListRect.left + 1), SInt16(top + kNavRowHeight), SInt16(kNavListRect.right - 1)};
}

void DrawFolderMark(const Rect& row, const RGBColor& color) {
  Rect mark{SInt16(row.top + 5), SInt16(row.left + 5), SInt16(row.bottom - 4), SInt16(row.left + 17)};
  RGBForeColor(&color);
  FrameRect(&mark);
  Rect tab{SInt16(mark.top - 2), mark.left, SInt16(mark.top + 1), SInt16(mark.left + 5)};
  PaintRect(&tab);
}

void DrawRow(int row) {
  const NavEntry& entry = gNav->entries[size_t(row)];
  Rect r = RowRect(row);
  bool selected = row == gNav->selected;
  RGBColor back = ColorOf(selected ? kHighlightPixel : kContentPixel);
  RGBColor text = ColorOf(selected ? kHighlightTextPixel : kTextPixel);
  RGBForeColor(&back);
  PaintRect(&r);
  if (entry.isFolder) DrawFolderMark(r, text);
  RGBForeColor(&text);
  MoveTo(SInt16(r.left + kTextInset), SInt16(r.bottom - 5));
  DrawString(entry.fileSpec.name);
}

void DrawList(DialogRef dialog, DialogItemIndex) {
  if (!gNav || dialog != gNav->dialog) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPort(GetDialogPort(dialog));
  RGBColor white = ColorOf(kContentPixel), frame = ColorOf(kMenuFramePixel);
  RGBForeColor(&white);
  PaintRect(&kNavListRect);
  RGBForeColor(&frame);
  FrameRect(&kNavListRect);
  TextFont(0);
  TextSize(12);
  int end = gNav->top + kVisibleRows;
  for (int row = gNav->top; row < end && row < int(gNav->entries.size()); ++row) DrawRow(row);
  RGBColor black = ColorOf(kTextPixel);
  RGBForeColor(&black);
  SetPort(saved);
}

int LastTop() {
  int last = int(gNav->entries.size()) - kVisibleRows;
  return last > 0 ? last : 0;
}

// Draws the rows from the top row on and puts the scroll bar in step.
void RedrawList() {
  if (gNav->top > LastTop()) gNav->top = LastTop();
  if (gNav->scrollBar) {
    SetControl32BitMaximum(gNav->scrollBar, LastTop());
    SetControl32BitValue(gNav->scrollBar, gNav->top);
  }
  DrawList(gNav->dialog, kNavListItem);
}

void Select(int row) {
  int count = int(gNav->entries.size());
  gNav->selected = count == 0 ? -1 : row < 0 ? 0 : row >= count ? count - 1 : row;
  if (gNav->selected >= 0 && gNav->selected < gNav->top) gNav->top = gNav->selected;
  if (gNav->selected >= gNav->top + kVisibleRows) gNav->top = gNav->selected - kVisibleRows + 1;
  RedrawList();
}

void ScrollAction(ControlRef control, ControlPartCode part) {
  int top = gNav->top;
  switch (part) {
    case kControlUpButtonPart: top -= 1; break;
    case kControlDownButtonPart: top += 1; break;
    case kControlPageUpPart: top -= kVisibleRows - 1; break;
    case kControlPageDownPart: top += kVisibleRows - 1; break;
    case kControlIndicatorPart: top = GetControl32BitValue(control); break;
    default: return;
  }
  gNav->top = top < 0 ? 0 : top;
  RedrawList();
}

// ---- Folders -------------------------------------------------------------------------------

void ShowFolder(const std::string& folder, const std::string& selectName) {
  std::vector<NavEntry> entries;
  if (NavListFolder(folder, gNav->run->filter, &entries) != noErr) {
    SysBeep(1);
    return;
  }
  gNav->folder = folder;
  gNav->entries = std::move(entries);
  gNav->selected = -1;
  gNav->top = 0;
  gNav->lastClickRow = -1;
  Str255 path;
  CopyCStringToPascal(folder.c_str(), path);
  SetDialogItemText(ItemHandle(kNavPathItem), path);
  for (size_t i = 0; i < gNav->entries.size(); ++i)
    if (gNav->entries[i].diskName == selectName) return Select(int(i));
  RedrawList();
}

void GoUp() {
  if (gNav->folder == "/") return SysBeep(1);
  ShowFolder(HostParentPath(gNav->folder), HostLastComponent(gNav->folder));
}

// ---- Events --------------------------------------------------------------------------------

// A click in the dialog's content, as a local point; false elsewhere.
bool LocalClick(const EventRecord& event, Point* local) {
  WindowRef window = nullptr;
  if (FindWindow(event.where, &window) != inContent || window != GetDialogWindow(gNav->dialog)) return false;
  *local = event.where;
  QDGlobalToLocalPoint(GetDialogPort(gNav->dialog), local);
  return true;
}

// The scroll bar is tracked here (it is no item of the dialog); the click is then taken.
void ScrollBarClick(EventRecord* event, Point local) {
  HandleControlClick(gNav->scrollBar, local, event->modifiers, ScrollAction);
  ScrollAction(gNav->scrollBar, kControlIndicatorPart);
  event->what = nullEvent;
}

// Clicks select rows; a second click on the same row within the double-click time opens it.
bool ListClick(EventRecord* event, DialogItemIndex* itemHit) {
  Point local;
  if (!LocalClick(*event, &local)) return false;
  if (gNav->scrollBar && PtInRect(local, &kNavScrollBarRect)) {
    ScrollBarClick(event, local);
    return false;
  }
  if (!PtInRect(local, &kNavListRect)) return false;
  const EventRecord& e = *event;
  int row = gNav->top + (local.v - kNavListRect.top - 1) / kNavRowHeight;
  if (row >= int(gNav->entries.size())) row = -1;
  gNav->activate = row >= 0 && row == gNav->lastClickRow && e.when - gNav->lastClickWhen <= GetDblTime();
  gNav->lastClickRow = gNav->activate ? -1 : row;
  gNav->lastClickWhen = e.when;
  if (row < 0) {
    gNav->selected = -1;
    RedrawList();
  } else if (row != gNav->selected) {
    Select(row);
  }
  *itemHit = kNavListItem;
  return true;
}

// Arrows move the selection; Command-up goes to the enclosing folder.
bool ListKey(EventRecord* event, DialogItemIndex* itemHit) {
  char ch = char(event->message & charCodeMask);
  if (ch != kUpArrowCharCode && ch != kDownArrowCharCode) return false;
  if (ch == kUpArrowCharCode && (event->modifiers & cmdKey)) {
    *itemHit = kNavUpItem;
    return true;
  }
  int step = ch == kUpArrowCharCode ? -1 : 1;
  Select(gNav->selected < 0 ? (step > 0 ? 0 : int(gNav->entries.size()) - 1) : gNav->selected + step);
  event->what = nullEvent;  // taken: the name field does not see it
  return false;
}

// The mouse wheel over the list scrolls it, three rows a step (wheel steps elsewhere are
// dropped while the dialog runs).
void TakeWheelSteps() {
  const EventTypeSpec wheel{kEventClassMouse, kEventMouseWheelMoved};
  EventRef event = nullptr;
  while (ReceiveNextEvent(1, &wheel, kEventDurationNoWait, true, &event) == noErr) {
    Point where{};
    UInt16 axis = kEventMouseWheelAxisY;
    SInt32 delta = 0;
    GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr, &where);
    GetEventParameter(event, kEventParamMouseWheelAxis, typeMouseWheelAxis, nullptr, sizeof axis, nullptr, &axis);
    GetEventParameter(event, kEventParamMouseWheelDelta, typeSInt32, nullptr, sizeof delta, nullptr, &delta);
    ReleaseEvent(event);
    QDGlobalToLocalPoint(GetDialogPort(gNav->dialog), &where);
    if (axis != kEventMouseWheelAxisY || !PtInRect(where, &kNavListRect)) continue;
    gNav->top = std::max(0, std::min(LastTop(), gNav->top - int(delta) * kWheelRows));
    RedrawList();
  }
}

Boolean NavFilter(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit) {
  gNav->activate = false;
  TakeWheelSteps();
  if (event->what == mouseDown && ListClick(event, itemHit)) return true;
  if ((event->what == keyDown || event->what == autoKey) && ListKey(event, itemHit)) return true;
  return StdFilterProc(dialog, event, itemHit);
}

// ---- Answers -------------------------------------------------------------------------------

const NavEntry* SelectedEntry() {
  return gNav->selected >= 0 ? &gNav->entries[size_t(gNav->selected)] : nullptr;
}

bool ChooseSpec(const FSSpec& fileSpec) {
  gNav->run->chosen = fileSpec;
  return true;
}

// Asks before an existing file is chosen for saving; true to replace it.
bool ConfirmReplace(ConstStr255Param name) {
  std::string asked = "\322" + FromPString(name) + "\323 already exists. Do you want to replace it?";
  Str255 question;
  CopyCStringToPascal(asked.c_str(), question);
  Str255 explanation;
  CopyCStringToPascal("A file with this name is already in the folder. Replacing it overwrites what it holds.",
                      explanation);
  AlertStdAlertParamRec param;
  param.movable = true;
  param.defaultText = reinterpret_cast<ConstStringPtr>("\007Replace");
  param.cancelText = kAlertDefaultCancelText;
  param.cancelButton = kAlertStdAlertCancelButton;
  DialogItemIndex hit = 0;
  return StandardAlert(kAlertCautionAlert, question, explanation, &param, &hit) == noErr &&
         hit == kAlertStdAlertOKButton;
}

// A typed name without an extension gets the document's, unless it names a file of the
// shown folder as it stands (the user picked that one).
void AddDocumentExtension(Str255 name) {
  ConstStr255Param extension = gNav->run->options->fileExtension;
  if (extension[0] == 0 || name[0] == 0 || std::memchr(name + 1, '.', name[0])) return;
  if (size_t(name[0]) + 1 + extension[0] > kMaxMacNameLength) return;
  FSSpec existing;
  if (FSMakeFSSpec(kZarinVRefNum, DirIDForPath(gNav->folder), name, &existing) == noErr) return;
  name[++name[0]] = '.';
  std::memcpy(name + name[0] + 1, extension + 1, extension[0]);
  name[0] = UInt8(name[0] + extension[0]);
}

// The name field's text as a file in the shown folder (with the document extension added);
// false (with a beep) for an empty or impossible name, or the name of a folder; false too
// when an existing file is not to be replaced.
bool ChooseSaveName() {
  Str255 name;
  GetDialogItemText(ItemHandle(kNavNameItem), name);
  AddDocumentExtension(name);
  FSSpec fileSpec;
  bool folder = false;
  bool usable = name[0] > 0 && name[0] <= kMaxMacNameLength && !std::memchr(name + 1, ':', name[0]) &&
                name[1] != '.';
  OSErr err = usable ? FSMakeFSSpec(kZarinVRefNum, DirIDForPath(gNav->folder), name, &fileSpec) : bdNamErr;
  if ((err != noErr && err != fnfErr) || (err == noErr && SpecExists(&fileSpec, &folder) && folder)) {
    SysBeep(1);
    return false;
  }
  if (err == noErr && !ConfirmReplace(fileSpec.name)) return false;
  return ChooseSpec(fileSpec);
}

bool ChooseShownFolder() {
  FSSpec fileSpec;
  if (PathToSpec(gNav->folder, &fileSpec) != noErr) return SysBeep(1), false;
  return ChooseSpec(fileSpec);
}

// Opening the selected entry: a folder is entered (or chosen, by the choose button of the
// folder dialog); a file is chosen. True when the dialog is answered.
bool OpenSelected(bool byButton) {
  const NavEntry* entry = SelectedEntry();
  if (!entry) {
    if (gNav->run->mode == kNavModeChooseFolder && byButton) return ChooseShownFolder();
    SysBeep(1);
    return false;
  }
  if (entry->isFolder && !(byButton && gNav->run->mode == kNavModeChooseFolder)) {
    ShowFolder(HostJoinPath(gNav->folder, entry->diskName), "");
    if (gNav->run->mode != kNavModeSave) ClearField();
    return false;
  }
  if (entry->isFolder || gNav->run->mode == kNavModeOpen) return ChooseSpec(entry->fileSpec);
  return false;  // a file in the save dialog: its name goes to the field
}

// ---- The path field (open and choose-folder dialogs) --------------------------------------

bool StartsWithIgnoringCase(const std::string& name, const std::string& prefix) {
  if (prefix.size() > name.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(UInt8(name[i])) != std::tolower(UInt8(prefix[i]))) return false;
  return true;
}

// Typing a name selects the first entry that begins with it (a path is left to Return).
void SelectByTypedName() {
  std::string typed = FieldText();
  if (typed.empty() || typed.find('/') != std::string::npos || typed[0] == '~') return;
  for (size_t i = 0; i < gNav->entries.size(); ++i)
    if (StartsWithIgnoringCase(gNav->entries[i].diskName, typed)) return Select(int(i));
}

// The typed path as a host path: "~" is the home folder, a relative path starts in the
// shown folder.
std::string TypedPath(const std::string& typed) {
  const char* home = std::getenv("HOME");
  if (typed[0] == '~' && home && (typed.size() == 1 || typed[1] == '/')) return NormalizePath(home + typed.substr(1));
  return NormalizePath(typed[0] == '/' ? typed : HostJoinPath(gNav->folder, typed));
}

// Return with a path typed: a folder is shown, a file listed in it is chosen. False (the
// field left alone) when the text names nothing.
bool GoToTypedPath(bool* answered) {
  std::string typed = FieldText();
  if (typed.empty()) return false;
  std::string path = TypedPath(typed);
  bool folder = false;
  if (!HostPathExists(path, &folder)) return false;
  if (folder && gNav->run->mode != kNavModeChooseFolder) {
    ShowFolder(path, "");
    ClearField();
    return true;
  }
  ShowFolder(HostParentPath(path), HostLastComponent(path));
  ClearField();
  const NavEntry* entry = SelectedEntry();
  if (entry && entry->diskName == HostLastComponent(path)) *answered = OpenSelected(true);
  else SysBeep(1);  // the dialog does not list it
  return true;
}

void CopySelectedNameToField() {
  const NavEntry* entry = SelectedEntry();
  if (!entry || entry->isFolder) return;
  SetDialogItemText(ItemHandle(kNavNameItem), entry->fileSpec.name);
  SelectDialogItemText(gNav->dialog, kNavNameItem, 0, 255);
}

// One item hit; true when the dialog is answered.
bool HandleHit(DialogItemIndex hit) {
  switch (hit) {
    case kNavUpItem: GoUp(); return false;
    case kNavChoiceItem: {
      ControlRef box = nullptr;
      if (GetDialogItemAsControl(gNav->dialog, kNavChoiceItem, &box) == noErr)
        SetControlValue(box, GetControlValue(box) ? 0 : 1);
      return false;
    }
    case kNavListItem:
      if (gNav->run->mode == kNavModeSave) CopySelectedNameToField();
      return gNav->activate && OpenSelected(false);
    case kNavDefaultItem: {
      if (gNav->run->mode == kNavModeSave) return ChooseSaveName();
      bool answered = false;
      if (GoToTypedPath(&answered)) return answered;
      return OpenSelected(true);
    }
    case kNavNameItem:
      if (gNav->run->mode != kNavModeSave) SelectByTypedName();
      return false;
    default: return false;
  }
}

// ---- Making the dialog ---------------------------------------------------------------------

DialogRef MakeDialog(const NavDialogRun& run) {
  Rect screen;
  GetPortBounds(GetScreenPort(), &screen);
  SInt16 left = SInt16((screen.right - screen.left - kNavDialogWidth) / 2);
  SInt16 top = SInt16(((screen.bottom - screen.top) - kNavDialogHeight) / 3 + 20);
  if (top < 40) top = 40;
  Rect bounds{top, left, SInt16(top + kNavDialogHeight), SInt16(left + kNavDialogWidth)};
  Str255 title;
  CopyCStringToPascal(Label(run.options->windowTitle, StandardTitle(run.mode)).c_str(), title);
  return NewDialogFromItems(&bounds, title, true, movableDBoxProc, reinterpret_cast<WindowRef>(-1), false, 0,
                            ItemList(run));
}

void PrepareItems(DialogRef dialog, const NavDialogRun& run) {
  DialogItemType type;
  DialogItemHandle handle;
  Rect box;
  GetDialogItem(dialog, kNavListItem, &type, &handle, &box);
  SetDialogItem(dialog, kNavListItem, userItem, UserItemHandle(DrawList), &box);
  SetDialogDefaultItem(dialog, kNavDefaultItem);
  SetDialogCancelItem(dialog, kNavCancelItem);
  gNav->scrollBar = NewControl(GetDialogWindow(dialog), &kNavScrollBarRect, reinterpret_cast<ConstStr255Param>(""),
                               true, 0, 0, 0, kControlScrollBarLiveProc, 0);
  if (gNav->scrollBar) SetControlViewSize(gNav->scrollBar, kVisibleRows);
  SelectDialogItemText(dialog, kNavNameItem, 0, 255);
  ControlRef choice = nullptr;
  if (run.options->choiceLabel[0] == 0)
    HideDialogItem(dialog, kNavChoiceItem);
  else if (GetDialogItemAsControl(dialog, kNavChoiceItem, &choice) == noErr)
    SetControlValue(choice, run.options->choiceValue ? 1 : 0);
}

OSErr RunModal(NavState* state) {
  for (;;) {
    DialogItemIndex hit = 0;
    ModalDialog(NavFilter, &hit);
    if (!IsValidDialog(state->dialog)) return userCanceledErr;  // the dialog was taken away
    if (hit == kNavCancelItem || hit == 0) return userCanceledErr;
    if (HandleHit(hit)) return noErr;
  }
}

}  // namespace

void NavSetDialogShownProc(NavDialogShownProc proc, void* userData) {
  gShownProc = proc;
  gShownData = userData;
}

OSErr RunNavDialog(NavDialogRun* run) {
  if (gNav) return paramErr;  // one file dialog at a time
  DialogRef dialog = MakeDialog(*run);
  if (!dialog) return GetDialogError() != noErr ? GetDialogError() : OSErr(memFullErr);
  NavState state;
  state.run = run;
  state.dialog = dialog;
  gNav = &state;
  PrepareItems(dialog, *run);
  ShowFolder(run->startFolder, "");
  if (state.folder.empty()) ShowFolder("/", "");
  DrawDialog(dialog);
  if (gShownProc) gShownProc(dialog, gShownData);
  OSErr result = RunModal(&state);
  run->shownFolder = state.folder;
  ControlRef choice = nullptr;
  if (IsValidDialog(dialog)) {
    if (GetDialogItemAsControl(dialog, kNavChoiceItem, &choice) == noErr) run->choice = GetControlValue(choice) != 0;
    DisposeDialog(dialog);
  }
  gNav = nullptr;
  return result;
}
