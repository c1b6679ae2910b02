#include "browserctl/qt_browser_graphics.h"

#include "ui/qt_keywords.h"

#include <QCoreApplication>
#include <QOpenGLContext>
#include <QQuickWindow>

// Qt's global share context, the one OpenGL context every other shares
// with. Exported by QtGui, declared only in its private headers; the
// engine sets it the same way.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
QT_END_NAMESPACE

namespace browserctl {

namespace {

QOpenGLContext* placeholder = nullptr;

void dropPlaceholder()
{
    if (qt_gl_global_share_context() == placeholder)
        qt_gl_set_global_share_context(nullptr);
    delete placeholder;
    placeholder = nullptr;
}

bool backendChosenByUser()
{
    for (const char* name : {"QT_QUICK_BACKEND", "QMLSCENE_DEVICE"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            return value != "software";
    }
    return false;
}

} // namespace

void prepareBrowserGraphics()
{
    if (backendChosenByUser()) {
        // The views draw through OpenGL textures shared with the engine's
        // compositor: the contexts must share from the start.
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        return;
    }
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    if (placeholder)
        return;
    // Loading the engine's library registers a start-up routine that
    // creates and sets the global share context while the QApplication is
    // built, unless one is set already. Nothing draws with OpenGL here, so
    // a context that is never created stands in for it: no driver is
    // loaded. No context shares with it either: Qt asks for sharing only
    // under Qt::AA_ShareOpenGLContexts, left unset, and the engine only
    // when it composites with OpenGL, which it does not for software views.
    placeholder = new QOpenGLContext;
    qt_gl_set_global_share_context(placeholder);
    qAddPostRoutine(dropPlaceholder);
}

} // namespace browserctl
