// 'CNTL' templates and GetNewControl.
#include "platform/controls/cntl_resources.h"

#include "platform/controls/control_internal.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"

bool ParseControlTemplate(const UInt8* bytes, size_t size, ControlTemplate* out) {
  if (!bytes || !out || size < kControlTemplateFixedSize + 1) return false;
  size_t titleLength = bytes[kControlTemplateFixedSize];
  if (kControlTemplateFixedSize + 1 + titleLength > size) return false;
  out->bounds = Rect{ReadI16BE(bytes), ReadI16BE(bytes + 2), ReadI16BE(bytes + 4), ReadI16BE(bytes + 6)};
  out->value = ReadI16BE(bytes + 8);
  out->visible = bytes[10] != 0;
  out->maximum = ReadI16BE(bytes + 12);
  out->minimum = ReadI16BE(bytes + 14);
  out->procID = ReadI16BE(bytes + 16);
  out->refCon = ReadI32BE(bytes + 18);
  out->title.assign(reinterpret_cast<const char*>(bytes + kControlTemplateFixedSize + 1), titleLength);
  return true;
}

ControlRef GetNewControl(SInt16 resourceID, WindowRef window) {
  if (!window) return nullptr;
  Handle h = GetResource(FourCC("CNTL"), resourceID);
  if (!h) return nullptr;
  ControlTemplate t;
  bool ok = ParseControlTemplate(reinterpret_cast<const UInt8*>(*h), size_t(GetHandleSize(h)), &t);
  ReleaseResource(h);
  if (!ok) return nullptr;
  Str255 title;
  title[0] = UInt8(t.title.size());
  t.title.copy(reinterpret_cast<char*>(title + 1), t.title.size());
  return NewControl(window, &t.bounds, title, t.visible, t.value, t.minimum, t.maximum, t.procID,
                    t.refCon);
}
