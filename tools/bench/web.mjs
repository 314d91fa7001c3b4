// The page against its floors in Debian's headless Chromium (software
// WebGL), printed as the bench report's rows and RESULT lines:
//   start: navigation to the first frame shown, against a page that only
//          clears a WebGL canvas;
//   cpu:   the CPU time of all the browser's processes per frame at 20 frames
//          a second (the page's cost to the machine: script, WebGL and its
//          software rasteriser, compositing), against a page drawing the same
//          frames from flat arrays; the page's main-thread task time beside it;
//          at 800 x 600 and at 1280 x 800;
//   keys:  with a 10 MB text pasted, a camera key to the first frame drawn
//          with its camera, and the frame rate meanwhile;
//   size:  the page's files together (the site folder holds nothing else).
//
//   node tools/bench/web.mjs SITE [SECONDS] [ROUNDS] [STARTS]
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import { createRequire } from "node:module";

const require = createRequire(new URL("../../tests/web/", import.meta.url));
const { chromium } = require("playwright-core");
const [site, seconds = "10", rounds = "5", starts = "11"] = process.argv.slice(2);
const floorPage = new URL("web_floor.html", import.meta.url).pathname;
const kinds = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm" };

const server = http.createServer((request, response) => {
  const name = new URL(request.url, "http://x").pathname;
  const file = name === "/floor.html" ? floorPage : path.join(site, name === "/" ? "index.html" : name);
  fs.readFile(file, (error, data) => {
    response.writeHead(error ? 404 : 200, { "Content-Type": kinds[path.extname(file)] || "application/octet-stream" });
    response.end(error ? undefined : data);
  });
}).listen(0, "127.0.0.1");
await new Promise(resolve => server.on("listening", resolve));
const base = `http://127.0.0.1:${server.address().port}/`;
const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: [
  "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-first-run",
  "--disable-background-networking", "--disable-component-update", "--disable-sync", "--disable-quic"] });
const browserCdp = await browser.newBrowserCDPSession();
const viewport = { width: 800, height: 600 }, large = { width: 1280, height: 800 };
const median = values => {
  const v = [...values].sort((a, b) => a - b);
  return v.length % 2 ? v[(v.length - 1) / 2] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2;
};
const fail = why => { console.error("bench: web: " + why); process.exit(1); };

// Milliseconds from navigation to the first frame, in a fresh context (no
// cache). The context's window is opened on a blank page and left to settle
// first: for a few hundred milliseconds after it opens, the browser lays out
// and paints its own window on the same software GPU the page draws with,
// which is the browser's cost, not the page's, and falls on whichever page
// comes later in that time.
const kSettleMilliseconds = 1000, kQuietMilliseconds = 1500;
async function startTime(url) {
  const context = await browser.newContext({ viewport });
  const page = await context.newPage();
  await page.goto("about:blank");
  await page.waitForTimeout(kSettleMilliseconds);
  await page.goto(url);
  // Nothing runs in the page until it has had time to start: a script
  // evaluated in it meanwhile (as waiting for the mark would) takes the page's
  // main thread from a page whose load event comes before its first frame.
  await page.waitForTimeout(kQuietMilliseconds);
  const at = await page.waitForFunction(() => performance.getEntriesByName("first-frame")[0]?.startTime,
                                        null, { timeout: 30000 });
  const value = await at.jsonValue();
  await context.close();
  return value;
}

// The page's own frames, as the arrays its module made, for the floor.
async function recordFrames(count, size) {
  const page = await browser.newPage({ viewport: size });
  await page.goto(base + "?test");
  await page.waitForSelector("body[data-ready=yes]", { state: "attached" });
  const frames = await page.evaluate(count => {
    // Where each field lies, from the module by name, as the page reads it.
    const word = {};
    for (let i = 0, at; (at = Module._WebLayoutName(i)); i++) word[Module.UTF8ToString(at)] = Module._WebLayoutWord(i);
    const encode = (pointer, vertices) => {
      const bytes = Module.HEAPU8.subarray(pointer, pointer + vertices * word.vertex * 4);
      let binary = "";
      for (let i = 0; i < bytes.length; i += 0x8000) binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
      return btoa(binary);
    };
    window.hangingMobile.hold(1000);
    window.hangingMobile.restart(Module._WebDefaultLatitude(), Module._WebDefaultLongitude());
    const out = [];
    for (let i = 0; i < count; i++) {
      window.hangingMobile.hold(1000 + i * Module._WebFrameMilliseconds());
      const at = Module._WebDrawFrame(innerWidth, innerHeight) >> 2, u32 = Module.HEAPU32;
      out.push({ triangles: encode(u32[at + word.triangles], u32[at + word.triangleVertices]),
                lines: encode(u32[at + word.lines], u32[at + word.lineVertices]) });
    }
    return { vertex: word.vertex, vertexColour: word.vertexColour, frames: out };
  }, count);
  await page.close();
  return frames;
}

