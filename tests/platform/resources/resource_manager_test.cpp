// The Resource Manager over data-fork resource files: writing and reading back, handles,
// the search chain, string lists, and files that are refused.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "tests/test_support.h"

namespace {

using zarin_test::ReadWholeFile;
using zarin_test::TempFolder;
using zarin_test::WriteWholeFile;

constexpr ResType kText = FourCC("TEXT");
constexpr ResType kData = FourCC("DATA");

std::string P(const char* s) { return std::string(1, char(std::strlen(s))) + s; }  // Pascal form
ConstStr255Param PS(const std::string& p) { return reinterpret_cast<ConstStr255Param>(p.data()); }

Handle HandleWith(const std::string& bytes) {
  Handle h = NewHandle(Size(bytes.size()));
  if (!bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
  return h;
}

std::string Contents(Handle h) { return std::string(*h, size_t(GetHandleSize(h))); }

class ResourceManagerTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseAllResFiles(); }

  // A new data-fork resource file holding records; returns its path.
  std::string MakeFile(const char* name, std::vector<ResourceRecord> records = {}) {
    ResourceForkImage image;
    image.resources = std::move(records);
    std::string path = folder_.File(name);
    EXPECT_EQ(WriteDataForkResourceFile(path, image), noErr);
    return path;
  }

  SInt16 Open(const std::string& path, SInt8 permission = 3) {
    SInt16 refNum = -1;
    EXPECT_EQ(OpenResourceFileAtPath(path, permission, true, &refNum), noErr) << path;
    return refNum;
  }

  TempFolder folder_;
};

ResourceRecord Rec(ResType type, SInt16 id, std::string data, const char* name = nullptr) {
  ResourceRecord rec;
  rec.type = type;
  rec.id = id;
  rec.data = std::move(data);
  rec.hasName = name != nullptr;
  rec.name = name ? name : "";
  return rec;
}

TEST_F(ResourceManagerTest, WrittenResourcesReadBackAfterReopening) {
  struct Item {
    ResType type;
    SInt16 id;
    const char* name;
    SInt16 attrs;
    std::string data;
  };
  const Item items[] = {
      {kText, 128, "Greeting", resPurgeable, "hello"},
      {kText, -300, nullptr, 0, ""},
      {kData, 1, "Bytes", resLocked | resPreload, std::string("\0\1\2\xff", 4)},
      {FourCC("STR#"), 129, "List", 0, std::string("\0\2\1a\2bc", 7)},
  };
  std::string path = MakeFile("Written.rsrc");
  SInt16 refNum = Open(path);
  for (const Item& it : items) {
    Handle h = HandleWith(it.data);
    AddResource(h, it.type, it.id, it.name ? PS(P(it.name)) : nullptr);
    ASSERT_EQ(ResError(), noErr);
    SetResAttrs(h, SInt16(GetResAttrs(h) | it.attrs));
  }
  CloseResFile(refNum);
  ASSERT_EQ(ResError(), noErr);

  Open(path, 1);
  EXPECT_EQ(Count1Types(), 3);
  EXPECT_EQ(Count1Resources(kText), 2);
  for (const Item& it : items) {
    Handle h = Get1Resource(it.type, it.id);
    ASSERT_TRUE(h) << it.id;
    EXPECT_EQ(Contents(h), it.data);
    SInt16 id = 0;
    ResType type = 0;
    Str255 name;
    GetResInfo(h, &id, &type, name);
    EXPECT_EQ(id, it.id);
    EXPECT_EQ(type, it.type);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), it.name ? it.name : "");
    EXPECT_EQ(GetResAttrs(h), it.attrs);  // written without the changed bit
    EXPECT_EQ(GetResourceSizeOnDisk(h), SInt32(it.data.size()));
  }
  EXPECT_EQ(IsHandleLocked(Get1Resource(kData, 1)), true);  // resLocked
  Handle byName = Get1NamedResource(kText, PS(P("greeting")));  // names match without case
  EXPECT_EQ(byName, Get1Resource(kText, 128));
  EXPECT_FALSE(Get1Resource(kText, 999));
  EXPECT_EQ(ResError(), resNotFound);
}

