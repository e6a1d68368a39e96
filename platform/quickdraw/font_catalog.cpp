#include "platform/quickdraw/font_catalog.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cctype>
#include <map>
#include <tuple>

#include "platform/quickdraw/qd_internal.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZARIN_LEAK_CHECKER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZARIN_LEAK_CHECKER 1
#endif
#endif
#ifdef ZARIN_LEAK_CHECKER
#include <sanitizer/lsan_interface.h>
#endif

namespace qd_internal {

namespace {

// Classic names with their numbers and the installed family each is drawn with.
struct NamedFont {
  const char* name;
  short number;
  const char* family;
};

constexpr NamedFont kNamedFonts[] = {
    {"Lucida Grande", 0, "DejaVu Sans"},   {"Geneva", 3, "DejaVu Sans"},
    {"Geneva", 1, "DejaVu Sans"},          {"New York", 2, "DejaVu Serif"},
    {"Monaco", 4, "DejaVu Sans Mono"},     {"Venice", 5, "DejaVu Serif"},
    {"London", 6, "DejaVu Serif"},         {"Athens", 7, "DejaVu Sans"},
    {"San Francisco", 8, "DejaVu Sans"},   {"Toronto", 9, "DejaVu Sans"},
    {"Cairo", 11, "DejaVu Sans"},          {"Los Angeles", 12, "DejaVu Sans"},
    {"Times", 20, "Liberation Serif"},     {"Helvetica", 21, "Liberation Sans"},
    {"Courier", 22, "Liberation Mono"},    {"Symbol", 23, "DejaVu Sans"},
    {"Mobile", 24, "DejaVu Sans"},         {"Charcoal", 1000, "DejaVu Sans"},
    {"Chicago", 1001, "DejaVu Sans"},      {"Arial", 1002, "Liberation Sans"},
    {"Times New Roman", 1003, "Liberation Serif"}, {"Courier New", 1004, "Liberation Mono"},
};
// Further names accepted by GetFNum for the numbers above.
struct Alias {
  const char* name;
  short number;
};
constexpr Alias kAliases[] = {
    {"LucidaGrande", 0}, {"System", 0}, {"Times-Roman", 20}, {"Helvetica Neue", 21},
};
constexpr short kFirstDynamicNumber = 2000;
constexpr int kDefaultSize = 12;
constexpr int kMaxSize = 512;
constexpr size_t kMaxCachedGlyphs = 8192;

struct Catalog {
  FT_Library library = nullptr;
  bool ready = false;
  std::map<std::string, FT_Face> faces;  // by "path#index"
  std::map<std::tuple<short, bool, bool>, std::tuple<std::string, int, bool, bool>> choices;
  std::vector<std::string> dynamicFamilies;  // number kFirstDynamicNumber + i
  std::map<std::string, bool> missingNames;   // lower-case names fontconfig does not have
  std::map<std::tuple<FT_Face, int, char32_t, bool, bool>, Glyph> glyphs;
};

Catalog& Cat() {
  static Catalog* catalog = new Catalog;
  if (!catalog->ready) {
    catalog->ready = true;
    // fontconfig's configuration reader loses a few bytes once while it parses; they are not
    // ours, and the leak checker of the sanitizer build is told to look away.
#ifdef ZARIN_LEAK_CHECKER
    __lsan_disable();
#endif
    FcInit();
    // The font set is read once: no rescans (and re-reads of the configuration) later on.
    FcConfigSetRescanInterval(nullptr, 0);
#ifdef ZARIN_LEAK_CHECKER
    __lsan_enable();
#endif
    if (FT_Init_FreeType(&catalog->library) != 0) catalog->library = nullptr;
  }
  return *catalog;
}

bool SameName(const std::string& a, const char* b) {
  size_t n = std::char_traits<char>::length(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(uint8_t(a[i])) != std::tolower(uint8_t(b[i]))) return false;
  return true;
}

// The family name of an installed font family, as fontconfig spells it, or "".
std::string InstalledFamily(const std::string& name) {
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* set = FcFontList(nullptr, pat, os);
  std::string found;
  if (set) {
    for (int i = 0; i < set->nfont && found.empty(); ++i) {
      FcChar8* fam = nullptr;
      for (int k = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, k, &fam) == FcResultMatch; ++k)
        if (SameName(name, reinterpret_cast<const char*>(fam))) found = reinterpret_cast<const char*>(fam);
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(os);
  FcPatternDestroy(pat);
  return found;
}

std::string FamilyForNumber(short fontNum) {
  for (const NamedFont& f : kNamedFonts)
    if (f.number == fontNum) return f.family;
  Catalog& c = Cat();
  int index = fontNum - kFirstDynamicNumber;
  if (index >= 0 && size_t(index) < c.dynamicFamilies.size()) return c.dynamicFamilies[size_t(index)];
  return "DejaVu Sans";
}

// Chooses the file for a number and style: (path, index, needs bold, needs slant).
std::tuple<std::string, int, bool, bool> ChooseFile(short fontNum, bool wantBold, bool wantItalic) {
  Catalog& c = Cat();
  auto key = std::make_tuple(fontNum, wantBold, wantItalic);
  auto it = c.choices.find(key);
  if (it != c.choices.end()) return it->second;
  std::string family = FamilyForNumber(fontNum);
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>("DejaVu Sans"));
  FcPatternAddInteger(pat, FC_WEIGHT, wantBold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, wantItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddInteger(pat, FC_WIDTH, FC_WIDTH_NORMAL);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pat, &result);
  std::tuple<std::string, int, bool, bool> choice{"", 0, wantBold, wantItalic};
  if (match) {
    FcChar8* file = nullptr;
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
      FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
      FcPatternGetInteger(match, FC_SLANT, 0, &slant);
      choice = {reinterpret_cast<const char*>(file), index, wantBold && weight < FC_WEIGHT_DEMIBOLD,
                wantItalic && slant == FC_SLANT_ROMAN};
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pat);
  c.choices[key] = choice;
  return choice;
}

FT_Face OpenFace(const std::string& path, int index) {
  Catalog& c = Cat();
  if (!c.library || path.empty()) return nullptr;
  std::string key = path + "#" + std::to_string(index);
  auto it = c.faces.find(key);
  if (it != c.faces.end()) return it->second;
  FT_Face face = nullptr;
  if (FT_New_Face(c.library, path.c_str(), index, &face) != 0) face = nullptr;
  c.faces[key] = face;
  return face;
}

void SetSize(const FontSpec& fontSpec) {
  FT_Face face = static_cast<FT_Face>(fontSpec.face);
  if (face->size->metrics.y_ppem != fontSpec.pixelSize || face->size->metrics.x_ppem != fontSpec.pixelSize)
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(fontSpec.pixelSize));
}

}  // namespace

