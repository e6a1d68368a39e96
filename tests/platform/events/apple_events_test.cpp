#include <signal.h>

#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/files/aliases.h"
#include "platform/files/file_locations.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "tests/platform/events/events_test_support.h"
#include "tests/test_support.h"

namespace {

using namespace events_test;

// An Apple event handler installed for the scope of a test.
class ScopedAEHandler {
 public:
  ScopedAEHandler(AEEventClass c, AEEventID id, AEEventHandlerUPP proc, SRefCon refcon)
      : class_(c), id_(id), proc_(proc) {
    EXPECT_EQ(AEInstallEventHandler(c, id, proc, refcon, false), noErr);
  }
  ~ScopedAEHandler() { AERemoveEventHandler(class_, id_, proc_, false); }

 private:
  AEEventClass class_;
  AEEventID id_;
  AEEventHandlerUPP proc_;
};

struct OpenedDocuments {
  std::vector<std::string> paths;
  std::vector<OSErr> refErrors;
  OSErr missing = noErr;
  Size rawSize = 0;
  int calls = 0;
  bool quitLoop = true;
};

OSErr HandleOpenDocuments(const AppleEvent* event, AppleEvent* reply, SRefCon refcon) {
  auto* opened = static_cast<OpenedDocuments*>(refcon);
  ++opened->calls;
  EXPECT_NE(reply, nullptr);
  AEDescList list;
  OSErr err = AEGetParamDesc(event, keyDirectObject, typeAEList, &list);
  if (err != noErr) return err;
  opened->missing = AEGetAttributePtr(event, keyMissedKeywordAttr, typeWildCard, nullptr, nullptr, 0, nullptr);
  SInt32 count = 0;
  AECountItems(&list, &count);
  for (SInt32 i = 1; i <= count; ++i) {
    FSSpec fileSpec;
    EXPECT_EQ(AEGetNthFSSpec(&list, i, &fileSpec), noErr);
    opened->paths.push_back(SpecToPath(&fileSpec));
    FSRef ref;
    opened->refErrors.push_back(AEGetNthPtr(&list, i, typeFSRef, nullptr, nullptr, &ref, sizeof ref, nullptr));
  }
  UInt8 image[80];
  AEGetNthPtr(&list, 1, typeFSS, nullptr, nullptr, image, sizeof image, &opened->rawSize);
  AEDisposeDesc(&list);
  if (opened->quitLoop) QuitApplicationEventLoop();
  return noErr;
}

TEST_F(EventsTest, OpenDocumentsFromCommandLinePathsReachTheHandler) {
  zarin_test::TempFolder folder;
  const std::string first = folder.File("First Song");
  const std::string second = folder.File("second.mid");
  const std::string missing = folder.File("missing.mid");
  ASSERT_TRUE(zarin_test::WriteWholeFile(first, "a"));
  ASSERT_TRUE(zarin_test::WriteWholeFile(second, "b"));

  OpenedDocuments opened;
  ScopedAEHandler handler(kCoreEventClass, kAEOpenDocuments, HandleOpenDocuments, &opened);
  EXPECT_EQ(PostOpenDocumentsEventForPaths({first, folder.File("no/such/folder/x"), missing, second}),
            dirNFErr);  // that path is left out, the others go
  RunApplicationEventLoop();

  EXPECT_EQ(opened.calls, 1);
  EXPECT_EQ(opened.paths, (std::vector<std::string>{first, missing, second}));
  EXPECT_EQ(opened.refErrors, (std::vector<OSErr>{noErr, errAECoercionFail, noErr}));
  EXPECT_EQ(opened.missing, errAEDescNotFound);
  EXPECT_EQ(opened.rawSize, Size(kFSSpecImageSize));

  EXPECT_EQ(PostOpenDocumentsEventForPaths({}), noErr);
  EXPECT_EQ(GetNumEventsInQueue(GetMainEventQueue()), 0u);
}

TEST_F(EventsTest, HighLevelEventsTakenByWaitNextEventAreProcessedByRecord) {
  zarin_test::TempFolder folder;
  ASSERT_TRUE(zarin_test::WriteWholeFile(folder.File("a"), "a"));
  OpenedDocuments opened;
  opened.quitLoop = false;
  ScopedAEHandler handler(kCoreEventClass, kAEOpenDocuments, HandleOpenDocuments, &opened);
  ASSERT_EQ(PostOpenDocumentsEventForPaths({folder.File("a")}), noErr);

  EventRecord record;
  ASSERT_TRUE(WaitNextEvent(highLevelEventMask, &record, 0, nullptr));
  EXPECT_EQ(record.what, kHighLevelEvent);
  EXPECT_EQ(record.message, kCoreEventClass);
  EXPECT_EQ((UInt32(UInt16(record.where.v)) << 16) | UInt16(record.where.h), kAEOpenDocuments);
  EXPECT_EQ(opened.calls, 0);
  EXPECT_EQ(AEProcessAppleEvent(&record), noErr);
  EXPECT_EQ(opened.calls, 1);
  EXPECT_EQ(opened.paths, std::vector<std::string>{folder.File("a")});
  EXPECT_EQ(AEProcessAppleEvent(&record), errAENotAppleEvent);  // processed once only
}

struct QuitSeen {
  std::atomic<int> calls{0};
};

OSErr HandleQuit(const AppleEvent*, AppleEvent*, SRefCon refcon) {
  ++static_cast<QuitSeen*>(refcon)->calls;
  QuitApplicationEventLoop();
  return noErr;
}

TEST_F(EventsTest, QuitRequestsFromOtherThreadsAndSignalsArriveOnce) {
  QuitSeen seen;
  {
    ScopedAEHandler handler(kCoreEventClass, kAEQuitApplication, HandleQuit, &seen);
    std::thread closer([] {
      PostQuitAppleEvent();
      PostQuitAppleEvent();  // before the main thread looks: still one event
    });
    closer.join();
    RunApplicationEventLoop();
    EXPECT_EQ(seen.calls.load(), 1);
    EXPECT_EQ(GetNumEventsInQueue(GetMainEventQueue()), 0u);

    InstallQuitSignalHandlers();
    raise(SIGTERM);
    RunApplicationEventLoop();
    EXPECT_EQ(seen.calls.load(), 2);
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
  }
  // Without a handler the quit ends the loop all the same.
  PostQuitAppleEvent();
  RunApplicationEventLoop();
  EXPECT_EQ(seen.calls.load(), 2);
}

TEST(QuitSignalDeathTest, ASecondSignalBeforeTheFirstIsTakenEndsTheProgram) {
  EXPECT_EXIT(
      {
        InstallQuitSignalHandlers();
        raise(SIGTERM);  // asks to quit; nobody runs the loop to take it
        raise(SIGTERM);
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

TEST(AppleEventDescTest, ValuesCoerceOrFailPlainly) {
  struct Case {
    DescType from;
    int64_t value;
    int size;
    DescType to;
    OSErr result;
    int64_t expected;
  };
  const Case cases[] = {
      {typeUInt32, 7, 4, typeSInt16, noErr, 7},
      {typeSInt16, -3, 2, typeSInt32, noErr, -3},
      {typeSInt32, -1, 4, typeUInt32, errAECoercionFail, 0},
      {typeSInt32, 70000, 4, typeSInt16, errAECoercionFail, 0},
      {typeSInt32, 1, 4, typeBoolean, noErr, 1},
      {typeSInt32, 2, 4, typeBoolean, errAECoercionFail, 0},
      {typeSInt32, 5, 4, typeFSS, errAECoercionFail, 0},
  };
  for (const Case& c : cases) {
    AEDesc desc, coerced;
    ASSERT_EQ(AECreateDesc(c.from, &c.value, c.size, &desc), noErr);
    EXPECT_EQ(AECoerceDesc(&desc, c.to, &coerced), c.result) << c.value;
    if (c.result == noErr) {
      int64_t out = 0;
      EXPECT_EQ(AEGetDescData(&coerced, &out, sizeof out), noErr);
      Size size = AEGetDescDataSize(&coerced);
      int64_t value = size == 1 ? int64_t(int8_t(out)) : size == 2 ? int64_t(int16_t(out))
                                                                   : int64_t(int32_t(out));
      EXPECT_EQ(value, c.expected);
    }
    AEDisposeDesc(&desc);
    AEDisposeDesc(&coerced);
    EXPECT_EQ(coerced.descriptorType, typeNull);
  }
}

TEST(AppleEventDescTest, ListsAndRecordsHoldCopies) {
  AEDescList list;
  ASSERT_EQ(AECreateList(nullptr, 0, false, &list), noErr);
  SInt32 values[] = {10, 20, 30};
  for (SInt32& v : values) ASSERT_EQ(AEPutPtr(&list, 0, typeSInt32, &v, sizeof v), noErr);
  values[0] = 99;  // the list kept its own copy
  SInt32 replacement = 25;
  EXPECT_EQ(AEPutPtr(&list, 2, typeSInt32, &replacement, sizeof replacement), noErr);
  EXPECT_EQ(AEPutPtr(&list, 5, typeSInt32, &replacement, sizeof replacement), errAEIllegalIndex);
  EXPECT_EQ(AEDeleteItem(&list, 3), noErr);

  AEDescList copy;
  AEDuplicateDesc(&list, &copy);
  AEDisposeDesc(&list);
  SInt32 count = 0;
  ASSERT_EQ(AECountItems(&copy, &count), noErr);
  EXPECT_EQ(count, 2);
  struct Case {
    SInt32 index;
    OSErr result;
    SInt32 value;
  };
  for (const Case& c : {Case{1, noErr, 10}, Case{2, noErr, 25}, Case{0, errAEIllegalIndex, 0},
                        Case{3, errAEIllegalIndex, 0}}) {
    SInt32 value = 0;
    AEKeyword key = 0;
    Size size = 0;
    EXPECT_EQ(AEGetNthPtr(&copy, c.index, typeSInt32, &key, nullptr, &value, sizeof value, &size), c.result);
    if (c.result == noErr) {
      EXPECT_EQ(value, c.value);
      EXPECT_EQ(key, typeWildCard);
      EXPECT_EQ(size, 4);
    }
  }
  SInt32 plain = 1;
  AEDesc notList;
  AECreateDesc(typeSInt32, &plain, sizeof plain, &notList);
  EXPECT_EQ(AECountItems(&notList, &count), errAEWrongDataType);
  AEDesc wrapped;
  ASSERT_EQ(AECoerceDesc(&notList, typeAEList, &wrapped), noErr);  // one item, as a list
  AECountItems(&wrapped, &count);
  EXPECT_EQ(count, 1);
  AEDisposeDesc(&wrapped);
  AEDisposeDesc(&notList);
  AEDisposeDesc(&copy);

  AERecord record;
  AECreateList(nullptr, 0, true, &record);
  EXPECT_EQ(AEPutKeyPtr(&record, FourCC("name"), typeSInt32, &plain, sizeof plain), noErr);
  EXPECT_EQ(AEGetKeyPtr(&record, FourCC("name"), typeSInt16, nullptr, &replacement, 2, nullptr), noErr);
  EXPECT_EQ(AEGetKeyPtr(&record, FourCC("none"), typeSInt32, nullptr, nullptr, 0, nullptr), errAEDescNotFound);
  EXPECT_EQ(AEGetAttributePtr(&record, keyEventClassAttr, typeType, nullptr, nullptr, 0, nullptr),
            errAENotAppleEvent);
  AEDisposeDesc(&record);
}

TEST(AppleEventDescTest, FileSpecImagesAndURLs) {
  zarin_test::TempFolder folder;
  const std::string path = folder.File("a b%.mid");
  ASSERT_TRUE(zarin_test::WriteWholeFile(path, "x"));
  FSSpec fileSpec;
  ASSERT_EQ(PathToSpec(path, &fileSpec), noErr);
  UInt8 image[kFSSpecImageSize];
  FSSpecToAEImage(fileSpec, image);
  EXPECT_EQ(ReadI16BE(image), fileSpec.vRefNum);
  EXPECT_EQ(ReadI32BE(image + 2), fileSpec.parID);
  EXPECT_EQ(image[6], fileSpec.name[0]);
  FSSpec back;
  FSSpecFromAEImage(image, &back);
  EXPECT_TRUE(IsSameFSSpec(&back, &fileSpec));

  AEDesc fss, url, again;
  ASSERT_EQ(AECreateDesc(typeFSS, image, sizeof image, &fss), noErr);
  ASSERT_EQ(AECoerceDesc(&fss, typeFileURL, &url), noErr);
  std::string text(size_t(AEGetDescDataSize(&url)), '\0');
  AEGetDescData(&url, text.data(), Size(text.size()));
  EXPECT_NE(text.find("a%20b%25.mid"), std::string::npos) << text;
  ASSERT_EQ(AECoerceDesc(&url, typeFSS, &again), noErr);
  AEDescList list;
  AECreateList(nullptr, 0, false, &list);
  AEPutDesc(&list, 0, &again);
  FSSpec fromURL;
  EXPECT_EQ(AEGetNthFSSpec(&list, 1, &fromURL), noErr);
  EXPECT_EQ(SpecToPath(&fromURL), path);

  const char* bad = "http://example.org/x";
  AEDesc badURL, none;
  AECreateDesc(typeFileURL, bad, Size(std::strlen(bad)), &badURL);
  EXPECT_EQ(AECoerceDesc(&badURL, typeFSS, &none), errAECoercionFail);
  UInt8 shortImage[10] = {};
  AEPutPtr(&list, 0, typeFSS, shortImage, sizeof shortImage);
  EXPECT_EQ(AEGetNthFSSpec(&list, 2, &fromURL), errAECorruptData);
  // Our alias records coerce to the FSSpec they resolve to.
  AliasHandle alias;
  ASSERT_EQ(NewAlias(nullptr, &fileSpec, &alias), noErr);
  AEDesc aliasDesc, resolved;
  AECreateDesc(typeAlias, *alias, GetHandleSize(alias), &aliasDesc);
  DisposeHandle(alias);
  ASSERT_EQ(AECoerceDesc(&aliasDesc, typeFSS, &resolved), noErr);
  ASSERT_EQ(AEGetDescDataSize(&resolved), Size(kFSSpecImageSize));
  AEGetDescData(&resolved, image, sizeof image);
  FSSpecFromAEImage(image, &back);
  EXPECT_TRUE(IsSameFSSpec(&back, &fileSpec));
  for (AEDesc* d : {&fss, &url, &again, &list, &badURL, &aliasDesc, &resolved}) AEDisposeDesc(d);
}

OSErr CountingHandler(const AppleEvent*, AppleEvent*, SRefCon refcon) {
  ++*static_cast<int*>(refcon);
  return -5000;
}

OSErr OtherHandler(const AppleEvent*, AppleEvent*, SRefCon) { return noErr; }

TEST_F(EventsTest, HandlersDispatchByClassAndIdAndSendReachesOnlyThisProcess) {
  int exact = 0, wildcard = 0;
  ScopedAEHandler a(FourCC("zarn"), FourCC("ping"), CountingHandler, &exact);
  ScopedAEHandler b(FourCC("zarn"), typeWildCard, CountingHandler, &wildcard);
  EXPECT_EQ(AERemoveEventHandler(FourCC("zarn"), FourCC("ping"), OtherHandler, false), errAEHandlerNotFound);

  ProcessSerialNumber self{0, kCurrentProcess}, other{0, 4242};
  struct Case {
    AEEventID id;
    const ProcessSerialNumber* to;
    OSErr result;
    int exact;
    int wildcard;
    bool errorInReply;
  };
  const Case cases[] = {
      {FourCC("ping"), &self, noErr, 1, 0, true},
      {FourCC("pong"), &self, noErr, 1, 1, true},
      {FourCC("ping"), &other, procNotFound, 1, 1, false},
  };
  for (const Case& c : cases) {
    AEAddressDesc address;
    AECreateDesc(typeProcessSerialNumber, c.to, sizeof *c.to, &address);
    AppleEvent event, reply;
    ASSERT_EQ(AECreateAppleEvent(FourCC("zarn"), c.id, &address, kAutoGenerateReturnID,
                                 kAnyTransactionID, &event), noErr);
    AEEventID id = 0;
    EXPECT_EQ(AEGetAttributePtr(&event, keyEventIDAttr, typeType, nullptr, &id, sizeof id, nullptr), noErr);
    EXPECT_EQ(id, c.id);
    EXPECT_EQ(AESend(&event, &reply, kAEWaitReply, kAENormalPriority, 120, nullptr, nullptr), c.result);
    EXPECT_EQ(exact, c.exact);
    EXPECT_EQ(wildcard, c.wildcard);
    SInt32 error = 0;
    EXPECT_EQ(AEGetParamPtr(&reply, keyErrorNumber, typeSInt32, nullptr, &error, sizeof error, nullptr) == noErr,
              c.errorInReply);
    if (c.errorInReply) {
      EXPECT_EQ(error, -5000);
    }
    AEDisposeDesc(&address);
    AEDisposeDesc(&event);
    AEDisposeDesc(&reply);
  }

  AEEventHandlerUPP found = nullptr;
  SRefCon refcon = nullptr;
  EXPECT_EQ(AEGetEventHandler(FourCC("zarn"), FourCC("ping"), &found, &refcon, false), noErr);
  EXPECT_EQ(found, CountingHandler);
  EXPECT_EQ(refcon, &exact);
  EventRecord notHighLevel;
  EXPECT_EQ(AEProcessAppleEvent(&notHighLevel), errAENotAppleEvent);
}

}  // namespace
