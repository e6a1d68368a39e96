// Control records: making and disposing controls, the root control and embedding, ids,
// references, kinds and properties.
#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "platform/controls/control_internal.h"
#include "platform/quickdraw/geometry.h"

namespace {

struct WindowControls {
  ControlRef root = nullptr;
  ControlRef focus = nullptr;
};

// Never destroyed: controls of windows still open when the program ends stay reachable.
std::unordered_set<ControlRef>& gControls = *new std::unordered_set<ControlRef>;
std::unordered_map<WindowRef, WindowControls>& gWindows = *new std::unordered_map<WindowRef, WindowControls>;

struct ProcRange {
  SInt16 first;
  SInt16 last;
  CtlKind kind;
};

constexpr ProcRange kProcRanges[] = {
    {16, 31, CtlKind::kScrollBar},        {32, 47, CtlKind::kBevelButton},
    {80, 95, CtlKind::kProgressBar},      {96, 111, CtlKind::kLittleArrows},
    {144, 159, CtlKind::kSeparator},      {160, 175, CtlKind::kGroupBox},
    {256, 271, CtlKind::kUserPane},       {272, 287, CtlKind::kEditText},
    {288, 303, CtlKind::kStaticText},     {304, 319, CtlKind::kPicture},
    {320, 335, CtlKind::kIcon},           {384, 399, CtlKind::kScrollBar},
    {400, 415, CtlKind::kPopupButton},    {1008, 1023, CtlKind::kPopupButton},
};

UInt32 FeaturesFor(CtlKind kind) {
  switch (kind) {
    case CtlKind::kRoot:
    case CtlKind::kGroupBox:
      return kControlSupportsEmbedding;
    case CtlKind::kEditText:
      return kControlSupportsFocus | kControlGetsFocusOnClick | kControlWantsIdle |
             kControlSupportsDataAccess | kControlWantsActivate;
    case CtlKind::kUserPane:
      return kControlSupportsEmbedding;
    case CtlKind::kBevelButton:
      return kControlSupportsEmbedding | kControlSupportsDataAccess;
    case CtlKind::kScrollBar:
      return kControlSupportsLiveFeedback;
    case CtlKind::kRadioButton:
      return kControlHasRadioBehavior;
    default:
      return kControlSupportsDataAccess;
  }
}

void DisposeTree(ControlRef control) {
  for (ControlRef child : control->children) DisposeTree(child);
  control->children.clear();
  auto it = gWindows.find(control->window);
  if (it != gWindows.end() && it->second.focus == control) it->second.focus = nullptr;
  DisposeOwnedControlMenu(control);
  if (control->target) DisposeEventTarget(control->target);
  gControls.erase(control);
  control->magic = 0;
  delete control;
}

void Collect(ControlRef control, std::vector<ControlRef>* out) {
  out->push_back(control);
  for (ControlRef child : control->children) Collect(child, out);
}

ControlRef FindByID(ControlRef start, const ControlID& id) {
  if (start->id.signature == id.signature && start->id.id == id.id) return start;
  for (ControlRef child : start->children)
    if (ControlRef found = FindByID(child, id)) return found;
  return nullptr;
}

bool IsWithin(ControlRef control, ControlRef ancestor) {
  for (ControlRef c = control; c; c = c->parent)
    if (c == ancestor) return true;
  return false;
}

void OffsetTree(ControlRef control, SInt16 dh, SInt16 dv) {
  OffsetRect(&control->bounds, dh, dv);
  for (ControlRef child : control->children) OffsetTree(child, dh, dv);
}

}  // namespace

bool IsLiveControl(ControlRef control) {
  return control && gControls.count(control) && control->magic == kControlMagic;
}

Boolean IsValidControlHandle(ControlRef control) { return IsLiveControl(control); }

bool KindForProcID(SInt16 procID, CtlKind* kind) {
  if (procID >= 0 && procID <= 15 && (procID & 7) <= 2) {
    *kind = (procID & 7) == 0 ? CtlKind::kPushButton
            : (procID & 7) == 1 ? CtlKind::kCheckBox : CtlKind::kRadioButton;
    return true;
  }
  switch (procID) {
    case kControlPushButtonProc: *kind = CtlKind::kPushButton; return true;
    case kControlCheckBoxProc:
    case kControlCheckBoxAutoToggleProc: *kind = CtlKind::kCheckBox; return true;
    case kControlRadioButtonProc:
    case kControlRadioButtonAutoToggleProc: *kind = CtlKind::kRadioButton; return true;
    default: break;
  }
  for (const ProcRange& r : kProcRanges) {
    if (procID >= r.first && procID <= r.last) {
      *kind = r.kind;
      return true;
    }
  }
  return false;
}

