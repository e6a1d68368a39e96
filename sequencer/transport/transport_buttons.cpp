#include "sequencer/transport/transport_buttons.h"

#include "sequencer/transport/transport_requests.h"

void PressTransportButton(int16_t index) {
  if (index == 0) RequestTransportPlay();
  if (index == 1) RequestTransportStop();
}
