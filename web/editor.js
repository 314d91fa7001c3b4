"use strict";
{ // a block of its own, as the page's: what the page uses is pageEditor
// The editor beside the mobile: the description's text, read by the module
// a slice at a time, its messages and warnings by line, files and addresses
// (refused with a word when they must be), the edits kept in the browser,
// and the notice that says what went wrong with what the page was given.
const editor = document.getElementById("editor");
const text = document.getElementById("text");
const messages = document.getElementById("messages");
const status = document.getElementById("status");
const notice = document.getElementById("notice");

// The description: parsed by the module a few thousand lines at a time, a
// slice of a few milliseconds between frames and keys, its messages then
// shown as LINE: TEXT. A text given while another is read waits for it and
// takes its place; only the last one waiting is read.
const kSliceLines = 2000, kSliceMilliseconds = 8;
let reading = null, waiting = null;

function loadDescription(source, name = status.textContent) {
  const bytes = typeof source === "string" ? new TextEncoder().encode(source) : source;
  if (reading) { waiting = { bytes, name }; return; }
  reading = { name, module: null, pointer: 0 };
  status.textContent = name + " (reading…)";
  const fresh = page.freshModule();
  if (fresh) fresh.then(module => beginReading(module, bytes), () => beginReading(Module, bytes));
  else beginReading(Module, bytes);
}

function beginReading(module, bytes) {
  const pointer = module._malloc(Math.max(1, bytes.length));
  if (!pointer) {
    tell("not enough memory for this description");
    endReading();
    return;
  }
  module.HEAPU8.set(bytes, pointer);
  module._WebBeginDescription(pointer, bytes.length);
  Object.assign(reading, { module, pointer });
  readSlice();
}

function readSlice() {
  const { module } = reading, until = performance.now() + kSliceMilliseconds;
  let replaced;
  do replaced = module._WebContinueDescription(kSliceLines); while (replaced < 0 && performance.now() < until);
  if (replaced < 0) { setTimeout(readSlice, 0); return; }
  module._free(reading.pointer);
  showMessages(module.UTF8ToString(module._WebMessages()));
  if (replaced === 1) page.shownFrom(module);
  endReading();
}

function endReading() {
  status.textContent = reading.name;
  reading = null;
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

// The editor's start, once the module runs: the built-in text in it, the
// kept edits offered back, and the page's part in a reading: the instance
// to read into (null: the shown one), and who is told when one replaced the
// mobile.
let page = null;
function startEditor(builtin, pageHooks) {
  builtinText = builtin;
  page = pageHooks;
  text.value = builtin;
  offerKeptEdits();
}

window.pageEditor = { text, tell, appendMessage, showEditor, openUrl, start: startEditor };
}