ControlRef MakeControl(WindowRef window, CtlKind kind, SInt16 procID, const Rect& bounds,
                       ControlRef parent) {
  if (!window) return nullptr;
  if (!parent && kind != CtlKind::kRoot) parent = HIViewGetRoot(window);
  ControlRef c = new OpaqueControlRef;
  c->kind = kind;
  c->procID = procID;
  c->window = window;
  c->bounds = bounds;
  c->features = FeaturesFor(kind);
  c->parent = parent;
  gControls.insert(c);
  if (parent) parent->children.push_back(c);
  c->target = NewControlTarget(c);
  return c;
}

void FinishNewControl(ControlRef control) {
  if (IsShown(control)) RedrawControl(control);
}

ControlRef WindowRootControl(WindowRef window) {
  auto it = gWindows.find(window);
  return it == gWindows.end() ? nullptr : it->second.root;
}

ControlRef WindowFocusControl(WindowRef window) {
  auto it = gWindows.find(window);
  return it == gWindows.end() ? nullptr : it->second.focus;
}

void SetWindowFocusControl(WindowRef window, ControlRef control) {
  gWindows[window].focus = control;
}

bool IsEmbedder(ControlRef control) {
  return IsLiveControl(control) && (control->features & kControlSupportsEmbedding);
}

void CollectWindowControls(WindowRef window, std::vector<ControlRef>* out) {
  out->clear();
  if (ControlRef root = WindowRootControl(window)) Collect(root, out);
}

// --- Life -----------------------------------------------------------------------------------------

OSErr CreateRootControl(WindowRef window, ControlRef* outControl) {
  if (!window) return paramErr;
  if (WindowRootControl(window)) return errRootAlreadyExists;
  Rect huge{-32767, -32767, 32767, 32767};
  ControlRef root = MakeControl(window, CtlKind::kRoot, 0, huge, nullptr);
  root->id = kHIViewWindowContentID;
  gWindows[window].root = root;
  ListenForWindowDisposal();
  AttachWindowControlHandlers(window);
  if (outControl) *outControl = root;
  return noErr;
}

OSErr GetRootControl(WindowRef window, ControlRef* outControl) {
  ControlRef root = WindowRootControl(window);
  if (outControl) *outControl = root;
  return root ? OSErr(noErr) : OSErr(errNoRootControl);
}

HIViewRef HIViewGetRoot(WindowRef window) {
  if (!window) return nullptr;
  ControlRef root = WindowRootControl(window);
  if (!root) CreateRootControl(window, &root);
  return root;
}

void DisposeControl(ControlRef control) {
  if (!IsLiveControl(control)) return;
  if (control->kind == CtlKind::kRoot) {
    KillControls(control->window);
    return;
  }
  if (IsShown(control)) EraseControlArea(control);
  auto& siblings = control->parent->children;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), control), siblings.end());
  DisposeTree(control);
}

void KillControls(WindowRef window) {
  auto it = gWindows.find(window);
  if (it == gWindows.end()) return;
  ControlRef root = it->second.root;
  DetachWindowControlHandlers(window);
  gWindows.erase(it);
  if (root) DisposeTree(root);
}

// --- Embedding --------------------------------------------------------------------------------------

OSErr EmbedControl(ControlRef control, ControlRef container) {
  if (!IsLiveControl(control) || !IsLiveControl(container)) return errUnknownControl;
  if (control->kind == CtlKind::kRoot) return errCantEmbedRoot;
  if (IsWithin(container, control)) return errCantEmbedIntoSelf;
  if (!IsEmbedder(container)) return errControlIsNotEmbedder;
  if (container->window != control->window) return paramErr;
  auto& old = control->parent->children;
  old.erase(std::remove(old.begin(), old.end(), control), old.end());
  container->children.push_back(control);
  control->parent = container;
  SetEventTargetParent(control->target, container->target);
  return noErr;
}

OSErr GetSuperControl(ControlRef control, ControlRef* parent) {
  if (!IsLiveControl(control) || !parent) return errUnknownControl;
  *parent = control->parent;
  return control->parent ? OSErr(noErr) : OSErr(errControlIsNotEmbedder);
}

