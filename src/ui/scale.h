#pragma once
// Design units to pixels. The window definitions give every size, position
// and font size in the units of the original platform's interface font
// (8 points at 96 dpi: about 11 pixels high, 5 to 6 pixels per average
// character). Here the interface font is another one, so the binder turns
// design units into pixels by the ratio of this program's interface font to
// that design font, in this one object; the models and their handlers keep
// design units. Device pixels (QT_SCALE_FACTOR, high-density screens) are
// Qt's business on top of that: these are Qt's device-independent pixels.

#include "ui/qt_keywords.h"

#include <QFont>
#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace ui {

class Scale {
public:
    // The design font's metrics (the original platform's 8-point interface
    // font at 96 dpi).
    static constexpr double DesignLineHeight = 13.0;
    static constexpr double DesignCharWidth = 5.5;

    explicit Scale(double factor = 1.0);
    // The factor that makes the design fit the font: the larger of the
    // ratios of its line height and of its average character width (of the
    // letters) to the design font's, rounded to a sixteenth, at least 0.5.
    static Scale forFont(const QFont& font);

    double factor() const { return factor_; }

    int toPixels(int design) const;
    int toDesign(int pixels) const;
    QPoint toPixels(QPoint design) const { return {toPixels(design.x()), toPixels(design.y())}; }
    QPoint toDesign(QPoint pixels) const { return {toDesign(pixels.x()), toDesign(pixels.y())}; }
    QSize toPixels(QSize design) const { return {toPixels(design.width()), toPixels(design.height())}; }
    QRect toPixels(const QRect& design) const { return {toPixels(design.topLeft()), toPixels(design.size())}; }
    // A pixel value that came from design units maps back to them exactly;
    // only a change of the pixels changes the design value.
    int toDesign(int pixels, int previousDesign) const
    {
        return toPixels(previousDesign) == pixels ? previousDesign : toDesign(pixels);
    }

    // The scale of the binder that was created last (the program has one);
    // services that report screen points (the cursor) use it.
    static const Scale& current();
    static void setCurrent(const Scale& scale);

private:
    double factor_;
};

// Where a window goes when its stored place lies off every screen (a
// monitor was unplugged): a window that overlaps a screen's available area
// by at least a 40 × 20 pixel corner stays; otherwise it moves, keeping its
// size, into the area of the screen nearest to it (its top-left corner on
// that screen when the window is larger).
QRect placeOnScreens(const QRect& window, const QList<QRect>& screens);

// The screen area a window starts on: the one it overlaps most, else the
// nearest; a null rectangle when there is none.
QRect screenOf(const QRect& window, const QList<QRect>& screens);

// A window made to fit the screen area it starts on. Its rectangle is
// where a window is moved to (the frame's top-left corner) and its client
// size. It keeps its place and shrinks to what the area leaves from
// there, frame included; where that is less than its minimum, it takes
// its minimum (at most the area) and moves back so that its frame lies
// inside the area.
QRect fitOnScreen(const QRect& window, const QMargins& frame, const QRect& area, const QSize& minimum = {});

// Where a note of the given size stands beside a control (anchor, in
// screen coordinates): right of it, else left of it, else below it, gap
// pixels away, top edges level, always inside the area.
QRect besideAnchor(const QRect& anchor, const QSize& size, const QRect& area, int gap);

// Makes the Windows font names of the window definitions ("ＭＳ Ｐゴシック",
// "ＭＳ ゴシック", ...) and the application font fall back to a Japanese
// font, so Japanese captions never show as boxes. Idempotent.
void installFontFallbacks();

} // namespace ui
