// The browser host: the page (index.html) calls these through the module's
// exports. It owns the camera and the mobile; the page owns the canvas,
// WebGL, the timer, the keys and the editor.
#include <emscripten/emscripten.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "mobile/author_check.h"
#include "mobile/builtin.h"
#include "mobile/description_file.h"
#include "mobile/parser.h"
#include "mobile/platform.h"
#include "scene/camera.h"
#include "scene/gl_setup.h"
#include "scene/view.h"
#include "web/gl_subset.h"

namespace {

struct WebHost {
    Mobile mobile;
    int32_t latitude;
    int32_t longitude;
    ViewProjection projection;
    char* messages; // the last parse's, one "LINE: TEXT" per line
    size_t messagesLength;
    size_t messagesCapacity;
    uint32_t messageCount;
    bool cutSaid;      // this mobile's frames were found too costly to draw whole
    bool cutNews;      // ... and the page has not been told yet
    AuthorParse parse; // the text being read, a few lines at a time
    Mobile fresh;      // ... and the mobile it makes
};

WebHost web = {};

void AppendMessageText(const char* text, size_t length) {
    if (web.messagesLength + length + 1 > web.messagesCapacity) {
        size_t capacity = (web.messagesLength + length + 1) * 2;
        char* grown = (char*)realloc(web.messages, capacity);
        if (!grown)
            return;
        web.messages = grown;
        web.messagesCapacity = capacity;
    }
    memcpy(web.messages + web.messagesLength, text, length);
    web.messagesLength += length;
    web.messages[web.messagesLength] = 0;
}

// The checker's lines without the file name: "LINE: TEXT", or only the text
// for the description as a whole; an author warning's text after "warning: ".
void CollectMessage(const Report& report) {
    if (++web.messageCount > kPrintedReports)
        return;
    char text[320];
    const char* kind = report.warning ? "warning: " : "";
    int length = report.line ? snprintf(text, sizeof text, "%u: %s%s\n", (unsigned)report.line,
                                        kind, report.text.c_str())
                             : snprintf(text, sizeof text, "%s%s\n", kind, report.text.c_str());
    if (length > 0)
        AppendMessageText(text, (size_t)length < sizeof text ? (size_t)length : sizeof text - 1);
}

void ClearMessages() {
    web.messagesLength = 0;
    web.messageCount = 0;
    AppendMessageText("", 0);
}

// A new mobile on the screen: its own perspective, its cut not yet said.
void Shown() {
    web.projection.known = false;
    web.cutSaid = web.cutNews = false;
}

// The camera keys by the page's names for them (KeyboardEvent.key).
struct PageKey {
    const char* name;
    CameraKey key;
};
const PageKey kPageKeys[] = {
    {"PageUp", CameraPageUp},    {"PageDown", CameraPageDown}, {"End", CameraEnd},
    {"Home", CameraHome},        {"ArrowLeft", CameraLeft},    {"ArrowUp", CameraUp},
    {"ArrowRight", CameraRight}, {"ArrowDown", CameraDown},
};

// Where the page finds what it reads, in 32-bit words: each field of a
// frame from the frame's start, and a vertex's size and its colour.
struct LayoutWord {
    const char* name;
    uint32_t word;
};
#define FRAME_FIELD(field)                                                                         \
    { #field, (uint32_t)(offsetof(WebFrame, field) / 4) }
const LayoutWord kLayout[] = {
    FRAME_FIELD(clearColour),      FRAME_FIELD(viewport),
    FRAME_FIELD(depthTest),        FRAME_FIELD(depthFunc),
    FRAME_FIELD(triangleVertices), FRAME_FIELD(triangles),
    FRAME_FIELD(lineVertices),     FRAME_FIELD(lines),
    {"vertex", kWebVertexFloats},  {"vertexColour", kWebVertexColour},
};
#undef FRAME_FIELD

const uint32_t kPageKeyCount = sizeof kPageKeys / sizeof kPageKeys[0];
const uint32_t kLayoutCount = sizeof kLayout / sizeof kLayout[0];

} // namespace

extern "C" {

// The camera at the given angles, brought into its range: the start's, or
// where another instance of this module had it, when this one takes over
// with a text read into fresh memory.
EMSCRIPTEN_KEEPALIVE void WebTakeCamera(int32_t latitude, int32_t longitude) {
    web.latitude = latitude;
    web.longitude = longitude;
    KeepStartInRange(web.latitude, web.longitude);
}

// Shows the built-in mobile from the given camera; its parse starts the motion.
EMSCRIPTEN_KEEPALIVE void WebStart(int32_t latitude, int32_t longitude) {
    WebTakeCamera(latitude, longitude);
    Mobile fresh = {};
    ParseMobileDescription(fresh, builtinMobileText, builtinMobileSize);
    FreeMobile(web.mobile);
    web.mobile = fresh;
    Shown();
}

EMSCRIPTEN_KEEPALIVE int32_t WebDefaultLatitude() {
    return kDefaultLatitude;
}
EMSCRIPTEN_KEEPALIVE int32_t WebDefaultLongitude() {
    return kDefaultLongitude;
}
EMSCRIPTEN_KEEPALIVE uint32_t WebFrameMilliseconds() {
    return kFrameMilliseconds;
}
EMSCRIPTEN_KEEPALIVE uint32_t WebDescriptionLimit() {
    return kDescriptionLimit;
}
EMSCRIPTEN_KEEPALIVE const char* WebBuiltinText() {
    return builtinMobileText;
}
EMSCRIPTEN_KEEPALIVE uint32_t WebBuiltinSize() {
    return builtinMobileSize;
}
EMSCRIPTEN_KEEPALIVE int32_t WebLatitude() {
    return web.latitude;
}
EMSCRIPTEN_KEEPALIVE int32_t WebLongitude() {
    return web.longitude;
}

// One frame for a canvas of the given size, as flat arrays for WebGL; null
// for a canvas of no area.
EMSCRIPTEN_KEEPALIVE const WebFrame* WebDrawFrame(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0)
        return nullptr;
    ReshapeWholeView(web.projection, web.mobile.fov, web.mobile.znear, web.mobile.zfar, width,
                     height);
    BeginWebFrame();
    if (!DrawViewFrame(web.mobile, web.latitude, web.longitude) && !web.cutSaid)
        web.cutSaid = web.cutNews = true;
    return &WebFrameData();
}

// Once per mobile, after the first frame that could not draw all of it: the
// words to show with the parser's messages. Null otherwise.
EMSCRIPTEN_KEEPALIVE const char* WebDrawingNotice() {
    if (!web.cutNews)
        return nullptr;
    web.cutNews = false;
    return kDrawingCutMessage;
}

// How many items hang from item 1, each counted once: a figure for the page
// to give when a mobile is too heavy for the frame rate.
EMSCRIPTEN_KEEPALIVE uint32_t WebItemCount() {
    return web.mobile.reachable.count;
}

// One of the eight camera keys, as WebCameraKeyNumber numbers it.
EMSCRIPTEN_KEEPALIVE void WebCameraKey(int32_t key) {
    if (key >= CameraPageUp && key <= CameraDown)
        TurnCamera(web.latitude, web.longitude, (CameraKey)key);
}

// The page's name of camera key `index` (0 on), null past the last, and the
// number WebCameraKey takes for it.
EMSCRIPTEN_KEEPALIVE const char* WebCameraKeyName(uint32_t index) {
    return index < kPageKeyCount ? kPageKeys[index].name : nullptr;
}
EMSCRIPTEN_KEEPALIVE int32_t WebCameraKeyNumber(uint32_t index) {
    return index < kPageKeyCount ? (int32_t)kPageKeys[index].key : -1;
}

// The name of layout entry `index` (0 on), null past the last, and its word.
EMSCRIPTEN_KEEPALIVE const char* WebLayoutName(uint32_t index) {
    return index < kLayoutCount ? kLayout[index].name : nullptr;
}
EMSCRIPTEN_KEEPALIVE uint32_t WebLayoutWord(uint32_t index) {
    return index < kLayoutCount ? kLayout[index].word : 0;
}

EMSCRIPTEN_KEEPALIVE uint32_t WebMouseThreshold() {
    return kDefaultMouseThreshold;
}

// Starts parsing an author's text, which WebContinueDescription reads on.
// The bytes stay where they are until it has finished.
EMSCRIPTEN_KEEPALIVE void WebBeginDescription(const char* bytes, uint32_t count) {
    web.fresh = Mobile{};
    StartAuthorParse(web.parse, web.fresh, bytes, count);
}

// Parses up to `lines` more lines of the text begun: -1 while there are
// more. At the end the text replaces the mobile as ReplaceWithReading says
// (its motion then starts again): 1 when it did, 0 when not, the parser's
// messages and the author warnings then in WebMessages. What the parse
// needed is given back.
EMSCRIPTEN_KEEPALIVE int32_t WebContinueDescription(uint32_t lines) {
    if (!ContinueAuthorParse(web.parse, lines))
        return -1;
    ClearMessages();
    Check& check = web.parse.check;
    AddWarnings(check, web.fresh);
    for (const Report& report : check.reports)
        CollectMessage(report);
    if (web.messageCount > kPrintedReports) {
        char more[64];
        int length = snprintf(more, sizeof more, "(%u more)\n",
                              (unsigned)(web.messageCount - kPrintedReports));
        AppendMessageText(more, (size_t)length);
    }
    web.parse = AuthorParse{};
    if (!ReplaceWithReading(web.mobile, web.fresh))
        return 0;
    Shown();
    return 1;
}

EMSCRIPTEN_KEEPALIVE const char* WebMessages() {
    return web.messages ? web.messages : "";
}

// For the tests only: the motion's clock stands still at `now`.
EMSCRIPTEN_KEEPALIVE void WebSetTestClock(uint32_t now) {
    SetTestClock(now);
}

int main() {
    SetFixedGlState();
    return 0;
}

} // extern "C"