OSErr CountSubControls(ControlRef control, UInt16* numChildren) {
  if (!IsLiveControl(control) || !numChildren) return errUnknownControl;
  *numChildren = UInt16(control->children.size());
  return noErr;
}

OSErr GetIndexedSubControl(ControlRef control, UInt16 index, ControlRef* outSubControl) {
  if (!IsLiveControl(control) || !outSubControl) return errUnknownControl;
  if (index < 1 || index > control->children.size()) return paramErr;
  *outSubControl = control->children[index - 1];
  return noErr;
}

WindowRef GetControlOwner(ControlRef control) {
  return IsLiveControl(control) ? control->window : nullptr;
}

ItemCount CountWindowControls(WindowRef window) {
  std::vector<ControlRef> all;
  CollectWindowControls(window, &all);
  return ItemCount(all.size());
}

ControlRef GetIndexedWindowControl(WindowRef window, ItemCount index) {
  std::vector<ControlRef> all;
  CollectWindowControls(window, &all);
  return index >= 1 && index <= all.size() ? all[index - 1] : nullptr;
}

// --- Identity --------------------------------------------------------------------------------------

OSStatus GetControlKind(ControlRef control, ControlKind* outKind) {
  if (!IsLiveControl(control) || !outKind) return errUnknownControl;
  static const std::pair<CtlKind, OSType> kKinds[] = {
      {CtlKind::kRoot, kControlKindRoot},           {CtlKind::kPushButton, kControlKindPushButton},
      {CtlKind::kCheckBox, kControlKindCheckBox},   {CtlKind::kRadioButton, kControlKindRadioButton},
      {CtlKind::kScrollBar, kControlKindScrollBar}, {CtlKind::kPopupButton, kControlKindPopupButton},
      {CtlKind::kLittleArrows, kControlKindLittleArrows},
      {CtlKind::kStaticText, kControlKindStaticText}, {CtlKind::kEditText, kControlKindEditText},
      {CtlKind::kProgressBar, kControlKindProgressBar}, {CtlKind::kUserPane, kControlKindUserPane},
      {CtlKind::kBevelButton, kControlKindBevelButton}, {CtlKind::kGroupBox, kControlKindGroupBox},
      {CtlKind::kSeparator, kControlKindSeparator}, {CtlKind::kPicture, kControlKindPicture},
      {CtlKind::kIcon, kControlKindIcon}};
  outKind->signature = kControlKindSignatureApple;
  for (const auto& [kind, code] : kKinds)
    if (kind == control->kind) outKind->kind = code;
  return noErr;
}

SInt16 GetControlProcID(ControlRef control) {
  return IsLiveControl(control) ? control->procID : 0;
}

OSErr GetControlFeatures(ControlRef control, UInt32* outFeatures) {
  if (!IsLiveControl(control) || !outFeatures) return OSErr(errUnknownControl);
  *outFeatures = control->features;
  return noErr;
}

SRefCon GetControlReference(ControlRef control) {
  return IsLiveControl(control) ? control->refCon : nullptr;
}

void SetControlReference(ControlRef control, SRefCon data) {
  if (IsLiveControl(control)) control->refCon = data;
}

OSStatus GetControlID(ControlRef control, ControlID* outID) {
  if (!IsLiveControl(control) || !outID) return errUnknownControl;
  *outID = control->id;
  return noErr;
}

OSStatus SetControlID(ControlRef control, const ControlID* inID) {
  if (!IsLiveControl(control) || !inID) return errUnknownControl;
  control->id = *inID;
  return noErr;
}

OSStatus GetControlByID(WindowRef window, const ControlID* inID, ControlRef* outControl) {
  if (!inID || !outControl) return paramErr;
  ControlRef root = WindowRootControl(window);
  *outControl = root ? FindByID(root, *inID) : nullptr;
  return *outControl ? OSStatus(noErr) : OSStatus(errUnknownControl);
}

OSStatus HIViewFindByID(HIViewRef start, HIViewID inID, HIViewRef* outView) {
  if (!outView) return paramErr;
  *outView = nullptr;
  if (!IsLiveControl(start)) return errUnknownControl;
  *outView = FindByID(start, inID);
  return *outView ? OSStatus(noErr) : OSStatus(errUnknownControl);
}

