// Documents saved by older versions: built byte by byte in their stored forms (shorter song
// headers and track entries, handle words at their old places, older section lists, region
// records, device and instrument tables) and opened into the songs today's form would hold.
// Versions whose forms are not read are refused with a message that names the file and the
// version, and a cut-short old document is refused; neither changes the open document.
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialogs/param_text.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/conductor/timebase.h"
#include "song/documents/document_file.h"
#include "song/documents/document_open.h"
#include "song/documents/old_document_forms.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_records.h"
#include "song/model/song_bodies.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/track_sections.h"
#include "tests/song/documents/document_fixture.h"

namespace doc_test {
namespace {

// Big-endian appenders.
void AddU16(std::string* s, uint16_t v) {
  s->push_back(char(v >> 8));
  s->push_back(char(v));
}
void AddU32(std::string* s, uint32_t v) {
  AddU16(s, uint16_t(v >> 16));
  AddU16(s, uint16_t(v));
}
void AddSized(std::string* s, const std::string& block) {
  AddU32(s, uint32_t(block.size()));
  *s += block;
}
std::string Ramp(size_t n, uint8_t seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = char(seed + i * 3);
  return s;
}

// The flag byte of stored event r, and what files of a version keep of it: before 899 only
// the selection, except that before 896 a leading run of events with the bits 0x0C keeps those.
constexpr uint8_t kStoredFlags[6] = {0x0D, 0x04, 0x03, 0x0E, 0x05, 0x0B};
uint8_t KeptFlags(int32_t r, uint16_t version) {
  uint8_t f = kStoredFlags[r % 6];
  if (version == 0 || version >= 899) return f;
  bool leading = version < 896;
  for (int32_t i = 0; i <= r && leading; ++i) leading = (kStoredFlags[i % 6] & 0x0C) != 0;
  return leading ? (f & 0x0C) : (f & 0x01);
}

// A list of notes and controllers on a rising ramp of ticks, closed by its end record; the
// flag bytes as stored (version 0) or as files of a version keep them.
std::string EventList(int32_t count, uint8_t seed, uint16_t version = 0) {
  std::string s;
  for (int32_t i = 0; i < count; ++i) {
    std::string note(14, '\0');
    PutU32(&note, 0, uint32_t(10 + 97 * i + seed));
    note[4] = char(KeptFlags(2 * i, version));
    note[5] = char(0x90 | (i & 15));
    note[6] = char(36 + i + seed % 7);
    note[7] = char(100 - i);
    PutU32(&note, 8, uint32_t(40 + i));
    note[11] = char(0x90 | (i & 15));
    s += note;
    std::string cc(8, '\0');
    PutU32(&cc, 0, uint32_t(20 + 97 * i + seed));
    cc[4] = char(KeptFlags(2 * i + 1, version));
    cc[5] = char(0xB0);
    cc[6] = 7;
    cc[7] = char(i * 5);
    s += cc;
  }
  return s + std::string(14, '\0');
}

struct OldTrack {
  std::string name;
  uint8_t number;
  int32_t events;
  bool sections;
  bool audio;
  bool child;
};

// The stored forms of one older version.
class OldDocument {
 public:
  explicit OldDocument(uint16_t version) : v_(version) {}

  int32_t HeaderSize() const { return v_ >= 1575 ? 348 : v_ >= 1040 ? 218 : 154; }
  int32_t EntrySize() const { return v_ >= 1586 ? 192 : v_ >= 1034 ? 144 : 108; }
  int32_t RegionSize() const { return v_ <= 1567 ? 64 : 128; }
  int32_t InstrumentSize() const { return v_ <= 1120 ? 128 : 256; }

  std::string Build(const std::vector<OldTrack>& tracks) const {
    std::string file = Header();
    file += Sections();
    for (int32_t i = 0; i < 32; ++i) AddU32(&file, i == 0 ? 1 : 0);
    file += Instruments();
    file += Song(tracks, false);
    return file;
  }

