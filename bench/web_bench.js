// web_bench.js -- the page's figures in Chromium, Firefox and WebKit beside the recorder's: frame cost, pace, sound heard, CPU, sizes
//
//   node bench/web_bench.js WEB_DIR SWAYBOARD_CAPTURE [SECONDS] [SEED] [ENGINE...]
//
// Prints, in one run: the sizes of the page's files; the recorder's unpaced cost of 1,000
// frames; then for each engine (all three by default, one after another) the page's
// unpaced cost of the same frames (index.html?seed=S&frames=1000) and its ratio to the
// recorder's, and the show played at twice its size on a 1600x1200 page for SECONDS (10 by
// default) each, idle and beside stress-ng --cpu 2; in Chromium also under DevTools CPU
// throttling 4x, and beside the load at device pixel ratios 1.25 and 1.5 (the canvas at
// 2x and 3x in device pixels). Each play gives the time to its first frame, frames per
// second, frame intervals, where a frame's time goes (the show's own work between waking
// and its next sleep, the sleep it asks for, how late the browser's timer wakes it), the
// silent render quanta heard once the tune has begun (counted by the checks' own tap), the
// CPU of all of the browser's processes (and of the X and sound servers started for it),
// and a histogram of the frame intervals.
"use strict";
const { execFileSync, spawn } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const zlib = require("zlib");
const { serve, waitFor, clickStart, soundTapScript } = require("../tests/web/browser.js");
const { ENGINES, launchEngine } = require("../tests/web/engines.js");
const { QUANTUM } = require("../tests/web/sound_constants.js");

const [webDir, capture, secondsArgument, seedArgument, ...engineNames] = process.argv.slice(2);
const SECONDS = Number(secondsArgument || 10);
const SEED = Number(seedArgument || 1);
const UNPACED_FRAMES = 1000;
const WIDTH = 1600, HEIGHT = 1200;
const TICKS_PER_SECOND = 100; // the kernel's clock ticks in /proc/PID/stat
const WAIT_MS = 300000;       // generous: the machine may be busy
const SHORT_TIMER_MS = 100;   // a timer asked for less than this is a frame's sleep (the tap's own run longer)
const HISTOGRAM_MS = 4;       // the width of a bar of the frame intervals' histogram

// What an interrupted run must stop (the browser with its servers, the load): Ctrl-C or a
// kill ends the bench, not them.
const running = new Set();
for (const signal of ["SIGINT", "SIGTERM"]) {
  process.once(signal, async () => {
    for (const stop of running)
      await Promise.resolve(stop()).catch(() => {});
    process.exit(128 + os.constants.signals[signal]);
  });
}

// Notes the time of every frame the page counts; and for each of the show's sleeps (a
// short timer) the delay it asks for, how late the browser wakes it, and the page's work
// from its waking to its next sleep; before the page's own script runs.
const PACE_PROBE = `(() => {
  window.paceProbe = { frames: [], late: [], asked: [], work: [], ended: 0 };
  let woke = 0;
  let run = null;
  Object.defineProperty(window, "swayboard", {
    configurable: true,
    get() { return run; },
    set(value) {
      let shown = value.framesShown;
      Object.defineProperty(value, "framesShown", {
        get() { return shown; },
        set(count) { shown = count; if (count > 0) window.paceProbe.frames.push(performance.now()); },
      });
      run = value;
    },
  });
  const setTimeoutOriginal = window.setTimeout;
  window.setTimeout = function (handler, delay, ...rest) {
    const now = performance.now(), asked = Math.max(0, Number(delay) || 0);
    if (asked >= ${SHORT_TIMER_MS})
      return setTimeoutOriginal.call(window, handler, delay, ...rest);
    const probe = window.paceProbe;
    if (woke)
      probe.work.push(now - woke);
    probe.asked.push(asked);
    woke = 0;
    return setTimeoutOriginal.call(window, (...args) => {
      woke = performance.now();
      probe.late.push(woke - now - asked);
      return typeof handler === "function" ? handler(...args) : undefined;
    }, delay, ...rest);
  };
  // The document itself, since its element does not exist yet when this runs.
  new MutationObserver(() => {
    if (!window.paceProbe.ended && /^frame /.test(document.title))
      window.paceProbe.ended = performance.now();
  }).observe(document, { subtree: true, childList: true, characterData: true });
})()`;

