#include <string>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/resources/resources.h"
#include "platform/system/sys_beep.h"
#include "tests/platform/windows/windows_test_support.h"
#include "tests/test_support.h"

namespace {

using namespace windows_test;

Point Center(const Rect& r) { return Point{SInt16((r.top + r.bottom) / 2), SInt16((r.left + r.right) / 2)}; }

Rect Bounds(WindowRef w, WindowRegionCode code) {
  Rect r{};
  EXPECT_EQ(GetWindowBounds(w, code, &r), noErr);
  return r;
}

// The activate and deactivate events waiting in the queue, in order, taken out.
std::vector<std::pair<UInt32, WindowRef>> TakeActivationEvents() {
  static const EventTypeSpec kTypes[] = {{kEventClassWindow, kEventWindowActivated},
                                         {kEventClassWindow, kEventWindowDeactivated}};
  std::vector<std::pair<UInt32, WindowRef>> out;
  EventRef e = nullptr;
  while (ReceiveNextEvent(2, kTypes, kEventDurationNoWait, true, &e) == noErr) {
    WindowRef w = nullptr;
    GetEventParameter(e, kEventParamDirectObject, typeWindowRef, nullptr, sizeof w, nullptr, &w);
    out.emplace_back(GetEventKind(e), w);
    ReleaseEvent(e);
  }
  return out;
}

int CountQueued(UInt32 eventClass, UInt32 kind) {
  int n = 0;
  EventRef e = nullptr;
  EventTypeSpec typeSpec{eventClass, kind};
  std::vector<EventRef> taken;
  while (ReceiveNextEvent(1, &typeSpec, kEventDurationNoWait, true, &e) == noErr) taken.push_back(e);
  for (EventRef t : taken) {
    PostEventToQueue(GetMainEventQueue(), t, kEventPriorityStandard);
    ReleaseEvent(t);
    ++n;
  }
  return n;
}

TEST_F(WindowTest, LayersKeepFloatingAboveDocumentsAndModalsAboveBoth) {
  WindowRef doc1 = NewDocument(Rect{100, 100, 300, 400});
  WindowRef floating = NewFloating(Rect{120, 500, 200, 700});
  WindowRef doc2 = NewDocument(Rect{150, 150, 350, 450});
  for (WindowRef w : {doc1, floating, doc2}) ShowWindow(w);
  EXPECT_EQ(FrontWindow(), floating);
  EXPECT_EQ(FrontNonFloatingWindow(), doc2);
  EXPECT_EQ(ActiveNonFloatingWindow(), doc2);

  SelectWindow(doc1);
  EXPECT_EQ(FrontWindow(), floating) << "a document never rises above a floating window";
  EXPECT_EQ(FrontNonFloatingWindow(), doc1);
  EXPECT_EQ(GetNextWindow(GetNextWindow(GetWindowList())), doc2);

  WindowRef modal = nullptr;
  Rect mb{200, 200, 300, 400};
  ASSERT_EQ(CreateNewWindow(kMovableModalWindowClass, 0, &mb, &modal), noErr);
  ShowWindow(modal);
  EXPECT_EQ(FrontWindow(), modal);
  EXPECT_EQ(ActiveNonFloatingWindow(), modal);
  EXPECT_FALSE(IsWindowHilited(doc1));
  HideWindow(modal);
  EXPECT_EQ(ActiveNonFloatingWindow(), doc1);

  SendBehind(doc1, nullptr);
  EXPECT_EQ(FrontNonFloatingWindow(), doc2);
  WindowClass cls = 0;
  EXPECT_EQ(GetWindowClass(floating, &cls), noErr);
  EXPECT_EQ(cls, kFloatingWindowClass);
  EXPECT_EQ(GetFrontWindowOfClass(kDocumentWindowClass, true), doc2);
  Rect big{0, 0, 10, 10};
  WindowRef none = nullptr;
  EXPECT_EQ(CreateNewWindow(7, 0, &big, &none), errUnrecognizedWindowClass);
  EXPECT_EQ(none, nullptr);
}

TEST_F(WindowTest, ActivationEventsFollowTheFrontDocument) {
  WindowRef a = NewDocument(Rect{100, 100, 300, 400});
  WindowRef b = NewDocument(Rect{150, 150, 350, 450});
  ShowWindow(a);
  EXPECT_EQ(TakeActivationEvents(), (std::vector<std::pair<UInt32, WindowRef>>{{kEventWindowActivated, a}}));
  ShowWindow(b);
  EXPECT_EQ(TakeActivationEvents(), (std::vector<std::pair<UInt32, WindowRef>>{
                                        {kEventWindowDeactivated, a}, {kEventWindowActivated, b}}));
  EXPECT_TRUE(IsWindowHilited(b));
  EXPECT_FALSE(IsWindowHilited(a));
  EXPECT_EQ(GetUserFocusEventTarget(), GetWindowEventTarget(b));
  HideWindow(b);
  EXPECT_EQ(TakeActivationEvents(), (std::vector<std::pair<UInt32, WindowRef>>{
                                        {kEventWindowDeactivated, b}, {kEventWindowActivated, a}}));

  // The classic form carries the window's message and the active flag.
  SelectWindow(b);
  ShowWindow(b);
  EventRecord record;
  ASSERT_TRUE(GetNextEvent(activMask, &record));
  EXPECT_EQ(GetWindowFromEventMessage(record.message), a);
  EXPECT_EQ(record.modifiers & activeFlag, 0);
  ASSERT_TRUE(GetNextEvent(activMask, &record));
  EXPECT_EQ(GetWindowFromEventMessage(record.message), b);
  EXPECT_EQ(record.modifiers & activeFlag, activeFlag);
}

TEST_F(WindowTest, ClickInFloatingWindowLeavesTheDocumentActive) {
  WindowRef doc = NewDocument(Rect{100, 100, 300, 400});
  WindowRef floating = NewFloating(Rect{120, 500, 200, 700});
  ShowWindow(doc);
  ShowWindow(floating);
  DispatchQueuedEvents();
  EventLog docLog, floatLog;
  ScopedHandler h1(GetWindowEventTarget(doc), EventLog::Handler,
                   {{kEventClassWindow, kEventWindowDeactivated}, {kEventClassWindow, kEventWindowActivated}}, &docLog);
  ScopedHandler h2(GetWindowEventTarget(floating), EventLog::Handler,
                   {{kEventClassWindow, kEventWindowClickContentRgn}}, &floatLog);
  Point inside = Center(Bounds(floating, kWindowContentRgn));
  PostClickPath({inside});
  DispatchQueuedEvents();
  EXPECT_TRUE(floatLog.Saw(kEventClassWindow, kEventWindowClickContentRgn)) << "the click reaches the floating window";
  EXPECT_TRUE(docLog.seen.empty()) << "no deactivation of the document";
  EXPECT_EQ(ActiveNonFloatingWindow(), doc);
  EXPECT_TRUE(IsWindowHilited(doc));
  EXPECT_TRUE(IsWindowHilited(floating));
  EXPECT_EQ(GetUserFocusEventTarget(), GetWindowEventTarget(doc));
}

TEST_F(WindowTest, ClickInBackgroundDocumentActivatesItAndIsNotPassedOn) {
  WindowRef a = NewDocument(Rect{100, 100, 300, 400});
  WindowRef b = NewDocument(Rect{150, 250, 350, 550});
  ShowWindow(a);
  ShowWindow(b);
  DispatchQueuedEvents();
  EventLog log;
  ScopedHandler h(GetWindowEventTarget(a), EventLog::Handler, {{kEventClassWindow, kEventWindowClickContentRgn}}, &log);
  PostClickPath({Point{200, 150}});
  DispatchQueuedEvents();
  EXPECT_EQ(ActiveNonFloatingWindow(), a);
  EXPECT_EQ(FrontWindow(), a);
  EXPECT_FALSE(log.Saw(kEventClassWindow, kEventWindowClickContentRgn)) << "activate and ignore the click";
  PostClickPath({Point{200, 150}});
  DispatchQueuedEvents();
  EXPECT_TRUE(log.Saw(kEventClassWindow, kEventWindowClickContentRgn)) << "the front window takes its clicks";
}

TEST_F(WindowTest, FindWindowAnswersEachPart) {
  WindowRef doc = NewDocument(Rect{100, 100, 300, 400});
  WindowRef back = NewDocument(Rect{400, 100, 600, 400});
  WindowRef floating = NewFloating(Rect{230, 300, 280, 380});
  for (WindowRef w : {back, doc, floating}) ShowWindow(w);
  SelectWindow(doc);
  SetWindowProxyCreatorAndType(doc, FourCC("Zarn"), FourCC("Song"), 0);
  struct Case {
    const char* what;
    Point where;
    WindowPartCode part;
    WindowRef window;
  };
  Rect title = Bounds(doc, kWindowTitleBarRgn);
  const Case cases[] = {
      {"menu bar", Point{5, 300}, inMenuBar, nullptr},
      {"desk", Point{700, 900}, inDesk, nullptr},
      {"close box", Center(Bounds(doc, kWindowCloseBoxRgn)), inGoAway, doc},
      {"collapse box", Center(Bounds(doc, kWindowCollapseBoxRgn)), inCollapseBox, doc},
      {"zoom box", Center(Bounds(doc, kWindowZoomBoxRgn)), inZoomOut, doc},
      {"proxy icon", Center(Bounds(doc, kWindowTitleProxyIconRgn)), inProxyIcon, doc},
      {"title bar", Point{SInt16(title.top + 3), SInt16(title.right - 30)}, inDrag, doc},
      {"left border", Point{200, 99}, inDrag, doc},
      {"content", Point{200, 200}, inContent, doc},
      {"grow box", Point{295, 395}, inGrow, doc},
      {"floating over the document", Point{250, 340}, inContent, floating},
      {"inactive window's close box", Center(Bounds(back, kWindowCloseBoxRgn)), inDrag, back},
  };
  for (const Case& c : cases) {
    WindowRef found = reinterpret_cast<WindowRef>(1);
    EXPECT_EQ(FindWindow(c.where, &found), c.part) << c.what;
    EXPECT_EQ(found, c.window) << c.what;
  }
  ZoomWindowIdeal(doc, inZoomOut, nullptr);
  EXPECT_EQ(FindWindow(Center(Bounds(doc, kWindowZoomBoxRgn)), nullptr), inZoomIn) << "zoomed out: zoom in next";
}

TEST_F(WindowTest, DragMovesTheWindowAndKeepsItsTitleBelowTheMenuBar) {
  WindowRef doc = NewDocument(Rect{100, 100, 300, 400});
  ShowWindow(doc);
  DispatchQueuedEvents();
  EventLog log;
  ScopedHandler h(GetWindowEventTarget(doc), EventLog::Handler, {{kEventClassWindow, kEventWindowBoundsChanged}}, &log);
  Rect title = Bounds(doc, kWindowTitleBarRgn);
  Point grab{SInt16(title.top + 5), SInt16(title.right - 40)};
  PostClickPath({grab, Point{SInt16(grab.v + 20), SInt16(grab.h + 25)}, Point{SInt16(grab.v + 52), SInt16(grab.h + 50)}});
  DispatchQueuedEvents();
  EXPECT_EQ(Bounds(doc, kWindowContentRgn), (Rect{152, 150, 352, 450}));
  EXPECT_TRUE(log.Saw(kEventClassWindow, kEventWindowBoundsChanged));

  title = Bounds(doc, kWindowTitleBarRgn);
  grab = Point{SInt16(title.top + 5), SInt16(title.right - 40)};
  PostClickPath({grab, Point{0, grab.h}});
  DispatchQueuedEvents();
  EXPECT_GE(Bounds(doc, kWindowStructureRgn).top, GetMBarHeight());

  // A release far outside the limits leaves the window where it was.
  Rect before = Bounds(doc, kWindowContentRgn);
  PostMouse(kEventMouseMoved, 2000, 600);
  PostMouse(kEventMouseUp, 2000, 600);
  Rect limit{100, 100, 500, 500};
  DragWindow(doc, grab, &limit);
  EXPECT_EQ(Bounds(doc, kWindowContentRgn), before);
}

TEST_F(WindowTest, GrowBoxResizesWithinTheLimits) {
  WindowRef doc = NewDocument(Rect{100, 100, 300, 400});
  ShowWindow(doc);
  DispatchQueuedEvents();
  PostClickPath({Point{295, 395}, Point{325, 445}});
  DispatchQueuedEvents();
  EXPECT_EQ(Bounds(doc, kWindowContentRgn), (Rect{100, 100, 330, 450}));

  PostMouse(kEventMouseMoved, 0, 0);
  PostMouse(kEventMouseUp, 0, 0);
  Rect limits{150, 250, 400, 600};  // least height 150, width 250; greatest 400 x 600
  SInt32 size = GrowWindow(doc, Point{325, 445}, &limits);
  EXPECT_EQ(size & 0xFFFF, 250);
  EXPECT_EQ(size >> 16, 150);
  EXPECT_EQ(Bounds(doc, kWindowContentRgn), (Rect{100, 100, 330, 450})) << "GrowWindow only answers";

  PostMouse(kEventMouseUp, 445, 325);
  EXPECT_EQ(GrowWindow(doc, Point{325, 445}, &limits), 0) << "no change, no size";
}

TEST_F(WindowTest, UpdateRegionClearsAtEndUpdate) {
  WindowRef doc = NewDocument(Rect{100, 100, 300, 400});
  EventLog draws;
  ScopedHandler h(GetWindowEventTarget(doc), EventLog::Handler, {{kEventClassWindow, kEventWindowDrawContent}}, &draws);
  ShowWindow(doc);
  EXPECT_EQ(CountQueued(kEventClassWindow, kEventWindowUpdate), 1) << "newly shown content is invalid";
  DispatchQueuedEvents();
  EXPECT_TRUE(draws.Saw(kEventClassWindow, kEventWindowDrawContent));
  RgnHandle rgn = NewRgn();
  GetWindowRegion(doc, kWindowUpdateRgn, rgn);
  EXPECT_TRUE(EmptyRgn(rgn)) << "the standard update brackets the drawing";

  Rect a{10, 10, 20, 20}, b{30, 30, 40, 60};
  InvalWindowRect(doc, &a);
  InvalWindowRect(doc, &b);
  EXPECT_EQ(CountQueued(kEventClassWindow, kEventWindowUpdate), 1) << "one event for any number of invalidations";
  GetWindowRegion(doc, kWindowUpdateRgn, rgn);
  EXPECT_EQ(RgnBoundsForTest(rgn), (Rect{110, 110, 140, 160})) << "kept in global coordinates";

  BeginUpdate(doc);
  RgnHandle vis = NewRgn();
  GetPortVisibleRegion(GetWindowPort(doc), vis);
  Rect visBounds{};
  GetRegionBounds(vis, &visBounds);
  EXPECT_EQ(visBounds, (Rect{10, 10, 40, 60})) << "drawing is limited to the update region";
  GetWindowRegion(doc, kWindowUpdateRgn, rgn);
  EXPECT_TRUE(EmptyRgn(rgn));
  EndUpdate(doc);
  GetPortVisibleRegion(GetWindowPort(doc), vis);
  GetRegionBounds(vis, &visBounds);
  EXPECT_EQ(visBounds, (Rect{0, 0, 200, 300}));
  EXPECT_EQ(CountQueued(kEventClassWindow, kEventWindowUpdate), 0) << "BeginUpdate takes back the waiting event";

  // A reader that takes the update event and never brackets it gets no flood of events, and a
  // new invalidation brings a new one.
  InvalWindowRect(doc, &a);
  EventRecord record;
  ASSERT_TRUE(GetNextEvent(updateMask, &record));
  EXPECT_EQ(GetWindowFromEventMessage(record.message), doc);
  EXPECT_FALSE(GetNextEvent(updateMask, &record));
  InvalWindowRect(doc, &b);
  EXPECT_TRUE(GetNextEvent(updateMask, &record));
  ValidWindowRect(doc, &a);
  ValidWindowRect(doc, &b);
  GetWindowRegion(doc, kWindowUpdateRgn, rgn);
  EXPECT_TRUE(EmptyRgn(rgn));
  DisposeRgn(rgn);
  DisposeRgn(vis);
}

TEST_F(WindowTest, UncoveredContentIsErasedAndInvalidated) {
  WindowRef back = NewDocument(Rect{100, 100, 300, 400});
  WindowRef front = NewDocument(Rect{150, 150, 250, 350});
  ShowWindow(back);
  ShowWindow(front);
  DispatchQueuedEvents();
  SetPortWindowPort(back);
  RGBColor red{0xFFFF, 0, 0};
  RGBForeColor(&red);
  Rect all{0, 0, 200, 300};
  PaintRect(&all);
  EXPECT_EQ(ScreenPixel(120, 120), 0xFF0000u);
  EXPECT_NE(ScreenPixel(200, 200), 0xFF0000u) << "the window in front is not drawn over";

  HideWindow(front);
  EXPECT_EQ(ScreenPixel(200, 200), kContentPixel) << "uncovered content is erased";
  EXPECT_EQ(ScreenPixel(120, 120), 0xFF0000u) << "content that stayed visible is kept";
  RgnHandle rgn = NewRgn();
  GetWindowRegion(back, kWindowUpdateRgn, rgn);
  EXPECT_EQ(RgnBoundsForTest(rgn), Bounds(front, kWindowStructureRgn));
  EXPECT_EQ(ScreenPixel(600, 600), kDesktopPixel);
  DisposeRgn(rgn);

  RGBColor grey{0x8000, 0x8000, 0x8000};
  SetWindowContentColor(back, &grey);
  ShowWindow(front);
  MoveWindow(front, 500, 400, false);
  EXPECT_EQ(ScreenPixel(200, 200), 0x808080u) << "uncovered content takes the content colour";
}

TEST_F(WindowTest, WindowPortsDrawAtTheirContentAndStayBehindWindowsInFront) {
  WindowRef doc = NewDocument(Rect{100, 100, 300, 400});
  WindowRef floating = NewFloating(Rect{200, 100, 260, 200});
  ShowWindow(doc);
  ShowWindow(floating);
  DispatchQueuedEvents();
  EXPECT_EQ(GetWindowFromPort(GetWindowPort(doc)), doc);
  EXPECT_EQ(GetWindowFromPort(GetScreenPort()), nullptr);
  Rect port;
  EXPECT_EQ(*GetWindowPortBounds(doc, &port), (Rect{0, 0, 200, 300}));
  UInt32 floatingPixel = ScreenPixel(150, 230);
  SetPortWindowPort(doc);
  RGBColor blue{0, 0, 0xFFFF};
  RGBForeColor(&blue);
  Rect r{0, 0, 200, 300};
  PaintRect(&r);
  EXPECT_EQ(ScreenPixel(100, 100), 0x0000FFu);
  EXPECT_EQ(ScreenPixel(399, 299), 0x0000FFu);
  EXPECT_EQ(ScreenPixel(400, 150), kFrameActivePixel) << "nothing drawn outside the port";
  EXPECT_EQ(ScreenPixel(150, 230), floatingPixel) << "the floating window's content is not drawn over";

  // After a move the port follows.
  MoveWindow(doc, 300, 200, false);
  Point origin{0, 0};
  LocalToGlobal(&origin);
  EXPECT_EQ(origin, (Point{200, 300}));
}

TEST_F(WindowTest, FramesAndDesktopInASavedPNG) {
  WindowRef inactive = NewDocument(Rect{300, 450, 500, 800});
  WindowRef active = NewDocument(Rect{100, 100, 300, 400});
  SetWTitle(active, PStr("Song 1"));
  ShowWindow(inactive);
  ShowWindow(active);
  DispatchQueuedEvents();
  zarin_test::TempFolder folder;
  std::string path = folder.File("screen.png");
  ASSERT_EQ(SaveScreenToPNG(path.c_str()), noErr);
  Image image;
  ASSERT_TRUE(ReadPNG(path, &image));
  ASSERT_EQ(image.width, 1024);
  Rect title = Bounds(active, kWindowTitleBarRgn), s = Bounds(active, kWindowStructureRgn);
  EXPECT_EQ(image.at(title.right - 3, title.top + 2), kTitleBarActivePixel);
  EXPECT_EQ(image.at(s.left, s.top + 40), kFrameActivePixel);
  EXPECT_EQ(image.at(s.left + 40, s.top), kFrameActivePixel);
  Rect otherTitle = Bounds(inactive, kWindowTitleBarRgn), os = Bounds(inactive, kWindowStructureRgn);
  EXPECT_EQ(image.at(otherTitle.right - 3, otherTitle.top + 2), kTitleBarInactivePixel);
  EXPECT_EQ(image.at(os.right - 1, os.top + 60), kFrameInactivePixel);
  Rect close = Bounds(active, kWindowCloseBoxRgn);
  EXPECT_EQ(image.at(close.left, Center(close).v), kFrameActivePixel);
  EXPECT_EQ(image.at(close.left + 1, close.top + 1), kWindowBoxPixel);
  int dark = 0;
  for (int h = title.left + 60; h < title.right - 60; ++h)
    for (int v = title.top; v < title.bottom - 1; ++v)
      if ((image.at(h, v) & 0xFF) < 0x60) ++dark;
  EXPECT_GT(dark, 20) << "the title is drawn";
  EXPECT_EQ(image.at(200, 200), kContentPixel);
  EXPECT_EQ(image.at(1000, 700), kDesktopPixel);
}

TEST_F(WindowTest, CloseBoxClosesUnlessTheProgramTakesTheCloseEvent) {
  WindowRef kept = NewDocument(Rect{100, 100, 300, 400});
  ShowWindow(kept);
  DispatchQueuedEvents();
  struct Hider {
    static OSStatus Handle(EventHandlerCallRef, EventRef event, void*) {
      WindowRef w = nullptr;
      GetEventParameter(event, kEventParamDirectObject, typeWindowRef, nullptr, sizeof w, nullptr, &w);
      HideWindow(w);
      return noErr;
    }
  };
  {
    ScopedHandler h(GetWindowEventTarget(kept), Hider::Handle, {{kEventClassWindow, kEventWindowClose}}, nullptr);
    PostClickPath({Center(Bounds(kept, kWindowCloseBoxRgn))});
    DispatchQueuedEvents();
    EXPECT_TRUE(IsValidWindowPtr(kept));
    EXPECT_FALSE(IsWindowVisible(kept));
  }
  ShowWindow(kept);
  DispatchQueuedEvents();
  // Released outside the box: nothing.
  Point box = Center(Bounds(kept, kWindowCloseBoxRgn));
  PostClickPath({box, Point{SInt16(box.v + 40), box.h}});
  DispatchQueuedEvents();
  EXPECT_TRUE(IsValidWindowPtr(kept));
  PostClickPath({box});
  DispatchQueuedEvents();
  EXPECT_FALSE(IsValidWindowPtr(kept)) << "by default the close event disposes the window";
}

TEST_F(WindowTest, ZoomSwitchesBetweenStandardAndUserStates) {
  WindowRef doc = NewDocument(Rect{100, 100, 300, 400});
  ShowWindow(doc);
  Point ideal{300, 500};  // v = height, h = width
  EXPECT_FALSE(IsWindowInStandardState(doc, &ideal, nullptr));
  EXPECT_EQ(ZoomWindowIdeal(doc, inZoomOut, &ideal), noErr);
  EXPECT_EQ(Bounds(doc, kWindowContentRgn), (Rect{100, 100, 400, 600}));
  EXPECT_TRUE(IsWindowInStandardState(doc, &ideal, nullptr));
  EXPECT_EQ(ZoomWindowIdeal(doc, inZoomIn, &ideal), noErr);
  EXPECT_EQ(Bounds(doc, kWindowContentRgn), (Rect{100, 100, 300, 400}));

  // An ideal size bigger than the screen is cut to it; a set standard state wins.
  Point huge{5000, 5000};
  Rect standard;
  IsWindowInStandardState(doc, &huge, &standard);
  Rect avail;
  GetWindowPositioningBounds(&avail);
  EXPECT_LE(standard.bottom, avail.bottom);
  EXPECT_LE(standard.right, avail.right);
  Rect chosen{60, 40, 260, 540};
  SetWindowStandardState(doc, &chosen);
  ZoomWindowIdeal(doc, inZoomOut, &ideal);
  EXPECT_EQ(Bounds(doc, kWindowContentRgn), chosen);
  DispatchQueuedEvents();

  // Through the zoom box: the standard handler's zoom event toggles.
  PostClickPath({Center(Bounds(doc, kWindowZoomBoxRgn))});
  DispatchQueuedEvents();
  EXPECT_EQ(Bounds(doc, kWindowContentRgn), (Rect{100, 100, 300, 400}));
}

class WindResources : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ResourceForkImage image;
    auto add = [&](short id, Rect bounds, SInt16 procID, bool visible, bool goAway, SInt32 refCon,
                   const std::string& title, size_t cut = 0) {
      std::string data(18, '\0');
      auto* p = reinterpret_cast<UInt8*>(data.data());
      WriteI16BE(p, bounds.top);
      WriteI16BE(p + 2, bounds.left);
      WriteI16BE(p + 4, bounds.bottom);
      WriteI16BE(p + 6, bounds.right);
      WriteI16BE(p + 8, procID);
      p[10] = visible;
      p[12] = goAway;
      WriteI32BE(p + 14, refCon);
      data.push_back(char(title.size()));
      data += title;
      if (cut) data.resize(data.size() - cut);
      ResourceRecord rec;
      rec.type = FourCC("WIND");
      rec.id = id;
      rec.data = data;
      image.resources.push_back(rec);
    };
    add(128, Rect{50, 60, 250, 460}, zoomDocProc, true, true, 1234, "Songs");
    add(129, Rect{60, 500, 130, 700}, floatProc, false, false, 0, "Counter");
    add(130, Rect{60, 60, 100, 100}, documentProc, true, false, 0, "Damaged title", 5);
    path_ = folder_.File("Windows.rsrc");
    ASSERT_EQ(WriteDataForkResourceFile(path_, image), noErr);
    ASSERT_EQ(OpenResourceFileAtPath(path_, 1, true, &ref_), noErr);
  }
  void TearDown() override {
    CloseResFile(ref_);
    WindowTest::TearDown();
  }
  zarin_test::TempFolder folder_;
  std::string path_;
  SInt16 ref_ = -1;
};

