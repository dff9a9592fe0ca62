// sound_constants.js -- the numbers of the page's sound that the web checks and the bench both count with
"use strict";

module.exports = {
  QUANTUM: 128,      // Web Audio renders this many frames at a time
  SOUND_RATE: 44100, // the page's and the recorder's output rate
};
