// Opening a client of the JACK server the environment names (JACK_DEFAULT_SERVER, else
// "default"), for the audio device and the MIDI driver alike.
#pragma once

#include <jack/jack.h>

#include <string>

// The server's name as the environment gives it.
std::string NamedJackServer();
// Opens a client without ever starting a server. libjack's own messages while it looks for
// a server stay off the console (finding none is normal); when no server answers, one line
// on the console says so, once for the whole program. Null when there is no server.
jack_client_t* OpenJackClient(const char* name);
// True once a look for the server found none (and none has answered since).
bool JackServerWasMissing();
