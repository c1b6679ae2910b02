#pragma once
// How the browser views draw, chosen before the QApplication is made.
//
// By default they draw with Qt Quick's software renderer and the engine
// composites its pages without OpenGL (it turns its GPU off by itself for
// that renderer). Then no OpenGL driver is loaded, at start or when the
// engine starts: linking the engine would otherwise make Qt create an
// OpenGL context while the QApplication is built (under Xvfb the software
// driver, about 30 MiB and a tenth of a second), the engine's start would
// load the driver again to probe it, and every window that holds a browser
// would need an OpenGL surface from its first showing. A view drawn in
// software is an ordinary widget: a window keeps its native window when
// the first one comes in. On X11 the process makes no OpenGL context at
// all (Qt's X11 OpenGL integration is "none" for it; the environment that
// programs started from it inherit is left as it was).
//
// A user who names a Qt Quick backend (QT_QUICK_BACKEND, e.g. "rhi" for
// the GPU) gets it, and with it the engine's OpenGL context at start, as
// the engine requires.

namespace browserctl {

// Before the QApplication; once per process.
void prepareBrowserGraphics();
// Whether the views draw in software: no Qt Quick backend named by the
// user, or the software one. The browser sets Qt Quick's graphics API
// before its first view (the engine's module does not load before then).
bool softwareViews();

} // namespace browserctl
