// webkit.js -- WebKitGTK's MiniBrowser for the web checks, driven by WebKitWebDriver in a display of the caller's
//
// The driver listens on a port the system picks (-p 0; the port is read back from the
// driver's own listening socket), so two runs side by side never meet. Its pages have the
// same face as browser.js's Chromium pages: goto, evaluate, click, key, touch, close.
// NOTE: clicks and keys go through the X server (xdotool), as a user's do. The driver's own
// mouse actions release every button as the left one (mouseup's button 0) and leave the
// pressed buttons set, so a middle click would end the show there.
// MiniBrowser runs with WebKit's own settings: the page itself asks for a 2D canvas kept in
// memory (web/frames.js), which a display without a GPU needs. { compositing: false } turns
// compositing off (the web process then paints the page itself), for comparison in the bench.
// Needs Debian's webkit2gtk-driver, libwebkit2gtk-4.1's MiniBrowser and xdotool.
"use strict";
const { execFileSync, spawn } = require("child_process");
const fs = require("fs");
const http = require("http");
const { waitFor } = require("./browser.js");
const { stopped } = require("./desktop.js");

const MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser";
const START_MS = 120000; // generous: the machine may be busy
const SCRIPT_MS = 600000;
// The X buttons of the DOM's names, and the X name of each key the checks press.
const X_BUTTONS = { left: 1, middle: 2, right: 3 };
const X_KEYS = { a: "a" };

// The TCP port that process pid listens on, from its sockets' inodes and the kernel's table.
function listeningPort(pid) {
  const inodes = new Set();
  for (const fd of fs.readdirSync(`/proc/${pid}/fd`)) {
    const link = (() => { try { return fs.readlinkSync(`/proc/${pid}/fd/${fd}`); } catch (error) { return ""; } })();
    const match = /^socket:\[(\d+)\]$/.exec(link);
    if (match)
      inodes.add(match[1]);
  }
  for (const table of ["/proc/net/tcp", "/proc/net/tcp6"]) {
    for (const line of fs.readFileSync(table, "utf8").split("\n").slice(1)) {
      const fields = line.trim().split(/\s+/);
      if (fields.length > 9 && fields[3] === "0A" && inodes.has(fields[9])) // 0A: listening
        return parseInt(fields[1].split(":")[1], 16);
    }
  }
  return 0;
}

// One WebDriver command; resolves to its value, rejects with the driver's error.
function command(port, method, route, body) {
  const data = body === undefined ? "" : JSON.stringify(body);
  return new Promise((resolve, reject) => {
    const request = http.request({ host: "127.0.0.1", port, method, path: route,
      headers: { "Content-Type": "application/json", "Content-Length": Buffer.byteLength(data) } }, (response) => {
      let text = "";
      response.setEncoding("utf8");
      response.on("data", (chunk) => { text += chunk; });
      response.on("end", () => {
        let value;
        try {
          value = JSON.parse(text).value;
        } catch (error) {
          reject(new Error(`WebKitWebDriver ${method} ${route}: ${text.slice(0, 200)}`));
          return;
        }
        if (value && value.error)
          reject(new Error(`WebKitWebDriver ${method} ${route}: ${value.error}: ${value.message}`));
        else
          resolve(value);
      });
    });
    request.on("error", reject);
    request.end(data);
  });
}

