"use strict";
{ // a block of its own: the module's glue has globals of its own
// The page around the module: the canvas and WebGL, the frame timer, the
// keys, full screen and the editor. The module owns the mobile and the
// camera; each frame it hands back flat arrays that one WebGL program draws.
const canvas = document.getElementById("mobile");
const editor = document.getElementById("editor");
const text = document.getElementById("text");
const messages = document.getElementById("messages");
const status = document.getElementById("status");
const notice = document.getElementById("notice");
const params = new URLSearchParams(location.search);
const testMode = params.has("test"); // the tests' hook below, off otherwise

// What the module says once it runs (readContract): the camera keys by the
// browser's names, each with the number the module takes for it; where the
// page finds each field of a frame and of a vertex, in 32-bit words; the
// mouse travel that ends full screen, in pixels along either axis.
let cameraKeys = {}, layout = null, mouseThreshold;

function readContract() {
  const table = (name, value) => {
    const entries = {};
    for (let i = 0, at; (at = name(i)); i++) entries[Module.UTF8ToString(at)] = value(i);
    return entries;
  };
  cameraKeys = table(Module._WebCameraKeyName, Module._WebCameraKeyNumber);
  // A name the module does not know is a page out of step with it: said at
  // once rather than drawn from the wrong place.
  layout = new Proxy(table(Module._WebLayoutName, Module._WebLayoutWord), {
    get(words, name) {
      if (!(name in words)) throw new Error("the module lays out no " + String(name));
      return words[name];
    },
  });
  mouseThreshold = Module._WebMouseThreshold();
}

let gl, program, buffer, timer = null, frozen = false, firstFrameMarked = false;

// The context and its program. The attributes' places are fixed before the
// link, so that nothing waits for it until the first frame draws. (Asked for
// as soon as the page runs instead, they start later, not sooner: the link
// then competes with the module's compilation.)
const kPosition = 0, kColour = 1;
function startWebGl() {
  gl = canvas.getContext("webgl", { alpha: false, antialias: false, depth: true });
  if (!gl) return;
  const shader = (kind, source) => {
    const s = gl.createShader(kind);
    gl.shaderSource(s, source);
    gl.compileShader(s);
    return s;
  };
  program = gl.createProgram();
  gl.attachShader(program, shader(gl.VERTEX_SHADER,
    "attribute vec4 position; attribute vec3 colour; varying vec3 shade;" +
    "void main() { gl_Position = position; shade = colour; }"));
  gl.attachShader(program, shader(gl.FRAGMENT_SHADER,
    "precision mediump float; varying vec3 shade;" +
    "void main() { gl_FragColor = vec4(clamp(shade, 0.0, 1.0), 1.0); }"));
  gl.bindAttribLocation(program, kPosition, "position");
  gl.bindAttribLocation(program, kColour, "colour");
  gl.linkProgram(program);
}

// Once the module says how a vertex is laid out: the program and its inputs.
function readyWebGl() {
  startWebGl();
  if (!gl) return false;
  gl.useProgram(program);
  buffer = gl.createBuffer();
  gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
  gl.enableVertexAttribArray(kPosition);
  gl.enableVertexAttribArray(kColour);
  const stride = layout.vertex * 4;
  gl.vertexAttribPointer(kPosition, 4, gl.FLOAT, false, stride, 0);
  gl.vertexAttribPointer(kColour, 3, gl.FLOAT, false, stride, layout.vertexColour * 4);
  return true;
}

// The canvas holds as many pixels as the window shows; it is measured when
// its size or the display's scale changes, never in a frame.
function fitCanvas() {
  const scale = window.devicePixelRatio || 1;
  const width = Math.max(1, Math.round(canvas.clientWidth * scale));
  const height = Math.max(1, Math.round(canvas.clientHeight * scale));
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width;
    canvas.height = height;
    if (timer !== null) drawFrame(); // a resized canvas is blank until drawn
  }
}

function drawArrays(mode, count, pointer) {
  if (!count) return;
  const from = pointer >> 2;
  gl.bufferData(gl.ARRAY_BUFFER, Module.HEAPF32.subarray(from, from + count * layout.vertex),
                gl.STREAM_DRAW);
  gl.drawArrays(mode, 0, count);
}

