// layout.js -- the canvas's size on the stage: a whole factor of device pixels where one fits well, else the stage filled at 4:3
import { SCREEN_WIDTH, SCREEN_HEIGHT } from "./constants.js";

// Screens with pixels this small (device pixels per CSS pixel) hide uneven pixel rows, so
// the show may fill them; on coarser ones only whole factors are used.
const SMALL_PIXELS_RATIO = 2;
// A whole factor this close to the fill is used even on small pixels: it stays sharp.
const WHOLE_FACTOR_SLACK = 0.05;

// Device pixels per show pixel on a stage of width x height CSS pixels at this device
// pixel ratio. A stage smaller than the show gets it shrunk to fit, at any ratio.
export function showScale(width, height, ratio) {
  const fit = Math.min(width * ratio / SCREEN_WIDTH, height * ratio / SCREEN_HEIGHT);
  if (fit < 1)
    return fit;
  const whole = Math.floor(fit);
  return ratio >= SMALL_PIXELS_RATIO && whole < fit * (1 - WHOLE_FACTOR_SLACK) ? fit : whole;
}

// Sizes the canvas for the stage as it is now; at 1x, unscaled, in test mode.
export function layOut(stage, canvas, testMode) {
  const ratio = testMode ? 1 : window.devicePixelRatio || 1;
  const scale = testMode ? 1 : showScale(stage.clientWidth, stage.clientHeight, ratio);
  // Whole device pixels, rounded down so that a filled side never overflows the stage.
  canvas.style.width = Math.floor(SCREEN_WIDTH * scale) / ratio + "px";
  canvas.style.height = Math.floor(SCREEN_HEIGHT * scale) / ratio + "px";
}
