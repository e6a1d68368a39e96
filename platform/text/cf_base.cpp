// Reference counting and the generic object calls.
#include "platform/text/cf_base.h"

#include <cstdio>

#include "platform/text/cf_object.h"

namespace {

std::atomic<long> gLiveObjects{0};

}  // namespace

CFObject::CFObject(CFTypeID t) : type(t) { gLiveObjects.fetch_add(1, std::memory_order_relaxed); }

CFObject::~CFObject() {
  magic = 0;
  if (!immortal) gLiveObjects.fetch_sub(1, std::memory_order_relaxed);
}

void CFObject::MakeImmortal() {
  if (immortal) return;
  immortal = true;
  gLiveObjects.fetch_sub(1, std::memory_order_relaxed);
}

const CFObject* CFObjectFrom(CFTypeRef obj) {
  if (obj == nullptr) return nullptr;
  const CFObject* o = static_cast<const CFObject*>(obj);
  return o->magic == CFObject::kMagic ? o : nullptr;
}

CFTypeRef CFRetain(CFTypeRef obj) {
  const CFObject* o = CFObjectFrom(obj);
  if (o != nullptr && !o->immortal) const_cast<CFObject*>(o)->refs.fetch_add(1, std::memory_order_relaxed);
  return obj;
}

void CFRelease(CFTypeRef obj) {
  const CFObject* o = CFObjectFrom(obj);
  if (o == nullptr || o->immortal) return;
  if (const_cast<CFObject*>(o)->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete o;
}

CFIndex CFGetRetainCount(CFTypeRef obj) {
  const CFObject* o = CFObjectFrom(obj);
  if (o == nullptr) return 0;
  return o->immortal ? CFIndex(0x7fffffff) : o->refs.load(std::memory_order_relaxed);
}

CFTypeID CFGetTypeID(CFTypeRef obj) {
  const CFObject* o = CFObjectFrom(obj);
  return o != nullptr ? o->type : kCFNotATypeID;
}

Boolean CFEqual(CFTypeRef a, CFTypeRef b) {
  const CFObject* oa = CFObjectFrom(a);
  const CFObject* ob = CFObjectFrom(b);
  if (oa == nullptr || ob == nullptr) return oa == ob;
  return oa->type == ob->type && oa->Equals(*ob);
}

void CFShow(CFTypeRef obj) {
  const CFObject* o = CFObjectFrom(obj);
  std::string line = o != nullptr ? o->Describe() : std::string("(null)");
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

long CFLiveObjectCount() { return gLiveObjects.load(std::memory_order_relaxed); }
