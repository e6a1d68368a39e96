#include "plugins/library/plugin_name_split.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

std::string NameText(const PluginInfo* entry) {
  return std::string(reinterpret_cast<const char*>(entry->name + 1), entry->name[0]);
}

void SetName(PluginInfo* entry, const std::string& text) {
  size_t n = text.size() < size_t(kPluginNameMax) ? text.size() : size_t(kPluginNameMax);
  entry->name[0] = uint8_t(n);
  std::memcpy(entry->name + 1, text.data(), n);
}

}  // namespace

bool ContainsIgnoringCase(ConstStr255Param text, const char* word) {
  std::string upper(reinterpret_cast<const char*>(text + 1), text[0]);
  std::string wanted = word;
  for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
  for (char& c : wanted) c = char(std::toupper(static_cast<unsigned char>(c)));
  return upper.find(wanted) != std::string::npos;
}

void TextToPascal(const std::string& text, Str255 out, size_t max) {
  size_t n = text.size() < max ? text.size() : max;
  out[0] = uint8_t(n);
  std::memcpy(out + 1, text.data(), n);
}

void SplitPluginName(PluginInfo* entry, Str255 vendor, Str255 product) {
  std::string name = NameText(entry);
  if (entry->prefixLength >= name.size()) entry->prefixLength = 0;
  size_t at = std::string::npos;
  size_t skip = 1;
  if (entry->prefixLength > 0) {
    at = entry->prefixLength - 1u;
  } else {
    const char* separators = IsAudioUnitKind(entry->kind) ? ":|" : ":|-";
    for (const char* s = separators; *s != '\0' && at == std::string::npos; ++s)
      at = name.rfind(*s);
  }
  if (at == std::string::npos) {
    vendor[0] = 0;
    TextToPascal(name, product, 255);
    return;
  }
  std::string rest = name.substr(at + skip < name.size() ? at + skip : name.size());
  size_t first = rest.find_first_not_of(' ');
  TextToPascal(name.substr(0, at), vendor, 255);
  TextToPascal(first == std::string::npos ? std::string() : rest.substr(first), product, 255);
}

void ApplyPluginVendor(PluginInfo* entry, const char* vendor) {
  Str255 part;
  Str255 product;
  SplitPluginName(entry, part, product);
  if (part[0] > 0 && (ContainsIgnoringCase(part, "bridge") || ContainsIgnoringCase(part, "disable"))) {
    SetName(entry, std::string(reinterpret_cast<const char*>(product + 1), product[0]));
    entry->prefixLength = 0;
    part[0] = 0;
  }
  if (part[0] > 0 || vendor == nullptr || vendor[0] == '\0' || vendor[0] == '-') return;
  int32_t room = 56 - entry->name[0];
  if (room <= 0) return;  // no room for even one character and the '-'
  std::string maker(vendor);
  if (maker.size() > size_t(room)) maker.resize(size_t(room));
  SetName(entry, maker + "-" + NameText(entry));
  entry->pluginFlags |= kPluginFlagVendorPrefix;
  entry->prefixLength = uint8_t(maker.size() + 1);
}
