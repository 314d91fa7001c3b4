#include "tools/bench/generate.h"

#include <stdio.h>

static void Append(std::string& text, const char* format, double a = 0, double b = 0,
                   double c = 0) {
    char line[200];
    snprintf(line, sizeof line, format, a, b, c);
    text += line;
}

std::string GenerateDescription(int scale) {
    std::string text =
        "// Generated mobile for measurements.\r\n"
        "perspective: 45,3,90 lookat=22 timef=1 background=0.1,0.1,0.2  perimeter=52  "
        "thread=0.08,0.2,0.2,0.3 periodicity=0\r\n";
    int items = 11 * scale, blocks = 8 * scale;
    char line[200];
    for (int n = 1; n <= items; n++) {
        int desc = 1 + (n - 1) % blocks;
        // With an even count the last branch has one child, hung on both arms.
        if (2 * n <= items)
            snprintf(line, sizeof line,
                     "branch %d: desc=%d mass=0.2 radius=4 above=5.5 string=0.1 "
                     "left=-2.9,-0.3,%d right=3.3,-0.3,%d\r\n",
                     n, desc, 2 * n, 2 * n + 1 <= items ? 2 * n + 1 : 2 * n);
        else
            snprintf(line, sizeof line, "end %d: desc=%d mass=0.3 radius=2 above=4 string=0.06\r\n",
                     n, desc);
        text += line;
    }
    for (int d = 1; d <= blocks; d++) {
        snprintf(line, sizeof line, "\r\n// piece %d\r\ndesc %d: offset=4,10,4 scale=0.5\r\n", d,
                 d);
        text += line;
        // 90 vertices: 14 triangles, then 12 quads; 58 colours (59 in every
        // eighth block), one before most vertices.
        int colours = 58 + (d % 8 == 1 ? 1 : 0);
        int vertex = 0;
        for (int group = 0; group < 2; group++) {
            text += group == 0 ? "sglBegin(GL_TRIANGLES);\r\n" : "sglBegin(GL_QUADS);\r\n";
            int count = group == 0 ? 42 : 48;
            for (int i = 0; i < count; i++, vertex++) {
                if (vertex < colours)
                    Append(text, "sglColor3(%.2f,%.2f,%.2f);\r\n", 0.35 + 0.01 * (vertex % 40),
                           0.82 - 0.01 * (vertex % 30), 0.35);
                Append(text, "sglVertex3(%.1f,%.1f,%.1f);", vertex % 9 * 0.5, vertex % 13 * -0.5,
                       vertex % 5 - 2.0);
                snprintf(line, sizeof line, "         // %d\r\n", vertex + 1);
                text += line;
            }
            text += "sglEnd();\r\n";
        }
    }
    return text;
}
