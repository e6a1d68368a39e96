// The audio hardware: the device list, device properties, IO procedures and property
// listeners.
//
// Devices come from three backends: a JACK server when one runs (one device, "JACK (" server
// name ")"), the ALSA PCM devices of the sound cards (opened only while they run), and always
// the built-in null device "Null Output" (null_device.h). Device ids stay the same for the
// whole run; device names stay the same from run to run, so a saved name finds its device
// again. The list is read again each time 'dev#' is asked for.
//
// Threads: IO procedures run on the device's real-time thread. Property listeners run on the
// layer's own notification thread, never on a real-time thread ('rnlp' is accepted and
// answered, but notifications always arrive on that thread). Every call may be made from
// the main thread; AudioDeviceStop, AudioDeviceRemoveIOProc and AudioDeviceStart may also be
// called from inside an IO procedure of the same device, where they never block. Inside an IO
// procedure every other call that would need a lock answers 'nope' (of the properties only
// 'goin', 'livn', 'fsiz' and 'nsrt' are answered there).
#pragma once

#include "platform/coreaudio/audio_types.h"

// Hardware properties: 'dev#' (AudioDeviceID list, in system order: JACK, ALSA, null),
// 'dOut' and 'dIn ' (default devices; ZARIN_AUDIO_DEVICE names a preferred device), 'rnlp'.
// A list property fills as many whole entries as *ioSize allows and sets *ioSize to the
// bytes written; a fixed-size property answers '!siz' when *ioSize is too small.
OSStatus AudioHardwareGetPropertyInfo(AudioHardwarePropertyID property, UInt32* outSize, Boolean* outWritable);
OSStatus AudioHardwareGetProperty(AudioHardwarePropertyID property, UInt32* ioSize, void* outData);
OSStatus AudioHardwareSetProperty(AudioHardwarePropertyID property, UInt32 size, const void* data);

// Device properties, per side (isInput) and channel (0 the whole side, 1..n one channel).
// Unknown or absent properties answer kAudioHardwareUnknownPropertyError ('who?'); an unknown
// device '!dev'; a side without a stream '!str' for the stream properties. CFString results
// ('lnam', 'uid ', 'lchn', 'lccn', and the translations 'lscn', 'lcsn') belong to the caller.
OSStatus AudioDeviceGetPropertyInfo(AudioDeviceID device, UInt32 channel, Boolean isInput,
                                    AudioDevicePropertyID property, UInt32* outSize, Boolean* outWritable);
OSStatus AudioDeviceGetProperty(AudioDeviceID device, UInt32 channel, Boolean isInput,
                                AudioDevicePropertyID property, UInt32* ioSize, void* outData);
// inWhen is ignored: changes take effect at the next device buffer.
OSStatus AudioDeviceSetProperty(AudioDeviceID device, const AudioTimeStamp* inWhen, UInt32 channel,
                                Boolean isInput, AudioDevicePropertyID property, UInt32 size, const void* data);

// IO procedures: up to 16 per device. Adding a procedure that is already installed answers
// 'nope'. Start is asynchronous: the procedure runs from the next device buffer on, and the
// device reports 'goin' = 1 (with a 'goin' notification) when the first buffer with a
// started procedure begins. Stop takes effect at once: after a Stop from another thread
// returns, the procedure is not running and will not be called again; a Stop from inside
// the procedure's own callback is honoured when the callback returns. Removing a started
// procedure stops it first. 'goin' drops to 0 (with a notification) when no procedure of
// the device is started.
OSStatus AudioDeviceAddIOProc(AudioDeviceID device, AudioDeviceIOProc proc, void* clientData);
OSStatus AudioDeviceRemoveIOProc(AudioDeviceID device, AudioDeviceIOProc proc);
OSStatus AudioDeviceStart(AudioDeviceID device, AudioDeviceIOProc proc);
OSStatus AudioDeviceStop(AudioDeviceID device, AudioDeviceIOProc proc);

// Property listeners: property may be '****' and channel kAudioPropertyWildcardChannel. The
// notifications sent are 'livn', 'goin', 'over' (a buffer came late or was lost), 'nsrt',
// 'fsiz' and 'pft ', once for each side (isInput false and true), on channel 0. After
// RemovePropertyListener returns (from any thread but the notification thread itself) the
// listener is not running and will not be called again.
OSStatus AudioDeviceAddPropertyListener(AudioDeviceID device, UInt32 channel, Boolean isInput,
                                        AudioDevicePropertyID property, AudioDevicePropertyListenerProc proc,
                                        void* clientData);
OSStatus AudioDeviceRemovePropertyListener(AudioDeviceID device, UInt32 channel, Boolean isInput,
                                           AudioDevicePropertyID property, AudioDevicePropertyListenerProc proc);

// Waits (at most timeoutMillis) until every notification posted before the call has been
// delivered. True when they were. Returns at once on the notification thread itself.
Boolean AudioHardwareFlushNotifications(UInt32 timeoutMillis);

// Stops every device, closes the JACK client and ends the layer's threads. Runs by itself at
// exit; a later call of any function above starts the layer again (same device ids).
void AudioHardwareUnload();
