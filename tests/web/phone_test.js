// phone_test.js -- the page on phones in Chromium's mobile emulation and in Firefox: the show fills the screen at 4:3, taps start and end it, nothing zooms or scrolls; desktops keep whole factors
//
//   node tests/web/phone_test.js WEB_DIR [SCREENSHOT_DIR]
//
// WEB_DIR holds the page's files (`make web`). With SCREENSHOT_DIR, a PNG of each phone's
// view of the running show is written there, at its size in CSS pixels. Prints one line
// per check and ends with "N passed, N failed"; exits non-zero when a check failed.
"use strict";
const fs = require("fs");
const path = require("path");
const { serve, waitFor, launch, openPage } = require("./browser.js");
const { launchEngine } = require("./engines.js");

const [webDir, screenshotDir] = process.argv.slice(2);
// Phones held either way, at their CSS size and device pixel ratio; view is the start panel's choice.
const PHONES = [
  { name: "phone-landscape", width: 844, height: 390, ratio: 3, view: "full" },
  { name: "phone-portrait", width: 390, height: 844, ratio: 3, view: "page" },
  { name: "phone-412x915", width: 412, height: 915, ratio: 2.625, view: "page" },
];
// Desktop windows at the device pixel ratios desktops use: the show stays at a whole factor.
const DESKTOPS = [1, 1.25, 1.5, 2].map((ratio) => ({ width: 1600, height: 1200, ratio }))
  .concat([{ width: 1440, height: 900, ratio: 2 }, { width: 1920, height: 1080, ratio: 1.25 }]);
const MIN_FILL = 0.95;     // of the screen's limiting side
const ASPECT = 4 / 3;
const ASPECT_SLACK = 0.01; // the canvas is whole device pixels on each side
const RUN_MS = 300000;     // generous: the machine may be busy
const SWIPE_STEPS = 10;    // moves of a finger in one gesture

const results = []; // one true or false a check
function check(ok, what, detail) {
  results.push(Boolean(ok));
  console.log(`${ok ? "ok  " : "FAIL"} ${what}${detail ? ` (${detail})` : ""}`);
}

const centreOf = (page, id) => page.evaluate(`(() => { const r = document.getElementById("${id}").getBoundingClientRect();
  return [r.x + r.width / 2, r.y + r.height / 2]; })()`);
// How far the page has been zoomed or scrolled: 1, 0, 0 while it holds still.
const viewState = (page) => page.evaluate(`[visualViewport.scale, scrollX + visualViewport.offsetLeft,
  scrollY + visualViewport.offsetTop]`);
const stillDetail = ([scale, x, y]) => `scale ${scale}, scrolled ${x},${y}`;
const isStill = ([scale, x, y]) => scale === 1 && x === 0 && y === 0;

const touch = (page, type, touchPoints) => page.send("Input.dispatchTouchEvent", { type, touchPoints });
// Two frames drawn after the gestures: a zoom or a scroll the browser made is applied by then.
const settled = (page) => page.evaluate("new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)))");

// A swipe of one finger from x, y by dx, dy.
async function swipe(page, x, y, dx, dy) {
  await touch(page, "touchStart", [{ x, y }]);
  for (let i = 1; i <= SWIPE_STEPS; i++)
    await touch(page, "touchMove", [{ x: x + dx * i / SWIPE_STEPS, y: y + dy * i / SWIPE_STEPS }]);
  await touch(page, "touchEnd", []);
}

// A double tap, a swipe and a pinch (two fingers drawn apart) at x, y.
async function gestures(page, x, y) {
  await page.touch(x, y); // two real taps: a finger down and up, twice
  await page.touch(x, y);
  await swipe(page, x, y, -100, -150);
  await touch(page, "touchStart", [{ x: x - 20, y, id: 0 }, { x: x + 20, y, id: 1 }]);
  for (let i = 1; i <= SWIPE_STEPS; i++)
    await touch(page, "touchMove", [{ x: x - 20 - 15 * i, y, id: 0 }, { x: x + 20 + 15 * i, y, id: 1 }]);
  await touch(page, "touchEnd", []);
  await settled(page);
}