TEST_F(ResourceManagerTest, HandlesStayWhileLoadedAndChangesNeedChangedResource) {
  std::string path = MakeFile("Handles.rsrc", {Rec(kText, 1, "one"), Rec(kText, 2, "two")});
  SInt16 refNum = Open(path);
  Handle one = GetResource(kText, 1);
  ASSERT_TRUE(one);
  EXPECT_EQ(GetResource(kText, 1), one);
  EXPECT_TRUE(HGetState(one) & kHandleResourceBit);
  EXPECT_EQ(HomeResFile(one), refNum);

  // Edited and marked: written. Edited without ChangedResource: not written.
  SetHandleSize(one, 5);
  std::memcpy(*one, "ONE!!", 5);
  ChangedResource(one);
  Handle two = GetResource(kText, 2);
  std::memcpy(*two, "TWO", 3);
  CloseResFile(refNum);
  EXPECT_FALSE(IsValidHandle(one));  // closing disposes the file's handles

  Open(path);
  EXPECT_EQ(Contents(GetResource(kText, 1)), "ONE!!");
  EXPECT_EQ(Contents(GetResource(kText, 2)), "two");
}

TEST_F(ResourceManagerTest, ReleaseDetachAndCallerDisposal) {
  std::string path = MakeFile("Owners.rsrc", {Rec(kText, 1, "one")});
  Open(path);
  Handle h = GetResource(kText, 1);
  ReleaseResource(h);
  EXPECT_FALSE(IsValidHandle(h));
  Handle again = GetResource(kText, 1);
  ASSERT_TRUE(IsValidHandle(again));
  EXPECT_EQ(Contents(again), "one");

  DetachResource(again);
  EXPECT_TRUE(IsValidHandle(again));
  EXPECT_FALSE(HGetState(again) & kHandleResourceBit);
  EXPECT_EQ(HomeResFile(again), -1);
  Handle fresh = GetResource(kText, 1);
  EXPECT_NE(fresh, again);
  DisposeHandle(again);  // the caller's now

  DisposeHandle(fresh);  // the caller disposes a resource handle: noticed, loaded afresh
  Handle reloaded = GetResource(kText, 1);
  ASSERT_TRUE(IsValidHandle(reloaded));
  EXPECT_EQ(Contents(reloaded), "one");
}

TEST_F(ResourceManagerTest, ReleasingAChangedResourceKeepsTheChange) {
  std::string path = MakeFile("Release.rsrc", {Rec(kText, 1, "old")});
  SInt16 refNum = Open(path);
  Handle h = GetResource(kText, 1);
  std::memcpy(*h, "new", 3);
  ChangedResource(h);
  ReleaseResource(h);
  EXPECT_EQ(Contents(GetResource(kText, 1)), "new");
  CloseResFile(refNum);
  Open(path);
  EXPECT_EQ(Contents(GetResource(kText, 1)), "new");
}

TEST_F(ResourceManagerTest, RemovedResourceIsGoneAfterReopening) {
  std::string path = MakeFile("Remove.rsrc", {Rec(kText, 1, "one"), Rec(kText, 2, "two")});
  SInt16 refNum = Open(path);
  Handle h = GetResource(kText, 1);
  RemoveResource(h);
  ASSERT_EQ(ResError(), noErr);
  EXPECT_TRUE(IsValidHandle(h));  // the handle is the caller's now
  EXPECT_EQ(HomeResFile(h), -1);
  DisposeHandle(h);
  CloseResFile(refNum);

  Open(path);
  EXPECT_FALSE(GetResource(kText, 1));
  EXPECT_EQ(Contents(GetResource(kText, 2)), "two");
  EXPECT_EQ(CountResources(kText), 1);
}

