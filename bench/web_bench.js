// web_bench.js -- the page's figures in headless Chromium beside the recorder's: frame cost, pace, sound heard, CPU, sizes
//
//   node bench/web_bench.js WEB_DIR SWAYBOARD_CAPTURE [SECONDS] [SEED]
//
// Prints, in one run: the sizes of the page's files; the unpaced cost of 1,000 frames in
// the page (index.html?seed=S&frames=1000) and in swayboard-capture, and their ratio;
// then the show played at twice its size on a 1600x1200 page for SECONDS (10 by default)
// each, idle, beside stress-ng --cpu 2, under DevTools CPU throttling 4x, and beside the
// load again at device pixel ratios 1.25 and 1.5 (the canvas at 2x and 3x in device pixels): the time to
// its first frame, frames per second, frame intervals, how late the page's timers fire,
// the silent render quanta heard once the tune has begun (counted by the checks' own tap)
// and the CPU of all of Chromium's processes.
"use strict";
const { execFileSync, spawn } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const zlib = require("zlib");
const { serve, waitFor, launch, openPage, clickStart, soundTapScript } = require("../tests/web/browser.js");

const [webDir, capture, secondsArgument, seedArgument] = process.argv.slice(2);
const SECONDS = Number(secondsArgument || 10);
const SEED = Number(seedArgument || 1);
const UNPACED_FRAMES = 1000;
const WIDTH = 1600, HEIGHT = 1200;
const TICKS_PER_SECOND = 100; // the kernel's clock ticks in /proc/PID/stat
const QUANTUM = 128;
const WAIT_MS = 300000;       // generous: the machine may be busy

// Notes the time of every frame the page counts and how late each of its timers fires,
// before the page's own script runs.
const PACE_PROBE = `(() => {
  window.paceProbe = { frames: [], late: [], ended: 0 };
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
    const due = performance.now() + Math.max(0, Number(delay) || 0);
    return setTimeoutOriginal.call(window, (...args) => {
      window.paceProbe.late.push(performance.now() - due);
      return typeof handler === "function" ? handler(...args) : undefined;
    }, delay, ...rest);
  };
  // The document itself, since its element does not exist yet when this runs.
  new MutationObserver(() => {
    if (!window.paceProbe.ended && /^frame /.test(document.title))
      window.paceProbe.ended = performance.now();
  }).observe(document, { subtree: true, childList: true, characterData: true });
})()`;