OSStatus GetControlCommandID(ControlRef control, UInt32* outCommandID) {
  if (!IsLiveControl(control) || !outCommandID) return errUnknownControl;
  *outCommandID = control->command;
  return noErr;
}

OSStatus SetControlCommandID(ControlRef control, UInt32 inCommandID) {
  if (!IsLiveControl(control)) return errUnknownControl;
  control->command = inCommandID;
  return noErr;
}

EventTargetRef GetControlEventTarget(ControlRef control) {
  return IsLiveControl(control) ? control->target : nullptr;
}

// --- Properties ---------------------------------------------------------------------------------------

OSStatus SetControlProperty(ControlRef control, OSType creator, OSType tag, UInt32 size,
                            const void* data) {
  if (!IsLiveControl(control)) return errUnknownControl;
  if (creator == 0 || (size && !data)) return errControlPropertyInvalid;
  const UInt8* bytes = static_cast<const UInt8*>(data);
  control->properties[{creator, tag}].assign(bytes, bytes + size);
  return noErr;
}

OSStatus GetControlProperty(ControlRef control, OSType creator, OSType tag, UInt32 bufferSize,
                            UInt32* actualSize, void* buffer) {
  if (!IsLiveControl(control)) return errUnknownControl;
  auto it = control->properties.find({creator, tag});
  if (it == control->properties.end()) return errControlPropertyNotFound;
  const std::vector<UInt8>& value = it->second;
  if (actualSize) *actualSize = UInt32(value.size());
  if (bufferSize < value.size()) return errDataSizeMismatch;
  if (!value.empty() && buffer) std::memcpy(buffer, value.data(), value.size());
  return noErr;
}

OSStatus GetControlPropertySize(ControlRef control, OSType creator, OSType tag, UInt32* size) {
  if (!IsLiveControl(control) || !size) return errUnknownControl;
  auto it = control->properties.find({creator, tag});
  if (it == control->properties.end()) return errControlPropertyNotFound;
  *size = UInt32(it->second.size());
  return noErr;
}

OSStatus RemoveControlProperty(ControlRef control, OSType creator, OSType tag) {
  if (!IsLiveControl(control)) return errUnknownControl;
  return control->properties.erase({creator, tag}) ? OSStatus(noErr)
                                                   : OSStatus(errControlPropertyNotFound);
}

// --- Geometry -----------------------------------------------------------------------------------------

Rect* GetControlBounds(ControlRef control, Rect* bounds) {
  if (bounds) *bounds = IsLiveControl(control) ? control->bounds : Rect{};
  return bounds;
}

void SetControlBounds(ControlRef control, const Rect* bounds) {
  if (!IsLiveControl(control) || !bounds || control->kind == CtlKind::kRoot) return;
  bool shown = IsShown(control);
  if (shown) EraseControlArea(control);
  SInt16 dh = SInt16(bounds->left - control->bounds.left);
  SInt16 dv = SInt16(bounds->top - control->bounds.top);
  for (ControlRef child : control->children) OffsetTree(child, dh, dv);
  control->bounds = *bounds;
  if (control->kind == CtlKind::kEditText) EditTextScrollToCaret(control);
  if (shown) RedrawControl(control);
}

void MoveControl(ControlRef control, SInt16 h, SInt16 v) {
  if (!IsLiveControl(control)) return;
  Rect r = control->bounds;
  OffsetRect(&r, SInt16(h - r.left), SInt16(v - r.top));
  SetControlBounds(control, &r);
}

void SizeControl(ControlRef control, SInt16 w, SInt16 h) {
  if (!IsLiveControl(control)) return;
  Rect r = control->bounds;
  r.right = SInt16(r.left + w);
  r.bottom = SInt16(r.top + h);
  SetControlBounds(control, &r);
}

OSStatus HIViewConvertPoint(Point* ioPoint, HIViewRef sourceView, HIViewRef destView) {
  if (!ioPoint) return paramErr;
  if ((sourceView && !IsLiveControl(sourceView)) || (destView && !IsLiveControl(destView)))
    return errUnknownControl;
  auto origin = [](HIViewRef view) {
    return view && view->kind != CtlKind::kRoot ? Point{view->bounds.top, view->bounds.left}
                                                : Point{0, 0};
  };
  Point from = origin(sourceView), to = origin(destView);
  ioPoint->h = SInt16(ioPoint->h + from.h - to.h);
  ioPoint->v = SInt16(ioPoint->v + from.v - to.v);
  return noErr;
}
