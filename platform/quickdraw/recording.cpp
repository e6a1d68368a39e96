// Region and polygon recording: OpenRgn/CloseRgn and OpenPoly/ClosePoly collect what the
// current port frames and draws instead of drawing it.
#include <algorithm>
#include <map>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/qd_internal.h"
#include "platform/quickdraw/regions.h"

using namespace qd_internal;

namespace {

struct RegionRecording {
  PixRegion area;
  std::vector<Edge> lines;
};

std::map<CGrafPtr, RegionRecording> gRegionRecordings;
std::map<CGrafPtr, std::vector<Point>> gPolyRecordings;

}  // namespace

namespace qd_internal {

bool IsRecordingRegion(CGrafPtr port) { return gRegionRecordings.count(port) != 0; }

void RecordRegionArea(CGrafPtr port, const PixRegion& area) {
  auto it = gRegionRecordings.find(port);
  if (it != gRegionRecordings.end()) it->second.area.Xor(area);
}

void RecordRegionLine(CGrafPtr port, Point a, Point b) {
  auto it = gRegionRecordings.find(port);
  if (it != gRegionRecordings.end()) it->second.lines.push_back({a, b});
}

bool IsRecordingPoly(CGrafPtr port) { return gPolyRecordings.count(port) != 0; }

void RecordPolyLine(CGrafPtr port, Point a, Point b) {
  auto it = gPolyRecordings.find(port);
  if (it == gPolyRecordings.end()) return;
  std::vector<Point>& pts = it->second;
  if (pts.empty() || !(pts.back() == a)) pts.push_back(a);
  pts.push_back(b);
}

}  // namespace qd_internal

void OpenRgn() {
  CGrafPtr port = CurrentPort();
  if (IsRecordingRegion(port)) return;
  gRegionRecordings[port] = RegionRecording{};
  port->rgnSave = NewRgn();
  HidePen();
}

void CloseRgn(RgnHandle dst) {
  CGrafPtr port = CurrentPort();
  auto it = gRegionRecordings.find(port);
  if (it == gRegionRecordings.end()) {
    SetQDError(paramErr);
    return;
  }
  PixRegion result(it->second.area);
  PixRegion lines;
  EdgesArea(it->second.lines, &lines);
  result.Xor(lines);
  gRegionRecordings.erase(it);
  DisposeRgn(port->rgnSave);
  port->rgnSave = nullptr;
  ShowPen();
  if (!StoreRegion(dst, result)) SetQDError(paramErr);
}

PolyHandle OpenPoly() {
  CGrafPtr port = CurrentPort();
  if (IsRecordingPoly(port)) return port->polySave;
  PolyHandle poly = NewHandleClear(10);
  if (!poly) {
    SetQDError(memFullErr);
    return poly;
  }
  WriteU16BE(HandleData(poly), 10);
  gPolyRecordings[port] = {};
  port->polySave = poly;
  HidePen();
  return poly;
}

void ClosePoly() {
  CGrafPtr port = CurrentPort();
  auto it = gPolyRecordings.find(port);
  if (it == gPolyRecordings.end()) return;
  std::vector<Point> pts = std::move(it->second);
  gPolyRecordings.erase(it);
  PolyHandle poly = port->polySave;
  port->polySave = nullptr;
  ShowPen();
  if (pts.size() > 8000) pts.resize(8000);  // polySize is 16 bits
  Size size = Size(10 + 4 * pts.size());
  SetHandleSize(poly, size);
  char* p = HandleData(poly);
  if (!p || GetHandleSize(poly) != size) {
    SetQDError(memFullErr);
    return;
  }
  Rect box{};
  if (!pts.empty()) box = Rect{pts[0].v, pts[0].h, pts[0].v, pts[0].h};
  for (size_t i = 0; i < pts.size(); ++i) {
    box.top = std::min(box.top, pts[i].v);
    box.left = std::min(box.left, pts[i].h);
    box.bottom = std::max(box.bottom, pts[i].v);
    box.right = std::max(box.right, pts[i].h);
    WriteI16BE(p + 10 + 4 * i, pts[i].v);
    WriteI16BE(p + 12 + 4 * i, pts[i].h);
  }
  WriteU16BE(p, uint16_t(size));
  WriteI16BE(p + 2, box.top);
  WriteI16BE(p + 4, box.left);
  WriteI16BE(p + 6, box.bottom);
  WriteI16BE(p + 8, box.right);
}

void KillPoly(PolyHandle poly) {
  if (IsValidHandle(poly)) DisposeHandle(poly);
}

void OffsetPoly(PolyHandle poly, short dh, short dv) {
  char* p = HandleData(poly);
  if (!p) return;
  Size size = GetHandleSize(poly);
  if (size < 10) return;
  for (Size off = 2; off + 4 <= 10; off += 4) {
    WriteI16BE(p + off, int16_t(ReadI16BE(p + off) + dv));
    WriteI16BE(p + off + 2, int16_t(ReadI16BE(p + off + 2) + dh));
  }
  for (Size off = 10; off + 4 <= size; off += 4) {
    WriteI16BE(p + off, int16_t(ReadI16BE(p + off) + dv));
    WriteI16BE(p + off + 2, int16_t(ReadI16BE(p + off + 2) + dh));
  }
}
