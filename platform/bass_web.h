// bass_web.h -- the audio stand-in's fallback in a web page without an AudioWorklet: the tune mixed on the page's thread
#pragma once

// Mixes the playing modules in BASS_PAGE_CHUNK_FRAMES chunks (bass_device.h) and queues
// them on the page's Web Audio output until it holds about QUEUE_AHEAD_MS of sound
// (bass_web.cpp). Called by the page's own timer (web/sound.js, as _bass_web_feed) only
// while the show sleeps, and only once the page has fallen back to its queue; never from
// the show's own code.
extern "C" void bass_web_feed();