TEST_F(WindResources, WindowsComeFromWindResources) {
  WindowRef songs = GetNewCWindow(128, nullptr, kFirstWindowOfClass);
  ASSERT_TRUE(songs);
  EXPECT_TRUE(IsWindowVisible(songs));
  EXPECT_EQ(Bounds(songs, kWindowContentRgn), (Rect{50, 60, 250, 460}));
  Str255 title;
  GetWTitle(songs, title);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(title + 1), title[0]), "Songs");
  EXPECT_EQ(reinterpret_cast<intptr_t>(GetWRefCon(songs)), 1234);
  WindowAttributes attributes = 0;
  GetWindowAttributes(songs, &attributes);
  EXPECT_EQ(attributes & (kWindowCloseBoxAttribute | kWindowResizableAttribute | kWindowFullZoomAttribute),
            kWindowCloseBoxAttribute | kWindowResizableAttribute | kWindowFullZoomAttribute);
  EXPECT_EQ(GetWindowKind(songs), kApplicationWindowKind);

  WindowRef counter = GetNewCWindow(129, nullptr, kFirstWindowOfClass);
  ASSERT_TRUE(counter);
  WindowClass cls = 0;
  GetWindowClass(counter, &cls);
  EXPECT_EQ(cls, kFloatingWindowClass);
  EXPECT_FALSE(IsWindowVisible(counter));

  EXPECT_EQ(GetNewCWindow(130, nullptr, kFirstWindowOfClass), nullptr) << "a title past the end";
  EXPECT_EQ(GetNewCWindow(999, nullptr, kFirstWindowOfClass), nullptr);
}

