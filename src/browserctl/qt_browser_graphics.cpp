#include "browserctl/qt_browser_graphics.h"

#include "ui/qt_keywords.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QOpenGLContext>

// Qt's global share context, the one OpenGL context every other shares
// with. Exported by QtGui, declared only in its private headers; the
// engine sets it the same way.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
QT_END_NAMESPACE

namespace browserctl {

namespace {

const char* const xcbGlVariable = "QT_XCB_GL_INTEGRATION";

QOpenGLContext* placeholder = nullptr;
bool userHadXcbGl = false;
QByteArray userXcbGl;

void dropPlaceholder()
{
    if (qt_gl_global_share_context() == placeholder)
        qt_gl_set_global_share_context(nullptr);
    delete placeholder;
    placeholder = nullptr;
}

// While the QApplication is built, with the platform in place: X11's
// OpenGL integration is chosen once, on its first use, and "none" is
// chosen now. The variable then goes back to what the user had, so no
// program started from here inherits it.
void settleXcbOpenGl()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        QOpenGLContext::supportsThreadedOpenGL();
    if (userHadXcbGl)
        qputenv(xcbGlVariable, userXcbGl);
    else
        qunsetenv(xcbGlVariable);
}

} // namespace

bool softwareViews()
{
    for (const char* name : {"QT_QUICK_BACKEND", "QMLSCENE_DEVICE"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            return value == "software";
    }
    return true;
}

void prepareBrowserGraphics()
{
    if (!softwareViews()) {
        // The views draw through OpenGL textures shared with the engine's
        // compositor: the contexts must share from the start.
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        return;
    }
    if (placeholder)
        return;
    // The engine's library brings a start-up routine that creates and sets
    // the global share context, unless one is set already: while the
    // QApplication is built when the library is linked (the tests), at once
    // when it is loaded later (the program's module, which only warns when
    // none is set). Nothing draws with OpenGL here, so
    // a context that is never created stands in for it: no driver is
    // loaded. No context shares with it either: Qt asks for sharing only
    // under Qt::AA_ShareOpenGLContexts, left unset, and the engine only
    // when it composites with OpenGL, which it does not for software views.
    placeholder = new QOpenGLContext;
    qt_gl_set_global_share_context(placeholder);
    qAddPostRoutine(dropPlaceholder);
    // When it starts, the engine still asks whether OpenGL works from
    // several threads; on X11 Qt answers by making a context, which loads
    // the driver (about 35 MiB under Xvfb) for an answer software views
    // never use. Without X11's OpenGL integration the answer is a plain no.
    userHadXcbGl = qEnvironmentVariableIsSet(xcbGlVariable);
    userXcbGl = qgetenv(xcbGlVariable);
    qputenv(xcbGlVariable, "none");
    qAddPreRoutine(settleXcbOpenGl);
}

} // namespace browserctl
