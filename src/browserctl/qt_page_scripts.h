#pragma once
// The scripts the browser runs in its pages. They live as files of their
// own (page_scripts/*.js), compiled into the library as resources and read
// once.

#include "ui/qt_keywords.h"

#include <QString>
#include <QWebEngineScript>

namespace browserctl::detail {

// The document calls: "(function (args) {...})", to be called with the
// call's arguments as JSON. Runs in the application's world.
const QString& documentCallsScript();
// The settle watch, called the same way when a watch is armed.
const QString& settleWatchScript();

// At the creation of every document, in the application's world: frame
// reports, and the top document's count of pending requests.
QWebEngineScript documentStartScript();
// At the creation of the top document, in the page's world: the requests
// of the page's scripts, told to the application's world.
QWebEngineScript requestCounterScript();

// The tags of the console messages that report a frame's load and a
// settled document. Random per run, so a page's own console output cannot
// pass for one by accident, and the application's world alone knows them.
const QString& frameReportTag();
const QString& settleReportTag();

} // namespace browserctl::detail