// The browser's own rendering of each update, for a play that asks for it: from its
// animation-frame callback, where an update begins, to the first task after it, once the
// update's style, layout and paint are done. NOTE: the callback asks for an update every
// refresh, so the play it is in is not the page's own.
const RENDER_PROBE = `(() => {
  window.renderProbe = [];
  const channel = new MessageChannel();
  let began = 0;
  channel.port1.onmessage = () => window.renderProbe.push(performance.now() - began);
  const onFrame = () => {
    began = performance.now();
    channel.port2.postMessage(0);
    requestAnimationFrame(onFrame);
  };
  requestAnimationFrame(onFrame);
})()`;

// The name and the CPU seconds used so far of a /proc stat file (null once it is gone).
function statOf(file) {
  let stat;
  try {
    stat = fs.readFileSync(file, "utf8");
  } catch (error) {
    return null; // ended meanwhile
  }
  const fields = stat.slice(stat.lastIndexOf(")") + 2).split(" ");
  return { name: stat.slice(stat.indexOf("(") + 1, stat.lastIndexOf(")")), parent: Number(fields[1]),
    seconds: (Number(fields[11]) + Number(fields[12])) / TICKS_PER_SECOND };
}

// CPU seconds used so far by each of pids and every process below them, by process name,
// and by "process/thread" name in threads.
function treeCpuSeconds(pids, threads = {}) {
  const byName = {};
  const processes = new Map();
  for (const entry of fs.readdirSync("/proc")) {
    const stat = /^\d+$/.test(entry) && statOf(`/proc/${entry}/stat`);
    if (stat)
      processes.set(Number(entry), stat);
  }
  const queue = [...pids];
  while (queue.length) {
    const current = queue.pop();
    const info = processes.get(current);
    if (info) {
      byName[info.name] = (byName[info.name] || 0) + info.seconds;
      let tasks = [];
      try {
        tasks = fs.readdirSync(`/proc/${current}/task`);
      } catch (error) {
        // ended meanwhile
      }
      for (const task of tasks) {
        const thread = statOf(`/proc/${current}/task/${task}/stat`);
        if (thread)
          threads[`${info.name}/${thread.name}`] = (threads[`${info.name}/${thread.name}`] || 0) + thread.seconds;
      }
    }
    for (const [child, about] of processes)
      if (about.parent === current)
        queue.push(child);
  }
  return byName;
}

// Percent of a core from two readings of treeCpuSeconds over wall seconds: the total and
// the busiest process names.
function cpuShare(before, after, wall, most = Infinity) {
  const shares = Object.keys(after).map((name) => [name, 100 * (after[name] - (before[name] || 0)) / wall])
    .filter(([, share]) => share >= 0.5).sort((a, b) => b[1] - a[1]);
  const total = shares.reduce((sum, [, share]) => sum + share, 0);
  return `${total.toFixed(0)} %${shares.length ? ` (${shares.slice(0, most).map(([name, share]) => `${name} ${share.toFixed(0)}`).join(", ")})` : ""}`;
}

// Sorted values' p50/p99, for a line of figures.
const spread = (values) => [50, 99].map((p) => percentile(values, p).toFixed(1)).join("/");

// The frame intervals as counts in bars of HISTOGRAM_MS: "16-20:310 20-24:180 ...".
function histogram(intervals) {
  const bars = new Map();
  for (const interval of intervals) {
    const bar = Math.floor(interval / HISTOGRAM_MS) * HISTOGRAM_MS;
    bars.set(bar, (bars.get(bar) || 0) + 1);
  }
  return [...bars.keys()].sort((a, b) => a - b).map((bar) => `${bar}-${bar + HISTOGRAM_MS}:${bars.get(bar)}`).join(" ");
}

function percentile(sorted, p) {
  return sorted.length ? sorted[Math.min(sorted.length - 1, Math.floor(p / 100 * sorted.length))] : NaN;
}