TEST_F(WindowTest, AppModalLoopRefusesClicksInOtherWindows) {
  WindowRef doc = NewDocument(Rect{100, 100, 300, 400});
  WindowRef modal = nullptr;
  Rect mb{200, 450, 300, 700};
  ASSERT_EQ(CreateNewWindow(kMovableModalWindowClass, kWindowStandardHandlerAttribute, &mb, &modal), noErr);
  ShowWindow(doc);
  ShowWindow(modal);
  DispatchQueuedEvents();
  EventLog log;
  ScopedHandler h(GetWindowEventTarget(doc), EventLog::Handler, {{kEventClassWindow, kEventWindowClickContentRgn},
                                                                 {kEventClassWindow, kEventWindowGetClickModality}},
                  &log);
  UInt32 beeps = GetSysBeepCount();
  struct Script {
    WindowRef modal;
    static void Click(EventLoopTimerRef, void*) {
      PostHostMouseEvent(kEventMouseDown, Point{200, 200}, 1, 0);
      PostHostMouseEvent(kEventMouseUp, Point{200, 200}, 1, 0);
    }
    static void Quit(EventLoopTimerRef, void* data) { QuitAppModalLoopForWindow(static_cast<Script*>(data)->modal); }
  } script{modal};
  EventLoopTimerRef click = nullptr, quit = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0.01, 0, Script::Click, &script, &click);
  InstallEventLoopTimer(GetMainEventLoop(), 0.08, 0, Script::Quit, &script, &quit);
  EXPECT_EQ(RunAppModalLoopForWindow(modal), noErr);
  RemoveEventLoopTimer(click);
  RemoveEventLoopTimer(quit);
  EXPECT_TRUE(log.Saw(kEventClassWindow, kEventWindowGetClickModality)) << "the window is asked first";
  EXPECT_FALSE(log.Saw(kEventClassWindow, kEventWindowClickContentRgn));
  EXPECT_EQ(ActiveNonFloatingWindow(), modal);
  EXPECT_GT(GetSysBeepCount(), beeps);
  HideWindow(modal);
  EXPECT_EQ(GetUserFocusWindow(), doc);
}

