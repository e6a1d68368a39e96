#include "platform/jack/jack_client_open.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/jack/jack_client_lifetime.h"

namespace {

std::atomic<bool> gMissingSaid{false};
std::atomic<bool> gMissing{false};

// libjack's messages go to the console as usual, except while we look for a server.
thread_local bool tLookingForServer = false;
void JackErrorMessage(const char* text) {
  if (!tLookingForServer) std::fprintf(stderr, "%s\n", text);
}
void JackInfoMessage(const char*) {}

}  // namespace

std::string NamedJackServer() {
  const char* name = std::getenv("JACK_DEFAULT_SERVER");
  return (name != nullptr && *name != 0) ? name : "default";
}

jack_client_t* OpenJackClient(const char* name) {
  if (!WaitForPendingJackCloses(2000)) {
    std::fprintf(stderr, "zarin: an earlier JACK client has not closed; JACK is not used for '%s'\n", name);
    return nullptr;
  }
  jack_set_error_function(JackErrorMessage);
  jack_set_info_function(JackInfoMessage);
  jack_status_t status;
  tLookingForServer = true;
  jack_client_t* client = jack_client_open(name, JackNoStartServer, &status);
  tLookingForServer = false;
  gMissing.store(client == nullptr);
  if (client == nullptr && !gMissingSaid.exchange(true))
    std::fprintf(stderr, "zarin: no JACK server '%s' is running: sound goes to the null device and JACK MIDI "
                 "ports are not available (start the JACK server and choose its device to use it)\n",
                 NamedJackServer().c_str());
  return client;
}

bool JackServerWasMissing() { return gMissing.load(); }
