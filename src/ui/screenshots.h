#pragma once
// A developer's aid (make screenshots): with VANTREL_SCREENSHOTS=DIR the
// program shows all six windows where they start, writes each one as
// DIR/<form name>.png, the screen as they cover it as DIR/screen.png and
// each window once more for every other page of its page controls with a
// few pages (DIR/<form>-<page control>-<page>.png), lists on standard error every widget whose text does not fit its
// place, and ends.

#include <QString>

#include <string>
#include <vector>

class QWidget;

namespace framework {
class Application;
}

namespace ui {

class Binder;

// Every visible label, button, check or radio button, tool button, group
// box caption, tab caption and fixed grid cell (and the marks of a word
// list) under the windows whose text is wider (or higher) than the room its
// widget gives it, as "window/widget: "text" (needs N, has M)". With
// allPages every page of every tab widget is looked at in turn (the model
// is not told).
std::vector<std::string> clippedTexts(const std::vector<QWidget*>& windows, bool allPages);

void takeScreenshots(framework::Application& app, Binder& binder, const QString& folder);

} // namespace ui
