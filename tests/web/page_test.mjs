// The page for real: Debian's Chromium, headless with its software WebGL,
// against build/web served from 127.0.0.1, driven with playwright-core.
//
//   HM_WEB_SITE=build/web HM_MOBILESNAP=build/native/tools/mobilesnap/mobilesnap \
//       node --test tests/web/page_test.mjs
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { chromium } from "playwright-core";

const site = process.env.HM_WEB_SITE;
const mobilesnap = process.env.HM_MOBILESNAP;
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "hm-web-"));
const kinds = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm",
                ".png": "image/png", ".txt": "text/plain" };
let server, base, browser;

// A description that never ends, of no stated length: how much of it was
// sent before the page hung up.
const endless = { sent: 0, closed: null };
function serveEndless(response) {
  let hungUp;
  endless.closed = new Promise(resolve => { hungUp = resolve; });
  response.writeHead(200, { "Content-Type": "text/plain" });
  const chunk = Buffer.alloc(1 << 16, "frobnicate\n");
  const more = () => { while (!response.destroyed && response.write(chunk)) endless.sent += chunk.length; };
  response.on("drain", more);
  response.on("close", () => hungUp(endless.sent));
  more();
}

// The built site at /, this run's own files at /scratch/.
function serve(request, response) {
  const name = decodeURIComponent(new URL(request.url, "http://x").pathname);
  if (name === "/endless.txt") return serveEndless(response);
  const file = name.startsWith("/scratch/") ? path.join(scratch, name.slice(9))
                                            : path.join(site, name.endsWith("/") ? name + "index.html" : name);
  fs.readFile(file, (error, data) => {
    response.writeHead(error ? 404 : 200, { "Content-Type": kinds[path.extname(file)] || "application/octet-stream" });
    response.end(error ? undefined : data);
  });
}

before(async () => {
  server = http.createServer(serve).listen(0, "127.0.0.1");
  await new Promise(resolve => server.on("listening", resolve));
  base = `http://127.0.0.1:${server.address().port}/`;
  browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: [
    "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync", "--disable-quic"] });
});

