#include "shell/base/untitled_name.h"

// Interim: the built-in name; the 'STR ' 129 resource is not looked up yet.
ConstStringPtr GetUntitledName() {
  static const unsigned char kUntitled[] = "\x08Untitled";
  return kUntitled;
}