bool ResolveFont(short fontNum, short size, Style style, FontSpec* out) {
  auto [path, index, synthBold, synthItalic] =
      ChooseFile(fontNum, (style & bold) != 0, (style & italic) != 0);
  FT_Face face = OpenFace(path, index);
  out->face = face;
  out->pixelSize = size <= 0 ? kDefaultSize : std::min<int>(size, kMaxSize);
  out->synthBold = synthBold;
  out->synthItalic = synthItalic;
  out->style = style;
  return face != nullptr;
}

FontMetrics MetricsOf(const FontSpec& fontSpec) {
  FontMetrics m;
  if (!fontSpec.face) return m;
  SetSize(fontSpec);
  const FT_Size_Metrics& sm = static_cast<FT_Face>(fontSpec.face)->size->metrics;
  m.ascent = int((sm.ascender + 63) >> 6);
  m.descent = int((-sm.descender + 63) >> 6);
  m.leading = std::max(0, int((sm.height + 32) >> 6) - m.ascent - m.descent);
  m.widMax = int((sm.max_advance + 63) >> 6) + (fontSpec.synthBold ? 1 : 0);
  return m;
}

const Glyph& GlyphOf(const FontSpec& fontSpec, char32_t ch) {
  static const Glyph kEmpty;
  if (!fontSpec.face) return kEmpty;
  Catalog& c = Cat();
  FT_Face face = static_cast<FT_Face>(fontSpec.face);
  auto key = std::make_tuple(face, fontSpec.pixelSize, ch, fontSpec.synthBold, fontSpec.synthItalic);
  auto it = c.glyphs.find(key);
  if (it != c.glyphs.end()) return it->second;
  if (c.glyphs.size() >= kMaxCachedGlyphs) c.glyphs.clear();
  SetSize(fontSpec);
  Glyph g;
  FT_UInt index = FT_Get_Char_Index(face, FT_ULong(ch));
  if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL) == 0) {
    FT_GlyphSlot slot = face->glyph;
    if (fontSpec.synthBold) FT_GlyphSlot_Embolden(slot);
    if (fontSpec.synthItalic) FT_GlyphSlot_Oblique(slot);
    g.advance = int((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0 &&
        slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
      const FT_Bitmap& bm = slot->bitmap;
      g.left = slot->bitmap_left;
      g.top = slot->bitmap_top;
      g.width = int(bm.width);
      g.height = int(bm.rows);
      g.coverage.resize(size_t(g.width) * g.height);
      for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
          g.coverage[size_t(y) * g.width + x] = bm.buffer[ptrdiff_t(y) * bm.pitch + x];
    }
  }
  return c.glyphs.emplace(key, std::move(g)).first->second;
}

