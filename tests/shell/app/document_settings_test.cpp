// The settings a song document carries in its header come back into force when the saved
// document is opened again: the font and the window appearance style the program had when it
// saved, the frame rate, and the keyboard velocity and the two song window colours handed to
// their owners.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/files/file_locations.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/text.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/window_appearance.h"
#include "song/conductor/tempo_tables.h"
#include "song/documents/document_file.h"
#include "song/documents/document_hooks.h"
#include "song/documents/document_open.h"
#include "song/documents/document_writer.h"
#include "tests/shell/app/app_fixture.h"
#include "tests/test_support.h"

namespace app_test {
namespace {

int8_t gVelocityTaken = 0;
std::vector<uint16_t> gColoursTaken;

void TakeVelocity(int8_t velocity) { gVelocityTaken = velocity; }
void TakeColours(const uint16_t first[3], const uint16_t second[3]) {
  gColoursTaken.assign(first, first + 3);
  gColoursTaken.insert(gColoursTaken.end(), second, second + 3);
}

class DocumentSettings : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartUpApplication(40);
    // The on-screen keyboard and the song windows' colours stand in for their owners.
    gDocumentHooks.setKeyboardVelocity = TakeVelocity;
    gDocumentHooks.setSongWindowColours = TakeColours;
  }
  void TearDown() override {
    gDocumentHooks.setKeyboardVelocity = nullptr;
    gDocumentHooks.setSongWindowColours = nullptr;
    QuitApplication(0);
    AppTest::TearDown();
  }
  zarin_test::TempFolder folder_;
};

TEST_F(DocumentSettings, ASavedSettingIsInForceWhenTheDocumentOpensAgain) {
  short charcoal = 0;
  GetFNum(reinterpret_cast<ConstStr255Param>("\010Charcoal"), &charcoal);
  ASSERT_NE(0, charcoal);
  struct Case {
    const char* name;
    std::function<void(uint8_t* header)> carry;  // the setting as the document carries it
    std::function<void()> reset;                 // the program without it
    std::function<void()> check;                 // the program with it again
  };
  const Case cases[] = {
      {"font", [&](uint8_t*) { gDefaultFontId = charcoal; },  // the program's, kept by the save
       [] { gDefaultFontId = 1; }, [&] { EXPECT_EQ(charcoal, gDefaultFontId); }},
      {"appearance", [](uint8_t*) { gCurrentStyleId = 139; },
       [] {
         ApplyAppearanceStyle(138, false);
         gCurrentStyleId = 138;
       },
       [] {
         EXPECT_EQ(139, gCurrentStyleId);
         EXPECT_EQ(139, gStyleId);
       }},
      {"frame rate", [](uint8_t* h) { h[kFileHeaderFrameRate] = 1; },
       [] { gSmpteRateCode = 3; }, [] { EXPECT_EQ(1, gSmpteRateCode); }},
      {"keyboard velocity", [](uint8_t* h) { h[kFileHeaderKeyboardVelocity] = 90; },
       [] { gVelocityTaken = 0; }, [] { EXPECT_EQ(90, gVelocityTaken); }},
      {"window colours",
       [](uint8_t* h) { std::memcpy(h + kFileHeaderColour1, "\x10\x20\x30\0\0\0\xFF", 7); },
       [] { gColoursTaken.clear(); },
       [] { EXPECT_EQ((std::vector<uint16_t>{0x1000, 0x2000, 0x3000, 0, 0, 0xFF00}), gColoursTaken); }},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FSSpec location;
    PathToSpec(folder_.File("song" + std::to_string(n++)), &location);
    c.carry(gSongFileHeader);
    ASSERT_EQ(noErr, SaveSongDocument(&location, 0));
    c.reset();
    ASSERT_EQ(noErr, OpenSongFile(&location, 0, false));
    c.check();
  }
}

TEST_F(DocumentSettings, ADocumentWithoutTheSettingsChangesNothing) {
  FSSpec location;
  PathToSpec(folder_.File("plain"), &location);
  std::memset(gSongFileHeader + kFileHeaderFirstPiece, 0, kFileHeaderSlots - kFileHeaderFirstPiece);
  // Written as before the font and the style were kept.
  DocumentHooks owners = gDocumentHooks;
  gDocumentHooks.getProgramFontName = nullptr;
  gDocumentHooks.getWindowAppearance = nullptr;
  ASSERT_EQ(noErr, SaveSongDocument(&location, 0));
  gDocumentHooks = owners;
  GetFNum(reinterpret_cast<ConstStr255Param>("\010Charcoal"), &gDefaultFontId);
  const int16_t font = gDefaultFontId, style = gCurrentStyleId;
  gVelocityTaken = 0;
  gColoursTaken.clear();
  ASSERT_EQ(noErr, OpenSongFile(&location, 0, false));
  EXPECT_EQ(font, gDefaultFontId) << "no font name: the user's font stays";
  EXPECT_EQ(style, gCurrentStyleId);
  EXPECT_EQ(0, gVelocityTaken);
  EXPECT_TRUE(gColoursTaken.empty());
}

}  // namespace
}  // namespace app_test