// Draws what the module made of one frame (see web/gl_subset.h).
function drawFrame() {
  const began = performance.now();
  const frame = Module._WebDrawFrame(canvas.width, canvas.height);
  if (!frame) return;
  const f32 = Module.HEAPF32, u32 = Module.HEAPU32, at = frame >> 2;
  const viewport = at + layout.viewport, clear = at + layout.clearColour;
  gl.viewport(u32[viewport] | 0, u32[viewport + 1] | 0, u32[viewport + 2], u32[viewport + 3]);
  if (u32[at + layout.depthTest]) gl.enable(gl.DEPTH_TEST); else gl.disable(gl.DEPTH_TEST);
  gl.depthFunc(u32[at + layout.depthFunc]);
  gl.clearColor(f32[clear], f32[clear + 1], f32[clear + 2], 1);
  gl.clearDepth(1);
  gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
  drawArrays(gl.TRIANGLES, u32[at + layout.triangleVertices], u32[at + layout.triangles]);
  drawArrays(gl.LINES, u32[at + layout.lineVertices], u32[at + layout.lines]);
  const notice = Module._WebDrawingNotice();
  if (notice) appendMessage(Module.UTF8ToString(notice));
  weighFrame(performance.now() - began, u32[at + layout.triangleVertices] + u32[at + layout.lineVertices]);
  if (!firstFrameMarked) performance.mark("first-frame"); // for the bench
  firstFrameMarked = true;
}

// A mobile whose frames take longer than the time between them is said to
// be heavy, once, with its figures: it still moves, more slowly.
let frameCosts = [], heavySaid = false;
function weighFrame(milliseconds, vertices) {
  if (heavySaid || frameCosts.push(milliseconds) < 10) return;
  const average = frameCosts.reduce((a, b) => a + b) / frameCosts.length;
  frameCosts = [];
  const wanted = 1000 / Module._WebFrameMilliseconds();
  if (1000 / average >= wanted) return;
  heavySaid = true;
  tell(`A heavy mobile: ${Module._WebItemCount()} items, ${vertices} vertices a frame, ` +
       `${(1000 / average).toFixed(1)} frames a second of the ${wanted} it moves at.`);
}
function newMobile() {
  frameCosts = [];
  heavySaid = false;
}

// Twenty frames a second while the page is seen; none while it is hidden.
function runFrames() {
  const shown = !document.hidden && !frozen;
  if (shown && timer === null) {
    drawFrame();
    timer = setInterval(drawFrame, Module._WebFrameMilliseconds());
  } else if (!shown && timer !== null) {
    clearInterval(timer);
    timer = null;
  }
}

// The description: parsed by the module a few thousand lines at a time, a
// slice of a few milliseconds between frames and keys, its messages then
// shown as LINE: TEXT. A text given while another is read waits for it and
// takes its place; only the last one waiting is read.
const kSliceLines = 2000, kSliceMilliseconds = 8;
let reading = null, waiting = null;

function loadDescription(source, name = status.textContent) {
  const bytes = typeof source === "string" ? new TextEncoder().encode(source) : source;
  if (reading) { waiting = { bytes, name }; return; }
  const pointer = Module._malloc(Math.max(1, bytes.length));
  if (!pointer) { tell("not enough memory for this description"); return; }
  Module.HEAPU8.set(bytes, pointer);
  Module._WebBeginDescription(pointer, bytes.length);
  reading = { pointer, name };
  status.textContent = reading.name + " (reading…)";
  readSlice();
}

function readSlice() {
  const until = performance.now() + kSliceMilliseconds;
  let replaced;
  do replaced = Module._WebContinueDescription(kSliceLines); while (replaced < 0 && performance.now() < until);
  if (replaced < 0) { setTimeout(readSlice, 0); return; }
  Module._free(reading.pointer);
  status.textContent = reading.name;
  reading = null;
  showMessages(Module.UTF8ToString(Module._WebMessages()));
  if (replaced === 1) newMobile();
  if (waiting) {
    const next = waiting;
    waiting = null;
    loadDescription(next.bytes, next.name);
  }
}

function showMessages(all) {
  messages.replaceChildren();
  for (const line of all.split("\n")) if (line) appendMessage(line);
}

