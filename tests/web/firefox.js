// firefox.js -- headless Firefox for the web checks, driven over WebDriver BiDi
//
// Firefox gets a new empty profile and its own remote port (the system picks it, and
// Firefox writes it into the profile), so two runs side by side never meet. Its pages
// have the same face as browser.js's Chromium pages: goto, evaluate, click, key, touch, close.
// Needs Debian's firefox-esr and node-ws; no driver binary.
"use strict";
const { spawn } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const WebSocket = require("ws");
const { waitFor, removeProfile, KEYS } = require("./browser.js");
const { stopped } = require("./desktop.js");

const START_MS = 120000; // generous: the machine may be busy

// Keeps Firefox from reaching out to the network on its own; the remote agent sets the
// rest of what automation needs by itself.
const PREFS = {
  "app.update.disabledForTesting": true,
  "browser.safebrowsing.malware.enabled": false,
  "browser.safebrowsing.phishing.enabled": false,
  "browser.shell.checkDefaultBrowser": false,
  "datareporting.policy.dataSubmissionEnabled": false,
  "extensions.update.enabled": false,
  "network.captive-portal-service.enabled": false,
  "network.connectivity-service.enabled": false,
  "services.settings.server": "data:,",
  "toolkit.telemetry.server": "",
};

// A value of the page, passed back as JSON (BiDi's own serialization of objects is not JSON).
function asJson(expression) {
  return `(async () => JSON.stringify(await (${expression})))()`;
}

// Starts headless Firefox; resolves to a browser with pid, openPage(width, height[, ratio]) (ratio:
// device pixels per CSS pixel, 1 unless given), close().
// env is added to Firefox's environment (the sound server).
async function launch(width, height, env = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "swayboard-firefox-"));
  fs.writeFileSync(path.join(profile, "user.js"),
    Object.entries(PREFS).map(([name, value]) => `user_pref(${JSON.stringify(name)}, ${JSON.stringify(value)});\n`).join(""));
  const firefox = spawn("firefox-esr", ["--headless", "--no-remote", "--profile", profile,
    "--remote-debugging-port=0", `--window-size=${width},${height}`, "about:blank"],
  { stdio: ["ignore", "ignore", "pipe"], env: { ...process.env, ...env, MOZ_CRASHREPORTER_DISABLE: "1" } });
  let log = "";
  firefox.stderr.on("data", (data) => { log = (log + data).slice(-4000); });
  const close = async () => {
    await stopped(firefox);
    await removeProfile(profile);
  };
  let socket;
  try {
    const portFile = path.join(profile, "WebDriverBiDiServer.json");
    const { ws_port: port } = await waitFor(() => {
      try {
        return JSON.parse(fs.readFileSync(portFile, "utf8"));
      } catch (error) {
        return firefox.exitCode !== null ? Promise.reject(new Error("Firefox ended")) : null;
      }
    }, START_MS, "Firefox's remote port");
    socket = new WebSocket(`ws://127.0.0.1:${port}/session`, { perMessageDeflate: false, maxPayload: 1 << 30 });
    await new Promise((resolve, reject) => { socket.on("open", resolve); socket.on("error", reject); });
  } catch (error) {
    await close();
    throw new Error(`${error.message} (Firefox's log: ${log.slice(-500)})`);
  }

  let nextId = 1;
  const pending = new Map();
  socket.on("message", (data) => {
    const message = JSON.parse(data);
    if (message.id === undefined || !pending.has(message.id))
      return; // an event: none is subscribed to
    const { resolve, reject } = pending.get(message.id);
    pending.delete(message.id);
    if (message.type === "error")
      reject(new Error(`${message.error}: ${message.message}`));
    else
      resolve(message.result);
  });
  const send = (method, params = {}) => {
    const id = nextId++;
    socket.send(JSON.stringify({ id, method, params }));
    return new Promise((resolve, reject) => pending.set(id, { resolve, reject }));
  };
  await send("session.new", { capabilities: {} });

  // One input device of each kind, as a user has: a mouse, a keyboard, a finger.
  const perform = (context, type, actions) => send("input.performActions", { context, actions: [
    type === "key" ? { type, id: "keyboard", actions } :
      { type: "pointer", id: type, parameters: { pointerType: type }, actions }] });

  async function openPage(pageWidth, pageHeight, ratio = 1) {
    const { context } = await send("browsingContext.create", { type: "tab" });
    await send("browsingContext.setViewport", { context, viewport: { width: pageWidth, height: pageHeight }, devicePixelRatio: ratio });
    const page = {
      async evaluate(expression) {
        const answer = await send("script.evaluate",
          { expression: asJson(expression), target: { context }, awaitPromise: true, resultOwnership: "none" });
        if (answer.type === "exception")
          throw new Error(`page: ${answer.exceptionDetails.text}`);
        return answer.result.type === "string" ? JSON.parse(answer.result.value) : undefined;
      },
      async goto(url) {
        await send("browsingContext.navigate", { context, url, wait: "complete" });
      },
      click: (x, y, button) => perform(context, "mouse", [{ type: "pointerMove", x: Math.round(x), y: Math.round(y) },
        { type: "pointerDown", button: { left: 0, middle: 1, right: 2 }[button] },
        { type: "pointerUp", button: { left: 0, middle: 1, right: 2 }[button] }]),
      key: (type, key) => perform(context, "key", [{ type: type === "down" ? "keyDown" : "keyUp", value: KEYS[key].key }]),
      touch: (x, y) => perform(context, "touch", [{ type: "pointerMove", x: Math.round(x), y: Math.round(y) },
        { type: "pointerDown", button: 0 }, { type: "pointerUp", button: 0 }]),
      close: () => send("browsingContext.close", { context }).catch(() => {}),
    };
    return page;
  }

  return {
    name: "Firefox",
    pid: firefox.pid,
    openPage,
    async close() {
      await send("session.end").catch(() => {});
      socket.close();
      await close();
    },
  };
}

module.exports = { launch };
