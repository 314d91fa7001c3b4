// Real pixels: the renderer drawing through Mesa's off-screen OpenGL, with
// the projection the saver sets for a window of that size.
#include <GL/osmesa.h>
#include <gtest/gtest.h>
#include <math.h>

#include <string>
#include <vector>

#include "mobile/parser.h"
#include "mobile/platform.h"
#include "scene/gl_setup.h"
#include "scene/renderer.h"

namespace {

const int kWidth = 200, kHeight = 150;

// Camera level with the aim point on the +x side (latitude 0, longitude 0):
// +z shows on the left of the picture, y upwards.
const char* kScene =
    "perspective: 45,3,90 lookat=10 timef=1 background=0,0,1 perimeter=40 "
    "thread=0.5,0,1,0 periodicity=0\n"
    "branch 1: desc=0 mass=1 radius=1 above=2 string=1 left=-8,-4,2 right=0,0,0\n"
    "end 2: desc=1 mass=1 radius=1 above=2 string=1\n"
    "desc 1: offset=0,0,0 scale=1\n"
    "sglColor3(1,0,0);\n"
    "sglBegin(GL_QUADS);\n"
    "sglVertex3(-1,-2,0); sglVertex3(1,-2,0); sglVertex3(1,0,0); sglVertex3(-1,0,0);\n"
    "sglVertex3(0,-2,-1); sglVertex3(0,-2,1); sglVertex3(0,0,1); sglVertex3(0,0,-1);\n"
    "sglEnd();\n";

struct Offscreen {
    std::vector<unsigned char> pixels = std::vector<unsigned char>(kWidth * kHeight * 4);
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    Mobile mobile = {};

    Offscreen() {
        OSMesaMakeCurrent(context, pixels.data(), GL_UNSIGNED_BYTE, kWidth, kHeight);
        OSMesaPixelStore(OSMESA_Y_UP, 0); // row 0 at the top, as on screen
        SetFixedGlState();
        SetTestClock(1000);
        std::string text = kScene;
        // One shape command per line, as the parser reads them.
        for (size_t at; (at = text.find("; sgl")) != std::string::npos;)
            text.replace(at, 2, ";\n");
        ParseMobileDescription(mobile, text.data(), (uint32_t)text.size());
        ApplyProjection(mobile.fov, mobile.znear, mobile.zfar, kWidth, kHeight);
    }
    ~Offscreen() {
        FreeMobile(mobile);
        OSMesaDestroyContext(context);
        ClearTestClock();
    }
    void Draw(float angle1) {
        for (uint32_t i = 0; i < mobile.items.count; i++)
            mobile.items[i].angle = 0;
        mobile.items[1].angle = angle1;
        DrawMobileView(mobile, 0, 0);
        glFinish();
    }
    unsigned Pixel(int x, int y) const {
        const unsigned char* p = &pixels[(y * kWidth + x) * 4];
        return p[0] << 16 | p[1] << 8 | p[2];
    }
    // The mean column of the pure red pixels, -1 when there are none.
    double RedColumn() const {
        double sum = 0;
        int count = 0;
        for (int y = 0; y < kHeight; y++)
            for (int x = 0; x < kWidth; x++)
                if (Pixel(x, y) == 0xff0000) {
                    sum += x;
                    count++;
                }
        return count ? sum / count : -1;
    }
};

// The column where a point at height y, depth 0 and sideways offset z
// lands: the eye is 40 units out on +x, level with y = -10.
double ProjectedColumn(double z) {
    double focal = (kHeight / 2.0) / tan(22.5 * M_PI / 180.0);
    return kWidth / 2.0 - z / 40.0 * focal;
}

} // namespace

TEST(Offscreen, ClearsToTheBackgroundAndDrawsStringsInTheThreadColour) {
    Offscreen view;
    view.Draw(0);
    EXPECT_EQ(0x0000ffu, view.Pixel(5, 5));
    EXPECT_EQ(0x0000ffu, view.Pixel(kWidth - 5, kHeight - 5));
    // Item 1's string runs from the top suspension point (y = 0) down to
    // y = -2 at the middle column: above the aim point, in the upper half.
    int greenInMiddleColumn = 0;
    for (int y = 0; y < kHeight / 2; y++)
        greenInMiddleColumn += view.Pixel(kWidth / 2, y) == 0x00ff00;
    EXPECT_GT(greenInMiddleColumn, 3);
}

TEST(Offscreen, AnItemTurnedBy90DegreesSwingsItsChildRoundToPlusZ) {
    Offscreen view;
    view.Draw(0);
    // The child hangs at x = -8, straight behind the aim point as seen from +x.
    EXPECT_NEAR(kWidth / 2.0, view.RedColumn(), 1.0);
    view.Draw(90);
    // Turned by +90 degrees about +y, -8 on x becomes +8 on z: left of centre.
    EXPECT_NEAR(ProjectedColumn(8), view.RedColumn(), 2.0);
    view.Draw(-90);
    EXPECT_NEAR(ProjectedColumn(-8), view.RedColumn(), 2.0);
}