// A message of a line is a button that selects it, for the keyboard too; an
// author warning (the checker's) is marked as one.
function appendMessage(line) {
  const item = document.createElement("li");
  const number = /^(\d+): /.exec(line);
  if (number && !largeText) {
    const button = document.createElement("button");
    button.type = "button";
    button.textContent = line;
    button.addEventListener("click", () => selectLine(Number(number[1])));
    item.append(button);
  } else {
    item.textContent = line;
  }
  if (/^(\d+: )?warning: /.test(line)) item.classList.add("warning");
  messages.append(item);
}

function selectLine(number) {
  if (largeText) return; // not in the editor
  const lines = text.value.split(/\r\n|\r|\n/);
  let start = 0;
  for (let i = 1; i < number && i <= lines.length; i++) start += lines[i - 1].length + 1;
  const line = lines[number - 1] || "";
  text.focus();
  text.setSelectionRange(start, start + line.length);
  const height = text.scrollHeight / Math.max(1, lines.length);
  text.scrollTop = Math.max(0, (number - 3) * height);
}

// What went wrong with something the page was given (a file, the URL), in
// one line over the mobile until it is clicked away.
function tell(line) {
  notice.textContent = line;
  notice.hidden = false;
}

// Refused: too large, or not text. Same limit as the other hosts.
function refuse(name, size, bytes) {
  const limit = Module._WebDescriptionLimit();
  if (size > limit) return `${name}: too large, more than ${limit / 1048576} MB`;
  if (bytes && bytes.includes(0)) return name + ": not a text file (it holds NUL bytes)";
  return null;
}

async function openFile(file) {
  let why = refuse(file.name, file.size, null);
  if (why) { tell(why); return; }
  const bytes = new Uint8Array(await file.arrayBuffer());
  if ((why = refuse(file.name, bytes.length, bytes))) { tell(why); return; }
  replaceText(bytes, file.name);
}

// The body of a response, or null once it is found too large: the download
// is then stopped, whether the server said its length or not.
async function readWithin(response, name, stop) {
  let why = refuse(name, Number(response.headers.get("Content-Length") || 0), null);
  const chunks = [];
  let size = 0;
  for (const reader = response.body.getReader(); !why;) {
    const { done, value } = await reader.read();
    if (done) break;
    chunks.push(value);
    why = refuse(name, (size += value.length), null);
  }
  if (why) { stop.abort(); tell(why); return null; }
  const bytes = new Uint8Array(size);
  for (let at = 0, i = 0; i < chunks.length; at += chunks[i++].length) bytes.set(chunks[i], at);
  if ((why = refuse(name, size, bytes))) { tell(why); return null; }
  return bytes;
}

async function openUrl(value) {
  let url;
  try {
    url = new URL(value, location.href);
  } catch {
    tell(value + ": not a valid address");
    return;
  }
  if (url.origin !== location.origin) {
    tell(value + ": not on this site");
    return;
  }
  const stop = new AbortController();
  try {
    const response = await fetch(url, { signal: stop.signal });
    if (!response.ok) throw new Error(response.status + " " + response.statusText);
    const bytes = await readWithin(response, value, stop);
    if (!bytes) return;
    replaceText(bytes, value);
  } catch (error) {
    tell(value + ": " + error.message);
  }
}

// Edits are kept in the browser's storage as they are parsed, offered back
// on the next visit; until they are saved to a file, leaving the page asks.
const kKeptText = "hangingmobile.description";
let parseTimer = null, unsaved = false, builtinText = "";

function keepEdits() {
  if (largeText) return;
  try {
    localStorage.setItem(kKeptText, text.value);
  } catch {
    status.textContent = "too large to keep in this browser: save it";
  }
}

function editsChanged() {
  unsaved = true;
  clearTimeout(parseTimer);
  parseTimer = setTimeout(() => { loadDescription(text.value); keepEdits(); }, 400);
}
text.addEventListener("input", editsChanged);

// The editor holds this many bytes: a text area with more stalls the page
// for seconds at each key. A larger text is shown as a mobile, not edited.
const kEditorHolds = 1 << 20;
let largeText = null; // such a text's bytes, while it is the one shown

