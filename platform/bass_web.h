// bass_web.h -- the audio stand-in's fallback in a web page without an AudioWorklet: the tune mixed on the page's thread
#pragma once

// Mixes the playing modules in MIX_CHUNK_FRAMES chunks and queues them on the page's Web
// Audio output until it holds about QUEUE_AHEAD_MS of sound. Called by the page's own
// timer (exported as _bass_web_feed), only while the show sleeps and only when the page
// has no AudioWorklet; never from the show's own code.
extern "C" void bass_web_feed();
