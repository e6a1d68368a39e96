// XML property lists of one dictionary whose values are blocks of bytes or whole numbers, as a
// plug-in's saved state is written (libplist).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PropertyListEntry {
  std::string key;
  bool isData = false;
  std::string data;     // isData: the bytes
  uint64_t number = 0;  // otherwise: the whole number
};

// The entries as an XML property list; empty when memory is short.
std::string WritePropertyListXML(const std::vector<PropertyListEntry>& entries);
// Reads a dictionary of such entries (entries of other types are skipped); false when the
// text is no XML property list holding a dictionary.
bool ReadPropertyListXML(const char* xml, size_t length, std::vector<PropertyListEntry>* entries);
// Whether the bytes begin as an XML document does.
bool LooksLikeXML(const char* bytes, size_t length);