// The bounded waits of a phone's run: for the page's script, for the show's first frames once
// the view is chosen and the start button tapped, and for the show's end. The two in the show
// give up quietly, for the check after them to fail.
const scriptReady = (page) =>
  waitFor(() => page.evaluate(`!document.getElementById("start").disabled`), RUN_MS, "the page's script");
async function tapStart(page, view, name) {
  await page.evaluate(`document.querySelector("input[value=${view}]").checked = true`);
  await page.touch(...await centreOf(page, "start"));
  await waitFor(() => page.evaluate("window.swayboard.running && window.swayboard.framesShown > 25"), RUN_MS,
    `${name}: the show's first frames`).catch(() => null);
}
const showEnded = (page, name) =>
  waitFor(() => page.evaluate("!window.swayboard.running"), RUN_MS, `${name}: the show to end`).catch(() => null);

// The running show's place on the stage: whether it fills the limiting side at 4:3, and by how much.
async function shownOf(page) {
  const shown = await page.evaluate(`(() => { const c = document.getElementById("show").getBoundingClientRect(),
    s = document.getElementById("stage");
    return { running: window.swayboard.running, w: c.width, h: c.height, sw: s.clientWidth, sh: s.clientHeight,
             full: Boolean(document.fullscreenElement), ratio: devicePixelRatio }; })()`);
  const fill = Math.max(shown.w / shown.sw, shown.h / shown.sh), aspect = shown.w / shown.h;
  shown.fills = fill >= MIN_FILL && shown.w <= shown.sw && shown.h <= shown.sh && Math.abs(aspect / ASPECT - 1) <= ASPECT_SLACK;
  shown.fill = `${shown.w.toFixed(1)}x${shown.h.toFixed(1)} on ${shown.sw}x${shown.sh} at ratio ${shown.ratio}, ${(100 * fill).toFixed(1)} %`;
  return shown;
}

async function checkPhone(browser, site, phone) {
  const { name, width, height, ratio, view } = phone;
  const page = await openPage(browser, width, height);
  await page.send("Emulation.setDeviceMetricsOverride", { width, height, deviceScaleFactor: ratio, mobile: true,
    screenWidth: width, screenHeight: height });
  await page.send("Emulation.setTouchEmulationEnabled", { enabled: true, maxTouchPoints: 5 });
  await page.goto(`${site}index.html`);
  await scriptReady(page);

  const panel = await page.evaluate(`(() => { const r = document.getElementById("panel").getBoundingClientRect();
    return { fits: r.left >= 0 && r.top >= 0 && r.right <= innerWidth && r.bottom <= innerHeight,
             button: document.getElementById("start").textContent, hint: document.getElementById("hint")?.textContent || "",
             size: Math.round(r.width) + "x" + Math.round(r.height) }; })()`);
  check(panel.fits && /^Tap to start$/.test(panel.button) && /tap/i.test(panel.hint) && !/click|key/i.test(panel.hint),
    `${name}: the start panel fits the screen and speaks of taps`, `${panel.size}, "${panel.button}", "${panel.hint}"`);

  await gestures(page, width / 2, height * 0.9);
  const panelStill = await viewState(page);
  check(isStill(panelStill), `${name}: a double tap, a swipe and a pinch beside the panel neither zoom nor scroll`,
    stillDetail(panelStill));

  await tapStart(page, view, name); // a real tap on the start button
  const shown = await shownOf(page);
  check(shown.running, `${name}: a tap on the start button starts the show${view === "full" ? " (full screen chosen)" : " in the page"}`,
    shown.full ? "full screen" : "in the page");
  check(shown.fills, `${name}: the show fills at least ${MIN_FILL * 100} % of the screen's limiting side at 4:3`, shown.fill);
  if (screenshotDir && shown.running) {
    const { data } = await page.send("Page.captureScreenshot",
      { format: "png", clip: { x: 0, y: 0, width, height, scale: 1 / ratio } });
    fs.writeFileSync(path.join(screenshotDir, `web-${name}.png`), Buffer.from(data, "base64"));
  }

  // Over the running show the browser's gestures reach it as taps only: the view holds still.
  const [cx, cy] = await centreOf(page, "show");
  await swipe(page, cx, cy, -100, -100);
  await settled(page);
  await showEnded(page, name);
  const after = await page.evaluate(`[window.swayboard.running, document.getElementById("status").textContent,
    document.getElementById("start").textContent, Boolean(document.fullscreenElement)]`);
  const runStill = await viewState(page);
  check(!after[0] && /ended/.test(after[1]) && /^Tap/.test(after[2]) && !after[3],
    `${name}: a tap ends the show, out of full screen, and the panel offers a tap to start again`, `"${after[1]}", "${after[2]}"`);
  check(isStill(runStill), `${name}: a swipe over the running show neither zooms nor scrolls`, stillDetail(runStill));
  await page.send("Page.close").catch(() => {});
}

