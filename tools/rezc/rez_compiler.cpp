// Lexing and parsing resource sources into resource records.
#include "tools/rezc/rez_compiler.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/text/mac_roman.h"
#include "platform/text/unicode.h"

namespace {

enum class Tok { End, Word, Number, String, Quad, LBrace, RBrace };

struct Token {
  Tok kind = Tok::End;
  std::string text;  // word, or the Mac Roman bytes of a string or four-character code
  int64_t number = 0;
  int line = 0;
  size_t begin = 0;  // offsets of the token in the source text
  size_t end = 0;
};

// --- Lexer ----------------------------------------------------------------------------

class Lexer {
 public:
  explicit Lexer(const std::string& text) : s_(text) {}
  // All tokens, ending with Tok::End; false with *message and *line on bad text.
  bool Run(std::vector<Token>* tokens, std::string* message, int* line);

 private:
  void SkipSpaceAndComments();
  bool Next(Token* token);
  bool LexNumber(Token* token);
  bool LexQuoted(char quote, std::string* out);
  bool LexEscape(std::string* out);
  bool LexCharacter(std::string* out);
  bool Fail(const std::string& message) {
    error_ = message;
    return false;
  }

  std::string_view s_;
  size_t pos_ = 0;
  int line_ = 1;
  std::string error_;
};

bool Lexer::Run(std::vector<Token>* tokens, std::string* message, int* line) {
  for (;;) {
    Token token;
    bool ok = Next(&token);
    token.end = pos_;
    if (!ok) {
      *message = error_;
      *line = line_;
      return false;
    }
    tokens->push_back(token);
    if (token.kind == Tok::End) return true;
  }
}

void Lexer::SkipSpaceAndComments() {
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

bool Lexer::Next(Token* token) {
  SkipSpaceAndComments();
  token->line = line_;
  token->begin = pos_;
  if (pos_ >= s_.size()) return token->kind = Tok::End, true;
  char c = s_[pos_];
  if (c == '{' || c == '}') {
    token->kind = c == '{' ? Tok::LBrace : Tok::RBrace;
    ++pos_;
    return true;
  }
  if (c == '"') return token->kind = Tok::String, LexQuoted('"', &token->text);
  if (c == '\'') {
    token->kind = Tok::Quad;
    if (!LexQuoted('\'', &token->text)) return false;
    return token->text.size() == 4 || Fail("a four-character code needs exactly 4 characters");
  }
  if (c == '-' || (c >= '0' && c <= '9')) return LexNumber(token);
  if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
    token->kind = Tok::Word;
    while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_')) {
      token->text += s_[pos_++];
    }
    return true;
  }
  return Fail(std::string("unexpected character '") + c + "'");
}

bool Lexer::LexNumber(Token* token) {
  token->kind = Tok::Number;
  bool negative = s_[pos_] == '-';
  if (negative) ++pos_;
  int base = 10;
  if (pos_ + 1 < s_.size() && s_[pos_] == '0' && (s_[pos_ + 1] == 'x' || s_[pos_ + 1] == 'X')) base = 16, pos_ += 2;
  int64_t value = 0;
  int digits = 0;
  while (pos_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[pos_]))) {
    char d = s_[pos_];
    int v = d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10;
    if (v >= base) return Fail("bad digit in a number");
    value = value * base + v;
    if (value > 0xFFFFFFFFLL) return Fail("number too large");
    ++pos_, ++digits;
  }
  if (digits == 0) return Fail("a number was expected");
  if (pos_ < s_.size() && (std::isalpha(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_')) {
    return Fail("bad character after a number");
  }
  token->number = negative ? -value : value;
  return true;
}

bool Lexer::LexQuoted(char quote, std::string* out) {
  ++pos_;
  for (;;) {
    if (pos_ >= s_.size() || s_[pos_] == '\n') return Fail("text not closed on its line");
    char c = s_[pos_];
    if (c == quote) return ++pos_, true;
    if (c == '\\') {
      if (!LexEscape(out)) return false;
    } else if (!LexCharacter(out)) {
      return false;
    }
  }
}

bool Lexer::LexEscape(std::string* out) {
  if (pos_ + 1 >= s_.size()) return Fail("escape at the end of the text");
  char e = s_[pos_ + 1];
  pos_ += 2;
  switch (e) {
    case '"': case '\'': case '\\': out->push_back(e); return true;
    case 'n': out->push_back('\n'); return true;
    case 'r': out->push_back('\r'); return true;
    case 't': out->push_back('\t'); return true;
    case '0': out->push_back('\0'); return true;
    case 'x': {
      if (pos_ + 2 > s_.size() || !std::isxdigit(static_cast<unsigned char>(s_[pos_])) ||
          !std::isxdigit(static_cast<unsigned char>(s_[pos_ + 1]))) {
        return Fail("\\x needs two hexadecimal digits");
      }
      out->push_back(char(std::stoi(std::string(s_.substr(pos_, 2)), nullptr, 16)));
      pos_ += 2;
      return true;
    }
    default: return Fail(std::string("unknown escape \\") + e);
  }
}

// One UTF-8 character of source text, as its Mac Roman byte.
bool Lexer::LexCharacter(std::string* out) {
  char32_t cp = 0;
  if (!DecodeUTF8(s_, &pos_, &cp)) return Fail("malformed UTF-8 text");
  unsigned char mac = 0;
  if (!UnicodeToMacRoman(cp, &mac)) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "character U+%04X has no Mac Roman form", unsigned(cp));
    return Fail(buffer);
  }
  out->push_back(char(mac));
  return true;
}

