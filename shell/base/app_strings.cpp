#include "shell/base/app_strings.h"

#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/error_report.h"

Str255 gStringBuffer = {0};

StringPtr AppendIndString(int16_t id, int16_t n) {
  Str255 item;
  item[0] = 0;
  if (n >= 0 && n < 0x7FFF) GetIndString(item, id, int16_t(n + 1));
  AppendPString(gStringBuffer, item);
  return gStringBuffer;
}

StringPtr GetAppString(int16_t n) {
  gStringBuffer[0] = 0;
  return AppendIndString(kGeneralStrList, n);
}

StringPtr GetMessageString(int16_t n) {
  gStringBuffer[0] = 0;
  return AppendIndString(kAudioMessageStrList, int16_t(n - 1));
}
