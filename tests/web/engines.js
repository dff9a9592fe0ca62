// engines.js -- Chromium, Firefox and WebKit behind one face, with the display and sound server each needs
//
// launchEngine(name, width, height, options) resolves to { name, pid, serverPids,
// openPage(width, height), close() }; a page has goto, evaluate, click, key, touch and
// close (browser.js). options go to the engine's launch (WebKit's { compositing, canvas }).
// Firefox plays through a PulseAudio of the run's own, WebKit too and draws in an Xvfb of
// its own; close() stops what was started for it.
"use strict";
const browser = require("./browser.js");
const desktop = require("./desktop.js");
const firefox = require("./firefox.js");
const webkit = require("./webkit.js");

const ENGINES = ["Chromium", "Firefox", "WebKit"];

// Room around the page for the window's toolbar.
const SCREEN_MARGIN = 400;

async function launchEngine(name, width, height, options = {}) {
  const servers = [];
  const stopServers = async () => {
    for (const server of servers.reverse())
      await server.close();
  };
  try {
    if (name === "Chromium") {
      const chromium = await browser.launch(width, height);
      return { name, pid: chromium.pid, serverPids: [], chromium: true,
        openPage: (w, h) => browser.openPage(chromium, w, h), close: () => chromium.close() };
    }
    const sound = await desktop.startSound();
    servers.push(sound);
    let engine;
    if (name === "Firefox") {
      engine = await firefox.launch(width, height, sound.env);
    } else {
      const display = await desktop.startDisplay(`${width + SCREEN_MARGIN}x${height + SCREEN_MARGIN}x24`);
      servers.push(display);
      engine = await webkit.launch(width, height, display.display, sound.env, options);
    }
    return { name, pid: engine.pid, serverPids: servers.map((server) => server.pid), chromium: false,
      openPage: engine.openPage,
      async close() {
        try {
          await engine.close();
        } finally {
          await stopServers();
        }
      } };
  } catch (error) {
    await stopServers();
    throw error;
  }
}

module.exports = { ENGINES, launchEngine };