// --- Parser ---------------------------------------------------------------------------

class Parser {
 public:
  Parser(std::string_view source, std::vector<Token> tokens, std::string folder, ResourceForkImage* image)
      : source_(source), tokens_(std::move(tokens)), folder_(std::move(folder)), image_(image) {}
  bool Run();
  const std::string& error() const { return error_; }
  int line() const { return line_; }

 private:
  const Token& Peek() const { return tokens_[at_]; }
  const Token& Take() { return tokens_[at_ < tokens_.size() - 1 ? at_++ : at_]; }
  bool Fail(const Token& where, const std::string& message) {
    error_ = message;
    line_ = where.line;
    return false;
  }
  bool Expect(Tok kind, const char* what, Token* token = nullptr);
  bool Number(int64_t low, int64_t high, const char* what, int64_t* value);
  bool Resource();
  bool Attributes(ResourceRecord* rec);
  bool Body(ResourceRecord* rec);
  bool Directive(const Token& word, std::string* data);
  bool Integer(const std::string& kind, std::string* data);
  bool Hex(std::string* data);
  bool FileBytes(std::string* data);
  bool StringList(std::string* data);
  bool ErrorTable(std::string* data);
  bool PString(const Token& token, std::string* data);
  bool VerbatimBlock(std::string* data);

  std::string_view source_;
  std::vector<Token> tokens_;
  size_t at_ = 0;
  std::string folder_;
  ResourceForkImage* image_;
  std::string error_;
  int line_ = 0;
};

void AppendBE(std::string* data, uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) data->push_back(char(value >> (8 * i)));
}

bool Parser::Run() {
  while (Peek().kind != Tok::End) {
    if (!Resource()) return false;
  }
  return true;
}

bool Parser::Expect(Tok kind, const char* what, Token* token) {
  const Token& t = Take();
  if (t.kind != kind) return Fail(t, std::string(what) + " expected");
  if (token) *token = t;
  return true;
}

bool Parser::Number(int64_t low, int64_t high, const char* what, int64_t* value) {
  const Token& t = Take();
  if (t.kind == Tok::Quad && high >= 0xFFFFFFFFLL) return *value = ReadU32BE(t.text.data()), true;
  if (t.kind != Tok::Number) return Fail(t, std::string(what) + " expected");
  if (t.number < low || t.number > high) {
    return Fail(t, std::string(what) + " out of range " + std::to_string(low) + ".." + std::to_string(high));
  }
  *value = t.number;
  return true;
}

