"use strict";
{ // a block of its own: the module's glue has globals of its own
// The page around the module: the canvas and WebGL, the frame timer, the
// keys, touch and full screen; the editor is editor.js's. The module owns the
// mobile and the camera; each frame it hands back flat arrays that one WebGL
// program draws.
const canvas = document.getElementById("mobile");
const { text, tell, appendMessage, showEditor, openUrl } = window.pageEditor;
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

let gl, program, buffer, timer = null, frozen = false, firstFrameMarked = false, framesDrawn = 0;

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

// Once the module says how a vertex is laid out: the program in use and its
// inputs. WebGL asks whether the program linked when it is put in use, and
// waits for the link, so this comes as late as it can: after the reading.
function readyWebGl() {
  gl.useProgram(program);
  buffer = gl.createBuffer();
  gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
  gl.enableVertexAttribArray(kPosition);
  gl.enableVertexAttribArray(kColour);
  const stride = layout.vertex * 4;
  gl.vertexAttribPointer(kPosition, 4, gl.FLOAT, false, stride, 0);
  gl.vertexAttribPointer(kColour, 3, gl.FLOAT, false, stride, layout.vertexColour * 4);
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
  framesDrawn++;
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

// From the first frame on, the frames follow the page's visibility and the
// canvas its size. (Followed from the start, the canvas would be resized
// before the module runs, a repaint of its own.)
function followThePage() {
  document.addEventListener("visibilitychange", runFrames);
  new ResizeObserver(fitCanvas).observe(canvas);
  window.addEventListener("resize", fitCanvas);
  watchScale();
}
// A window moved to a screen of another scale keeps its size in CSS pixels,
// so only the display's resolution changing says that the canvas needs more
// (or fewer) pixels of its own.
function watchScale() {
  matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`).addEventListener("change", () => {
    fitCanvas();
    watchScale();
  }, { once: true });
}

// A drag turns the camera as the keys do, a step for each few pixels (left
// and right round, up and down in height), outside full screen, where a
// touch or a click leaves instead.
const kDragPixelsPerStep = 4;
let dragFrom = null;
view.addEventListener("pointerdown", event => {
  // Before the module runs there is no camera to turn.
  if (!Module || document.fullscreenElement || !event.isPrimary) return;
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

// The module, compiled once as soon as the page runs and instantiated at the
// start. Its memory can grow but never shrink, so a text read after a large
// one is read into a fresh instance, which takes over when its reading
// replaces the mobile: the grown memory then goes with the old instance.
// (A server that does not say application/wasm is read the slower way.)
const wasmUrl = "hangingmobile.wasm";
const compiled = WebAssembly.compileStreaming(fetch(wasmUrl, { credentials: "same-origin" }))
  .catch(() => fetch(wasmUrl, { credentials: "same-origin" }).then(r => r.arrayBuffer()).then(WebAssembly.compile));
const instantiate = () => HangingMobile({
  instantiateWasm(imports, receive) {
    compiled.then(module => WebAssembly.instantiate(module, imports)).then(receive, moduleFailed);
    return {};
  },
});
// Without its module the page has nothing to show, and says why.
function moduleFailed(error) {
  document.body.classList.add("started");
  tell(`The mobile could not be loaded: ${error.message || error}`);
}
var Module = null; // the instance shown; global, as editor.js and the tests use it
let startMemory = 0, heldClock = null;

function freshModule() {
  return Module.HEAPU8.length > startMemory ? instantiate() : null;
}

// A reading has replaced the mobile in `module`, which takes over when it is
// a fresh instance: at the camera the shown one has, on the tests' clock.
function shownFrom(module) {
  if (module !== Module) {
    module._WebTakeCamera(Module._WebLatitude(), Module._WebLongitude());
    if (heldClock !== null) module._WebSetTestClock(heldClock);
    Module = module;
  }
  frameCosts = [];
  heavySaid = false;
}

instantiate().then(module => {
  Module = module;
  startMemory = Module.HEAPU8.length;
  readContract();
  // Sized before its context is made, the canvas gets its drawing buffer
  // once, at its size, instead of again when resized.
  fitCanvas();
  startWebGl();
  if (!gl) {
    document.body.classList.add("started");
    tell("This browser has no WebGL.");
    showEditor(true);
    return;
  }
  Module._WebStart(startAngle("latitude", Module._WebDefaultLatitude()),
                   startAngle("longitude", Module._WebDefaultLongitude()));
  readyWebGl();
  // The first frame before anything else; the buttons and the editor are
  // laid out and filled after it (page.css keeps them out until then).
  runFrames();
  followThePage();
  document.body.classList.add("started");
  window.pageEditor.start(Module.UTF8ToString(Module._WebBuiltinText(), Module._WebBuiltinSize()),
                          { freshModule, shownFrom });
  if (params.get("description")) openUrl(params.get("description"));
  document.title = "Hanging Mobile";
  document.body.dataset.ready = "yes";
});

// For the tests only, with ?test: the clock held still, a frame drawn and
// read back at once (WebGL keeps no frame once it is shown).
if (testMode) {
  window.hangingMobile = {
    hold(now) {
      frozen = true;
      runFrames();
      Module._WebSetTestClock((heldClock = now));
    },
    restart: (latitude, longitude) => { Module._WebStart(latitude, longitude); shownFrom(Module); },
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
    frames: () => framesDrawn,
  };
}
}
