// bass_web.h -- the audio stand-in's output in a web page: the tune is mixed on the page's thread, a little ahead
#pragma once

// Mixes the playing modules in MIX_CHUNK_FRAMES chunks and queues them on the page's Web
// Audio output until it holds about QUEUE_AHEAD_MS of sound. Called once a frame; between
// calls the browser plays what is queued, so the show must give it its turn (os_web.cpp).
void bass_web_feed();