bool Parser::Resource() {
  Token keyword, type;
  if (!Expect(Tok::Word, "'resource'", &keyword)) return false;
  if (keyword.text != "resource") return Fail(keyword, "'resource' expected");
  if (!Expect(Tok::Quad, "resource type", &type)) return false;
  ResourceRecord rec;
  rec.type = ReadU32BE(type.text.data());
  int64_t id = 0;
  if (!Number(-32768, 32767, "resource id", &id)) return false;
  rec.id = SInt16(id);
  for (const ResourceRecord& other : image_->resources) {
    if (other.type == rec.type && other.id == rec.id) return Fail(type, "resource '" + type.text + "' " + std::to_string(id) + " is defined twice");
  }
  if (Peek().kind == Tok::String) {
    const Token& name = Take();
    if (name.text.size() > 255) return Fail(name, "resource name longer than 255 bytes");
    rec.hasName = !name.text.empty();
    rec.name = name.text;
  }
  if (!Attributes(&rec) || !Expect(Tok::LBrace, "'{'") || !Body(&rec)) return false;
  image_->resources.push_back(std::move(rec));
  return true;
}

bool Parser::Attributes(ResourceRecord* rec) {
  static const struct { const char* name; UInt8 bit; } kAttributes[] = {
      {"sysheap", resSysHeap}, {"purgeable", resPurgeable}, {"locked", resLocked},
      {"protected", resProtected}, {"preload", resPreload}};
  while (Peek().kind == Tok::Word) {
    const Token& word = Take();
    bool known = false;
    for (const auto& a : kAttributes) {
      if (word.text == a.name) rec->attributes |= a.bit, known = true;
    }
    if (!known) return Fail(word, "unknown attribute '" + word.text + "'");
  }
  return true;
}

bool Parser::Body(ResourceRecord* rec) {
  int bareStrings = 0;
  bool otherItems = false;
  for (;;) {
    const Token& t = Take();
    if (t.kind == Tok::RBrace) break;
    if (t.kind == Tok::String) {
      ++bareStrings;
      if (!PString(t, &rec->data)) return false;
    } else if (t.kind == Tok::Word) {
      otherItems = true;
      if (!Directive(t, &rec->data)) return false;
    } else {
      return Fail(t, t.kind == Tok::End ? "'}' expected before the end of the file" : "a string or a directive expected");
    }
  }
  if (rec->type == FourCC("STR#") && !otherItems) {
    std::string count;
    AppendBE(&count, uint64_t(bareStrings), 2);
    rec->data.insert(0, count);
  }
  return true;
}

bool Parser::Directive(const Token& word, std::string* data) {
  const std::string& w = word.text;
  if (w == "u8" || w == "i8" || w == "u16" || w == "i16" || w == "u32" || w == "i32" || w == "ostype") {
    return Integer(w, data);
  }
  if (w == "pstring") return Expect(Tok::String, "string") && PString(tokens_[at_ - 1], data);
  if (w == "cstring" || w == "text") {
    Token s;
    if (!Expect(Tok::String, "string", &s)) return false;
    data->append(s.text);
    if (w == "cstring") data->push_back('\0');
    return true;
  }
  if (w == "hex") return Hex(data);
  if (w == "zeros") {
    int64_t n = 0;
    if (!Number(0, 1 << 24, "byte count", &n)) return false;
    data->append(size_t(n), '\0');
    return true;
  }
  if (w == "file") return FileBytes(data);
  if (w == "strlist" || w == "rangetable") return StringList(data);
  if (w == "errtable") return ErrorTable(data);
  if (w == "nib") return VerbatimBlock(data);
  return Fail(word, "unknown directive '" + w + "'");
}

bool Parser::Integer(const std::string& kind, std::string* data) {
  struct Width { const char* name; int bytes; int64_t low, high; };
  static const Width kWidths[] = {
      {"u8", 1, 0, 255}, {"i8", 1, -128, 127}, {"u16", 2, 0, 65535}, {"i16", 2, -32768, 32767},
      {"u32", 4, 0, 0xFFFFFFFFLL}, {"i32", 4, INT32_MIN, INT32_MAX}, {"ostype", 4, 0, 0xFFFFFFFFLL}};
  for (const Width& w : kWidths) {
    if (kind != w.name) continue;
    int64_t value = 0;
    if (kind == "ostype" && Peek().kind != Tok::Quad) return Fail(Peek(), "four-character code expected");
    if (!Number(w.low, w.high, (kind + " value").c_str(), &value)) return false;
    AppendBE(data, uint64_t(value), w.bytes);
    return true;
  }
  return false;
}