function sizes() {
  for (const name of fs.readdirSync(webDir).filter((n) => /\.(html|js|wasm)$/.test(n)).sort()) {
    const bytes = fs.readFileSync(path.join(webDir, name));
    console.log(`${name}: ${bytes.length} bytes, ${zlib.gzipSync(bytes, { level: 9 }).length} gzipped`);
  }
}

// Milliseconds a frame of swayboard-capture: 1,000 frames less 1, so start-up is left out.
function captureMsPerFrame() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "swayboard-web-bench-"));
  const timed = (frames) => {
    const start = process.hrtime.bigint();
    execFileSync(capture, ["--frames", `${frames}`, "--seed", `${SEED}`, "--from", `${frames}`, "--png", dir],
      { stdio: ["ignore", "ignore", "inherit"], env: { ...process.env, SDL_VIDEODRIVER: "dummy" } });
    return Number(process.hrtime.bigint() - start) / 1e6;
  };
  try {
    return (timed(UNPACED_FRAMES) - timed(1)) / (UNPACED_FRAMES - 1);
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

// Milliseconds a frame in the page: from its first frame to its last.
async function pageMsPerFrame(engine, site) {
  const page = await engine.openPage(800, 600);
  try {
    await page.goto(`${site.withScripts(PACE_PROBE)}index.html?seed=${SEED}&frames=${UNPACED_FRAMES}`);
    await waitFor(() => page.evaluate("window.paceProbe.ended > 0"), WAIT_MS, "the unpaced frames");
    const [first, last] = await page.evaluate("[window.paceProbe.frames[0], window.paceProbe.ended]");
    return (last - first) / (UNPACED_FRAMES - 1);
  } finally {
    await page.close();
  }
}

// The show played for SECONDS after its first second; one line of figures and its histogram.
async function played(engine, site, label, { throttle = 1, load = false, ratio = 1, rendering = false } = {}) {
  const page = await engine.openPage(WIDTH, HEIGHT);
  if (ratio !== 1)
    await page.send("Emulation.setDeviceMetricsOverride", { width: WIDTH, height: HEIGHT, deviceScaleFactor: ratio, mobile: false });
  if (throttle !== 1)
    await page.send("Emulation.setCPUThrottlingRate", { rate: throttle });
  const stress = load ? spawn("stress-ng", ["--cpu", "2", "--timeout", `${SECONDS + 600}`], { stdio: "ignore" }) : null;
  const stopStress = () => stress && stress.kill();
  running.add(stopStress);
  try {
    const probes = rendering ? [PACE_PROBE, RENDER_PROBE] : [PACE_PROBE];
    await page.goto(`${site.withScripts(...probes, soundTapScript())}index.html`);
    await clickStart(page);
    const first = await waitFor(() => page.evaluate("window.swayboard.firstFrameMs"), WAIT_MS, "the first frame");
    await waitFor(() => page.evaluate("window.paceProbe.frames.length > 50"), WAIT_MS, "the first second");
    const tap0 = await page.evaluate("window.soundTap.read()");
    const [frames0, late0, work0, asked0, render0] = await page.evaluate("[window.paceProbe.frames.length, " +
      "window.paceProbe.late.length, window.paceProbe.work.length, window.paceProbe.asked.length, (window.renderProbe || []).length]");
    const threads0 = {}, threads1 = {};
    const cpu0 = treeCpuSeconds([engine.pid], threads0), servers0 = treeCpuSeconds(engine.serverPids), time0 = Date.now();
    await new Promise((resolve) => setTimeout(resolve, SECONDS * 1000));
    const cpu1 = treeCpuSeconds([engine.pid], threads1), servers1 = treeCpuSeconds(engine.serverPids), time1 = Date.now();
    const tap1 = await page.evaluate("window.soundTap.read()");
    const probe = await page.evaluate("window.paceProbe");
    const times = probe.frames.slice(frames0 - 1);
    const wall = (time1 - time0) / 1000;
    const pageWall = (times[times.length - 1] - times[0]) / 1000;
    const intervals = times.slice(1).map((t, i) => t - times[i]).sort((a, b) => a - b);
    const sorted = (values) => values.slice().sort((a, b) => a - b);
    const late = sorted(probe.late.slice(late0)), work = sorted(probe.work.slice(work0)), asked = sorted(probe.asked.slice(asked0));
    const silent = tap1 && tap0 ? tap1.silent - tap0.silent : NaN;
    const heard = tap1 && tap0 ? ((tap1.quanta - tap0.quanta) * QUANTUM / tap1.rate).toFixed(1) : "no";
    const scale = await page.evaluate(`document.getElementById("show").getBoundingClientRect().width / 800`);
    console.log(`${engine.name.padEnd(8)} ${label.padEnd(24)} first frame ${first.toFixed(0).padStart(5)} ms` +
      ` | ${(intervals.length / pageWall).toFixed(1)} fps` +
      ` | intervals p1/p50/p99 ${[1, 50, 99].map((p) => percentile(intervals, p).toFixed(1)).join("/")}` +
      ` max ${intervals.length ? intervals[intervals.length - 1].toFixed(0) : "-"} ms` +
      ` | p50/p99 ms: work ${spread(work)}, sleep asked ${spread(asked)}, timer late ${spread(late)}` +
      ` | ${silent} silent quanta in ${heard} s heard` +
      ` (longest run of the whole play ${tap1 ? tap1.longestSilent : "-"})` +
      ` | ${engine.name} ${cpuShare(cpu0, cpu1, wall)} of a core` +
      `${engine.serverPids.length ? `, servers ${cpuShare(servers0, servers1, wall)}` : ""} | scale ${scale}` +
      ` | load average ${os.loadavg()[0].toFixed(1)}`);
    console.log(`${"".padEnd(33)} intervals (ms:count) ${histogram(intervals)}`);
    if (rendering) {
      const updates = sorted((await page.evaluate("window.renderProbe")).slice(render0));
      console.log(`${"".padEnd(33)} ${(updates.length / pageWall).toFixed(1)} rendering updates a second, each p50/p90/p99 ` +
        `${[50, 90, 99].map((p) => percentile(updates, p).toFixed(1)).join("/")} ms; histogram ${histogram(updates)}`);
    }
    console.log(`${"".padEnd(33)} busiest threads, % of a core: ${cpuShare(threads0, threads1, wall, 6)}`);
  } finally {
    stopStress();
    running.delete(stopStress);
    await page.close();
  }
}

async function main() {
  sizes();
  const native = captureMsPerFrame();
  console.log(`unpaced, ${UNPACED_FRAMES} frames of seed ${SEED}: swayboard-capture ${native.toFixed(2)} ms a frame`);
  const site = await serve(webDir);
  try {
    // WebKit as it ships, and also with compositing off ("WebKitNC"), where the web process
    // paints the page itself (webkit.js).
    const runs = (engineNames.length ? engineNames : ENGINES).flatMap((name) => name === "WebKit" ?
      [[name, name, {}], [name, "WebKitNC", { compositing: false }]] : [[name, name, {}]]);
    for (const [name, label, options] of runs) {
      const engine = await launchEngine(name, WIDTH, HEIGHT, options);
      engine.name = label;
      running.add(engine.close);
      try {
        const page = await pageMsPerFrame(engine, site);
        console.log(`${engine.name}: unpaced ${page.toFixed(2)} ms a frame, ratio to the recorder ${(page / native).toFixed(1)}`);
        console.log(`${engine.name}: played at 2x on a ${WIDTH}x${HEIGHT} page, ${SECONDS} s each:`);
        const plays = [["idle", {}], ["beside stress-ng --cpu 2", { load: true }],
          ["idle, rendering timed", { rendering: true }]];
        if (engine.chromium) {
          plays.push(["CPU throttled 4x", { throttle: 4 }], ["pixel ratio 1.25, loaded", { ratio: 1.25, load: true }],
            ["pixel ratio 1.5, loaded", { ratio: 1.5, load: true }]);
        }
        // A play that fails is reported and the others still run.
        for (const [label, options] of plays)
          await played(engine, site, label, options).catch((error) => console.log(`${engine.name} ${label}: failed, ${error.message}`));
      } finally {
        running.delete(engine.close);
        await engine.close();
      }
    }
  } finally {
    site.server.close();
  }
}
main().catch((error) => {
  console.error(`web_bench.js: ${error.message}`);
  process.exit(1);
});
