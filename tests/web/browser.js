// browser.js -- the page's test bench: a static server of its own, headless Chromium, and the DevTools protocol
//
// Everything listens on 127.0.0.1 at a port the system picks, and Chromium gets a new
// empty profile, so two runs side by side never meet. Needs Debian's chromium and node-ws.
// A page here has the face that firefox.js and webkit.js give theirs too: goto, evaluate,
// click, key, touch and close, the input as real input events.
"use strict";
const { spawn } = require("child_process");
const fs = require("fs");
const http = require("http");
const os = require("os");
const path = require("path");
const WebSocket = require("ws");
const { QUANTUM } = require("./sound_constants.js");

const TYPES = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };

// Serves dir's files on 127.0.0.1; resolves to { url, server, withScripts(...scripts) }.
// withScripts gives the address of a folder of the same files whose index.html runs the
// scripts before its own, as the first thing in its head: a way to run a script before the
// page's that every engine takes.
function serve(folder) {
  const dir = path.resolve(folder);
  const scriptSets = [];
  const server = http.createServer((request, response) => {
    let name = decodeURIComponent(new URL(request.url, "http://x").pathname);
    const set = /^\/with-scripts-(\d+)(\/.*)$/.exec(name);
    if (set)
      name = set[2];
    const file = path.join(dir, name === "/" ? "index.html" : name);
    if (!file.startsWith(dir + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { "Content-Type": TYPES[path.extname(file)] || "application/octet-stream" });
    if (set && path.basename(file) === "index.html") {
      const scripts = scriptSets[Number(set[1])].map((script) => `<script>${script.replace(/<\/script/gi, "<\\/script")}</script>`);
      response.end(fs.readFileSync(file, "utf8").replace(/<head>/i, (head) => head + scripts.join("")));
      return;
    }
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => {
    const url = `http://127.0.0.1:${server.address().port}/`;
    const withScripts = (...scripts) => `${url}with-scripts-${scriptSets.push(scripts) - 1}/`;
    resolve({ url, server, withScripts });
  }));
}

// Removes a browser's profile folder. A browser's helper processes may still be writing
// into it for a while after the browser itself has exited (rmSync's own retries give up
// on a directory refilled under it): removal is tried again until it holds, for up to a minute.
async function removeProfile(profile) {
  for (const end = Date.now() + 60000; ;) {
    try {
      fs.rmSync(profile, { recursive: true, force: true, maxRetries: 5, retryDelay: 100 });
      return;
    } catch (error) {
      if (Date.now() > end)
        throw error;
      await new Promise((resolve) => setTimeout(resolve, 250));
    }
  }
}

// The keys the checks press, as each protocol names them.
const KEYS = { a: { key: "a", code: "KeyA", windowsVirtualKeyCode: 65 } };

// Waits for test() to return a true value, polling; rejects with what after timeoutMs.
async function waitFor(test, timeoutMs, what) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const value = await test();
    if (value)
      return value;
    if (Date.now() > end)
      throw new Error(`timed out waiting for ${what}`);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

// Starts headless Chromium with a new empty profile; resolves to a DevTools connection
// with send(method, params, session), on(event, handler), close().
async function launch(width, height) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "swayboard-chromium-"));
  const chromium = spawn("chromium", [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    `--user-data-dir=${profile}`, "--remote-debugging-port=0", `--window-size=${width},${height}`,
    "about:blank"], { stdio: ["ignore", "ignore", "pipe"] });
  let log = "";
  chromium.stderr.on("data", (data) => { log += data; });
  const portFile = path.join(profile, "DevToolsActivePort");
  await waitFor(() => fs.existsSync(portFile) && fs.readFileSync(portFile, "utf8").split("\n").length >= 2,
    120000, `Chromium's DevTools port (its log: ${log.slice(-500)})`);
  const [port, endpoint] = fs.readFileSync(portFile, "utf8").split("\n");
  const socket = new WebSocket(`ws://127.0.0.1:${port}${endpoint}`, { perMessageDeflate: false, maxPayload: 1 << 30 });
  await new Promise((resolve, reject) => { socket.on("open", resolve); socket.on("error", reject); });

  let nextId = 1;
  const pending = new Map();
  const handlers = [];
  socket.on("message", (data) => {
    const message = JSON.parse(data);
    if (message.id && pending.has(message.id)) {
      const { resolve, reject } = pending.get(message.id);
      pending.delete(message.id);
      if (message.error)
        reject(new Error(`${message.error.message} ${message.error.data || ""}`));
      else
        resolve(message.result);
    } else if (message.method) {
      for (const handler of handlers)
        handler(message);
    }
  });
  const browser = {
    pid: chromium.pid,
    send(method, params = {}, sessionId = undefined) {
      const id = nextId++;
      socket.send(JSON.stringify({ id, method, params, sessionId }));
      return new Promise((resolve, reject) => pending.set(id, { resolve, reject }));
    },
    on(handler) { handlers.push(handler); },
    async close() {
      socket.close();
      chromium.kill();
      await new Promise((resolve) => chromium.exitCode !== null ? resolve() : chromium.on("exit", resolve));
      await removeProfile(profile);
    },
  };
  return browser;
}

