// rezc: compiles resource sources into a data-fork resource file.
//
//   rezc -o OUTPUT SOURCE.r ...
//
// Errors are reported as "file:line: message"; the output is then not written.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/resources/resource_files.h"
#include "tools/rezc/rez_compiler.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: rezc -o OUTPUT SOURCE.r ...\n");
  return 2;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

bool CompileFile(const std::string& path, ResourceForkImage* image) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot read the file\n", path.c_str());
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  RezDiagnostic error;
  if (CompileResourceSource(text.str(), path, FolderOf(path), image, &error)) return true;
  std::fprintf(stderr, "%s\n", FormatRezDiagnostic(error).c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::string output;
  std::vector<std::string> sources;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-o" && i + 1 < argc) {
      output = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else {
      sources.push_back(arg);
    }
  }
  if (output.empty() || sources.empty()) return Usage();
  ResourceForkImage image;
  for (const std::string& source : sources) {
    if (!CompileFile(source, &image)) return 1;
  }
  if (OSErr err = WriteDataForkResourceFile(output, image)) {
    std::fprintf(stderr, "%s: cannot write the resource file (error %d)\n", output.c_str(), err);
    return 1;
  }
  return 0;
}