bool Parser::PString(const Token& token, std::string* data) {
  if (token.text.size() > 255) return Fail(token, "string longer than 255 bytes");
  data->push_back(char(token.text.size()));
  data->append(token.text);
  return true;
}

bool Parser::Hex(std::string* data) {
  Token s;
  if (!Expect(Tok::String, "hexadecimal text", &s)) return false;
  int pending = -1;
  for (char c : s.text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return Fail(s, std::string("bad hexadecimal digit '") + c + "'");
    int v = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    if (pending < 0) {
      pending = v;
    } else {
      data->push_back(char(pending * 16 + v));
      pending = -1;
    }
  }
  return pending < 0 || Fail(s, "odd number of hexadecimal digits");
}

bool Parser::FileBytes(std::string* data) {
  Token s;
  if (!Expect(Tok::String, "file path", &s)) return false;
  std::string path = !s.text.empty() && s.text[0] == '/' ? s.text : folder_ + "/" + s.text;
  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail(s, "cannot read file '" + path + "'");
  std::ostringstream bytes;
  bytes << in.rdbuf();
  data->append(bytes.str());
  return true;
}

// `nib { ... }`: the source text between the braces, as it stands (braces inside must pair).
bool Parser::VerbatimBlock(std::string* data) {
  Token open;
  if (!Expect(Tok::LBrace, "'{'", &open)) return false;
  for (int depth = 1;;) {
    const Token& t = Take();
    if (t.kind == Tok::End) return Fail(t, "'}' expected before the end of the file");
    if (t.kind == Tok::LBrace) ++depth;
    if (t.kind == Tok::RBrace && --depth == 0) {
      data->append(source_.substr(open.end, t.begin - open.end));
      return true;
    }
  }
}

bool Parser::StringList(std::string* data) {
  if (!Expect(Tok::LBrace, "'{'")) return false;
  std::string items;
  int count = 0;
  while (Peek().kind == Tok::String) {
    if (!PString(Take(), &items)) return false;
    if (++count > 0x7FFF) return Fail(tokens_[at_ - 1], "too many strings");
  }
  if (!Expect(Tok::RBrace, "a string or '}'")) return false;
  AppendBE(data, uint64_t(count), 2);
  data->append(items);
  return true;
}

bool Parser::ErrorTable(std::string* data) {
  if (!Expect(Tok::LBrace, "'{'")) return false;
  std::vector<std::pair<int64_t, std::string>> entries;
  while (Peek().kind == Tok::Number) {
    int64_t code = 0;
    Token text;
    if (!Number(-32768, 32767, "error code", &code) || !Expect(Tok::String, "error text", &text)) return false;
    if (text.text.find('\0') != std::string::npos) return Fail(text, "an error text cannot hold a NUL");
    entries.push_back({code, text.text});
  }
  if (!Expect(Tok::RBrace, "an error code or '}'")) return false;
  std::string table, texts;
  size_t textStart = 4 + 4 * entries.size();
  AppendBE(&table, entries.size(), 2);
  AppendBE(&table, 0, 2);
  for (const auto& [code, text] : entries) {
    size_t offset = textStart + texts.size();
    if (offset > 0x7FFF) return Fail(tokens_[at_ - 1], "error table larger than 32767 bytes");
    AppendBE(&table, uint64_t(code), 2);
    AppendBE(&table, offset, 2);
    texts += text;
    texts.push_back('\0');
  }
  data->append(table);
  data->append(texts);
  return true;
}

}  // namespace

bool CompileResourceSource(const std::string& text, const std::string& fileName, const std::string& sourceFolder,
                           ResourceForkImage* image, RezDiagnostic* error) {
  std::vector<Token> tokens;
  error->file = fileName;
  if (!Lexer(text).Run(&tokens, &error->message, &error->line)) return false;
  Parser parser(text, std::move(tokens), sourceFolder.empty() ? "." : sourceFolder, image);
  if (parser.Run()) return true;
  error->message = parser.error();
  error->line = parser.line();
  return false;
}

std::string FormatRezDiagnostic(const RezDiagnostic& d) {
  return d.file + ":" + std::to_string(d.line) + ": " + d.message;
}