// Main-thread task seconds and frames over `seconds`, after a second to settle.
async function cpuPerFrame(url, recorded, size) {
  const page = await browser.newPage({ viewport: size });
  const cdp = await page.context().newCDPSession(page);
  await cdp.send("Performance.enable");
  await page.goto(url);
  if (recorded) {
    await page.evaluate(recorded => {
      const decode = text => {
        const binary = atob(text), bytes = new Uint8Array(binary.length);
        for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
        return new Float32Array(bytes.buffer);
      };
      window.startFloor(recorded.frames.map(f => ({ triangles: decode(f.triangles), lines: decode(f.lines) })),
                        recorded.vertex, recorded.vertexColour);
    }, recorded);
  } else {
    await page.waitForSelector("body[data-ready=yes]", { state: "attached" });
    await page.evaluate(() => {
      window.floorFrames = 0;
      const draw = Module._WebDrawFrame;
      Module._WebDrawFrame = (...size) => (window.floorFrames++, draw(...size));
    });
  }
  await page.waitForTimeout(1000);
  const sample = async () => {
    const { metrics } = await cdp.send("Performance.getMetrics");
    const task = metrics.find(m => m.name === "TaskDuration")?.value;
    const { processInfo } = await browserCdp.send("SystemInfo.getProcessInfo");
    const all = processInfo.reduce((sum, p) => sum + p.cpuTime, 0);
    return { task, all, frames: await page.evaluate(() => window.floorFrames) };
  };
  const first = await sample();
  await page.waitForTimeout(Number(seconds) * 1000);
  const last = await sample();
  await page.close();
  const frameCount = last.frames - first.frames;
  if (!(last.task > first.task) || frameCount < Number(seconds) * 10) fail(`too few frames or no task time from ${url}`);
  return [(last.task - first.task) * 1000 / frameCount, (last.all - first.all) * 1000 / frameCount];
}

// With a 10 MB text pasted (shown, not edited): milliseconds from each of
// `count` camera keys to the first frame drawn with its camera, and the
// frames a second meanwhile.
async function keysWithLargeText(count) {
  const page = await browser.newPage({ viewport });
  await page.goto(base);
  await page.waitForSelector("body[data-ready=yes]", { state: "attached" });
  await page.evaluate(() => {
    const data = new DataTransfer();
    data.setData("text/plain", Module.UTF8ToString(Module._WebBuiltinText()).repeat(190));
    text.dispatchEvent(new ClipboardEvent("paste", { clipboardData: data, bubbles: true, cancelable: true }));
  });
  await page.waitForFunction(() => document.getElementById("status").textContent === "the text with what was put in",
                            null, { timeout: 120000 });
  await page.evaluate(() => {
    window.benchFrames = 0;
    window.benchEffects = [];
    window.benchKeys = [];
    document.addEventListener("keydown", event => window.benchKeys.push(event.timeStamp), true);
    let drawn = Module._WebLongitude();
    const draw = Module._WebDrawFrame;
    Module._WebDrawFrame = (...size) => {
      const frame = draw(...size);
      window.benchFrames++;
      if (Module._WebLongitude() !== drawn) window.benchEffects.push(performance.now());
      drawn = Module._WebLongitude();
      return frame;
    };
  });
  const latencies = [];
  for (let i = 0; i < count; i++) {
    await page.keyboard.press("ArrowRight");
    await page.waitForFunction(i => window.benchEffects.length > i, i, { timeout: 30000 });
    latencies.push(await page.evaluate(i => window.benchEffects[i] - window.benchKeys[i], i));
    await page.waitForTimeout(200);
  }
  const frames = await page.evaluate(() => window.benchFrames);
  await page.waitForTimeout(2000);
  const rate = (await page.evaluate(() => window.benchFrames) - frames) / 2;
  await page.close();
  return { latency: median(latencies), latencies, rate };
}