// Starts WebKitWebDriver and a MiniBrowser session in display; resolves to a browser with
// pid, openPage(width, height), close(). env is added to the browser's environment.
async function launch(width, height, display, env = {}, { compositing = true } = {}) {
  const own = { ...process.env, ...env, DISPLAY: display };
  if (compositing)
    delete own.WEBKIT_DISABLE_COMPOSITING_MODE;
  else
    own.WEBKIT_DISABLE_COMPOSITING_MODE = "1";
  const driver = spawn("WebKitWebDriver", ["-p", "0"], { stdio: ["ignore", "ignore", "pipe"], env: own });
  let log = "";
  driver.stderr.on("data", (data) => { log = (log + data).slice(-4000); });
  let port = 0, session = "";
  try {
    port = await waitFor(() => {
      if (driver.exitCode !== null)
        throw new Error("WebKitWebDriver ended");
      return listeningPort(driver.pid);
    }, START_MS, "WebKitWebDriver's port");
    ({ sessionId: session } = await command(port, "POST", "/session", { capabilities: { alwaysMatch: {
      "webkitgtk:browserOptions": { binary: MINIBROWSER,
        args: ["--automation"] } } } }));
    await command(port, "POST", `/session/${session}/timeouts`, { script: SCRIPT_MS, pageLoad: START_MS });
  } catch (error) {
    await stopped(driver);
    throw new Error(`${error.message} (its log: ${log.slice(-500)})`);
  }
  const send = (method, route, body) => command(port, method, `/session/${session}${route}`, body);
  const xdotool = (...args) => execFileSync("xdotool", args.map(String), { env: { ...process.env, DISPLAY: display } });
  const touch = (actions) => send("POST", "/actions",
    { actions: [{ type: "pointer", id: "touch", parameters: { pointerType: "touch" }, actions }] });
  const firstHandle = await send("GET", "/window");
  let firstPage = true;

  // A page in a window of its own, sized so that its viewport is width x height.
  async function openPage(pageWidth, pageHeight) {
    let handle = firstHandle;
    if (!firstPage) {
      handle = (await send("POST", "/window/new", { type: "window" })).handle;
      await send("POST", "/window", { handle });
    }
    firstPage = false;
    // The window's frame and toolbar are measured once, from the viewport of a first guess.
    await send("POST", "/window/rect", { x: 0, y: 0, width: pageWidth, height: pageHeight });
    const [innerWidth, innerHeight] = await send("POST", "/execute/sync",
      { script: "return [window.innerWidth, window.innerHeight]", args: [] });
    await send("POST", "/window/rect", { width: 2 * pageWidth - innerWidth, height: 2 * pageHeight - innerHeight });
    // Where the viewport's corner is on the X screen: the pointer moved onto it, seen by the page.
    await send("POST", "/execute/sync", { args: [], script: `window.pointerSeen = null;
      addEventListener("mousemove", (e) => { window.pointerSeen = [e.clientX, e.clientY]; });` });
    const inside = [pageWidth / 2, pageHeight / 2];
    const seen = await waitFor(async () => {
      xdotool("mousemove", inside[0] + 1, inside[1] + 1, "mousemove", inside[0], inside[1]);
      return send("POST", "/execute/sync", { script: "return window.pointerSeen", args: [] });
    }, START_MS, "the pointer over the page");
    const corner = [inside[0] - seen[0], inside[1] - seen[1]];
    const at = (x, y) => [Math.round(corner[0] + x), Math.round(corner[1] + y)];
    const page = {
      async evaluate(expression) {
        await send("POST", "/window", { handle });
        const answer = await send("POST", "/execute/async", { args: [], script: `const done = arguments[0];
          Promise.resolve().then(() => (${expression})).then((value) => done({ json: JSON.stringify(value) }),
            (error) => done({ error: String(error && error.stack || error) }));` });
        if (answer.error)
          throw new Error(`page: ${answer.error}`);
        return answer.json === undefined ? undefined : JSON.parse(answer.json);
      },
      async goto(url) {
        await send("POST", "/window", { handle });
        await send("POST", "/url", { url });
      },
      async click(x, y, button) {
        xdotool("mousemove", ...at(x, y), "click", X_BUTTONS[button]);
      },
      async key(type, key) {
        xdotool(type === "down" ? "keydown" : "keyup", X_KEYS[key]);
      },
      touch: (x, y) => touch([{ type: "pointerMove", x: Math.round(x), y: Math.round(y) },
        { type: "pointerDown", button: 0 }, { type: "pointerUp", button: 0 }]),
      // The session's first window stays open, empty, as the session ends with its last one.
      async close() {
        await send("POST", "/window", { handle }).catch(() => {});
        if (handle === firstHandle) {
          await send("POST", "/url", { url: "about:blank" }).catch(() => {});
          return;
        }
        await send("DELETE", "/window").catch(() => {});
        await send("POST", "/window", { handle: firstHandle }).catch(() => {});
      },
    };
    return page;
  }

  return {
    name: "WebKit",
    pid: driver.pid,
    openPage,
    async close() {
      await send("DELETE", "").catch(() => {});
      await stopped(driver);
    },
  };
}

module.exports = { launch };
