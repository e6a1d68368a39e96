// Reading the nib text into windows and views.
#include "platform/nib/nib_format.h"

#include <cctype>
#include <cstdint>

#include "platform/memory/byte_order.h"
#include "platform/quickdraw/theme_text.h"
#include "platform/text/unicode.h"
#include "platform/windows/windows.h"

namespace {

enum class Tok { kEnd, kWord, kNumber, kString, kCode, kOpen, kClose };

struct Token {
  Tok kind = Tok::kEnd;
  std::string text;
  int64_t number = 0;
  int line = 1;
};

class NibLexer {
 public:
  explicit NibLexer(std::string_view s) : s_(s) {}
  bool Next(Token* t, std::string* error);

 private:
  void Skip();
  bool Quoted(char quote, std::string* out, std::string* error);
  std::string_view s_;
  size_t pos_ = 0;
  int line_ = 1;
};

void NibLexer::Skip() {
  while (pos_ < s_.size()) {
    char c = s_[pos_];
    if (c == '\n') {
      ++line_, ++pos_;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      ++pos_;
    } else if (c == '#' || (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/')) {
      while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
    } else {
      return;
    }
  }
}

bool NibLexer::Quoted(char quote, std::string* out, std::string* error) {
  ++pos_;
  while (pos_ < s_.size() && s_[pos_] != '\n') {
    char c = s_[pos_++];
    if (c == quote) return true;
    if (c == '\\') {
      if (pos_ >= s_.size()) break;
      char e = s_[pos_++];
      out->push_back(e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e);
    } else {
      out->push_back(c);
    }
    if (out->size() > kMaxNibText) return *error = "text longer than 255 bytes", false;
  }
  *error = "text not closed on its line";
  return false;
}

bool NibLexer::Next(Token* t, std::string* error) {
  Skip();
  *t = Token{};
  t->line = line_;
  if (pos_ >= s_.size()) return true;
  char c = s_[pos_];
  if (c == '{' || c == '}') {
    t->kind = c == '{' ? Tok::kOpen : Tok::kClose;
    ++pos_;
    return true;
  }
  if (c == '"') {
    t->kind = Tok::kString;
    if (!Quoted('"', &t->text, error)) return false;
    size_t at = 0;
    char32_t cp = 0;
    while (at < t->text.size())
      if (!DecodeUTF8(t->text, &at, &cp)) return *error = "text is not UTF-8", false;
    return true;
  }
  if (c == '\'') {
    t->kind = Tok::kCode;
    if (!Quoted('\'', &t->text, error)) return false;
    return t->text.size() == 4 || (*error = "a four-character code needs 4 characters", false);
  }
  if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
    t->kind = Tok::kNumber;
    bool negative = c == '-';
    if (negative) ++pos_;
    int base = 10;
    if (pos_ + 1 < s_.size() && s_[pos_] == '0' && (s_[pos_ + 1] | 0x20) == 'x') base = 16, pos_ += 2;
    int digits = 0;
    while (pos_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[pos_]))) {
      char d = s_[pos_];
      int v = d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10;
      if (v >= base) return *error = "bad digit in a number", false;
      t->number = t->number * base + v;
      if (t->number > 0xFFFFFFFFLL) return *error = "number too large", false;
      ++pos_, ++digits;
    }
    if (!digits) return *error = "a number was expected", false;
    if (negative) t->number = -t->number;
    return true;
  }
  if (std::isalpha(static_cast<unsigned char>(c))) {
    t->kind = Tok::kWord;
    while (pos_ < s_.size() && std::isalnum(static_cast<unsigned char>(s_[pos_]))) t->text += s_[pos_++];
    return true;
  }
  *error = std::string("unexpected character '") + c + "'";
  return false;
}

struct Named {
  const char* name;
  UInt32 value;
};

constexpr Named kClasses[] = {
    {"alert", kAlertWindowClass},       {"movableAlert", kMovableAlertWindowClass},
    {"modal", kModalWindowClass},       {"movableModal", kMovableModalWindowClass},
    {"floating", kFloatingWindowClass}, {"document", kDocumentWindowClass},
    {"utility", kUtilityWindowClass},   {"help", kHelpWindowClass},
    {"sheet", kSheetWindowClass},       {"toolbar", kToolbarWindowClass},
    {"plain", kPlainWindowClass}};

constexpr Named kAttributes[] = {
    {"closeBox", kWindowCloseBoxAttribute},
    {"horizontalZoom", kWindowHorizontalZoomAttribute},
    {"verticalZoom", kWindowVerticalZoomAttribute},
    {"fullZoom", kWindowFullZoomAttribute},
    {"collapseBox", kWindowCollapseBoxAttribute},
    {"resizable", kWindowResizableAttribute},
    {"liveResize", kWindowLiveResizeAttribute},
    {"noActivates", kWindowNoActivatesAttribute},
    {"compositing", kWindowCompositingAttribute},
    {"inWindowMenu", kWindowInWindowMenuAttribute},
    {"hideOnSuspend", kWindowHideOnSuspendAttribute},
    {"noShadow", kWindowNoShadowAttribute}};

