#include "shell/base/double_click.h"

#include "shell/base/event_records.h"

bool IsDoubleClick(uint32_t* previousClickTime) {
  uint32_t now = gLastEvent.when;
  bool twice = *previousClickTime != 0 && now - *previousClickTime <= GetDblTime();
  *previousClickTime = now;
  return twice;
}
