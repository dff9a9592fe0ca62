// web_profile.js -- where Chromium's CPU goes while the page plays at 2x: each process type's share from /proc, and each thread's busy time from a trace
//
//   node bench/web_profile.js WEB_DIR [SECONDS]
//
// Plays the show on a 1600x1200 page (twice its size) for SECONDS (10 by default) after its
// first second, in the view the page offers first ("in the page" when full screen is
// refused). Prints the CPU of each of Chromium's process types (--type= on its command
// line; the browser process has none) in % of a core, then, from a trace of the
// "toplevel" category, the threads busiest in tasks: process, thread, % of a core, and
// milliseconds of thread time a frame shown.
"use strict";
const fs = require("fs");
const { serve, waitFor, launch, openPage, clickStart } = require("../tests/web/browser.js");

const [webDir, secondsArgument] = process.argv.slice(2);
const SECONDS = Number(secondsArgument || 10);
const WIDTH = 1600, HEIGHT = 1200;
const TICKS_PER_SECOND = 100; // the kernel's clock ticks in /proc/PID/stat
const WAIT_MS = 300000;
const THREADS_SHOWN = 12;

// CPU seconds of each process type below pid (the pid itself is "browser").
function cpuByType(pid) {
  const all = new Map();
  for (const entry of fs.readdirSync("/proc").filter((e) => /^\d+$/.test(e))) {
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, "utf8");
      const fields = stat.slice(stat.lastIndexOf(")") + 2).split(" ");
      const type = /--type=([\w-]+)/.exec(fs.readFileSync(`/proc/${entry}/cmdline`, "utf8"));
      all.set(Number(entry), { parent: Number(fields[1]), ticks: Number(fields[11]) + Number(fields[12]),
        type: type ? type[1] : "browser" });
    } catch (error) {
      // ended meanwhile
    }
  }
  const byType = new Map(), queue = [pid];
  while (queue.length) {
    const current = queue.pop(), info = all.get(current);
    if (info)
      byType.set(info.type, (byType.get(info.type) || 0) + info.ticks / TICKS_PER_SECOND);
    for (const [child, childInfo] of all)
      if (childInfo.parent === current)
        queue.push(child);
  }
  return byType;
}

// Starts a trace of every process; resolves, once stop() is called, to its events.
async function trace(browser) {
  const events = [];
  let complete = null;
  const done = new Promise((resolve) => { complete = resolve; });
  browser.on((message) => {
    if (message.method === "Tracing.dataCollected")
      events.push(...message.params.value);
    else if (message.method === "Tracing.tracingComplete")
      complete(events);
  });
  await browser.send("Tracing.start", { transferMode: "ReportEvents",
    traceConfig: { includedCategories: ["toplevel", "__metadata"], recordMode: "recordContinuously" } });
  return { stop: async () => { await browser.send("Tracing.end"); return done; } };
}

// CPU milliseconds of each thread in tasks: its complete ("X") toplevel slices not inside
// another, by their thread time (tdur) where the trace has it, else by their duration.
function busyThreads(events) {
  const names = new Map(), processes = new Map(), busy = new Map();
  for (const e of events) {
    if (e.ph === "M" && e.name === "thread_name")
      names.set(`${e.pid}:${e.tid}`, e.args.name);
    if (e.ph === "M" && e.name === "process_name")
      processes.set(e.pid, e.args.name);
  }
  const slices = events.filter((e) => e.ph === "X" && e.dur).sort((a, b) => a.ts - b.ts);
  const openUntil = new Map();
  for (const e of slices) {
    const key = `${e.pid}:${e.tid}`;
    if ((openUntil.get(key) || 0) > e.ts)
      continue; // nested in a slice already counted
    openUntil.set(key, e.ts + e.dur);
    busy.set(key, (busy.get(key) || 0) + (e.tdur ?? e.dur) / 1000);
  }
  return [...busy].map(([key, ms]) => ({ process: processes.get(Number(key.split(":")[0])) || "?",
    thread: names.get(key) || key, ms })).sort((a, b) => b.ms - a.ms);
}

// Plays and measures in browser; prints the figures.
async function profile(browser, site) {
  const page = await openPage(browser, WIDTH, HEIGHT);
  await page.goto(`${site}index.html`);
  await clickStart(page);
  await waitFor(() => page.evaluate("window.swayboard.framesShown > 50"), WAIT_MS, "the first second");
  const frames0 = await page.evaluate("window.swayboard.framesShown");
  const tracing = await trace(browser);
  const cpu0 = cpuByType(browser.pid), time0 = Date.now();
  await new Promise((resolve) => setTimeout(resolve, SECONDS * 1000));
  const cpu1 = cpuByType(browser.pid), wall = (Date.now() - time0) / 1000;
  const frames = (await page.evaluate("window.swayboard.framesShown")) - frames0;
  const events = await tracing.stop();
  console.log(`played at 2x on a ${WIDTH}x${HEIGHT} page for ${wall.toFixed(1)} s, ${(frames / wall).toFixed(1)} fps`);
  let total = 0;
  for (const [type, seconds] of cpu1) {
    const share = 100 * (seconds - (cpu0.get(type) || 0)) / wall;
    total += share;
    console.log(`  ${type.padEnd(16)} ${share.toFixed(1).padStart(5)} % of a core`);
  }
  console.log(`  ${"all".padEnd(16)} ${total.toFixed(1).padStart(5)} % (the trace itself costs a little)`);
  console.log("busiest threads in toplevel tasks (thread time):");
  for (const { process, thread, ms } of busyThreads(events).slice(0, THREADS_SHOWN))
    console.log(`  ${process.padEnd(16)} ${thread.padEnd(28)} ${(100 * ms / 1000 / wall).toFixed(1).padStart(5)} %` +
      ` ${(ms / frames).toFixed(2).padStart(6)} ms a frame`);
}

async function main() {
  const { url, server } = await serve(webDir);
  const browser = await launch(WIDTH, HEIGHT);
  const failure = await profile(browser, url).then(() => null, (error) => error);
  await browser.close();
  server.close();
  if (failure) {
    console.error(`web_profile.js: ${failure.message}`);
    process.exitCode = 1;
  }
}
main();
