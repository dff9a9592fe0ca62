// web_bench.js -- the page's figures in headless Chromium: file sizes, time to the first frame, frames per second, CPU
//
//   node bench/web_bench.js WEB_DIR [SECONDS] [SCREENSHOT.png]
//
// Plays the show in the page at 1600x1200 (so at twice its size) for SECONDS (10 by
// default), counting the frames the page shows and the CPU time of all of Chromium's
// processes; with SCREENSHOT, saves what the page shows at the end.
"use strict";
const fs = require("fs");
const path = require("path");
const zlib = require("zlib");
const { serve, waitFor, launch, openPage, clickStart } = require("../tests/web/browser.js");

const [webDir, secondsArgument, screenshot] = process.argv.slice(2);
const SECONDS = Number(secondsArgument || 10);
const WIDTH = 1600, HEIGHT = 1200;
const TICKS_PER_SECOND = 100; // the kernel's clock ticks in /proc/PID/stat

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

function sizes() {
  for (const name of ["swayboard.wasm", "swayboard.js", "index.html"]) {
    const bytes = fs.readFileSync(path.join(webDir, name));
    console.log(`${name}: ${bytes.length} bytes, ${zlib.gzipSync(bytes, { level: 9 }).length} gzipped`);
  }
}

async function main() {
  sizes();
  const { url, server } = await serve(webDir);
  const browser = await launch(WIDTH, HEIGHT);
  try {
    const page = await openPage(browser, WIDTH, HEIGHT);
    await page.goto(`${url}index.html`);
    await clickStart(page);
    const first = await waitFor(() => page.evaluate("window.swayboard.firstFrameMs"), 120000, "the first frame");
    console.log(`first frame: ${first.toFixed(0)} ms after the click (the show's own opening pause is 1000 ms)`);
    const scale = await page.evaluate(`document.getElementById("show").getBoundingClientRect().width / 800`);
    console.log(`scale on a ${WIDTH}x${HEIGHT} page: ${scale}`);

    const frames0 = await page.evaluate("window.swayboard.framesShown");
    const cpu0 = treeCpuSeconds(browser.pid), time0 = Date.now();
    await new Promise((resolve) => setTimeout(resolve, SECONDS * 1000));
    const frames1 = await page.evaluate("window.swayboard.framesShown");
    const cpu1 = treeCpuSeconds(browser.pid), time1 = Date.now();
    const wall = (time1 - time0) / 1000;
    console.log(`frames per second: ${((frames1 - frames0) / wall).toFixed(1)} over ${wall.toFixed(1)} s`);
    console.log(`CPU of all of Chromium while playing: ${(100 * (cpu1 - cpu0) / wall).toFixed(0)} % of one core`);
    if (screenshot) {
      const { data } = await page.send("Page.captureScreenshot", { format: "png" });
      fs.writeFileSync(screenshot, Buffer.from(data, "base64"));
      console.log(`screenshot: ${screenshot}`);
    }
  } finally {
    await browser.close();
    server.close();
  }
}
main().catch((error) => {
  console.error(`web_bench.js: ${error.message}`);
  process.exit(1);
});
