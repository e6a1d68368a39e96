// Menus and menu bars from resources: 'MENU', 'MBAR', the menu-list handle, and the menus of
// resource names (AppendResMenu).
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/menus/menus_internal.h"
#include "platform/resources/resource_manager.h"

using namespace menus_internal;

namespace {

// Menus made by GetMenu, by resource id.
std::map<SInt16, MenuRef> gLoaded;

constexpr size_t kMenuHeaderSize = 14;  // id, width, height, definition (4), enable flags (4)

// Builds a menu from a 'MENU' image; null when the image runs short.
MenuRef ParseMenu(const UInt8* p, size_t size) {
  if (size < kMenuHeaderSize + 1 || size < kMenuHeaderSize + 1 + p[kMenuHeaderSize]) return nullptr;
  MenuID id = ReadI16BE(p);
  UInt32 enableFlags = ReadU32BE(p + 10);
  Str255 title;
  std::memcpy(title, p + kMenuHeaderSize, size_t(p[kMenuHeaderSize]) + 1);
  std::vector<MenuItemRecord> items;
  size_t at = kMenuHeaderSize + 1 + p[kMenuHeaderSize];
  for (;;) {
    if (at >= size) return nullptr;  // no end mark
    UInt8 length = p[at];
    if (length == 0) break;
    if (at + 1 + length + 4 > size) return nullptr;
    MenuItemRecord item;
    item.text.assign(reinterpret_cast<const char*>(p + at + 1), length);
    const UInt8* tail = p + at + 1 + length;
    item.icon = tail[0];
    item.cmdChar = tail[1];
    item.mark = tail[2];
    item.style = tail[3];
    size_t index = items.size() + 1;
    if (index < 32 && !(enableFlags & (1u << index))) item.enabled = false;
    if (!item.text.empty() && item.text[0] == '-') item.enabled = false;
    items.push_back(item);
    at += 1 + length + 4;
  }
  MenuRef menu = NewMenu(id, title);
  menu->items = std::move(items);
  menu->enabled = enableFlags & 1;
  return menu;
}

// The menu-list handle: u16 number of bar menus, u16 number of hierarchical menus, then
// their ids (i16 each), bar menus first.
Handle MakeMenuList(const std::vector<MenuID>& bar, const std::vector<MenuID>& hier) {
  Handle h = NewHandleClear(Size(4 + 2 * (bar.size() + hier.size())));
  if (!h) return h;
  UInt8* p = reinterpret_cast<UInt8*>(*h);
  WriteU16BE(p, UInt16(bar.size()));
  WriteU16BE(p + 2, UInt16(hier.size()));
  size_t at = 4;
  for (MenuID id : bar) WriteU16BE(p + at, UInt16(id)), at += 2;
  for (MenuID id : hier) WriteU16BE(p + at, UInt16(id)), at += 2;
  return h;
}

// The menu a list names by id: one already in the lists, else one loaded from a resource,
// else the newest live menu with that id.
MenuRef ResolveMenu(MenuID id) {
  if (MenuRef m = GetMenuHandle(id)) return m;
  auto it = gLoaded.find(id);
  if (it != gLoaded.end() && IsLiveMenu(it->second) && it->second->id == id) return it->second;
  const std::vector<MenuRef>& all = AllMenus();
  for (auto m = all.rbegin(); m != all.rend(); ++m)
    if ((*m)->id == id) return *m;
  return nullptr;
}

}  // namespace

MenuRef GetMenu(SInt16 resourceID) {
  auto it = gLoaded.find(resourceID);
  if (it != gLoaded.end() && IsLiveMenu(it->second) && it->second->fromResource &&
      it->second->resourceID == resourceID)
    return it->second;
  Handle h = GetResource(FourCC("MENU"), resourceID);
  if (!h) return nullptr;
  MenuRef menu = ParseMenu(reinterpret_cast<const UInt8*>(*h), size_t(GetHandleSize(h)));
  if (!menu) return nullptr;
  menu->resourceID = resourceID;
  menu->fromResource = true;
  gLoaded[resourceID] = menu;
  return menu;
}

MenuBarHandle GetNewMBar(SInt16 menuBarID) {
  Handle h = GetResource(FourCC("MBAR"), menuBarID);
  if (!h) return nullptr;
  const UInt8* p = reinterpret_cast<const UInt8*>(*h);
  Size size = GetHandleSize(h);
  if (size < 2) return nullptr;
  UInt16 count = ReadU16BE(p);
  if (size < Size(2 + 2 * count)) return nullptr;
  std::vector<MenuID> ids;
  for (UInt16 i = 0; i < count; ++i) {
    SInt16 resID = ReadI16BE(p + 2 + 2 * i);
    MenuRef menu = GetMenu(resID);
    if (!menu) return nullptr;
    ids.push_back(menu->id);
  }
  return MakeMenuList(ids, {});
}

MenuBarHandle GetMenuBar() {
  std::vector<MenuID> bar, hier;
  for (MenuRef m : BarMenus()) bar.push_back(m->id);
  for (MenuRef m : HierMenus()) hier.push_back(m->id);
  return MakeMenuList(bar, hier);
}

void SetMenuBar(MenuBarHandle menuList) {
  if (!menuList || GetHandleSize(menuList) < 4) return;
  const UInt8* p = reinterpret_cast<const UInt8*>(*menuList);
  UInt16 barCount = ReadU16BE(p), hierCount = ReadU16BE(p + 2);
  if (GetHandleSize(menuList) < Size(4 + 2 * (barCount + hierCount))) return;
  std::vector<MenuRef> bar, hier;
  for (UInt16 i = 0; i < barCount + hierCount; ++i) {
    MenuRef m = ResolveMenu(ReadI16BE(p + 4 + 2 * i));
    if (!m) continue;
    (i < barCount ? bar : hier).push_back(m);
  }
  BarMenus() = bar;
  HierMenus() = hier;
  EnsureMenuEventHandling();
}

void DisposeMenuBar(MenuBarHandle menuList) {
  if (menuList) DisposeHandle(menuList);
}

void AppendResMenu(MenuRef menu, ResType theType) {
  if (!IsLiveMenu(menu)) return;
  std::vector<std::string> names;
  SInt16 count = CountResources(theType);
  SetResLoad(false);
  for (SInt16 i = 1; i <= count; ++i) {
    Handle h = GetIndResource(theType, i);
    if (!h) continue;
    SInt16 id;
    ResType type;
    Str255 name;
    GetResInfo(h, &id, &type, name);
    if (name[0] > 0 && name[1] != '.' && name[1] != '%') names.push_back(FromPString(name));
  }
  SetResLoad(true);
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  for (const std::string& n : names) {
    Str255 p;
    ToPString(n, p);
    AppendMenuItemTextLiteral(menu, p);
  }
}
