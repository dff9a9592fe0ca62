// run.js -- the page's run of the show: the start panel, a fresh instance of the show for every run, and the test mode
//
// index.html?seed=S&frames=N is the test mode: no panel and no sound, the canvas at 1x in
// the top-left corner, frames 1 to N unpaced, then the title "frame N".
import { layOut } from "./layout.js";
import { run, showRegion, frameShown } from "./frames.js";
import { touchScreen, nextEvent, listen, holdStill } from "./input.js";
import { fetchWorkletCode, openSound } from "./sound.js";

const stage = document.getElementById("stage");
const canvas = document.getElementById("show");
const panel = document.getElementById("panel");
const startButton = document.getElementById("start");
const params = new URLSearchParams(location.search);
const testMode = params.has("seed") && params.has("frames");

// Full screen where the browser can put an element there (a phone's Safari cannot).
const fullscreen = {
  able: Boolean(document.fullscreenEnabled || document.webkitFullscreenEnabled),
  element: () => document.fullscreenElement || document.webkitFullscreenElement,
  enter: () => (stage.requestFullscreen || stage.webkitRequestFullscreen).call(stage),
  exit: () => (document.exitFullscreen || document.webkitExitFullscreen).call(document),
};

// Asks for full screen or out of it; a refusal, however it comes, leaves the show where it is.
function askFullscreen(call) {
  try {
    Promise.resolve(call()).catch(() => {});
  } catch (error) {
    // an older browser that throws instead of refusing
  }
}

const layOutNow = () => layOut(stage, canvas, testMode);
window.addEventListener("resize", layOutNow);
for (const kind of ["fullscreenchange", "webkitfullscreenchange"])
  document.addEventListener(kind, layOutNow);

function ended(frames) {
  run.running = false;
  if (testMode) {
    document.title = "frame " + frames;
    return;
  }
  listen(false);
  if (fullscreen.element())
    askFullscreen(fullscreen.exit);
  const status = document.getElementById("status");
  status.textContent = "The show has ended.";
  status.hidden = false;
  startButton.textContent = touchScreen ? "Tap to start again" : "Start again";
  panel.hidden = false;
}

function start() {
  if (run.running)
    return;
  run.running = true;
  run.framesShown = 0;
  run.firstFrameMs = 0;
  run.startedAt = performance.now();
  const module = {
    arguments: testMode ? ["--seed", params.get("seed"), "--frames", params.get("frames")] : [],
    showRegion,
    frameShown,
    nextEvent,
    showEnded: ended,
  };
  module.swayAudio = testMode ? null : openSound(module);
  if (!testMode) {
    panel.hidden = true;
    if (fullscreen.able && document.querySelector("input[name=view]:checked").value === "full")
      askFullscreen(fullscreen.enter);
    listen(true, stage);
  }
  window.createSwayboard(module);
}

layOutNow();
if (testMode) {
  document.body.classList.add("test");
  panel.hidden = true;
  document.title = "running";
} else {
  fetchWorkletCode();
  holdStill();
  document.getElementById("views").hidden = !fullscreen.able;
  if (touchScreen) {
    startButton.textContent = "Tap to start";
    document.getElementById("hint").textContent = "A tap ends the show.";
  }
}
startButton.addEventListener("click", start);
const script = document.createElement("script");
script.src = "swayboard.js";
script.onload = testMode ? start : () => { startButton.disabled = false; };
document.body.appendChild(script);
