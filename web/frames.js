// frames.js -- the show's frames onto the canvas: each changed region straight from the show's memory
import { SCREEN_WIDTH, SCREEN_HEIGHT } from "./constants.js";

const canvas = document.getElementById("show");
canvas.width = SCREEN_WIDTH;
canvas.height = SCREEN_HEIGHT;
// NOTE: willReadFrequently keeps the canvas in memory. Some engines (WebKitGTK) otherwise
// draw it with GL, which on a machine without a GPU is a software rasteriser that takes
// the cores from the show: 22 to 33 frames a second at 2x instead of 50. Engines that
// draw in memory anyway (Chromium and Firefox without a GPU) cost the same either way.
const context = canvas.getContext("2d", { alpha: false, willReadFrequently: true });

// What a run reports, for anyone measuring the page: when it started, when its first
// frame showed, how many frames it has shown, whether it is running.
export const run = { startedAt: 0, firstFrameMs: 0, framesShown: 0, running: false };
window.swayboard = run;

// The image is a view of the show's whole screen, made again only when the memory grows
// (a new buffer) or the screen moves; each region is put from it with no copy of our own.
let image = null;
// A canvas whose context the browser dropped comes back blank: it is given the whole
// screen again with the next region, since the show redraws only what changes.
let wholeNext = false;
canvas.addEventListener("contextrestored", () => { wholeNext = true; });

export function showRegion(memory, address, width, height, x, y, w, h) {
  if (!image || image.data.buffer !== memory || image.data.byteOffset !== address || image.width !== width ||
      image.height !== height)
    image = new ImageData(new Uint8ClampedArray(memory, address, width * height * 4), width, height);
  if (wholeNext) {
    wholeNext = false;
    context.putImageData(image, 0, 0);
  } else {
    context.putImageData(image, 0, 0, x, y, w, h);
  }
}

export function frameShown() {
  if (run.framesShown++ === 0)
    run.firstFrameMs = performance.now() - run.startedAt;
}
