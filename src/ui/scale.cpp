#include "ui/qt_keywords.h"

#include "ui/scale.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace ui {

namespace {

Scale& currentScale()
{
    static Scale scale;
    return scale;
}

// The squared distance from a point to a rectangle (0 inside).
long long distanceSquared(const QRect& r, QPoint p)
{
    const long long dx = p.x() < r.left() ? r.left() - p.x() : (p.x() > r.right() ? p.x() - r.right() : 0);
    const long long dy = p.y() < r.top() ? r.top() - p.y() : (p.y() > r.bottom() ? p.y() - r.bottom() : 0);
    return dx * dx + dy * dy;
}

} // namespace

Scale::Scale(double factor) : factor_(factor > 0 ? factor : 1.0)
{
}

Scale Scale::forFont(const QFont& font)
{
    const QFontMetricsF metrics(font);
    const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const double charWidth = metrics.horizontalAdvance(letters) / letters.size();
    const double ratio = std::max(metrics.height() / DesignLineHeight, charWidth / DesignCharWidth);
    return Scale(std::max(0.5, std::round(ratio * 16.0) / 16.0));
}

int Scale::toPixels(int design) const
{
    return static_cast<int>(std::lround(design * factor_));
}

int Scale::toDesign(int pixels) const
{
    return static_cast<int>(std::lround(pixels / factor_));
}

const Scale& Scale::current()
{
    return currentScale();
}

void Scale::setCurrent(const Scale& scale)
{
    currentScale() = scale;
}

QRect placeOnScreens(const QRect& window, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return window;
    // Enough of the window to take hold of it with the mouse.
    const int needWidth = std::min(40, window.width());
    const int needHeight = std::min(20, window.height());
    for (const QRect& screen : screens) {
        const QRect common = screen.intersected(window);
        if (common.width() >= needWidth && common.height() >= needHeight && needWidth > 0 && needHeight > 0)
            return window;
    }
    const QRect* nearest = &screens.front();
    long long best = std::numeric_limits<long long>::max();
    for (const QRect& screen : screens) {
        const long long d = distanceSquared(screen, window.center());
        if (d < best) {
            best = d;
            nearest = &screen;
        }
    }
    const QRect& area = *nearest;
    const int x = std::max(area.left(), std::min(window.left(), area.right() + 1 - window.width()));
    const int y = std::max(area.top(), std::min(window.top(), area.bottom() + 1 - window.height()));
    return QRect(QPoint(x, y), window.size());
}

QRect screenOf(const QRect& window, const QList<QRect>& screens)
{
    QRect best;
    long long bestArea = -1;
    for (const QRect& screen : screens) {
        const QRect common = screen.intersected(window);
        const long long area = common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
        if (area > bestArea && area > 0) {
            bestArea = area;
            best = screen;
        }
    }
    if (!best.isNull() || screens.isEmpty())
        return best;
    long long nearest = std::numeric_limits<long long>::max();
    for (const QRect& screen : screens) {
        const long long d = distanceSquared(screen, window.center());
        if (d < nearest) {
            nearest = d;
            best = screen;
        }
    }
    return best;
}

QRect fitOnScreen(const QRect& window, const QMargins& frame, const QRect& area, const QSize& minimum)
{
    if (area.isEmpty())
        return window;
    // Across one dimension: as large as the screen leaves from where the
    // window is; where that is less than the window needs at least, as
    // large as it needs (the screen allowing), moved back as far as that
    // takes.
    auto fit = [](int start, int length, int before, int after, int areaStart, int areaLength, int least) {
        const int most = areaLength - before - after;
        const int room = areaStart + areaLength - start - before - after;
        int size = std::min(length, most);
        if (size > room)
            size = std::max(room, std::min(least, size));
        size = std::max(1, size);
        const int place = std::max(areaStart, std::min(start, areaStart + areaLength - size - before - after));
        return std::make_pair(place, size);
    };
    const auto [x, width] =
        fit(window.left(), window.width(), frame.left(), frame.right(), area.left(), area.width(), minimum.width());
    const auto [y, height] =
        fit(window.top(), window.height(), frame.top(), frame.bottom(), area.top(), area.height(), minimum.height());
    return {x, y, width, height};
}

QRect besideAnchor(const QRect& anchor, const QSize& size, const QRect& area, int gap)
{
    QRect place(QPoint(anchor.right() + 1 + gap, anchor.top()), size);
    if (place.right() > area.right())
        place.moveLeft(anchor.left() - gap - size.width());
    if (place.left() < area.left())
        place.moveTopLeft(QPoint(anchor.left(), anchor.bottom() + 1 + gap));
    place.moveLeft(std::max(area.left(), std::min(place.left(), area.right() + 1 - size.width())));
    place.moveTop(std::max(area.top(), std::min(place.top(), area.bottom() + 1 - size.height())));
    return place;
}

void installFontFallbacks()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    const QStringList families = QFontDatabase::families();
    auto available = [&](std::initializer_list<const char*> names) {
        QStringList out;
        for (const char* name : names)
            if (families.contains(QString::fromUtf8(name), Qt::CaseInsensitive))
                out << QString::fromUtf8(name);
        return out;
    };
    const QStringList sans = available({"Noto Sans CJK JP", "IPAPGothic", "VL PGothic", "Droid Sans Fallback"});
    const QStringList mono = available({"Noto Sans Mono CJK JP", "IPAGothic", "VL Gothic"}) + sans;
    const QStringList serif = available({"Noto Serif CJK JP", "IPAPMincho"}) + sans;
    if (sans.isEmpty())
        return;
    // The Windows fonts of the window definitions, in their full-width and
    // ASCII spellings.
    for (const char* name :
         {"ＭＳ Ｐゴシック", "MS PGothic", "MS UI Gothic", "ＭＳ ＵＩ ゴシック", "Meiryo", "メイリオ", "HG祥南行書体"})
        QFont::insertSubstitutions(QString::fromUtf8(name), sans);
    for (const char* name : {"ＭＳ ゴシック", "MS Gothic"})
        QFont::insertSubstitutions(QString::fromUtf8(name), mono);
    for (const char* name : {"ＭＳ 明朝", "MS Mincho", "ＭＳ Ｐ明朝", "MS PMincho"})
        QFont::insertSubstitutions(QString::fromUtf8(name), serif);
    // Fonts without Japanese glyphs hand them to the Japanese font.
    for (const QString& family : {QFont().family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family(),
                                  QStringLiteral("Sans Serif"), QStringLiteral("DejaVu Sans")})
        if (!family.isEmpty() && !sans.contains(family))
            QFont::insertSubstitutions(family, sans);
}

} // namespace ui