TEST_F(ResourceManagerTest, ProtectedResourcesRefuseChanges) {
  ResourceRecord rec = Rec(kText, 1, "fixed");
  rec.attributes = resProtected;
  Open(MakeFile("Protected.rsrc", {rec}));
  Handle h = GetResource(kText, 1);
  RemoveResource(h);
  EXPECT_EQ(ResError(), rmvResFailed);
  ChangedResource(h);
  EXPECT_EQ(ResError(), resAttrErr);
  SetResInfo(h, 5, nullptr);
  EXPECT_EQ(ResError(), resAttrErr);
}

TEST_F(ResourceManagerTest, AddingATakenIdReplacesAndUniqueIdAvoidsTakenIds) {
  std::string below = MakeFile("Below.rsrc", {Rec(kText, 130, "")});
  std::string above = MakeFile("Above.rsrc", {Rec(kText, 128, ""), Rec(kText, 129, "")});
  Open(below);
  SInt16 top = Open(above);
  EXPECT_EQ(Unique1ID(kText), 130);  // the current file alone
  EXPECT_EQ(UniqueID(kText), 131);   // the whole chain

  Handle old = GetResource(kText, 128);
  AddResource(HandleWith("new"), kText, 128, nullptr);
  EXPECT_EQ(ResError(), noErr);
  EXPECT_FALSE(IsValidHandle(old));
  EXPECT_EQ(Count1Resources(kText), 2);
  EXPECT_EQ(Contents(Get1Resource(kText, 128)), "new");

  Handle h = Get1Resource(kText, 129);
  SetResInfo(h, 128, nullptr);  // another resource has that id
  EXPECT_EQ(ResError(), addResFailed);
  AddResource(h, kData, 1, nullptr);  // already a resource
  EXPECT_EQ(ResError(), addResFailed);
  (void)top;
}

TEST_F(ResourceManagerTest, SearchChainFallsThroughToOlderFiles) {
  std::string appPath = MakeFile("App.rsrc", {Rec(kText, 1, "app one"), Rec(kText, 2, "app two")});
  std::string prefsPath = MakeFile("Prefs.rsrc", {Rec(kText, 2, "prefs two"), Rec(kText, 3, "prefs three")});
  SInt16 app = -1;
  ASSERT_EQ(OpenAppResourceFile(appPath, &app), noErr);
  SInt16 prefs = Open(prefsPath);
  EXPECT_EQ(CurResFile(), prefs);

  struct Case {
    SInt16 current;
    bool oneFile;
    SInt16 id;
    const char* expected;  // null: not found
  };
  const Case cases[] = {
      {prefs, false, 1, "app one"},  {prefs, false, 2, "prefs two"}, {prefs, true, 1, nullptr},
      {prefs, true, 3, "prefs three"}, {app, false, 2, "app two"},   {app, false, 3, nullptr},
  };
  for (const Case& c : cases) {
    UseResFile(c.current);
    Handle h = c.oneFile ? Get1Resource(kText, c.id) : GetResource(kText, c.id);
    if (!c.expected) {
      EXPECT_FALSE(h) << c.id;
      EXPECT_EQ(ResError(), resNotFound);
    } else {
      ASSERT_TRUE(h) << c.id;
      EXPECT_EQ(Contents(h), c.expected);
    }
  }
  UseResFile(prefs);
  EXPECT_EQ(CountResources(kText), 4);
  EXPECT_EQ(Contents(GetIndResource(kText, 3)), "app one");  // the current file's first
  EXPECT_FALSE(GetIndResource(kText, 5));

  // The same file opened again: the same refnum.
  EXPECT_EQ(Open(prefsPath), prefs);
  UseResFile(999);
  EXPECT_EQ(ResError(), resFNotFound);
  EXPECT_EQ(CurResFile(), prefs);
  CloseResFile(prefs);
  EXPECT_EQ(CurResFile(), app);
}