// CPU seconds used so far by pid and every process below it.
function treeCpuSeconds(pid) {
  let ticks = 0;
  const children = new Map();
  for (const entry of fs.readdirSync("/proc")) {
    if (!/^\d+$/.test(entry))
      continue;
    let stat;
    try {
      stat = fs.readFileSync(`/proc/${entry}/stat`, "utf8");
    } catch (error) {
      continue; // ended meanwhile
    }
    const fields = stat.slice(stat.lastIndexOf(")") + 2).split(" ");
    children.set(Number(entry), { parent: Number(fields[1]), ticks: Number(fields[11]) + Number(fields[12]) });
  }
  const queue = [pid];
  while (queue.length) {
    const current = queue.pop();
    ticks += children.get(current)?.ticks || 0;
    for (const [child, info] of children)
      if (info.parent === current)
        queue.push(child);
  }
  return ticks / TICKS_PER_SECOND;
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
async function pageMsPerFrame(browser, site) {
  const page = await openPage(browser, 800, 600);
  await page.send("Page.addScriptToEvaluateOnNewDocument", { source: PACE_PROBE });
  await page.goto(`${site}index.html?seed=${SEED}&frames=${UNPACED_FRAMES}`);
  await waitFor(() => page.evaluate("window.paceProbe.ended > 0"), WAIT_MS, "the unpaced frames");
  const [first, last] = await page.evaluate("[window.paceProbe.frames[0], window.paceProbe.ended]");
  await page.send("Page.close").catch(() => {});
  return (last - first) / (UNPACED_FRAMES - 1);
}

// The show played for SECONDS after its first second; one line of figures.
async function played(browser, site, label, { throttle = 1, load = false, ratio = 1 } = {}) {
  const page = await openPage(browser, WIDTH, HEIGHT);
  if (ratio !== 1)
    await page.send("Emulation.setDeviceMetricsOverride", { width: WIDTH, height: HEIGHT, deviceScaleFactor: ratio, mobile: false });
  await page.send("Page.addScriptToEvaluateOnNewDocument", { source: PACE_PROBE });
  await page.send("Page.addScriptToEvaluateOnNewDocument", { source: soundTapScript() });
  if (throttle !== 1)
    await page.send("Emulation.setCPUThrottlingRate", { rate: throttle });
  const stress = load ? spawn("stress-ng", ["--cpu", "2", "--timeout", `${SECONDS + 600}`], { stdio: "ignore" }) : null;
  try {
    await page.goto(`${site}index.html`);
    await clickStart(page);
    const first = await waitFor(() => page.evaluate("window.swayboard.firstFrameMs"), WAIT_MS, "the first frame");
    await waitFor(() => page.evaluate("window.paceProbe.frames.length > 50"), WAIT_MS, "the first second");
    const tap0 = await page.evaluate("window.soundTap.read()");
    const [frames0, late0] = await page.evaluate("[window.paceProbe.frames.length, window.paceProbe.late.length]");
    const cpu0 = treeCpuSeconds(browser.pid), time0 = Date.now();
    await new Promise((resolve) => setTimeout(resolve, SECONDS * 1000));
    const cpu1 = treeCpuSeconds(browser.pid), time1 = Date.now();
    const tap1 = await page.evaluate("window.soundTap.read()");
    const probe = await page.evaluate("window.paceProbe");
    const times = probe.frames.slice(frames0 - 1);
    const wall = (time1 - time0) / 1000;
    const intervals = times.slice(1).map((t, i) => t - times[i]).sort((a, b) => a - b);
    const late = probe.late.slice(late0).sort((a, b) => a - b);
    const silent = tap1 && tap0 ? tap1.silent - tap0.silent : NaN;
    const heard = tap1 && tap0 ? ((tap1.quanta - tap0.quanta) * QUANTUM / tap1.rate).toFixed(1) : "no";
    const scale = await page.evaluate(`document.getElementById("show").getBoundingClientRect().width / 800`);
    console.log(`${label.padEnd(24)} first frame ${first.toFixed(0).padStart(5)} ms | ${(intervals.length / wall).toFixed(1)} fps` +
      ` | intervals p1/p50/p99 ${[1, 50, 99].map((p) => percentile(intervals, p).toFixed(1)).join("/")}` +
      ` max ${intervals.length ? intervals[intervals.length - 1].toFixed(0) : "-"} ms` +
      ` | timers late p50/p99 ${percentile(late, 50).toFixed(1)}/${percentile(late, 99).toFixed(1)} ms` +
      ` | ${silent} silent quanta in ${heard} s heard` +
      ` (longest run of the whole play ${tap1 ? tap1.longestSilent : "-"})` +
      ` | Chromium ${(100 * (cpu1 - cpu0) / wall).toFixed(0)} % of a core | scale ${scale}`);
  } finally {
    if (stress)
      stress.kill();
    await page.send("Page.close").catch(() => {});
  }
}

async function main() {
  sizes();
  const { url, server } = await serve(webDir);
  const browser = await launch(WIDTH, HEIGHT);
  try {
    const page = await pageMsPerFrame(browser, url);
    const native = captureMsPerFrame();
    console.log(`unpaced, ${UNPACED_FRAMES} frames of seed ${SEED}: page ${page.toFixed(2)} ms a frame, ` +
      `swayboard-capture ${native.toFixed(2)} ms a frame, ratio ${(page / native).toFixed(1)}`);
    console.log(`played at 2x on a ${WIDTH}x${HEIGHT} page, ${SECONDS} s each:`);
    await played(browser, url, "idle");
    await played(browser, url, "beside stress-ng --cpu 2", { load: true });
    await played(browser, url, "CPU throttled 4x", { throttle: 4 });
    await played(browser, url, "pixel ratio 1.25, loaded", { ratio: 1.25, load: true });
    await played(browser, url, "pixel ratio 1.5, loaded", { ratio: 1.5, load: true });
  } finally {
    await browser.close();
    server.close();
  }
}
main().catch((error) => {
  console.error(`web_bench.js: ${error.message}`);
  process.exit(1);
});