  // The song block of the tracks, in this version's form.
  std::string SongBlock(const std::vector<OldTrack>& tracks, bool isChild) const {
    std::string h(size_t(HeaderSize()), '\0');
    PutU16(&h, 0, uint16_t(tracks.size()));
    PutU16(&h, 12, 1200);
    PutU16(&h, 38, 512);  // the tempo factor
    PutU16(&h, 30, 480);
    h[32] = 4;
    PutU16(&h, 44, uint16_t(tracks.size()));  // beyond the entries: taken as entry 0
    PutU32(&h, 96, isChild ? 0 : 1);         // the pane table follows
    if (HeaderSize() > 171) {
      PutU16(&h, 168, 111);
      PutU16(&h, 170, 222);
    }
    if (HeaderSize() > 195) h[195] = 2;  // the song mode of older headers
    if (HeaderSize() > 334) PutU16(&h, 334, uint16_t(gTicksPerQuarter));
    for (const OldTrack& t : tracks) h += Entry(t);
    return h;
  }

  std::string Entry(const OldTrack& t) const {
    std::string e(size_t(EntrySize()), '\0');
    PutU16(&e, 0, uint16_t(EntrySize() + (t.child ? 8 : 0)));
    e[2] = t.child ? 1 : 0;
    e[3] = char(t.number);
    PutU32(&e, 22, uint32_t(EventList(t.events, t.number).size()));
    std::string name = t.name + std::string(32 - t.name.size(), ' ');
    e.replace(26, 32, name);
    PutU32(&e, 64, 1);  // old handle words: events, sections, audio
    PutU32(&e, 72, t.sections ? 1 : 0);
    PutU32(&e, 76, t.audio ? 1 : 0);
    PutU16(&e, 68, 77);
    PutU16(&e, 14, 0x1234);
    e[80] = 2;
    PutU16(&e, 84, 0x0300);
    PutU16(&e, 86, 0x0500);
    if (t.child) {
      AddU32(&e, 1);
      AddU32(&e, 0);
    }
    return e;
  }

  // A section list of the older form: 12-byte head, two 32-byte entries.
  // Head: spare, count, saved length; entries: current start, start, end, spare, count,
  // current repeat, repeats end, spare.
  static std::string OldSections() {
    std::string s(12 + 2 * 32, '\0');
    PutU32(&s, 4, 2);
    PutU32(&s, 8, 777);
    const uint32_t entries[2][3] = {{5, 9, 2}, {20, 30, 0}};
    for (size_t i = 0; i < 2; ++i) {
      size_t at = 12 + 32 * i;
      PutU32(&s, at + 4, entries[i][0]);
      PutU32(&s, at + 8, entries[i][1]);
      PutU32(&s, at + 12, 0x5555);  // cleared in the new form
      PutU32(&s, at + 16, entries[i][2]);
      PutU32(&s, at + 24, SectionRepeatsEnd(entries[i][0], entries[i][1], entries[i][2]));
      PutU32(&s, at + 28, 0x6666);
    }
    return s;
  }
  // A plug-in record whose region list (+126) follows, with two regions of this version.
  std::string PluginRecord() const {
    std::string r = Ramp(158, 9);
    for (int32_t at = 110; at < 158; at += 4) PutU32(&r, size_t(at), 0);
    PutU32(&r, 126, 1);
    PutU32(&r, 32, 0x472C4400);  // 44100.0f
    r[37] = 0;
    r[0] = 0;
    if (v_ < 880) r.erase(48, 22);  // the main record of older tracks lacks these bytes
    return r;
  }
  std::string Regions() const { return Ramp(size_t(2 * RegionSize()), 21); }

 private:
  std::string Header() const {
    std::string h(352, '\0');
    PutU16(&h, 0, 32);
    PutU16(&h, 2, v_);
    PutU32(&h, 8, uint32_t(gTicksPerQuarter));
    PutU32(&h, 4, 1);    // the notepad text follows
    PutU32(&h, 114, 1);  // the plug-in device table follows
    std::string out = h.substr(0, 20) + h.substr(20, 16);
    if (v_ > 832) out += h.substr(36, 82);
    if (v_ > 1551) out += h.substr(118, 138);
    return out;
  }