// A new tab of width x height CSS pixels at scale 1; resolves to a page with
// send(method, params), evaluate(expression), goto(url), click(x, y, button),
// key("down" or "up", key), touch(x, y), close().
async function openPage(browser, width, height) {
  const { targetId } = await browser.send("Target.createTarget", { url: "about:blank" });
  const { sessionId } = await browser.send("Target.attachToTarget", { targetId, flatten: true });
  const page = {
    send: (method, params) => browser.send(method, params, sessionId),
    async evaluate(expression) {
      const result = await page.send("Runtime.evaluate", { expression, returnByValue: true, awaitPromise: true });
      if (result.exceptionDetails)
        throw new Error(`page: ${result.exceptionDetails.exception?.description || result.exceptionDetails.text}`);
      return result.result.value;
    },
    async goto(url) {
      await page.send("Page.navigate", { url });
      await waitFor(() => page.evaluate("document.readyState === 'complete' && location.href"), 60000, `${url} to load`);
    },
    async click(x, y, button) {
      for (const type of ["mousePressed", "mouseReleased"])
        await page.send("Input.dispatchMouseEvent", { type, x, y, button, clickCount: 1 });
    },
    key: (type, key) => page.send("Input.dispatchKeyEvent", { type: type === "down" ? "keyDown" : "keyUp", ...KEYS[key] }),
    async touch(x, y) {
      await page.send("Input.dispatchTouchEvent", { type: "touchStart", touchPoints: [{ x, y }] });
      await page.send("Input.dispatchTouchEvent", { type: "touchEnd", touchPoints: [] });
    },
    close: () => browser.send("Target.closeTarget", { targetId }).catch(() => {}),
  };
  await page.send("Page.enable");
  await page.send("Runtime.enable");
  await page.send("Emulation.setDeviceMetricsOverride", { width, height, deviceScaleFactor: 1, mobile: false });
  return page;
}

// A real mouse click (press and release) of button ("left", "middle", "right") at x, y.
function click(page, x, y, button) {
  return page.click(x, y, button);
}

// Picks "in the page" (unless already started once) and clicks the page's start button:
// a real click, the browser's gesture that allows sound.
async function clickStart(page) {
  await page.evaluate(`document.querySelector("input[value=page]").click()`);
  await waitFor(() => page.evaluate(`!document.getElementById("start").disabled`), 120000, "the page's script");
  const centre = await page.evaluate(`(() => { const r = document.getElementById("start").getBoundingClientRect();
    return [r.x + r.width / 2, r.y + r.height / 2]; })()`);
  await click(page, centre[0], centre[1], "left");
}