// The phones' screens in another engine: a viewport of the phone's size at its pixel ratio
// (without touch emulation, so the words stay a mouse's). A tap on the start button starts
// the show, which fills the screen, and a tap on the show ends it.
async function checkPhoneIn(engine, site, { name, width, height, ratio }) {
  const page = await engine.openPage(width, height, ratio);
  try {
    await page.goto(`${site}index.html`);
    await scriptReady(page);
    await tapStart(page, "page", `${engine.name} ${name}`);
    const shown = await shownOf(page);
    check(shown.running && shown.fills, `${engine.name}, ${name}: a tap starts the show, which fills at least ` +
      `${MIN_FILL * 100} % of the screen's limiting side at 4:3`, shown.fill);
    await page.touch(...await centreOf(page, "show"));
    await showEnded(page, `${engine.name} ${name}`);
    check(!await page.evaluate("window.swayboard.running"), `${engine.name}, ${name}: a tap on the show ends it`);
  } finally {
    await page.close();
  }
}

// The canvas on each desktop window before the show starts: its device pixels a whole multiple of the show's.
async function checkDesktops(browser, site) {
  const seen = [];
  let whole = true;
  for (const { width, height, ratio } of DESKTOPS) {
    const page = await openPage(browser, width, height);
    await page.send("Emulation.setDeviceMetricsOverride", { width, height, deviceScaleFactor: ratio, mobile: false });
    await page.goto(`${site}index.html`);
    const css = await page.evaluate(`parseFloat(document.getElementById("show").style.width)`);
    const factor = css * ratio / 800;
    whole = whole && Number.isInteger(Math.round(factor * 1e6) / 1e6) && factor >= 1;
    seen.push(`${width}x${height}@${ratio}: ${+factor.toFixed(3)}x`);
    await page.send("Page.close").catch(() => {});
  }
  check(whole, "desktop windows keep the show at a whole factor of device pixels", seen.join(", "));
}

async function main() {
  const { url, server } = await serve(webDir);
  const browser = await launch(PHONES[0].width, PHONES[0].height);
  try {
    await checkDesktops(browser, url);
    for (const phone of PHONES)
      await checkPhone(browser, url, phone);
    const firefox = await launchEngine("Firefox", PHONES[0].width, PHONES[1].height);
    try {
      for (const phone of PHONES)
        await checkPhoneIn(firefox, url, phone);
    } finally {
      await firefox.close();
    }
  } catch (error) {
    check(false, "the checks ran to the end", error.message);
  } finally {
    await browser.close();
    server.close();
  }
  const failed = results.filter((ok) => !ok).length;
  console.log(`${results.length - failed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
}
main();