  std::string Sections() const {
    std::string s;
    AddSized(&s, "{\\rtf1 notes}");
    if (v_ > 1375) AddU32(&s, 0);  // the block after the notepad text
    if (v_ > 832) AddSized(&s, Ramp(2 * 64, 1));  // two plug-in devices of 64 bytes
    return s;
  }

  std::string Instruments() const {
    std::string table(size_t(2 * InstrumentSize()), '\0');
    table[kInstName] = 3;
    table.replace(size_t(kInstName + 1), 3, "Pno");
    table[kInstChannels] = 2;
    std::string s;
    AddSized(&s, table);
    return s;
  }

  std::string Song(const std::vector<OldTrack>& tracks, bool isChild) const {
    std::string block = SongBlock(tracks, isChild);
    std::string s;
    AddU16(&s, uint16_t(block.size()));
    s += block;
    for (const OldTrack& t : tracks) {
      s += EventList(t.events, t.number);
      if (t.sections) AddSized(&s, OldSections());
      if (t.audio) {
        AddSized(&s, PluginRecord());
        AddSized(&s, Regions());
      }
      if (t.child) s += Song({{"Inner", 9, 2, false, false, false}}, true);
    }
    AddU32(&s, 20);  // a tempo and a meter change
    std::string map(20, '\0');
    map[0] = 2;
    PutU32(&map, 2, 1);
    PutU16(&map, 6, 1300);
    map[10] = 1;
    map[11] = 3;
    PutU32(&map, 12, 1921);
    PutU16(&map, 16, 480);
    PutU16(&map, 18, 1440);
    s += map;
    std::string markers(8, '\0');
    PutU32(&markers, 4, 0x7fffffff);
    AddSized(&s, markers);
    if (!isChild) AddSized(&s, Ramp(8 * 16, 40));  // a pane table of eight 16-byte entries
    return s;
  }

