#include "platform/text/property_list_xml.h"

#include <plist/plist.h>

#include <climits>
#include <cstdlib>
#include <cstring>

std::string WritePropertyListXML(const std::vector<PropertyListEntry>& entries) {
  plist_t dict = plist_new_dict();
  if (dict == nullptr) return std::string();
  for (const PropertyListEntry& e : entries)
    plist_dict_set_item(dict, e.key.c_str(),
                        e.isData ? plist_new_data(e.data.data(), e.data.size()) : plist_new_uint(e.number));
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(dict, &xml, &length);
  plist_free(dict);
  std::string text = xml != nullptr ? std::string(xml, length) : std::string();
  std::free(xml);
  // The document type line names no document of ours: it is left out.
  size_t doctype = text.find("<!DOCTYPE");
  if (doctype != std::string::npos) {
    size_t end = text.find('\n', doctype);
    text.erase(doctype, end == std::string::npos ? std::string::npos : end + 1 - doctype);
  }
  return text;
}

bool ReadPropertyListXML(const char* xml, size_t length, std::vector<PropertyListEntry>* entries) {
  entries->clear();
  if (xml == nullptr || length == 0 || length > UINT32_MAX || !LooksLikeXML(xml, length)) return false;
  plist_t root = nullptr;
  plist_from_xml(xml, uint32_t(length), &root);
  if (root == nullptr) return false;
  bool ok = plist_get_node_type(root) == PLIST_DICT;
  plist_dict_iter it = nullptr;
  if (ok) plist_dict_new_iter(root, &it);
  for (;;) {
    char* key = nullptr;
    plist_t value = nullptr;
    if (it == nullptr) break;
    plist_dict_next_item(root, it, &key, &value);
    if (key == nullptr || value == nullptr) {
      std::free(key);
      break;
    }
    PropertyListEntry e;
    e.key = key;
    std::free(key);
    if (plist_get_node_type(value) == PLIST_DATA) {
      char* bytes = nullptr;
      uint64_t size = 0;
      plist_get_data_val(value, &bytes, &size);
      e.isData = true;
      if (bytes != nullptr) e.data.assign(bytes, size_t(size));
      std::free(bytes);
      entries->push_back(std::move(e));
    } else if (plist_get_node_type(value) == PLIST_UINT) {
      plist_get_uint_val(value, &e.number);
      entries->push_back(std::move(e));
    }
  }
  std::free(it);
  plist_free(root);
  return ok;
}

bool LooksLikeXML(const char* bytes, size_t length) {
  static const char kStart[] = "<?xml";
  return bytes != nullptr && length >= sizeof kStart - 1 && std::memcmp(bytes, kStart, sizeof kStart - 1) == 0;
}
