#include <math.h>

#include "tools/mobilecheck/check.h"

// Nine significant digits give every float back exactly; JSON has no
// spelling for the non-finite ones, so they go as strings.
static void Float(FILE* out, float value) {
    if (isnan(value))
        fputs("\"nan\"", out);
    else if (isinf(value))
        fputs(value > 0 ? "\"inf\"" : "\"-inf\"", out);
    else
        fprintf(out, "%.9g", (double)value);
}

static void Floats(FILE* out, const float* values, int count) {
    fputc('[', out);
    for (int i = 0; i < count; i++) {
        if (i > 0)
            fputc(',', out);
        Float(out, values[i]);
    }
    fputc(']', out);
}

static void Field(FILE* out, const char* name, float value) {
    fprintf(out, "\"%s\":", name);
    Float(out, value);
    fputc(',', out);
}

static void Hanging(FILE* out, const char* name, const Attachment& at) {
    fprintf(out, "\"%s\":[", name);
    Float(out, at.x);
    fputc(',', out);
    Float(out, at.y);
    fprintf(out, ",%d]", (int)at.item);
}

static void Item(FILE* out, const MobileItem& item) {
    if (!item.defined) {
        fputs("null", out);
        return;
    }
    fprintf(out, "{\"isend\":%s,\"desc\":%d,", item.isend ? "true" : "false", (int)item.desc);
    Field(out, "mass", item.mass);
    Field(out, "radius", item.radius);
    Field(out, "above", item.above);
    Field(out, "string", item.string);
    Hanging(out, "left", item.left);
    fputc(',', out);
    Hanging(out, "right", item.right);
    fputc(',', out);
    Field(out, "totalmass", item.totalmass);
    Field(out, "omega", item.omega);
    fputs("\"angle\":", out);
    Float(out, item.angle);
    fputc('}', out);
}

static void Command(FILE* out, const ShapeCommand& command) {
    static const char* const names[] = {"Color3",     "BeginTriangles", "BeginQuads",
                                        "BeginLines", "Vertex3",        "End"};
    if (command.op < Color3 || command.op > End) {
        fprintf(out, "[\"op%d\"]", (int)command.op);
        return;
    }
    fprintf(out, "[\"%s\"", names[command.op]);
    if (command.op == Color3 || command.op == Vertex3)
        for (int i = 0; i < 3; i++) {
            fputc(',', out);
            Float(out, command.values[i]);
        }
    fputc(']', out);
}

void PrintJson(FILE* out, const Mobile& mobile) {
    fputc('{', out);
    Field(out, "fov", mobile.fov);
    Field(out, "znear", mobile.znear);
    Field(out, "zfar", mobile.zfar);
    Field(out, "lookat", mobile.lookat);
    fputs("\"background\":", out);
    Floats(out, mobile.background, 3);
    fputc(',', out);
    Field(out, "timef", mobile.timef);
    Field(out, "perimeter", mobile.perimeter);
    Field(out, "thread", mobile.thread);
    fputs("\"threadcolour\":", out);
    if (mobile.hasThreadcolour)
        Floats(out, mobile.threadcolour, 3);
    else
        fputs("null", out);
    fputc(',', out);
    Field(out, "periodicity", mobile.periodicity);
    fputs("\n\"items\":[", out);
    for (uint32_t n = 0; n < mobile.items.count; n++) {
        fputs(n > 0 ? ",\n" : "\n", out);
        Item(out, mobile.items[n]);
    }
    fputs("],\n\"shapes\":[", out);
    for (uint32_t d = 0; d < mobile.shapes.count; d++) {
        fputs(d > 0 ? ",\n[" : "\n[", out);
        const ShapeList& list = mobile.shapes[d];
        for (uint32_t i = 0; i < list.count; i++) {
            if (i > 0)
                fputc(',', out);
            Command(out, list[i]);
        }
        fputc(']', out);
    }
    fputs("]}\n", out);
}