// A whole new text, as a string or as bytes: a file's, the built-in one, the
// kept edits, or the editor's with a paste or a drop too large for it.
function replaceText(value, name) {
  clearTimeout(parseTimer);
  const size = typeof value === "string" ? value.length : value.length;
  largeText = size > kEditorHolds ? (typeof value === "string" ? new TextEncoder().encode(value) : value) : null;
  text.readOnly = largeText !== null;
  text.value = largeText ? "" : typeof value === "string" ? value : new TextDecoder().decode(value);
  text.placeholder = largeText ? `${name}: ${(largeText.length / 1048576).toFixed(1)} MB, more than the editor ` +
    `holds (${kEditorHolds / 1048576} MB). The mobile is shown from it, and Save downloads it.` : "";
  loadDescription(largeText || value, name);
}

// What a paste or a drop of `inserted` makes of the editor's text: too much
// for it and the whole becomes a large text, shown and not edited.
function insertText(inserted) {
  const { selectionStart: from, selectionEnd: to, value } = text;
  if (value.length - (to - from) + inserted.length <= kEditorHolds) return false;
  unsaved = true;
  replaceText(value.slice(0, from) + inserted + value.slice(to), "the text with what was put in");
  return true;
}
text.addEventListener("paste", event => {
  if (insertText(event.clipboardData.getData("text/plain"))) event.preventDefault();
});

window.addEventListener("beforeunload", event => {
  if (!unsaved) return;
  event.preventDefault();
  event.returnValue = "";
});

const offer = document.getElementById("offer");
function offerKeptEdits() {
  const kept = localStorage.getItem(kKeptText);
  if (kept === null || kept === builtinText) return;
  offer.hidden = false;
  document.getElementById("restore").onclick = () => {
    offer.hidden = true;
    replaceText(kept, "your last edits");
    showEditor(true);
  };
  document.getElementById("discard").onclick = () => {
    offer.hidden = true;
    localStorage.removeItem(kKeptText);
  };
}
document.getElementById("builtin").addEventListener("click", () => {
  localStorage.removeItem(kKeptText);
  unsaved = false;
  replaceText(builtinText, "the built-in mobile");
});

notice.addEventListener("click", () => { notice.hidden = true; });
const editButton = document.getElementById("edit");
function showEditor(open) {
  editor.classList.toggle("open", open);
  document.body.classList.toggle("editing", open);
  editButton.setAttribute("aria-expanded", String(open));
}
editButton.addEventListener("click", () => showEditor(!editor.classList.contains("open")));
document.getElementById("open").addEventListener("click", () => document.getElementById("file").click());
document.getElementById("file").addEventListener("change", event => {
  if (event.target.files[0]) openFile(event.target.files[0]);
  event.target.value = "";
});
document.getElementById("save").addEventListener("click", () => {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([largeText || text.value], { type: "text/plain" }));
  link.download = "mobile.txt";
  link.click();
  unsaved = false;
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
});
editor.addEventListener("dragover", event => { event.preventDefault(); editor.classList.add("dropping"); });
editor.addEventListener("dragleave", () => editor.classList.remove("dropping"));
// A dropped file is opened; dropped text goes in where the selection is.
editor.addEventListener("drop", event => {
  event.preventDefault();
  editor.classList.remove("dropping");
  const dropped = event.dataTransfer.getData("text/plain");
  if (event.dataTransfer.files[0]) {
    openFile(event.dataTransfer.files[0]);
  } else if (dropped && !insertText(dropped)) {
    text.setRangeText(dropped, text.selectionStart, text.selectionEnd, "end");
    text.focus();
    editsChanged();
  }
});

// Full screen is the saver: any key but the camera keys, a click or mouse
// travel beyond the threshold leaves it.
const view = document.getElementById("view");
let travelFrom = null;
document.getElementById("fullscreen").addEventListener("click", () => view.requestFullscreen());
document.addEventListener("fullscreenchange", () => { travelFrom = null; });
const leave = () => { if (document.fullscreenElement) document.exitFullscreen(); };
document.addEventListener("keydown", event => {
  if (event.target === text) return;
  if (event.key in cameraKeys) {
    Module._WebCameraKey(cameraKeys[event.key]);
    if (timer !== null) drawFrame(); // the view turns at once, not at the next frame
    event.preventDefault();
  } else {
    leave();
  }
});
view.addEventListener("mousedown", leave);
view.addEventListener("mousemove", event => {
  if (!document.fullscreenElement) return;
  if (!travelFrom) { travelFrom = { x: event.screenX, y: event.screenY }; return; }
  if (Math.abs(event.screenX - travelFrom.x) > mouseThreshold ||
      Math.abs(event.screenY - travelFrom.y) > mouseThreshold) leave();
});

