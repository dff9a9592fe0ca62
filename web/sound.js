// sound.js -- the show's music on Web Audio: the sound worklet where the browser has one, else chunks queued back to back, behind one face
//
// platform/bass_web.cpp calls the face openSound returns (Module.swayAudio): open, run,
// load, play and free reach the worklet, which mixes by itself on the browser's audio
// thread (web/sound_worklet.js); without one, or when it fails, the show mixes 16-bit
// stereo chunks itself and queue() plays them, topped up every FEED_MS by its
// _bass_web_feed while it sleeps.
import { SOUND_RATE } from "./constants.js";

const FEED_MS = 20;
const QUEUE_RESTART_S = 0.02; // after a gap the queue starts again this far ahead of now

// The worklet's compiled module, fetched once for every run; null where there is no worklet.
// NOTE: compiled from its bytes, not streamed, so that a server that gives .wasm another
// type still serves the page.
let workletCode = null;
export function fetchWorkletCode() {
  if (!window.AudioWorkletNode)
    return;
  workletCode = fetch("swayboard-sound.wasm")
    .then((response) => (response.ok ? response.arrayBuffer() : Promise.reject(new Error(response.status))))
    .then((bytes) => WebAssembly.compile(bytes));
  workletCode.catch(() => {}); // a run that finds it missing falls back to the queue
}

// The context at the show's rate (a browser that cannot open it resamples from its own);
// null with no Web Audio at all, and the show runs silent.
function openContext() {
  const Context = window.AudioContext || window.webkitAudioContext;
  if (!Context)
    return null;
  for (const options of [{ sampleRate: SOUND_RATE }, undefined]) {
    try {
      return new Context(options);
    } catch (error) {
      // the next option, or none
    }
  }
  return null;
}

// The worklet output: messages to the node, held until it exists; failed() once it cannot play.
function workletOutput(audio, failed) {
  let node = null, pending = [], closed = false;
  Promise.all([workletCode, audio.audioWorklet.addModule("swayboard-sound.js")]).then(([code]) => {
    if (closed)
      return;
    node = new AudioWorkletNode(audio, "swayboard-sound", {
      numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [2],
      processorOptions: { code, seed: crypto.getRandomValues(new Int32Array(1))[0] },
    });
    node.port.onmessage = (event) => { if (event.data.kind === "failed") failed(); };
    node.onprocessorerror = failed;
    node.connect(audio.destination);
    for (const [message, transfer] of pending)
      node.port.postMessage(message, transfer);
    pending = null;
  }).catch(failed);
  return {
    send(message, transfer = []) {
      if (node)
        node.port.postMessage(message, transfer);
      else if (pending)
        pending.push([message, transfer]);
    },
    close() {
      closed = true;
      if (node)
        node.disconnect();
    },
  };
}

// The fallback: chunks the show mixes, played back to back from next on.
function queueOutput(audio, show) {
  let feeder = 0, next = 0, rate = SOUND_RATE;
  return {
    setRate(requested) { rate = requested; },
    // NOTE: only once the show has started its output is its module ready to be called.
    feed() {
      if (feeder)
        return;
      feeder = setInterval(() => {
        try {
          show._bass_web_feed();
        } catch (error) {
          clearInterval(feeder); // the show's module has failed: nothing more to mix
        }
      }, FEED_MS);
    },
    aheadMs() { return feeder ? (next - audio.currentTime) * 1000 : Infinity; },
    queue(samples, frames) {
      const buffer = audio.createBuffer(2, frames, rate);
      const left = buffer.getChannelData(0), right = buffer.getChannelData(1);
      for (let i = 0; i < frames; i++) {
        left[i] = samples[2 * i] / 32768;
        right[i] = samples[2 * i + 1] / 32768;
      }
      const source = audio.createBufferSource();
      source.buffer = buffer;
      source.connect(audio.destination);
      // After a gap (a throttled tab, a long frame) the queue starts again just ahead of now.
      next = Math.max(next, audio.currentTime + QUEUE_RESTART_S);
      source.start(next);
      next += frames / rate;
    },
    close() { clearInterval(feeder); },
  };
}

// The face for one run of the show; null when the browser has no sound output.
// NOTE: called from the start click itself, since a browser lets sound start only there.
export function openSound(show) {
  const audio = openContext();
  if (!audio)
    return null;
  audio.resume().catch(() => {});
  const queue = queueOutput(audio, show);
  let worklet = null, running = false;
  function useQueue() {
    if (!worklet)
      return;
    worklet.close();
    worklet = null;
    if (running)
      queue.feed();
  }
  if (workletCode && audio.audioWorklet)
    worklet = workletOutput(audio, useQueue);
  const send = (message, transfer) => worklet && worklet.send(message, transfer);
  return {
    open(requested) {
      queue.setRate(requested);
      return audio.state !== "closed";
    },
    run(on) {
      running = on;
      send({ kind: "run", running });
      if (running && !worklet)
        queue.feed();
    },
    load(handle, bytes, flags) {
      if (!worklet)
        return;
      const copy = bytes.slice(); // the show's memory is not the worklet's
      send({ kind: "load", handle, bytes: copy.buffer, flags }, [copy.buffer]);
    },
    play(handle) { send({ kind: "play", handle }); },
    free(handle) { send({ kind: "free", handle }); },
    aheadMs: queue.aheadMs,
    queue: queue.queue,
    close() {
      if (worklet)
        worklet.close();
      worklet = null;
      queue.close();
      audio.close().catch(() => {});
    },
  };
}