int StyledAdvance(const FontSpec& fontSpec, char32_t ch) {
  int advance = GlyphOf(fontSpec, ch).advance;
  if (fontSpec.style & condense) advance -= 1;
  if (fontSpec.style & extend) advance += 1;
  return std::max(0, advance);
}

short FontNumberForName(const std::string& name) {
  if (name.empty()) return 0;
  for (const NamedFont& f : kNamedFonts)
    if (SameName(name, f.name)) return f.number;
  for (const Alias& a : kAliases)
    if (SameName(name, a.name)) return a.number;
  Catalog& c = Cat();
  for (size_t i = 0; i < c.dynamicFamilies.size(); ++i)
    if (SameName(name, c.dynamicFamilies[i].c_str())) return short(kFirstDynamicNumber + i);
  std::string lower(name);
  for (char& ch : lower) ch = char(std::tolower(uint8_t(ch)));
  if (c.missingNames.count(lower)) return 0;
  std::string family = InstalledFamily(name);
  if (family.empty()) {
    if (c.missingNames.size() >= 4096) c.missingNames.clear();
    c.missingNames[lower] = true;
    return 0;
  }
  if (c.dynamicFamilies.size() > 20000) return 0;
  c.dynamicFamilies.push_back(family);
  return short(kFirstDynamicNumber + c.dynamicFamilies.size() - 1);
}

std::string FontNameForNumber(short fontNum) {
  for (const NamedFont& f : kNamedFonts)
    if (f.number == fontNum) return f.name;
  Catalog& c = Cat();
  int index = fontNum - kFirstDynamicNumber;
  if (index >= 0 && size_t(index) < c.dynamicFamilies.size()) return c.dynamicFamilies[size_t(index)];
  return "";
}

bool FontNumberKnown(short fontNum) { return !FontNameForNumber(fontNum).empty(); }

std::string FontFileFor(short fontNum, Style style) {
  return std::get<0>(ChooseFile(fontNum, (style & bold) != 0, (style & italic) != 0));
}

void ReleaseFonts() {
  Catalog& c = Cat();
  c.glyphs.clear();
}

}  // namespace qd_internal