constexpr Named kFonts[] = {
    {"system", kThemeSystemFont},     {"small", kThemeSmallSystemFont},
    {"smallBold", kThemeSmallEmphasizedSystemFont},
    {"emphasized", kThemeEmphasizedSystemFont}, {"views", kThemeViewsFont},
    {"label", kThemeLabelFont},       {"mini", kThemeMiniSystemFont}};

constexpr Named kJustifications[] = {
    {"left", UInt32(SInt16(teFlushLeft))}, {"center", UInt32(teCenter)},
    {"right", UInt32(SInt16(teFlushRight))}};

const char* const kViewKinds[] = {"pushButton", "checkBox", "radioButton", "scrollBar",
                                  "popupButton", "littleArrows", "staticText", "editText",
                                  "progressBar", "userPane", "bevelButton", "groupBox",
                                  "separator", "picture", "icon"};

bool Find(const Named* table, size_t n, const std::string& word, UInt32* value) {
  for (size_t i = 0; i < n; ++i)
    if (word == table[i].name) return *value = table[i].value, true;
  return false;
}

bool HoldsViews(const std::string& kind) {
  return kind == "groupBox" || kind == "userPane" || kind == "bevelButton";
}

class NibParser {
 public:
  NibParser(std::string_view text, NibParseError* error) : lexer_(text), error_(error) {}
  bool Run(NibDocument* out);

 private:
  bool Advance();
  bool Fail(const std::string& message) {
    error_->line = current_.line;
    error_->message = message;
    return false;
  }
  bool Expect(Tok kind, const char* what);
  bool Number(int64_t low, int64_t high, const char* what, int64_t* value);
  bool Code(const char* what, UInt32* value);
  bool String(std::string* out);
  bool Frame(SInt16* left, SInt16* top, SInt16* width, SInt16* height);
  bool Window(NibDocument* doc);
  bool WindowProperty(const std::string& word, NibWindow* window);
  bool View(std::vector<NibView>* into, int depth);
  bool ViewProperty(const std::string& word, NibView* view, int depth);
  template <typename T>
  bool Small(const char* what, T* out);

  NibLexer lexer_;
  NibParseError* error_;
  Token current_;
  std::string lexError_;
  size_t views_ = 0;
};

bool NibParser::Advance() {
  if (!lexer_.Next(&current_, &lexError_)) return Fail(lexError_);
  return true;
}

bool NibParser::Expect(Tok kind, const char* what) {
  if (current_.kind != kind) return Fail(std::string(what) + " expected");
  return Advance();
}

bool NibParser::Number(int64_t low, int64_t high, const char* what, int64_t* value) {
  if (current_.kind != Tok::kNumber) return Fail(std::string(what) + " expected");
  if (current_.number < low || current_.number > high)
    return Fail(std::string(what) + " out of range " + std::to_string(low) + ".." + std::to_string(high));
  *value = current_.number;
  return Advance();
}

template <typename T>
bool NibParser::Small(const char* what, T* out) {
  int64_t v = 0;
  if (!Number(-32768, 32767, what, &v)) return false;
  *out = T(v);
  return true;
}

bool NibParser::Code(const char* what, UInt32* value) {
  if (current_.kind == Tok::kCode) {
    *value = ReadU32BE(current_.text.data());
    return Advance();
  }
  int64_t v = 0;
  if (!Number(INT32_MIN, 0xFFFFFFFFLL, what, &v)) return false;
  *value = UInt32(v);
  return true;
}

bool NibParser::String(std::string* out) {
  if (current_.kind != Tok::kString) return Fail("a text in quotes expected");
  *out = current_.text;
  return Advance();
}

bool NibParser::Frame(SInt16* left, SInt16* top, SInt16* width, SInt16* height) {
  int64_t v[4];
  for (int i = 0; i < 4; ++i)
    if (!Number(i < 2 ? -16384 : 0, 16383, "frame value", &v[i])) return false;
  *left = SInt16(v[0]), *top = SInt16(v[1]), *width = SInt16(v[2]), *height = SInt16(v[3]);
  return true;
}

bool NibParser::Run(NibDocument* out) {
  out->windows.clear();
  if (!Advance()) return false;
  while (current_.kind != Tok::kEnd) {
    if (current_.kind != Tok::kWord || current_.text != "window") return Fail("'window' expected");
    if (!Advance() || !Window(out)) return false;
  }
  return true;
}

bool NibParser::Window(NibDocument* doc) {
  if (doc->windows.size() >= kMaxNibWindows) return Fail("too many windows");
  NibWindow window;
  window.attributes = kWindowStandardHandlerAttribute;
  if (!String(&window.name)) return false;
  for (const NibWindow& other : doc->windows)
    if (other.name == window.name) return Fail("window \"" + window.name + "\" is described twice");
  if (!Expect(Tok::kOpen, "'{'")) return false;
  while (current_.kind != Tok::kClose) {
    if (current_.kind != Tok::kWord) return Fail(current_.kind == Tok::kEnd ? "'}' expected" : "a property expected");
    std::string word = current_.text;
    if (!Advance() || !WindowProperty(word, &window)) return false;
  }
  doc->windows.push_back(std::move(window));
  return Advance();
}