document.addEventListener("visibilitychange", runFrames);
new ResizeObserver(fitCanvas).observe(canvas);
window.addEventListener("resize", fitCanvas);
// A window moved to a screen of another scale keeps its size in CSS pixels,
// so only the display's resolution changing says that the canvas needs more
// (or fewer) pixels of its own.
function watchScale() {
  matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`).addEventListener("change", () => {
    fitCanvas();
    watchScale();
  }, { once: true });
}
watchScale();

// A drag turns the camera as the keys do, a step for each few pixels (left
// and right round, up and down in height), outside full screen, where a
// touch or a click leaves instead.
const kDragPixelsPerStep = 4;
let dragFrom = null;
view.addEventListener("pointerdown", event => {
  if (document.fullscreenElement || !event.isPrimary) return;
  dragFrom = { x: event.clientX, y: event.clientY };
  view.setPointerCapture(event.pointerId);
});
view.addEventListener("pointermove", event => {
  if (!dragFrom || !event.isPrimary) return;
  const step = (along, less, more) => {
    const steps = Math.trunc((event[along] - dragFrom[along === "clientX" ? "x" : "y"]) / kDragPixelsPerStep);
    for (let i = 0; i < Math.abs(steps); i++) Module._WebCameraKey(cameraKeys[steps < 0 ? less : more]);
    return steps * kDragPixelsPerStep;
  };
  dragFrom.x += step("clientX", "ArrowLeft", "ArrowRight");
  dragFrom.y += step("clientY", "ArrowUp", "ArrowDown");
});
const endDrag = () => { dragFrom = null; };
view.addEventListener("pointerup", endDrag);
view.addEventListener("pointercancel", endDrag);

// A start angle from the URL: whole degrees (the module brings them into the
// camera's range), or the default, said so.
function startAngle(name, fallback) {
  const value = params.get(name);
  if (value === null) return fallback;
  if (/^[+-]?\d{1,9}$/.test(value)) return Number(value);
  tell(`${name}=${value}: not a whole number of degrees; ${fallback} is used`);
  return fallback;
}

var Module = {
  onRuntimeInitialized() {
    readContract();
    if (!readyWebGl()) {
      tell("This browser has no WebGL.");
      showEditor(true);
      return;
    }
    fitCanvas();
    Module._WebStart(startAngle("latitude", Module._WebDefaultLatitude()),
                     startAngle("longitude", Module._WebDefaultLongitude()));
    builtinText = Module.UTF8ToString(Module._WebBuiltinText(), Module._WebBuiltinSize());
    text.value = builtinText;
    offerKeptEdits();
    if (params.get("description")) openUrl(params.get("description"));
    runFrames();
    document.title = "Hanging Mobile";
    document.body.dataset.ready = "yes";
  },
};

// For the tests only, with ?test: the clock held still, a frame drawn and
// read back at once (WebGL keeps no frame once it is shown).
if (testMode) {
  window.hangingMobile = {
    hold(now) {
      frozen = true;
      runFrames();
      Module._WebSetTestClock(now);
    },
    restart: (latitude, longitude) => { Module._WebStart(latitude, longitude); newMobile(); },
    read() {
      drawFrame();
      const pixels = new Uint8Array(canvas.width * canvas.height * 4);
      gl.readPixels(0, 0, canvas.width, canvas.height, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
      let binary = "";
      for (let i = 0; i < pixels.length; i += 0x8000)
        binary += String.fromCharCode.apply(null, pixels.subarray(i, i + 0x8000));
      return { width: canvas.width, height: canvas.height, rgba: btoa(binary) };
    },
    camera: () => [Module._WebLatitude(), Module._WebLongitude()],
  };
}
}