  uint16_t v_;
};

const std::vector<OldTrack> kTracks = {
    {"Bass", 4, 3, true, true, true},
    {"Drums", 0, 5, false, false, false},
};

std::string BlockText(Handle h) {
  if (!h || !IsValidHandle(h)) return "<none>";
  return std::string(reinterpret_cast<const char*>(*h), size_t(GetHandleSize(h)));
}

uint8_t* EntryAt(uint8_t* song, int32_t k) {
  uint8_t* e = song + kSongHeaderSize;
  for (int32_t i = 0; i < k; ++i) e += ReadU16BE(e + kTrackLength);
  return e;
}

class OldDocumentTest : public DocumentTest {};

// Each accepted range, its first and last versions and the versions where a step changes.
TEST_F(OldDocumentTest, AcceptedVersionsOpenIntoTodaysSong) {
  for (uint16_t version : {784, 832, 833, 834, 835, 879, 880, 888, 889, 895, 896, 898, 899, 1024, 1025, 1040,
                           1049, 1104, 1120, 1121, 1140, 1375, 1376, 1542, 1551, 1552, 1567, 1568,
                           1574, 1575, 1585, 1586, 1608, 1616}) {
    SCOPED_TRACE(version);
    OldDocument old(version);
    WriteFile("old.bysq", old.Build(kTracks));
    ASSERT_EQ(noErr, Open("old.bysq"));
    EXPECT_EQ(gSongFileVersion, ReadU16BE(gSongFileHeader + kFileHeaderVersion));
    Handle songHandle = GetSongHandleAt(0);
    ASSERT_TRUE(songHandle);
    uint8_t* song = reinterpret_cast<uint8_t*>(*songHandle);
    ASSERT_EQ(2, ReadU16BE(song + kSongTrackCount));
    EXPECT_EQ(1200, ReadU16BE(song + kSongTempo));
    EXPECT_EQ(version <= 834 ? 2048 : 512, ReadU16BE(song + kSongTempoFactor));
    EXPECT_EQ(gTicksPerQuarter, ReadU16BE(song + kSongResolution)) << "stored, or the document's";
    EXPECT_EQ(version >= 1040 ? 2 : 0, song[kSongMode]) << "the song mode moves from +195";
    EXPECT_EQ(0, song[kSongOldSongMode]);
    EXPECT_EQ(0, ReadU16BE(song + kSongCurrentEntry));
    if (version >= 1105) {
      EXPECT_EQ(version < 1569 ? 222 : 111, ReadU16BE(song + 168)) << "columns swapped below 1569";
      EXPECT_EQ(version < 1569 ? 111 : 222, ReadU16BE(song + 170));
    } else {
      EXPECT_EQ(kSongDefaultColumns[7], ReadU16BE(song + 168)) << "columns of a new header";
    }
    EXPECT_EQ(kSongPaneTableSize, GetHandleSize(SongHeaderView(song).WindowTable()));

    // The conductor map as stored, closed by its end record.
    Handle map(ReadU32BE(song + kSongConductorMap));
    ASSERT_TRUE(map);
    const uint8_t* m = reinterpret_cast<const uint8_t*>(*map);
    EXPECT_EQ(20u, ReadU32BE(song + kSongConductorLength));
    EXPECT_EQ(1300, ReadU16BE(m + 6));
    EXPECT_EQ(1921u, ReadU32BE(m + 12));
    EXPECT_EQ(0, m[20]);

    for (int32_t k = 0; k < 2; ++k) {
      SCOPED_TRACE(k);
      const OldTrack& t = kTracks[size_t(k)];
      uint8_t* e = EntryAt(song, k);
      EXPECT_EQ(kTrackEntrySize + (t.child ? 8 : 0), ReadU16BE(e + kTrackLength));
      EXPECT_EQ(t.number, e[kTrackNumber]);
      EXPECT_EQ(t.name, std::string(reinterpret_cast<char*>(e + kTrackName), t.name.size()));
      EXPECT_EQ(EventList(t.events, t.number, version), BlockText(Handle(ReadU32BE(e + kTrackEventList))));
      EXPECT_EQ(version < 1025 ? 0 : 0x1234, ReadU16BE(e + 14));
      EXPECT_EQ(8192, ReadU16BE(e + kTrackCentre72)) << "the old handle word's place";
      EXPECT_EQ(version < 1050 ? 255 : 0, e[kTrackSigned107]);
      int32_t factor = version < 1121 ? 2 : 1;
      EXPECT_EQ(0x0300 * factor, ReadU16BE(e + kTrackInstruments));
      EXPECT_EQ(0x0500 * factor, ReadU16BE(e + kTrackInstruments + 2));
      EXPECT_EQ(version < 1141 ? 77u : 0u, ReadU32BE(e + kTrackSetting116));
      EXPECT_EQ(version < 1543 ? -1 : 0, ReadI16BE(e + kTrackLastProgram));
      Handle sections(ReadU32BE(e + kTrackSectionList));
      Handle audio(ReadU32BE(e + kTrackRegionList));
      if (!t.sections) {
        EXPECT_FALSE(sections);
        EXPECT_FALSE(audio);
        continue;
      }
      // Sections: 16-byte head and 48-byte entries, each the old entry with +12 and +28
      // cleared, installed behind an end record (the song stored no end: the counts stay).
      std::string old = OldDocument::OldSections();
      std::string now = BlockText(sections);
      ASSERT_EQ(16u + 3 * 48, now.size());
      EXPECT_EQ(old.substr(4, 4), now.substr(8, 4));
      for (size_t i = 0; i < 2; ++i) {
        std::string entry = old.substr(12 + 32 * i, 32);
        PutU32(&entry, 12, 0);
        PutU32(&entry, 28, 0);
        EXPECT_EQ(entry + std::string(16, '\0'), now.substr(16 + 48 * i, 48)) << i;
      }
      EXPECT_EQ(std::string(48, '\0'), now.substr(16 + 96, 48));
      EXPECT_TRUE(e[kTrackFlags] & kTrackLoopFlag);
      // Regions: 256-byte records with their moved fields.
      ASSERT_TRUE(audio);
      ASSERT_EQ(kPluginRecordBytes, GetHandleSize(audio));
      std::string record = BlockText(audio);
      EXPECT_EQ(version < 880 ? std::string(22, '\0') : Ramp(158, 9).substr(48, 22), record.substr(48, 22));
      std::string regions = BlockText(Handle(ReadU32BE(*audio + kPluginRecordRegions)));
      ASSERT_EQ(2u * 256, regions.size());
      const std::string second = regions.substr(256);
      std::string r = OldDocument(version).Regions().substr(size_t(OldDocument(version).RegionSize()));
      EXPECT_EQ(r.substr(0, 36), second.substr(0, 36)) << "the old record at the front";
      EXPECT_EQ(GetU32(r, 8), GetU32(second, 132));
      EXPECT_EQ(GetU32(r, 36), GetU32(second, 136));
      EXPECT_EQ(GetU32(r, 52), GetU32(second, 144));
      EXPECT_EQ(GetU32(r, 56), GetU32(second, 152));
      EXPECT_EQ(0u, GetU32(second, 36));
      EXPECT_EQ(0u, GetU32(second, 52));
      EXPECT_EQ(version <= 1567 ? GetU32(r, 8) : GetU32(r, 64), GetU32(second, 64));
      // The child sequence behind the track's data.
      ASSERT_EQ(1, e[kTrackChildCount]);
      Handle child(ReadU32BE(e + kTrackChildTable));
      ASSERT_TRUE(child);
      uint8_t* inner = reinterpret_cast<uint8_t*>(*child);
      ASSERT_EQ(1, ReadU16BE(inner + kSongTrackCount));
      EXPECT_EQ(EventList(2, 9, version), BlockText(Handle(ReadU32BE(EntryAt(inner, 0) + kTrackEventList))));
    }

    // Document-wide: devices of 80 bytes, instruments of 256.
    std::string devices = BlockText(GetDocumentSlot(kDeviceTableSlot));
    if (version > 832) {
      ASSERT_EQ(2u * 80, devices.size());
      // The plug-in host takes the widened records: the words at 48 and 56 meant something
      // else in the 64-byte form and start cleared, and every reference count starts over.
      std::string widened = Ramp(128, 1).substr(64, 64) + std::string(16, '\0');
      for (size_t at : {48, 49, 50, 51, 52, 53, 56, 57, 58, 59}) widened[at] = '\0';
      EXPECT_EQ(widened, devices.substr(80));
    } else {
      EXPECT_EQ("<none>", devices) << "no place for its presence in the header";
    }
    ASSERT_TRUE(gInstrumentTable);
    EXPECT_EQ(2 * kInstrumentSize, GetHandleSize(gInstrumentTable));
    EXPECT_EQ(std::string("\003Pno"), std::string(reinterpret_cast<char*>(*gInstrumentTable + kInstName), 4));
  }
}

// An old document saved again and reopened is the song it opened into.
TEST_F(OldDocumentTest, OpenedOldSongSavesInTodaysForm) {
  for (uint16_t version : {800, 1100, 1600}) {
    SCOPED_TRACE(version);
    WriteFile("old.bysq", OldDocument(version).Build(kTracks));
    ASSERT_EQ(noErr, Open("old.bysq"));
    std::string opened = SnapshotSongs();
    ASSERT_EQ(noErr, Save("again.bysq"));
    ASSERT_EQ(noErr, Open("again.bysq"));
    EXPECT_EQ(opened, SnapshotSongs());
  }
}

class RefusedOldDocumentTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    BuildRichDocument();
    KeepOpenDocument();
  }
};

