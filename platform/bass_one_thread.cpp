// bass_one_thread.cpp -- the device lock for the page's two device files, where one thread both changes and mixes the modules
//
// Linked with bass_web.cpp (the page's thread: the fallback's timer mixes only while the
// show sleeps) and with bass_worklet.cpp (the worklet's audio thread, which handles every
// change between render quanta). Neither has a second thread to keep out.
#include "platform/bass_device.h"

void bass_device_lock()
{
}

void bass_device_unlock()
{
}