// What reaches the speakers, counted by the checker rather than by the page: a script for
// Page.addScriptToEvaluateOnNewDocument that connects everything the page connects to an
// audio destination also to a processor of its own (an AudioWorkletNode with no outputs,
// which the browser renders whatever it is connected to). From the first quantum with a
// sample other than zero it counts the quanta and the all-zero ones among them (a quantum
// of no input at all, as between queued buffers, is all zero too), and records the first
// recordFrames stereo frames as 16-bit samples. hideWorklet hides AudioWorkletNode from the
// page, as in a browser without it. window.soundTap.read() resolves to the latest context's
// { rate, heard, quanta, silent, longestSilent, samples }.
function soundTapScript({ recordFrames = 0, hideWorklet = false } = {}) {
  const processor = `registerProcessor("sound-tap", class extends AudioWorkletProcessor {
    constructor() {
      super();
      this.stats = { rate: sampleRate, heard: false, quanta: 0, silent: 0, longestSilent: 0 };
      this.run = 0;
      this.recording = new Int16Array(2 * ${recordFrames});
      this.recorded = 0;
      this.port.onmessage = () => this.port.postMessage(this.stats);
    }
    process(inputs) {
      const channels = inputs[0], stats = this.stats;
      let zero = true;
      for (const channel of channels)
        for (let i = 0; i < channel.length && zero; i++)
          zero = channel[i] === 0;
      stats.heard = stats.heard || !zero;
      if (!stats.heard)
        return true;
      stats.quanta++;
      this.run = zero ? this.run + 1 : 0;
      stats.silent += zero ? 1 : 0;
      stats.longestSilent = Math.max(stats.longestSilent, this.run);
      const length = channels.length ? channels[0].length : ${QUANTUM};
      for (let i = 0; i < length && this.recording && this.recorded < ${recordFrames}; i++, this.recorded++)
        for (let c = 0; c < 2; c++)
          this.recording[2 * this.recorded + c] = channels.length ? Math.round(channels[Math.min(c, channels.length - 1)][i] * 32768) : 0;
      if (this.recorded === ${recordFrames} && this.recording) {
        this.port.postMessage({ samples: Array.from(this.recording) });
        this.recording = null;
      }
      if (stats.quanta % 64 === 0)
        this.port.postMessage(stats);
      return true;
    }
  });`;
  return `(() => {
    const Node = window.AudioWorkletNode, connect = AudioNode.prototype.connect;
    const addModule = AudioWorklet.prototype.addModule;
    const url = URL.createObjectURL(new Blob([${JSON.stringify(processor)}], { type: "text/javascript" }));
    const taps = new Map(); // context: { ready, node, waiting, stats }
    let latest = null;
    function tapOf(context) {
      if (!taps.has(context)) {
        const tap = { node: null, waiting: [], stats: null, samples: [] };
        tap.ready = addModule.call(context.audioWorklet, url).then(() => {
          tap.node = new Node(context, "sound-tap", { numberOfInputs: 1, numberOfOutputs: 0 });
          tap.node.port.onmessage = (event) => {
            if (event.data.samples)
              tap.samples = event.data.samples;
            else
              tap.stats = event.data;
          };
          for (const source of tap.waiting)
            connect.call(source, tap.node);
        });
        taps.set(context, tap);
      }
      return taps.get(context);
    }
    AudioNode.prototype.connect = function (target, ...rest) {
      if (target instanceof AudioDestinationNode) {
        const tap = tapOf(this.context);
        latest = tap;
        if (tap.node)
          connect.call(this, tap.node);
        else
          tap.waiting.push(this);
      }
      return connect.call(this, target, ...rest);
    };
    // The page's own worklet module is ready only once the tap's is, so its first sound is heard.
    AudioWorklet.prototype.addModule = function (...args) {
      const context = [...taps.keys()].find((c) => c.audioWorklet === this);
      return Promise.all([addModule.apply(this, args), context ? tapOf(context).ready : null]).then(() => undefined);
    };
    const Context = window.AudioContext;
    window.AudioContext = function (...args) {
      const context = new Context(...args);
      tapOf(context);
      return context;
    };
    window.AudioContext.prototype = Context.prototype;
    if (${hideWorklet})
      delete window.AudioWorkletNode;
    window.soundTap = {
      read() {
        if (!latest || !latest.node)
          return Promise.resolve(null);
        const tap = latest;
        return new Promise((resolve) => {
          const answer = () => resolve(tap.stats && { ...tap.stats, samples: tap.samples });
          const timer = setTimeout(answer, 2000); // a closed context answers nothing
          tap.node.port.addEventListener("message", () => { clearTimeout(timer); answer(); }, { once: true });
          tap.node.port.postMessage("read");
        });
      },
    };
  })()`;
}

module.exports = { serve, waitFor, launch, openPage, click, clickStart, soundTapScript, removeProfile, KEYS };