after(async () => {
  await browser?.close();
  server?.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

// A page of the given query, failing its test on any console error but the
// expected ones.
async function open(t, query = "?test", size = { width: 400, height: 300 }, expected = null) {
  const page = await browser.newPage({ viewport: size });
  const errors = [];
  page.on("console", message => {
    if (message.type() === "error" && !expected?.test(message.text())) errors.push(message.text());
  });
  page.on("pageerror", error => errors.push(error.message));
  t.after(async () => {
    await page.close();
    assert.deepEqual(errors, [], "console errors");
  });
  await page.goto(base + query);
  await page.waitForSelector("body[data-ready=yes]", { state: "attached", timeout: 30000 });
  return page;
}

const read = async page => decode(await page.evaluate(() => window.hangingMobile.read()));
function decode({ width, height, rgba }) {
  return { width, height, pixels: Buffer.from(rgba, "base64") }; // rows bottom up
}

// How many pixels are near each colour of the built-in mobile.
function census({ pixels }) {
  const near = (i, r, g, b) => Math.abs(pixels[i] - r) + Math.abs(pixels[i + 1] - g) + Math.abs(pixels[i + 2] - b) < 40;
  const counts = { all: pixels.length / 4, background: 0, cloud: 0, green: 0, red: 0, string: 0 };
  for (let i = 0; i < pixels.length; i += 4) {
    if (near(i, 26, 26, 51)) counts.background++;
    else if (near(i, 51, 51, 77)) counts.string++;
    else if (pixels[i + 2] > 120 && pixels[i] > 90 && pixels[i] < pixels[i + 2]) counts.cloud++;
    else if (pixels[i + 1] > 80 && pixels[i] < pixels[i + 1] / 2) counts.green++;
    else if (pixels[i] > 150 && pixels[i + 1] < 90) counts.red++;
  }
  return counts;
}

const differing = (a, b, fuzz = 0) => {
  let count = 0;
  for (let i = 0; i < a.pixels.length; i += 4)
    if ([0, 1, 2].some(c => Math.abs(a.pixels[i + c] - b.pixels[i + c]) > fuzz)) count++;
  return count;
};

test("the page shows the mobile, moving, and draws nothing while hidden", async t => {
  const page = await open(t);
  const first = await read(page);
  const seen = census(first);
  assert.ok(seen.background > seen.all / 2, JSON.stringify(seen));
  for (const part of ["cloud", "green", "red", "string"]) assert.ok(seen[part] > 30, `${part}: ${JSON.stringify(seen)}`);
  await page.waitForTimeout(1000);
  assert.ok(differing(first, await read(page)) > 100, "the same picture a second later");

  const frames = await page.evaluate(async () => {
    let count = 0;
    const draw = Module._WebDrawFrame;
    Module._WebDrawFrame = (...size) => (count++, draw(...size));
    Object.defineProperty(document, "hidden", { value: true, configurable: true });
    document.dispatchEvent(new Event("visibilitychange"));
    await new Promise(resolve => setTimeout(resolve, 1000));
    const hidden = count;
    Object.defineProperty(document, "hidden", { value: false, configurable: true });
    document.dispatchEvent(new Event("visibilitychange"));
    while (count < 2) await new Promise(resolve => setTimeout(resolve, 50)); // the test's timeout bounds it
    return [hidden, count];
  });
  assert.equal(frames[0], 0, "frames while hidden");
});

// The same frame as the off-screen snapshot tool's: the same parse, clock and
// camera through the same renderer; only the rasterisers differ. About 40 of
// the 120000 pixels differ by more than 24 in a channel (edge pixels the two
// cover differently; shading rounds apart by a level or two elsewhere). The
// strings alone are some 200 pixels, so 120 lets no missing part through.
// Pixels of the built-in mobile (not sky) in the outermost columns and
// rows: any there is a mobile cut at the edge of the canvas.
function atTheEdges({ width, height, pixels }) {
  const sky = i => Math.abs(pixels[i] - 26) + Math.abs(pixels[i + 1] - 26) + Math.abs(pixels[i + 2] - 51) < 40;
  let count = 0;
  for (let y = 0; y < height; y++)
    for (let x = 0; x < width; x++)
      if ((x < 2 || x >= width - 2 || y < 2 || y >= height - 2) && !sky((y * width + x) * 4)) count++;
  return count;
}

const snapshot = async (page, size, at, latitude, longitude) => {
  const png = `snap-${size}-${at}.png`;
  execFileSync(mobilesnap, ["--size", size, "--at", String(at), "--latitude", String(latitude),
                            "--longitude", String(longitude), "-o", path.join(scratch, png)]);
  return decode(await page.evaluate(async url => {
    const image = await createImageBitmap(await (await fetch(url)).blob(), { imageOrientation: "flipY" });
    const context = new OffscreenCanvas(image.width, image.height).getContext("2d");
    context.drawImage(image, 0, 0);
    const pixels = context.getImageData(0, 0, image.width, image.height).data;
    let binary = "";
    for (let i = 0; i < pixels.length; i += 0x8000) binary += String.fromCharCode.apply(null, pixels.subarray(i, i + 0x8000));
    return { width: image.width, height: image.height, rgba: btoa(binary) };
  }, base + "scratch/" + png));
};

const heldFrame = async (page, at, latitude, longitude) => decode(await page.evaluate(([at, latitude, longitude]) => {
  window.hangingMobile.hold(1000);
  window.hangingMobile.restart(latitude, longitude);
  window.hangingMobile.hold(1000 + at);
  return window.hangingMobile.read();
}, [at, latitude, longitude]));

// The same frame as the off-screen snapshot tool's: the same parse, clock and
// camera through the same renderer; only the rasterisers differ. About 40 of
// the 120000 pixels differ by more than 24 in a channel (edge pixels the two
// cover differently; shading rounds apart by a level or two elsewhere). The
// strings alone are some 200 pixels, so 120 lets no missing part through.
// A phone's portrait screen frames the mobile by its width, in both.
test("a frame matches mobilesnap's at the same time, camera and size", async t => {
  for (const [width, height, cases] of [[400, 300, [[0, 20, 0], [2500, 35, 120], [9000, -10, 250]]],
                                         [390, 844, [[0, 20, 0], [6000, 35, 120]]]]) {
    const page = await open(t, "?test", { width, height });
    for (const [at, latitude, longitude] of cases) {
      const ours = await heldFrame(page, at, latitude, longitude);
      const theirs = await snapshot(page, `${width}x${height}`, at, latitude, longitude);
      assert.deepEqual([ours.width, ours.height], [theirs.width, theirs.height]);
      const off = differing(ours, theirs, 24);
      assert.ok(off <= 120, `${off} pixels differ at ${at} ms, ${latitude}/${longitude}, ${width}x${height}`);
    }
  }
});

// A touch drag, as the phone's screen sends it: pointer events from touches.
async function drag(page, from, to) {
  const cdp = await page.context().newCDPSession(page);
  const touch = (type, [x, y]) => cdp.send("Input.dispatchTouchEvent", { type, touchPoints: type === "touchEnd" ? [] : [{ x, y }] });
  await touch("touchStart", from);
  for (let i = 1; i <= 10; i++)
    await touch("touchMove", [from[0] + (to[0] - from[0]) * i / 10, from[1] + (to[1] - from[1]) * i / 10]);
  await touch("touchEnd", to);
}

test("a phone shows the whole mobile, turns it by touch and puts the editor below it", async t => {
  const page = await browser.newPage({ viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true });
  t.after(() => page.close());
  await page.goto(base + "?test");
  await page.waitForSelector("body[data-ready=yes]", { state: "attached", timeout: 30000 });
  for (const at of [0, 3000, 6000, 9000, 12000]) {
    const frame = await heldFrame(page, at, 20, 0);
    const seen = census(frame);
    assert.equal(atTheEdges(frame), 0, `the mobile is cut at ${at} ms`);
    assert.ok(seen.red > 30 && seen.green > 30 && seen.cloud > 30, JSON.stringify(seen));
  }
  await page.tap("#edit");
  await page.waitForSelector("#editor.open"); // the tap's click comes after it
  const [canvas, editor] = await Promise.all(["#mobile", "#editor"].map(selector => page.locator(selector).boundingBox()));
  assert.ok(editor.width === 390 && editor.y >= canvas.y + canvas.height - 1 && canvas.height > 300,
            JSON.stringify({ canvas, editor }));
  const above = await read(page); // drawn again for the canvas's new size, as a running page does
  assert.equal(atTheEdges(above), 0, "the mobile is cut above the editor");
  await page.screenshot({ path: path.join(site, "..", "web-phone.png") }); // README's picture, beside the site
  // 40 pixels right and 20 up: ten steps round, five up, as the keys step.
  await drag(page, [200, 150], [240, 130]);
  assert.deepEqual(await page.evaluate(() => window.hangingMobile.camera()), [15, 10]);
});

test("a drag before the module has loaded is let go", async t => {
  const page = await browser.newPage({ viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true });
  const errors = [];
  page.on("pageerror", error => errors.push(error.message));
  t.after(() => page.close());
  let release; // the module is held back until the drag is over
  const held = new Promise(resolve => { release = resolve; });
  await page.route("**/hangingmobile.wasm", async route => { await held; await route.continue(); });
  await page.goto(base + "?test", { waitUntil: "commit" });
  await page.waitForSelector("#mobile", { state: "attached", timeout: 30000 });
  await drag(page, [200, 150], [240, 130]);
  release();
  await page.waitForSelector("body[data-ready=yes]", { state: "attached", timeout: 30000 });
  assert.deepEqual(errors, []);
  assert.deepEqual(await page.evaluate(() => window.hangingMobile.camera()), [20, 0]); // untouched
});

test("a change of display scale alone resizes the canvas", async t => {
  const page = await open(t);
  const cdp = await page.context().newCDPSession(page);
  assert.deepEqual(await page.evaluate(() => [mobile.width, mobile.height]), [400, 300]);
  // Width and height 0: the window's own, only the scale changes.
  await cdp.send("Emulation.setDeviceMetricsOverride", { width: 0, height: 0, deviceScaleFactor: 2, mobile: false });
  await page.waitForFunction(() => mobile.width === 800 && mobile.height === 600, null, { timeout: 30000 });
});

// Every control in Tab's order, each working from the keyboard.
test("Tab reaches every control, and Enter and Space work them", async t => {
  const page = await open(t);
  // The controls Tab stops at, in order, from the page's start round to the first again.
  const cycle = async () => {
    await page.evaluate(() => document.activeElement.blur());
    const stops = [];
    for (let i = 0; i < 20; i++) {
      await page.keyboard.press("Tab");
      const stop = await page.evaluate(() => document.activeElement === document.body ? null
        : document.activeElement.id || document.activeElement.textContent);
      if (stop === stops[0]) break;
      if (stop) stops.push(stop);
    }
    const first = stops.indexOf("edit"); // where the cycle started is the browser's choice
    return [...stops.slice(first), ...stops.slice(0, first)];
  };
  assert.deepEqual(await cycle(), ["edit", "fullscreen"], "the closed editor's controls take focus");
  await page.focus("#edit");
  await page.keyboard.press("Space");
  assert.equal(await page.getAttribute("#edit", "aria-expanded"), "true");
  await page.fill("#text", "frobnicate\n");
  await page.waitForSelector("#messages button");
  assert.deepEqual(await cycle(), ["edit", "fullscreen", "open", "save", "builtin", "text", "1: unrecognised mobile command"]);
  // The file input's own click is what opens the chooser (held back here).
  await page.evaluate(() => {
    window.choosers = 0;
    file.addEventListener("click", event => { window.choosers++; event.preventDefault(); });
  });
  await page.focus("#open");
  await page.keyboard.press("Enter");
  await page.keyboard.press("Space");
  assert.equal(await page.evaluate(() => window.choosers), 2, "Open… opened no file chooser");
  await page.focus("#edit");
  await page.keyboard.press("Enter");
  assert.equal(await page.getAttribute("#edit", "aria-expanded"), "false");
});

test("bad addresses, angles and downloads are said, and the mobile stays", async t => {
  const broken = await open(t, "?test&description=http://[");
  await broken.waitForSelector("#notice:text('http://[: not a valid address')", { timeout: 30000 });
  assert.ok(census(await read(broken)).green > 30, "no mobile under the message");

  const angles = await open(t, "?test&latitude=2.5&longitude=100000");
  await angles.waitForSelector("#notice:text('latitude=2.5: not a whole number of degrees; 20 is used')", { timeout: 30000 });
  assert.deepEqual(await angles.evaluate(() => window.hangingMobile.camera()), [20, 280]);
  const far = await open(t, "?test&latitude=-100000&longitude=-4294967295");
  await far.waitForSelector("#notice:text('longitude=-4294967295: not a whole number of degrees; 0 is used')", { timeout: 30000 });
  assert.deepEqual(await far.evaluate(() => window.hangingMobile.camera()), [-85, 0]);

  const endlessPage = await open(t, "?test&description=endless.txt");
  await endlessPage.waitForSelector("#notice:text('endless.txt: too large, more than 64 MB')", { timeout: 60000 });
  // Never closed unless the page stops the download; a minute is plenty.
  const sent = await Promise.race([endless.closed, new Promise(resolve => setTimeout(resolve, 60000, "open"))]);
  assert.ok(sent < 2 * (64 << 20), `the download goes on: ${sent} bytes sent`);
});

test("the camera keys and the URL's camera turn the view", async t => {
  const page = await open(t, "?test&latitude=30&longitude=400");
  assert.deepEqual(await page.evaluate(() => window.hangingMobile.camera()), [30, 40]);
  await page.evaluate(() => window.hangingMobile.hold(5000));
  const before = await read(page);
  for (const key of ["ArrowLeft", "ArrowLeft", "PageUp", "Home"]) await page.keyboard.press(key);
  assert.deepEqual(await page.evaluate(() => window.hangingMobile.camera()), [15, 23]);
  assert.ok(differing(before, await read(page)) > 100, "the view did not turn");
});

test("full screen ends with a key or mouse travel, not with a camera key", async t => {
  const page = await open(t);
  // Leaving full screen completes later than the input that asks for it, so
  // what is checked is whether the page asked: counted when it does.
  const asked = () => page.evaluate(() => window.leaveRequests);
  await page.evaluate(() => {
    window.leaveRequests = 0;
    const exit = document.exitFullscreen.bind(document);
    document.exitFullscreen = () => (window.leaveRequests++, exit());
  });
  await page.click("#fullscreen");
  await page.waitForFunction(() => document.fullscreenElement);
  await page.keyboard.press("ArrowUp");
  assert.equal(await asked(), 0, "a camera key ended it");
  await page.keyboard.press("a");
  await page.waitForFunction(() => !document.fullscreenElement);
  assert.equal(await asked(), 1);
  await page.click("#fullscreen");
  await page.waitForFunction(() => document.fullscreenElement);
  await page.mouse.move(100, 100);
  await page.mouse.move(130, 120);
  assert.equal(await asked(), 1, "a small travel ended it");
  await page.mouse.move(200, 120);
  await page.waitForFunction(() => !document.fullscreenElement);
});

test("the editor reports by line, keeps the last good mobile and shows a fixed one", async t => {
  fs.writeFileSync(path.join(scratch, "red.txt"),
    "perspective: 45,3,90 lookat=0 timef=1 background=0,0,0 perimeter=30 thread=0.1,1,1,1 periodicity=300\n" +
    "end 1: desc=1 mass=1 radius=1 above=1 string=1\ndesc 1\nsglColor3(1,0,0)\nsglBegin(GL_QUADS)\n" +
    "sglVertex3(0,-4,-4)\nsglVertex3(0,-4,4)\nsglVertex3(0,4,4)\nsglVertex3(0,4,-4)\nsglEnd()\n");
  fs.writeFileSync(path.join(scratch, "huge.txt"), "");
  fs.truncateSync(path.join(scratch, "huge.txt"), 100 << 20);
  const page = await open(t, "?test", { width: 960, height: 540 });
  await page.click("#edit");
  const builtin = await page.inputValue("#text");
  assert.match(builtin, /^perspective: 45,3,90 lookat=22/m);

  const lines = builtin.split(/\r?\n/);
  lines.splice(2, 0, "frobnicate");
  await page.fill("#text", lines.join("\n"));
  await page.click("#messages button:text('3: unrecognised mobile command')");
  assert.deepEqual(await page.$eval("#text", area => area.value.slice(area.selectionStart, area.selectionEnd)), "frobnicate");
  await page.screenshot({ path: path.join(site, "..", "web-page.png") }); // README's picture, beside the site
  await page.fill("#text", "end 2: desc=0 mass=1 radius=1 above=1 string=1\n");
  await page.waitForSelector("#messages li:text-is('item1 undefined')");
  assert.ok(census(await read(page)).green > 30, "the last good mobile went");

  await page.setInputFiles("#file", path.join(scratch, "huge.txt"));
  await page.waitForSelector("#notice:text('huge.txt: too large')");
  assert.equal(await page.inputValue("#text"), "end 2: desc=0 mass=1 radius=1 above=1 string=1\n");

  await page.setInputFiles("#file", path.join(scratch, "red.txt"));
  await page.waitForFunction(() => document.querySelectorAll("#messages li").length === 0);
  const red = census(await read(page));
  assert.ok(red.red > 1000 && red.green === 0, JSON.stringify(red));
});

// The checker's warnings beside the parser's messages, each selecting its
// line; a cycle, a child that names nothing, a NaN and a NUL byte among them.
test("the editor shows the author warnings by line", async t => {
  const page = await open(t);
  await page.click("#edit");
  const lines = [
    "perspective: 45,3,90 lookat=0 timef=1 background=0,0,0 perimeter=30 thread=0.1,1,1,1 periodicity=300",
    "branch 1: desc=1 mass=1 radius=1 above=1 string=1 left=1,0,2 right=-1,0,9",
    "branch 2: desc=1 mass=nan radius=1 above=1 string=1 left=1,0,1 right=-1,0,3",
    "end 3: desc=1 mass=1 radius=1 above=1 string=1", "desc 1", "sglColor3(1,0,0)", "sglBegin(GL_QUADS)",
    "sglVertex3(0,-4,-4)", "sglVertex3(0,-4,4)\0 hidden", "sglVertex3(0,4,4)", "sglVertex3(0,4,-4)", "sglEnd()"];
  await page.fill("#text", lines.join("\n"));
  await page.waitForSelector("#messages li.warning >> nth=3");
  assert.deepEqual(await page.$$eval("#messages li.warning", items => items.map(item => item.textContent)), [
    "2: warning: item 1: right child 9 is outside the item table",
    "3: warning: item 2: left child 1 closes a cycle",
    "3: warning: item 2: mass is not a finite number",
    "9: warning: a NUL byte hides the rest of this line"]);
  await page.focus("#messages li.warning >> nth=3 >> button");
  await page.keyboard.press("Enter");
  assert.equal(await page.$eval("#text", area => area.value.slice(area.selectionStart, area.selectionEnd)),
               lines[8]);
});

test("edits are offered back after a reload, leaving asks first, and dropped text goes in", async t => {
  const page = await open(t);
  await page.click("#edit");
  const builtin = await page.inputValue("#text");
  await page.fill("#text", builtin.replace(/^perspective: 45,/m, "perspective: 30,"));
  await page.waitForFunction(() => localStorage.getItem("hangingmobile.description")?.includes("perspective: 30,"));
  const asked = Promise.race([new Promise(resolve => page.once("dialog", dialog => { resolve(dialog.type()); dialog.accept(); })),
                              new Promise(resolve => setTimeout(resolve, 30000, "no question"))]);
  await page.reload();
  assert.equal(await asked, "beforeunload");
  await page.waitForSelector("body[data-ready=yes]", { state: "attached" });
  assert.equal(await page.inputValue("#text"), builtin, "the kept edits were put in unasked");
  await page.click("#restore");
  assert.match(await page.inputValue("#text"), /^perspective: 30,/m);
  await page.click("#builtin");
  assert.equal(await page.inputValue("#text"), builtin);
  assert.equal(await page.evaluate(() => localStorage.getItem("hangingmobile.description")), null);

  await page.fill("#text", "");
  await page.evaluate(() => {
    const data = new DataTransfer();
    data.setData("text/plain", "frobnicate\n");
    document.getElementById("text").dispatchEvent(new DragEvent("drop", { dataTransfer: data, bubbles: true, cancelable: true }));
  });
  await page.waitForSelector("#messages button:text('1: unrecognised mobile command')");
  assert.equal(await page.inputValue("#text"), "frobnicate\n");
});


test("a 64 MB file and a 10 MB paste are shown, not edited, and the page goes on", async t => {
  const builtin = fs.readFileSync(new URL("../../mobile/builtin_mobile.txt", import.meta.url));
  const big = Buffer.concat(Array(Math.floor((64 << 20) / builtin.length)).fill(builtin));
  fs.writeFileSync(path.join(scratch, "big.txt"), big);
  const page = await open(t, "?test", { width: 960, height: 540 });
  await page.click("#edit");
  const startMemory = await page.evaluate(() => Module.HEAPU8.length);
  const turns = async () => {
    const [latitude, longitude] = await page.evaluate(() => window.hangingMobile.camera());
    await page.evaluate(() => document.activeElement.blur());
    await page.keyboard.press("ArrowRight");
    await page.waitForFunction(longitude => window.hangingMobile.camera()[1] === longitude + 1, longitude);
    const frames = await page.evaluate(() => window.hangingMobile.frames());
    await page.waitForFunction(frames => window.hangingMobile.frames() >= frames + 5, frames, { timeout: 60000 });
    assert.equal((await page.evaluate(() => window.hangingMobile.camera()))[0], latitude);
  };

  await page.setInputFiles("#file", path.join(scratch, "big.txt"));
  await page.waitForSelector("#status:text-is('big.txt')", { timeout: 120000 });
  assert.match(await page.getAttribute("#text", "placeholder"), /^big\.txt: 6\d\.\d MB, more than the editor holds \(1 MB\)/);
  assert.equal(await page.inputValue("#text"), "");
  assert.ok(census(await read(page)).green > 30, "the big file's mobile is not shown");
  await turns();

  // A text given while another is still read waits for it, then is shown;
  // each is read into fresh memory, the view where it was.
  const camera = await page.evaluate(() => window.hangingMobile.camera());
  await page.setInputFiles("#file", path.join(scratch, "big.txt"));
  await page.waitForSelector("#status:text-is('big.txt (reading…)')");
  await page.click("#builtin");
  await page.waitForSelector("#status:text-is('the built-in mobile')", { timeout: 120000 });
  assert.equal(await page.inputValue("#text"), builtin.toString().replace(/\r\n?/g, "\n"));
  assert.equal(await page.$eval("#text", area => area.readOnly), false);
  assert.equal(await page.evaluate(() => Module.HEAPU8.length), startMemory, "the big mobiles' memory is kept");
  assert.deepEqual(await page.evaluate(() => window.hangingMobile.camera()), camera);

  await page.evaluate(pasted => {
    const data = new DataTransfer();
    data.setData("text/plain", pasted);
    text.focus();
    text.dispatchEvent(new ClipboardEvent("paste", { clipboardData: data, bubbles: true, cancelable: true }));
  }, builtin.toString().repeat(200));
  await page.waitForSelector("#status:text-is('the text with what was put in')");
  assert.match(await page.getAttribute("#text", "placeholder"), /: 10\.\d MB, more than the editor holds/);
  await turns();
});

// However fast the machine, frames made slower than the frame time.
test("a mobile too heavy for the frame rate is said so with its figures", async t => {
  const page = await open(t);
  await page.evaluate(() => {
    const draw = Module._WebDrawFrame;
    Module._WebDrawFrame = (...size) => {
      for (const until = performance.now() + 2 * Module._WebFrameMilliseconds(); performance.now() < until;);
      return draw(...size);
    };
  });
  await page.waitForSelector("#notice:text('A heavy mobile:')", { timeout: 60000 });
  const items = await page.evaluate(() => Module._WebItemCount());
  assert.match(await page.textContent("#notice"), new RegExp(`^A heavy mobile: ${items} items, [1-9]\\d* vertices a frame, [0-9.]+ frames a second of the 20 it moves at\\.$`));
});

test("a mobile too costly to draw whole is drawn in part, said once", async t => {
  const page = await open(t);
  await page.click("#edit");
  const notices = () => page.$$eval("#messages li", items =>
    items.filter(item => item.textContent.startsWith("too much to draw")).length);
  await read(page); // a frame of the built-in mobile, drawn whole
  assert.equal(await notices(), 0);
  // Forty levels, each hanging the next from both arms: 2^40 places.
  let text = "";
  for (let n = 1; n <= 40; n++)
    text += `branch ${n}: desc=0 mass=1 radius=1 above=1 string=1 left=1,0,${n + 1} right=-1,0,${n + 1}\n`;
  await page.fill("#text", text + "end 41: desc=0 mass=1 radius=1 above=1 string=1\n");
  await page.waitForSelector("#messages li:text('too much to draw')");
  for (let i = 0; i < 3; i++) await read(page);
  assert.equal(await notices(), 1);
});

test("a description URL is read from this site only", async t => {
  fs.writeFileSync(path.join(scratch, "broken.txt"), "frobnicate\n");
  const page = await open(t, "?test&description=scratch/broken.txt");
  await page.click("#edit");
  await page.waitForSelector("#messages button:text('1: unrecognised mobile command')");
  const other = await open(t, "?test&description=http://example.invalid/mobile.txt");
  await other.waitForSelector("#notice:text('not on this site')");
});

test("a page whose module cannot be fetched says so", async t => {
  const page = await browser.newPage();
  t.after(() => page.close());
  await page.route("**/hangingmobile.wasm", route => route.fulfill({ status: 404, body: "" }));
  await page.goto(base + "?test");
  await page.waitForSelector("#notice:text('The mobile could not be loaded')", { timeout: 30000 });
});

test("the page runs no injected script, and its folder holds its own files only", async t => {
  const page = await open(t, "?test", undefined, /inline script violates the following Content Security Policy/);
  const ran = await page.evaluate(async () => {
    const script = document.createElement("script");
    script.textContent = "window.injected = true";
    document.body.append(script);
    await new Promise(resolve => setTimeout(resolve, 100));
    return window.injected === true;
  });
  assert.equal(ran, false, "an inline script ran");

  const html = fs.readFileSync(path.join(site, "index.html"), "utf8");
  const named = [...html.matchAll(/(?:src|href)="([^":]+)"/g)].map(match => match[1]);
  assert.deepEqual(fs.readdirSync(site).sort(), [...new Set([...named, "hangingmobile.wasm", "index.html"])].sort());
  const sources = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
  for (const file of fs.readdirSync(site))
    assert.ok(!fs.readFileSync(path.join(site, file)).includes(sources), `${file} names ${sources}`);
});