bool NibParser::WindowProperty(const std::string& word, NibWindow* window) {
  UInt32 value = 0;
  if (word == "class") {
    if (current_.kind != Tok::kWord || !Find(kClasses, std::size(kClasses), current_.text, &value))
      return Fail("a window class expected");
    window->windowClass = value;
    return Advance();
  }
  if (word == "attributes") {
    while (current_.kind == Tok::kWord && Find(kAttributes, std::size(kAttributes), current_.text, &value)) {
      window->attributes |= value;
      if (!Advance()) return false;
    }
    return true;
  }
  if (word == "frame") return Frame(&window->left, &window->top, &window->width, &window->height);
  if (word == "title") return String(&window->title);
  if (word == "visible") return window->visible = true;
  if (word == "view") return View(&window->views, 1);
  return Fail("unknown window property '" + word + "'");
}

bool NibParser::View(std::vector<NibView>* into, int depth) {
  if (depth > kMaxNibDepth) return Fail("views nested too deeply");
  if (++views_ > kMaxNibViews) return Fail("too many views");
  NibView view;
  if (current_.kind != Tok::kWord) return Fail("a view kind expected");
  for (const char* kind : kViewKinds)
    if (current_.text == kind) view.kind = kind;
  if (view.kind.empty()) return Fail("unknown view kind '" + current_.text + "'");
  if (!Advance() || !Expect(Tok::kOpen, "'{'")) return false;
  while (current_.kind != Tok::kClose) {
    if (current_.kind != Tok::kWord) return Fail(current_.kind == Tok::kEnd ? "'}' expected" : "a property expected");
    std::string word = current_.text;
    if (!Advance() || !ViewProperty(word, &view, depth)) return false;
  }
  into->push_back(std::move(view));
  return Advance();
}

bool NibParser::ViewProperty(const std::string& word, NibView* view, int depth) {
  UInt32 value = 0;
  int64_t n = 0;
  if (word == "id") {
    if (!Code("view signature", &view->id.signature) || !Number(INT32_MIN, INT32_MAX, "view id", &n)) return false;
    view->id.id = SInt32(n);
    return true;
  }
  if (word == "command") return Code("command", &view->command);
  if (word == "frame") return Frame(&view->left, &view->top, &view->width, &view->height);
  if (word == "title") return String(&view->title);
  if (word == "text") return String(&view->text);
  if (word == "value" || word == "min" || word == "max" || word == "viewSize" || word == "increment") {
    if (!Number(INT32_MIN, INT32_MAX, word.c_str(), &n)) return false;
    if (word == "value") view->value = SInt32(n);
    if (word == "min") view->minimum = SInt32(n);
    if (word == "max") view->maximum = SInt32(n), view->hasMaximum = true;
    if (word == "viewSize") view->viewSize = SInt32(n);
    if (word == "increment") view->increment = SInt32(n);
    return true;
  }
  if (word == "menu") return Small("menu id", &view->menuID);
  if (word == "titleWidth") return Small("title width", &view->titleWidth);
  if (word == "resource") return Small("resource id", &view->resourceID);
  if (word == "justify" || word == "font") {
    bool justify = word == "justify";
    if (current_.kind != Tok::kWord ||
        !(justify ? Find(kJustifications, std::size(kJustifications), current_.text, &value)
                  : Find(kFonts, std::size(kFonts), current_.text, &value)))
      return Fail(justify ? "left, center or right expected" : "a font name expected");
    (justify ? view->justification : view->themeFont) = SInt16(value);
    return Advance();
  }
  if (word == "view") {
    if (!HoldsViews(view->kind)) return Fail("a " + view->kind + " holds no views");
    return View(&view->children, depth + 1);
  }
  static const std::pair<const char*, bool NibView::*> kFlags[] = {
      {"default", &NibView::isDefault}, {"cancel", &NibView::isCancel},
      {"hidden", &NibView::hidden},     {"disabled", &NibView::disabled},
      {"live", &NibView::live},         {"indeterminate", &NibView::indeterminate},
      {"password", &NibView::password}, {"manual", &NibView::manual}};
  for (const auto& [name, member] : kFlags)
    if (word == name) return view->*member = true;
  return Fail("unknown view property '" + word + "'");
}

}  // namespace

bool ParseNibText(std::string_view text, NibDocument* out, NibParseError* error) {
  NibParseError unused;
  if (!error) error = &unused;
  *error = NibParseError{};
  if (!out) return false;
  NibParser parser(text, error);
  if (parser.Run(out)) return true;
  out->windows.clear();
  return false;
}
