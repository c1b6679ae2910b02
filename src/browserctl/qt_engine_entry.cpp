// The engine's entry points, in one table: the module's one exported
// symbol, which the program looks up by name.

#include <QQuickWidget>
#include <QtGlobal>

#include "browserctl/qt_engine.h"
#include "browserctl/qt_web_browser.h"

namespace {

void addWindowSurface(QWidget* window)
{
    static const QString name = QStringLiteral("browserSurface");
    if (window->findChild<QQuickWidget*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* surface = new QQuickWidget(window);
    surface->setObjectName(name);
    surface->setAttribute(Qt::WA_TransparentForMouseEvents);
    surface->setFocusPolicy(Qt::NoFocus);
    surface->setGeometry(0, 0, 0, 0);
    surface->hide();
}

} // namespace

extern "C" Q_DECL_EXPORT const browserctl::EngineEntry* vantrel_engine_entry()
{
    static const browserctl::EngineEntry entry{browserctl::EngineEntryVersion,   &browserctl::configureBrowserProfile,
                                               &browserctl::closeBrowserProfile, &browserctl::makeQtWebBrowser,
                                               &browserctl::qtWebBrowserWidget,  &addWindowSurface};
    return &entry;
}