TEST_F(WindowTest, GetMouseAnswersInTheCurrentWindowsPort) {
  WindowRef doc = NewDocument(Rect{100, 100, 300, 400});
  ShowWindow(doc);
  SetPortWindowPort(doc);
  PostHostMouseEvent(kEventMouseMoved, Point{150, 130}, 0, 0);
  Point local;
  GetMouse(&local);
  EXPECT_EQ(local, (Point{50, 30}));
}

TEST_F(WindowTest, DisposingAWindowTakesBackItsQueuedEvents) {
  WindowRef doc = NewDocument(Rect{100, 100, 300, 400});
  ShowWindow(doc);
  EXPECT_GT(GetNumEventsInQueue(GetMainEventQueue()), 0u);
  EventRecord record;
  ASSERT_TRUE(EventAvail(activMask, &record));
  UInt32 message = record.message;
  DisposeWindow(doc);
  EXPECT_EQ(GetNumEventsInQueue(GetMainEventQueue()), 0u);
  EXPECT_EQ(GetWindowFromEventMessage(message), nullptr);
  EXPECT_FALSE(IsValidWindowPtr(doc));
  EXPECT_EQ(FrontWindow(), nullptr);
}

TEST_F(WindowTest, PropertiesTitlesAndKinds) {
  WindowRef doc = NewDocument(Rect{100, 100, 300, 400});
  UInt32 value = 0xCAFE, read = 0;
  ByteCount size = 0;
  EXPECT_EQ(GetWindowProperty(doc, FourCC("Zarn"), FourCC("root"), sizeof read, &size, &read), errWindowPropertyNotFound);
  EXPECT_EQ(SetWindowProperty(doc, FourCC("Zarn"), FourCC("root"), sizeof value, &value), noErr);
  EXPECT_EQ(GetWindowProperty(doc, FourCC("Zarn"), FourCC("root"), sizeof read, &size, &read), noErr);
  EXPECT_EQ(read, value);
  EXPECT_EQ(size, sizeof value);
  EXPECT_EQ(RemoveWindowProperty(doc, FourCC("Zarn"), FourCC("root")), noErr);
  EXPECT_EQ(GetWindowPropertySize(doc, FourCC("Zarn"), FourCC("root"), &size), errWindowPropertyNotFound);

  CFStringRef title = CFStringCreateWithUTF8("Tempo \xE2\x80\x93 fast");
  EXPECT_EQ(SetWindowTitleWithCFString(doc, title), noErr);
  CFRelease(title);
  Str255 back;
  GetWTitle(doc, back);
  EXPECT_EQ(back[0], 12);
  EXPECT_EQ(back[7], 0xD0) << "en dash in Mac Roman";
  SetWindowKind(doc, 21);
  EXPECT_EQ(GetWindowKind(doc), 21);
  EXPECT_EQ(GetWindowKind(nullptr), 0);
  EXPECT_EQ(GetWindowPort(nullptr), nullptr);
}

}  // namespace