// Versions whose forms are not read: their own refusal, with the file and the version named.
TEST_F(RefusedOldDocumentTest, UnreadVersionsAreRefusedByName) {
  for (uint16_t version : {264, 656, 657, 658, 783, 1026, 1033, 1034, 1039}) {
    std::string bytes = OldDocument(1600).Build(kTracks);
    PutU16(&bytes, 2, version);
    EXPECT_EQ(kDocumentTooOldErr, OpenRefused(bytes, "version " + std::to_string(version)));
    ConstStringPtr text = GetParamText(0);
    std::string shown(reinterpret_cast<const char*>(text + 1), text[0]);
    EXPECT_NE(std::string::npos, shown.find("\"refused.bysq\"")) << shown;
    EXPECT_NE(std::string::npos, shown.find("version " + std::to_string(version) + ".")) << shown;
  }
}

// Tables of older forms, widened entry by entry with their moved words.
TEST(OldDocumentForms, OlderTablesAreWidened) {
  struct Case {
    const char* what;
    uint16_t version;
    int32_t oldEntry;
    int32_t newEntry;
    OSErr (*widen)(Handle, uint16_t);
    std::vector<std::pair<int32_t, int32_t>> moves;  // u32 old place -> new place
  } cases[] = {
      {"files of 1608", 1608, 32, 64, WidenOldReferencedFiles, {{4, 40}, {16, 48}}},
      {"files of 1616", 1616, 64, 64, WidenOldReferencedFiles, {{4, 40}, {16, 48}}},
      {"files of today", 1617, 64, 64, WidenOldReferencedFiles, {}},
      {"devices of 1616", 1616, 64, 80, WidenOldDeviceTable, {}},
      {"devices of today", 1617, 80, 80, WidenOldDeviceTable, {}},
      {"instruments of 1120", 1120, 128, 256, WidenOldInstrumentTable, {}},
      {"instruments of 1121", 1121, 256, 256, WidenOldInstrumentTable, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string old = Ramp(size_t(3 * c.oldEntry), 11);
    Handle table = NewHandle(Size(old.size()));
    std::memcpy(*table, old.data(), old.size());
    ASSERT_EQ(noErr, c.widen(table, c.version));
    std::string now = BlockText(table);
    ASSERT_EQ(size_t(3 * c.newEntry), now.size());
    for (int32_t i = 0; i < 3; ++i) {
      std::string expected = old.substr(size_t(i * c.oldEntry), size_t(c.oldEntry)) +
                             std::string(size_t(c.newEntry - c.oldEntry), '\0');
      for (auto [from, to] : c.moves) {
        PutU32(&expected, size_t(to), GetU32(expected, size_t(from)));
        PutU32(&expected, size_t(from), 0);
      }
      EXPECT_EQ(expected, now.substr(size_t(i * c.newEntry), size_t(c.newEntry))) << "entry " << i;
    }
    DisposeHandle(table);
  }
}

// Old documents cut short anywhere, and ones whose old lengths lie.
TEST_F(RefusedOldDocumentTest, DamagedOldDocumentsChangeNothing) {
  for (uint16_t version : {800, 1100, 1600}) {
    SCOPED_TRACE(version);
    OldDocument old(version);
    std::string whole = old.Build(kTracks);
    for (size_t cut = 0; cut < whole.size(); cut += 1 + cut % 5)
      EXPECT_EQ(eofErr, OpenRefused(whole.substr(0, cut), "cut at " + std::to_string(cut)));

    // The first song record: u16 length, the header, then the entries.
    size_t record = whole.find(old.SongBlock(kTracks, false)) - 2;
    size_t entry0 = record + 2 + size_t(old.HeaderSize());
    size_t entry1 = entry0 + size_t(old.EntrySize()) + 8;
    struct Lie {
      const char* what;
      size_t at;
      uint16_t value;
    } lies[] = {
        {"a song length below the old header", record, uint16_t(old.HeaderSize() - 1)},
        {"an entry shorter than its fixed part", entry0, uint16_t(old.EntrySize() - 8)},
        {"an entry length that is no whole number of cells", entry0, uint16_t(old.EntrySize() + 4)},
        {"an entry running past the block", entry1, uint16_t(old.EntrySize() + 16)},
        {"more child cells in use than the entry holds", entry1, uint16_t(0x0100)},
        {"more entries than the block holds", record + 2, 3},
    };
    for (const Lie& lie : lies) {
      std::string bytes = whole;
      if (lie.value == 0x0100)
        bytes[lie.at + 2] = 1;
      else
        PutU16(&bytes, lie.at, lie.value);
      EXPECT_EQ(kDocumentDamagedErr, OpenRefused(bytes, lie.what));
    }
    std::string shortSections = whole;
    size_t sections = whole.find(OldDocument::OldSections()) - 4;
    PutU32(&shortSections, sections, 8);
    OpenRefused(shortSections, "a section list shorter than its head");
  }
}

}  // namespace
}  // namespace doc_test
