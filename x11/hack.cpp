#include "x11/hack.h"

#include "scene/dynamics.h"
#include "scene/gl_setup.h"
#include "scene/renderer.h"
#include "x11/gl_context.h"

bool InitHack(Hack& hack, const HackOptions& options) {
    hack = Hack{};
    hack.latitude = options.latitude;
    hack.longitude = options.longitude;
    hack.source.path = options.description;
    if (!OpenDrawTarget(hack.target, options))
        return false;
    hack.context = StartGlContext(hack.target);
    if (!hack.context)
        return false;
    // Last, so that the clock starts as close to the first frame as it can.
    return LoadDescription(hack.source, hack.mobile) || options.watch;
}

void ReshapeHack(Hack& hack) {
    const DrawTarget& target = hack.target;
    if (target.width == hack.projectedWidth && target.height == hack.projectedHeight)
        return;
    // A window of no height has no aspect; it draws nothing until it has one.
    if (target.width <= 0 || target.height <= 0)
        return;
    ApplyProjection(hack.mobile.fov, hack.mobile.znear, hack.mobile.zfar, target.width,
                    target.height);
    hack.projectedWidth = target.width;
    hack.projectedHeight = target.height;
}

void DrawHack(Hack& hack) {
    ReshapeHack(hack);
    UpdateAngles(hack.mobile);
    DrawMobileFrame(hack.mobile, hack.latitude, hack.longitude, &hack.target);
}

void FreeHack(Hack& hack) {
    if (hack.target.display && !drawTargetGone)
        StopGlContext(hack.target, hack.context);
    CloseDrawTarget(hack.target);
    FreeMobile(hack.mobile);
}
