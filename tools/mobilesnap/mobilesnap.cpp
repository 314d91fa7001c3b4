// mobilesnap: renders a mobile description off screen with the saver's own
// parser, dynamics and renderer, and writes a PNG, or an animated GIF when
// asked for several frames.
//
//   mobilesnap [--size WxH] [--at MS] [--latitude D] [--longitude D]
//              [--frames N --interval MS] [-o FILE] [DESCRIPTION]
//
// Without DESCRIPTION it draws the built-in mobile. The projection is the
// one the page and hangingmobile set for a window of that size (the whole
// mobile in a portrait one too); --at is the time in
// milliseconds since the mobile was parsed (its motion's start).
#include <GL/osmesa.h>
#include <gif_lib.h>
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "mobile/builtin.h"
#include "mobile/description_file.h"
#include "mobile/parser.h"
#include "mobile/platform.h"
#include "scene/gl_setup.h"
#include "scene/view.h"

namespace {

struct Options {
    int width = 640;
    int height = 480;
    long at = 0;
    int latitude = kDefaultLatitude;
    int longitude = 0;
    int frames = 1;
    long interval = 100;
    const char* output = nullptr;
    const char* description = nullptr;
};

int Usage() {
    fputs("usage: mobilesnap [--size WxH] [--at MS] [--latitude D] [--longitude D]\n"
          "                  [--frames N --interval MS] [-o FILE] [DESCRIPTION]\n",
          stderr);
    return 2;
}

bool ReadOptions(int argc, char** argv, Options& options) {
    // argv[i] is never null below argc; the second test says so to the analyser.
    for (int i = 1; i < argc && argv[i]; i++) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool takesValue = true;
        if (!strcmp(arg, "--size")) {
            if (!value || sscanf(value, "%dx%d", &options.width, &options.height) != 2)
                return false;
        } else if (!strcmp(arg, "--at") && value) {
            options.at = atol(value);
        } else if (!strcmp(arg, "--latitude") && value) {
            options.latitude = atoi(value);
        } else if (!strcmp(arg, "--longitude") && value) {
            options.longitude = atoi(value);
        } else if (!strcmp(arg, "--frames") && value) {
            options.frames = atoi(value);
        } else if (!strcmp(arg, "--interval") && value) {
            options.interval = atol(value);
        } else if (!strcmp(arg, "-o") && value) {
            options.output = value;
        } else if (arg[0] == '-' || options.description) {
            return false;
        } else {
            options.description = arg;
            takesValue = false;
        }
        if (takesValue)
            i++;
    }
    return options.width > 0 && options.height > 0 && options.width <= 16384 &&
           options.height <= 16384 && options.frames >= 1 && options.frames <= 10000 &&
           options.interval >= 0;
}

// OSMesa's rows run bottom-up; images run top-down.
std::vector<unsigned char> TopDownRgb(const std::vector<unsigned char>& rgba, int width,
                                      int height) {
    std::vector<unsigned char> rgb((size_t)width * height * 3);
    for (int y = 0; y < height; y++) {
        const unsigned char* from = &rgba[(size_t)(height - 1 - y) * width * 4];
        unsigned char* to = &rgb[(size_t)y * width * 3];
        for (int x = 0; x < width; x++) {
            to[x * 3 + 0] = from[x * 4 + 0];
            to[x * 3 + 1] = from[x * 4 + 1];
            to[x * 3 + 2] = from[x * 4 + 2];
        }
    }
    return rgb;
}

