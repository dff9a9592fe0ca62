// desktop.js -- a virtual X display and a PulseAudio server of the checks' own, for the browsers that need them
//
// Each run gets its own: Xvfb picks a free display number itself (-displayfd), and
// PulseAudio runs from a new private folder with no system script, a null sink and a
// socket in that folder, so two runs side by side never share a display or a sound server.
"use strict";
const { spawn } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const { waitFor } = require("./browser.js");

const START_MS = 60000; // generous: the machine may be busy

// Waits for a child process to exit after a signal, for up to a few seconds.
function stopped(child) {
  if (child.exitCode !== null || child.signalCode !== null)
    return Promise.resolve();
  child.kill();
  return new Promise((resolve) => {
    const timer = setTimeout(() => { child.kill("SIGKILL"); resolve(); }, 5000);
    child.on("exit", () => { clearTimeout(timer); resolve(); });
  });
}

// Xvfb on a display it picks; resolves to { display, pid, close() }.
// NOTE: -noreset, since a client that connects while the server resets after its last
// client left is dropped.
async function startDisplay(screen) {
  const xvfb = spawn("Xvfb", ["-displayfd", "3", "-noreset", "-nolisten", "tcp", "-screen", "0", screen],
    { stdio: ["ignore", "ignore", "pipe", "pipe"] });
  let number = "", log = "";
  xvfb.stdio[3].on("data", (data) => { number += data; });
  xvfb.stderr.on("data", (data) => { log += data; });
  await waitFor(() => /\n/.test(number) || xvfb.exitCode !== null, START_MS, "Xvfb's display number");
  if (!/^\d+\n/.test(number)) {
    await stopped(xvfb);
    throw new Error(`Xvfb did not start: ${log.slice(-500)}`);
  }
  return { display: `:${number.trim()}`, pid: xvfb.pid, close: () => stopped(xvfb) };
}

// PulseAudio with one null sink, in a private runtime folder; resolves to { env, pid, close() },
// env being what a client needs to play through it.
async function startSound() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "swayboard-pulse-"));
  const socket = path.join(dir, "native");
  const env = { ...process.env, XDG_RUNTIME_DIR: dir, PULSE_RUNTIME_PATH: dir, PULSE_STATE_PATH: dir, HOME: dir };
  const pulse = spawn("pulseaudio", ["-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
    "--system=no", "--realtime=no", "--high-priority=no", "--disallow-module-loading",
    "--log-target=stderr", "--load=module-null-sink sink_name=checks",
    `--load=module-native-protocol-unix socket=${socket} auth-anonymous=1`], { env, stdio: ["ignore", "ignore", "pipe"] });
  let log = "";
  pulse.stderr.on("data", (data) => { log = (log + data).slice(-2000); });
  const close = async () => {
    await stopped(pulse);
    fs.rmSync(dir, { recursive: true, force: true });
  };
  try {
    await waitFor(() => fs.existsSync(socket) || pulse.exitCode !== null, START_MS, "PulseAudio's socket");
    if (pulse.exitCode !== null)
      throw new Error(`PulseAudio did not start: ${log.slice(-500)}`);
  } catch (error) {
    await close();
    throw error;
  }
  return { env: { XDG_RUNTIME_DIR: dir, PULSE_RUNTIME_PATH: dir, PULSE_SERVER: `unix:${socket}` }, pid: pulse.pid, close };
}

module.exports = { startDisplay, startSound, stopped };