TEST_F(ResourceManagerTest, ReadOnlyFilesAreNeverWritten) {
  std::string path = MakeFile("ReadOnly.rsrc", {Rec(kText, 1, "one")});
  std::string before = ReadWholeFile(path);
  SInt16 app = -1;
  ASSERT_EQ(OpenAppResourceFile(path, &app), noErr);
  AddResource(HandleWith("x"), kText, 2, nullptr);
  UpdateResFile(app);
  EXPECT_EQ(ResError(), kResWrPermErr);
  CloseResFile(app);
  EXPECT_EQ(ReadWholeFile(path), before);
}

TEST_F(ResourceManagerTest, ResLoadOffGivesEmptyHandlesThatLoadResourceFills) {
  Open(MakeFile("Lazy.rsrc", {Rec(kData, 1, "payload")}));
  SetResLoad(false);
  Handle h = GetResource(kData, 1);
  SetResLoad(true);
  ASSERT_TRUE(h);
  EXPECT_EQ(GetHandleSize(h), 0);
  LoadResource(h);
  EXPECT_EQ(Contents(h), "payload");
  EXPECT_EQ(GetResource(kData, 1), h);
}

TEST_F(ResourceManagerTest, IndexedStrings) {
  std::string list = std::string("\0\3", 2) + P("first") + P("") + P("third");
  std::string shortList = std::string("\0\5", 2) + P("only");  // says 5, holds 1
  Open(MakeFile("Strings.rsrc", {Rec(FourCC("STR#"), 129, list), Rec(FourCC("STR#"), 130, shortList),
                                 Rec(FourCC("STR "), 200, P("single"))}));
  struct Case {
    SInt16 list, index;
    const char* expected;
  };
  const Case cases[] = {{129, 1, "first"}, {129, 2, ""}, {129, 3, "third"}, {129, 4, ""}, {129, 0, ""},
                        {129, -1, ""},     {130, 1, "only"}, {130, 2, ""}, {131, 1, ""}};
  for (const Case& c : cases) {
    Str255 s;
    s[0] = 99;
    GetIndString(s, c.list, c.index);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(s + 1), s[0]), c.expected) << c.list << "/" << c.index;
  }
  Handle str = GetString(200);
  ASSERT_TRUE(str);
  EXPECT_EQ(Contents(str), P("single"));
  EXPECT_FALSE(GetString(201));
}

TEST_F(ResourceManagerTest, DamagedFilesAreRefusedAndLeftAlone) {
  std::string good;
  ResourceForkImage image;
  image.resources = {Rec(kText, 1, "one")};
  ASSERT_EQ(SerializeResourceFork(image, &good), noErr);
  struct Case {
    const char* what;
    std::string bytes;
    OSErr expected;
  };
  std::string badMap = good;
  badMap[ReadU32BE(good.data() + 4) + 25] = char(0xF0);  // type list offset beyond the map
  const Case cases[] = {
      {"empty", "", kResEofErr},
      {"truncated", good.substr(0, good.size() - 3), kResEofErr},
      {"bad map", badMap, mapReadErr},
  };
  for (const Case& c : cases) {
    std::string path = folder_.File(std::string(c.what) + ".rsrc");
    ASSERT_TRUE(WriteWholeFile(path, c.bytes));
    SInt16 refNum = 0;
    EXPECT_EQ(OpenResourceFileAtPath(path, 3, true, &refNum), c.expected) << c.what;
    EXPECT_EQ(refNum, -1);
    EXPECT_EQ(ReadWholeFile(path), c.bytes) << c.what;
  }
  SInt16 refNum = 0;
  EXPECT_EQ(OpenResourceFileAtPath(folder_.File("missing.rsrc"), 3, true, &refNum), kResFnfErr);
}

}  // namespace