bool WritePng(const char* path, const std::vector<unsigned char>& rgb, int width, int height) {
    FILE* file = fopen(path, "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info && !setjmp(png_jmpbuf(png));
    if (ok) {
        png_init_io(png, file);
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; y++)
            png_write_row(png, &rgb[(size_t)y * width * 3]);
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0 && ok;
}

struct GifWriter {
    GifFileType* gif = nullptr;
};

bool StartGif(GifWriter& writer, const char* path, int width, int height) {
    int error = 0;
    writer.gif = EGifOpenFileName(path, false, &error);
    if (!writer.gif)
        return false;
    EGifSetGifVersion(writer.gif, true);
    if (EGifPutScreenDesc(writer.gif, width, height, 8, 0, nullptr) == GIF_ERROR)
        return false;
    // Loop for ever.
    unsigned char netscape[] = "NETSCAPE2.0";
    unsigned char loop[] = {1, 0, 0};
    return EGifPutExtensionLeader(writer.gif, APPLICATION_EXT_FUNC_CODE) != GIF_ERROR &&
           EGifPutExtensionBlock(writer.gif, 11, netscape) != GIF_ERROR &&
           EGifPutExtensionBlock(writer.gif, 3, loop) != GIF_ERROR &&
           EGifPutExtensionTrailer(writer.gif) != GIF_ERROR;
}

bool AddGifFrame(GifWriter& writer, const std::vector<unsigned char>& rgb, int width, int height,
                 long intervalMs) {
    size_t pixels = (size_t)width * height;
    std::vector<GifByteType> red(pixels), green(pixels), blue(pixels), indices(pixels);
    for (size_t i = 0; i < pixels; i++) {
        red[i] = rgb[i * 3];
        green[i] = rgb[i * 3 + 1];
        blue[i] = rgb[i * 3 + 2];
    }
    int colours = 256;
    GifColorType palette[256];
    if (GifQuantizeBuffer(width, height, &colours, red.data(), green.data(), blue.data(),
                          indices.data(), palette) == GIF_ERROR)
        return false;
    ColorMapObject* map = GifMakeMapObject(256, palette);
    GraphicsControlBlock control = {};
    control.DelayTime = (int)(intervalMs / 10);
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    size_t length = EGifGCBToExtension(&control, extension);
    bool ok =
        map &&
        EGifPutExtension(writer.gif, GRAPHICS_EXT_FUNC_CODE, (int)length, extension) != GIF_ERROR &&
        EGifPutImageDesc(writer.gif, 0, 0, width, height, false, map) != GIF_ERROR;
    for (int y = 0; ok && y < height; y++)
        ok = EGifPutLine(writer.gif, &indices[(size_t)y * width], width) != GIF_ERROR;
    GifFreeMapObject(map);
    return ok;
}

bool FinishGif(GifWriter& writer) {
    int error = 0;
    return writer.gif && EGifCloseFile(writer.gif, &error) != GIF_ERROR;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ReadOptions(argc, argv, options))
        return Usage();

    std::vector<char> file;
    const char* text = builtinMobileText;
    uint32_t size = builtinMobileSize;
    if (options.description) {
        // The hosts' own reader and limit: a pipe, a device or a huge file is
        // refused at once rather than read for ever.
        if (const char* why = ReadDescriptionFile(options.description, kDescriptionLimit, file)) {
            fprintf(stderr, "mobilesnap: cannot read %s: %s\n",
                    OneLine(options.description).c_str(), why);
            return 1;
        }
        text = file.data();
        size = (uint32_t)file.size();
    }

    // The motion's clock starts at the parse; frames are taken at set times.
    const uint32_t start = 1000;
    SetTestClock(start);
    Mobile mobile = {};
    ParseMobileDescription(mobile, text, size);

    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    std::vector<unsigned char> pixels((size_t)options.width * options.height * 4);
    if (!context || !OSMesaMakeCurrent(context, pixels.data(), GL_UNSIGNED_BYTE, options.width,
                                       options.height)) {
        fputs("mobilesnap: cannot create an off-screen OpenGL context\n", stderr);
        return 1;
    }
    SetFixedGlState();
    ViewProjection projection = {};
    ReshapeWholeView(projection, mobile.fov, mobile.znear, mobile.zfar, options.width,
                     options.height);

    const char* output =
        options.output ? options.output : (options.frames > 1 ? "mobile.gif" : "mobile.png");
    GifWriter gif;
    bool ok = options.frames == 1 || StartGif(gif, output, options.width, options.height);
    bool cutSaid = false;
    for (int frame = 0; ok && frame < options.frames; frame++) {
        SetTestClock(start + (uint32_t)(options.at + frame * options.interval));
        if (!DrawViewFrame(mobile, options.latitude, options.longitude) && !cutSaid) {
            fprintf(stderr, "mobilesnap: %s\n", kDrawingCutMessage);
            cutSaid = true;
        }
        glFinish();
        std::vector<unsigned char> rgb = TopDownRgb(pixels, options.width, options.height);
        if (options.frames == 1)
            ok = WritePng(output, rgb, options.width, options.height);
        else
            ok = AddGifFrame(gif, rgb, options.width, options.height, options.interval);
    }
    if (options.frames > 1)
        ok = FinishGif(gif) && ok;

    OSMesaDestroyContext(context);
    FreeMobile(mobile);
    if (!ok) {
        fprintf(stderr, "mobilesnap: cannot write %s\n", output);
        return 1;
    }
    return 0;
}