const startsOurs = [], startsFloor = [];
for (let i = 0; i < Number(starts); i++) {
  startsOurs.push(await startTime(base));
  startsFloor.push(await startTime(base + "floor.html?clear"));
}
// [ours, floor] samples at each size, by turns.
const cpuAt = async size => {
  const recorded = await recordFrames(100, size), ours = [], floor = [];
  for (let i = 0; i < Number(rounds); i++) {
    ours.push(await cpuPerFrame(base, null, size));
    floor.push(await cpuPerFrame(base + "floor.html", recorded, size));
  }
  return [ours, floor];
};
const [cpuOurs, cpuFloor] = await cpuAt(viewport);
const [cpuOursLarge, cpuFloorLarge] = await cpuAt(large);
const keys = await keysWithLargeText(11);
await browser.close();
server.close();

const files = fs.readdirSync(site).sort();
const size = files.map(f => fs.statSync(path.join(site, f)).size);
const total = size.reduce((a, b) => a + b, 0);
const start = [median(startsOurs), median(startsFloor)];
const cpu = [median(cpuOurs.map(c => c[1])), median(cpuFloor.map(c => c[1]))];
const main = [median(cpuOurs.map(c => c[0])), median(cpuFloor.map(c => c[0]))];
const ratio = (cpu[0] / cpu[1]).toFixed(2);
const cpuLarge = [median(cpuOursLarge.map(c => c[1])), median(cpuFloorLarge.map(c => c[1]))];
const ratioLarge = (cpuLarge[0] / cpuLarge[1]).toFixed(2);
const samples = (ours, floor) => `ours: ${ours.map(v => v[1].toFixed(2) + "/" + v[0].toFixed(3)).join(" ")}; ` +
  `floor: ${floor.map(v => v[1].toFixed(2) + "/" + v[0].toFixed(3)).join(" ")}`;
const verdict = (value, goal) => (value <= goal ? "ok" : "OVER");
console.log(`| | ours | floor |
|---|---|---|
| navigation to first frame, ms (median of ${starts}) | ${start[0].toFixed(1)} | ${start[1].toFixed(1)} |
| CPU time of all the browser's processes per frame, ms (median of ${rounds} runs of ${seconds} s) | ${cpu[0].toFixed(2)} | ${cpu[1].toFixed(2)} |
| of which the page's main thread (task time), ms | ${main[0].toFixed(3)} | ${main[1].toFixed(3)} |
| the same CPU time at 1280 x 800, ms | ${cpuLarge[0].toFixed(2)} | ${cpuLarge[1].toFixed(2)} |
| a camera key to its frame with a 10 MB text shown, ms (median of 11) | ${keys.latency.toFixed(1)} | |
| frames a second with that text shown | ${keys.rate.toFixed(1)} | |

Sizes: ${files.map((f, i) => `${f} ${size[i]}`).join(", ")} bytes.
Key samples, ms: ${keys.latencies.map(v => v.toFixed(1)).join(" ")}.
Start samples, ours: ${startsOurs.map(v => v.toFixed(0)).join(" ")}; floor: ${startsFloor.map(v => v.toFixed(0)).join(" ")}.
CPU samples (all processes / main thread, ms per frame), ${samples(cpuOurs, cpuFloor)}; at 1280 x 800, ${samples(cpuOursLarge, cpuFloorLarge)}.

RESULT web-start: ours - floor = ${(start[0] - start[1]).toFixed(0)} ms (ours ${start[0].toFixed(0)}, floor ${start[1].toFixed(0)}; goal <= 100 ms) ${verdict(start[0] - start[1], 100)}
RESULT web-cpu: ours / floor = ${ratio} (main thread alone ${(main[0] / main[1]).toFixed(2)}; goal <= 1.10) ${verdict(Number(ratio), 1.1)}
RESULT web-cpu-1280x800: ours / floor = ${ratioLarge} (goal <= 1.10) ${verdict(Number(ratioLarge), 1.1)}
RESULT web-key-10mb: ${keys.latency.toFixed(1)} ms at ${keys.rate.toFixed(1)} frames a second (goal <= 100 ms) ${verdict(keys.latency, 100)}
RESULT web-size: ${(total / 1024).toFixed(0)} KB (goal <= 400 KB) ${verdict(total, 400 * 1024)}
`);
