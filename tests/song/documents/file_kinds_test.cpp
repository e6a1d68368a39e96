// File kinds by Finder type and, for untyped and text files, by extension.
#include "song/documents/file_kinds.h"
#include "tests/song/documents/document_fixture.h"

namespace doc_test {
namespace {

using FileKindTest = DocumentTest;

constexpr OSType kUntyped = 0xFFFFFFFF;  // leave the type to the file system (its extension)

TEST_F(FileKindTest, KindsByTypeAndExtension) {
  struct Case {
    const char* name;
    OSType type;
    int16_t kind;
    OSType resultType;
  } cases[] = {
      {"a.MID", 0, kFileKindMidiFile, FourCC("Midi")},
      {"b.kar", 0, kFileKindMidiFile, FourCC("Midi")},
      {"c.bndl", FourCC("TEXT"), kFileKindBundle, FourCC("Mbun")},
      {"d.MID", FourCC("WXYZ"), kFileKindMidiFile, FourCC("WXYZ")},
      {"e.abcdef", FourCC("AIFF"), kFileKindAudioFile, FourCC("AIFF")},
      {"f.BYSQ", 0, kFileKindSongDocument, FourCC("BYSQ")},
      {"g.msd", FourCC("TEXT"), kFileKindSongDocument, FourCC("BYSQ")},
      {"h.wav", 0, kFileKindAudioFile, FourCC("WAVE")},
      {"i.caf", 0, kFileKindAudioFile, FourCC("AIFF")},
      {"j.txt", FourCC("TEXT"), kFileKindAudioFile, FourCC("TEXT")},
      {"k", FourCC("mRCd"), kFileKindPreset, FourCC("mRCd")},
      {"l", FourCC("MDAV"), kFileKindTrackAudio, FourCC("MDAV")},
      {"m", FourCC("mJBp"), kFileKindPlayList, FourCC("mJBp")},
      {"n", FourCC("MooV"), kFileKindMovie, FourCC("MooV")},
      {"o", FourCC("BSEQ"), kFileKindSongDocument, FourCC("BSEQ")},
      {"p.mid", kUntyped, kFileKindMidiFile, FourCC("Midi")},
      {"q.xyz", 0, kFileKindMidiFile, FourCC("xyz ")},
  };
  for (const Case& c : cases) {
    WriteFile(c.name, "x");
    FSSpec fileSpec = FileSpecNamed(c.name);
    if (c.type != kUntyped) {
      FInfo info;
      info.fdType = c.type;
      ASSERT_EQ(noErr, FSpSetFInfo(&fileSpec, &info)) << c.name;
    }
    OSType type = 1;
    EXPECT_EQ(c.kind, GetFileKind(&fileSpec, &type)) << c.name;
    EXPECT_EQ(c.resultType, type) << c.name;
  }
}

TEST_F(FileKindTest, MissingFileGivesTheFileManagersError) {
  FSSpec fileSpec = FileSpecNamed("absent.bysq");
  EXPECT_EQ(fnfErr, GetFileKind(&fileSpec, nullptr));
}

TEST_F(FileKindTest, MidiExtensions) {
  const unsigned char mid[] = "\004.MID";
  const unsigned char kar[] = "\004.KaR";
  const unsigned char midi[] = "\005.midi";
  const unsigned char none[] = "";
  EXPECT_TRUE(IsMidiFileExtension(mid));
  EXPECT_TRUE(IsMidiFileExtension(kar));
  EXPECT_FALSE(IsMidiFileExtension(midi));
  EXPECT_FALSE(IsMidiFileExtension(none));
}

}  // namespace
}  // namespace doc_test
