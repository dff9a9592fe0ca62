// input.js -- the page's keys, mouse buttons and taps, queued for the show's next frame to read
//
// Each event is { down, button }: button 0 for a key, else the mouse button in SDL's
// numbering (1 left, 2 middle, 3 right); a tap is the left button. The show packs them
// into its own codes (platform/video_web.cpp).
const KEY = 0, LEFT_BUTTON = 1;

// A screen whose main pointer is a finger: the panel then speaks of taps.
export const touchScreen = window.matchMedia("(pointer: coarse)").matches;

let events = [];
let keysDown = new Set();
let stage = null;

export function nextEvent() {
  return events.length ? events.shift() : null;
}

function onKeyDown(e) {
  keysDown.add(e.code);
  events.push({ down: true, button: KEY });
  e.preventDefault();
}
function onKeyUp(e) {
  // A key already held when the show started (the one that pressed the start button) is not its input.
  if (!keysDown.delete(e.code))
    return;
  events.push({ down: false, button: KEY });
  e.preventDefault();
}
// The DOM numbers buttons 0, 1, 2 (left, middle, right); SDL numbers them 1, 2, 3.
function onMouseDown(e) {
  events.push({ down: true, button: e.button + 1 });
  e.preventDefault();
}
function onMouseUp(e) {
  events.push({ down: false, button: e.button + 1 });
}
// NOTE: cancelling the touch also keeps the browser from making mouse events and a click
// of it, and from scrolling or zooming; only the first finger down and the last up count.
function onTouchStart(e) {
  e.preventDefault();
  if (e.touches.length === e.changedTouches.length)
    events.push({ down: true, button: LEFT_BUTTON });
}
function onTouchEnd(e) {
  e.preventDefault();
  if (e.touches.length === 0)
    events.push({ down: false, button: LEFT_BUTTON });
}
function cancel(e) {
  e.preventDefault();
}

// Starts (on) or stops handing the stage's input to the show, from a clean queue.
export function listen(on, element) {
  if (on) {
    events = [];
    keysDown = new Set();
    stage = element;
  }
  const method = on ? "addEventListener" : "removeEventListener";
  const active = { passive: false };
  window[method]("keydown", onKeyDown);
  window[method]("keyup", onKeyUp);
  stage[method]("mousedown", onMouseDown);
  stage[method]("mouseup", onMouseUp);
  stage[method]("touchstart", onTouchStart, active);
  stage[method]("touchend", onTouchEnd, active);
  stage[method]("touchcancel", onTouchEnd, active);
}

// For as long as the page is open: no menu on a right click or a long press, and no
// scrolling or pinching, over the show or the panel (Safari's pinch comes as gesture events).
export function holdStill() {
  for (const kind of ["contextmenu", "gesturestart", "gesturechange", "dblclick"])
    document.addEventListener(kind, cancel);
  document.addEventListener("touchmove", cancel, { passive: false });
}
