// Songs, an instrument table and insert racks whose chains hold plug-in instance records, for
// the device table's tests. Racks are 158-byte plug-in records with the instrument flag and a
// one-instance chain; the instance's table entry names the plug-in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/memory/mac_types.h"
#include "plugins/host/plugin_devices.h"
#include "tests/song/documents/document_fixture.h"

namespace device_test {

// Registers the rack's device asking for `wanted` (-1 none); the id given.
int32_t Register(Handle rack, int32_t wanted, int32_t index = -1);
// The device with that id (any flags); a failure and a cleared record when there is none.
PluginDeviceView Device(uint32_t id);

class DeviceTableTest : public doc_test::DocumentTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A rack whose chain is one instance of a plug-in called `name` (an instrument unless
  // effect); an empty name gives a rack without a chain.
  Handle MakeRack(const std::string& name, bool effect = false);
  // Gives track `index` of the current song a rack with an instrument and kind-20 output.
  Handle GiveTrackRack(int32_t index, const std::string& name, uint8_t idByte);
  // Gives instrument-table entry `index` a rack with an instrument.
  Handle GiveInstrumentRack(int32_t index, const std::string& name, uint8_t idByte);

  // The instance id in the rack's chain cell.
  static uint32_t RackHead(Handle rack);
  // The table's records as "id:name" (pending ones in brackets), in order.
  static std::string TableText();
  static std::vector<uint32_t> TableIds();

  // A rack that a song or the instrument table owns (and disposes).
  Handle AttachedRack(const std::string& name);

  std::vector<Handle> racks_;       // owned by songs and the instrument table
  std::vector<Handle> looseRacks_;  // owned by the test
  std::vector<uint32_t> instances_;
};

}  // namespace device_test
