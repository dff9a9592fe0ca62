// sound_worklet.js -- the page's sound processor: the show's mixer (swayboard-sound.wasm) fills every render quantum
//
// Appended to the sound module's own loader to make swayboard-sound.js, which the page
// loads with audioWorklet.addModule. Here there is no fetch and no timer: the compiled
// module comes in with the node's options, the tune's bytes and every change through its
// port, handled in order between render quanta on the browser's audio thread.
// NOTE: the worklet's scope has neither a performance clock nor crypto, and libopenmpt
// reads both when it decodes a module (through emscripten's clock_gettime and getentropy,
// to seed its own random generator). The audio thread's clock stands in for the one, and
// for the other a seed from the page's crypto (the node's options), stretched by xorshift.
if (typeof performance === "undefined")
  globalThis.performance = { now: () => currentTime * 1000 };
let entropy = 1;
if (typeof crypto === "undefined") {
  globalThis.crypto = {
    getRandomValues(array) {
      for (let i = 0; i < array.length; i++) {
        entropy ^= entropy << 13;
        entropy ^= entropy >>> 17;
        entropy ^= entropy << 5;
        array[i] = entropy;
      }
      return array;
    },
  };
}

registerProcessor("swayboard-sound", class extends AudioWorkletProcessor {
  constructor(options) {
    super();
    this.sound = null;
    this.inbox = [];      // what arrived before the module was ready, in order
    this.running = false;
    this.handles = new Map(); // the page's handle of each module to the one here
    this.port.onmessage = (event) => (this.sound ? this.handle(event.data) : this.inbox.push(event.data));
    const code = options.processorOptions.code;
    entropy = options.processorOptions.seed | 0 || 1;
    createSwayboardSound({
      instantiateWasm(imports, done) {
        const instance = new WebAssembly.Instance(code, imports);
        done(instance, code);
        return instance.exports;
      },
      print() {},
      printErr() {},
    }).then((sound) => {
      if (!sound._worklet_open(sampleRate))
        throw new Error(`no mixing at ${sampleRate} Hz`);
      this.sound = sound;
      this.maxFrames = sound._worklet_max_frames();
      for (const message of this.inbox)
        this.handle(message);
      this.inbox = null;
      this.port.postMessage({ kind: "ready" });
    }).catch((error) => this.port.postMessage({ kind: "failed", reason: String(error) }));
  }

  handle(message) {
    const sound = this.sound;
    if (message.kind === "run") {
      this.running = message.running;
    } else if (message.kind === "load") {
      const bytes = new Uint8Array(message.bytes);
      const room = sound._worklet_module_room(bytes.length);
      if (room)
        sound.HEAPU8.set(bytes, room);
      const handle = room ? sound._worklet_load(room, bytes.length, message.flags) : 0;
      this.handles.set(message.handle, handle);
      if (!handle)
        this.port.postMessage({ kind: "failed", reason: "the module did not decode here" });
    } else if (message.kind === "play") {
      sound._worklet_play(this.handles.get(message.handle) || 0);
    } else if (message.kind === "free") {
      sound._worklet_free(this.handles.get(message.handle) || 0);
      this.handles.delete(message.handle);
    }
  }

  process(inputs, outputs) {
    // Outputs start silent: while stopped, or before the module is ready, they stay so.
    const [left, right] = outputs[0];
    if (!this.sound || !this.running)
      return true;
    for (let at = 0; at < left.length; at += this.maxFrames) {
      const frames = Math.min(this.maxFrames, left.length - at);
      const from = this.sound._worklet_render(frames) >> 2;
      const samples = this.sound.HEAPF32;
      left.set(samples.subarray(from, from + frames), at);
      right.set(samples.subarray(from + frames, from + 2 * frames), at);
    }
    return true;
  }
});
