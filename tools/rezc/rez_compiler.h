// The resource compiler: readable text sources to resource fork images.
//
// A source holds resource definitions; '#' and '//' start comments to the end of a line.
//
//   resource 'STR#' 129 "General texts" purgeable {
//     "first item"
//     "second item"
//   }
//   resource 'STR ' 200 { "one string" }
//   resource 'SERR' 128 { errtable { -43 "File not found." -39 "Unexpected end of file." } }
//   resource 'SERR' -50 { rangetable { "Bad parameter." "..." } }
//   resource 'XXXX' 1 { u8 1 u16 2 i16 -3 u32 4 i32 -5 ostype 'TEXT' pstring "x" cstring "y"
//                       text "raw" hex "00 01 ff" zeros 12 file "picture.bin" }
//   resource 'NIBT' 128 "transp" { nib { window "transp" { ... } } }
//
// After the id come an optional name (a string) and attributes: sysheap purgeable locked
// protected preload. A bare string in a body is a Pascal string; a body of bare strings
// in a 'STR#' resource is a string list (count word, then the strings), as is
// `strlist { ... }` anywhere. errtable writes the exact-code error table (count, reserved
// word, {code, offset of the text} per entry, then the NUL-terminated texts); rangetable
// a count and Pascal strings. `nib { ... }` copies the source text between its braces
// verbatim (UTF-8, comments included; the braces inside must pair): nib window descriptions
// (platform/nib/nib_format.h).
//
// Strings are UTF-8 and become Mac Roman; escapes \" \\ \n \r \t \0 and \xHH (a raw byte).
// Numbers are decimal or 0x hexadecimal and must fit their field. file paths are taken
// from the source's folder.
#pragma once

#include <string>

#include "platform/resources/resource_fork.h"

struct RezDiagnostic {
  std::string file;
  int line = 0;
  std::string message;
};

// Compiles one source text, appending its resources to *image. sourceFolder is where
// `file` paths start. False with *error (file, line, message) on the first error; a
// resource whose type and id the image already holds is an error too.
bool CompileResourceSource(const std::string& text, const std::string& fileName, const std::string& sourceFolder,
                           ResourceForkImage* image, RezDiagnostic* error);

// "file:line: message"
std::string FormatRezDiagnostic(const RezDiagnostic& diagnostic);
