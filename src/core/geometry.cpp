#include "core/geometry.h"

#include "core/frameextents.h"
#include "core/keys.h"
#include "core/settings.h"
#include "store/error.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include <functional>
#include <optional>

namespace ql::geometry {
namespace {

// The window's own idea of its frame is renewed only when the window moves, and a window framed
// where it stands does not move: then the window system tells it. Before the window manager laid
// its frame (at first 1x1) around the window there is none.
QMargins toolkitFrame(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(),
                     frame.right() - inner.right(), frame.bottom() - inner.bottom());
    if (margins.isNull()) {
        const QWindow* handle = window->windowHandle();
        margins = handle ? handle->frameMargins() : QMargins();
    }
    const bool around =
        margins.left() >= 0 && margins.top() >= 0 && margins.right() >= 0 && margins.bottom() >= 0;
    return around ? margins : QMargins();
}

// The frame the window manager puts around the shown window, once it framed it. A window manager
// that announces its frames is asked each time: the toolkit keeps the first frame it heard of,
// which may be none or a guess made before the window was framed, until the window next moves.
std::optional<QMargins> frameNow(const QWidget* window)
{
    if (frameextents::announced())
        return frameextents::of(window);
    const QMargins margins = toolkitFrame(window);
    return margins.isNull() ? std::nullopt : std::optional(margins);
}

// Where the window remembers the last frame it was shown in.
constexpr const char* kLastFrame = "quilloryLastFrame";

// The frame around the window, or the one it was last shown in: a window hidden to be closed
// keeps its frame's place.
QMargins frameMargins(const QWidget* window)
{
    return frameNow(window).value_or(window->property(kLastFrame).value<QMargins>());
}

// Whether the window is shown in its frame now; it remembers the frame for when it is hidden.
bool isFramed(QWidget* window)
{
    const std::optional<QMargins> frame = frameNow(window);
    if (frame)
        window->setProperty(kLastFrame, QVariant::fromValue(*frame));
    return frame.has_value();
}

// Stored places and sizes are those of the frame, the window's own leave it out.
QRect outerGeometry(const QWidget* window)
{
    return window->geometry().marginsAdded(frameMargins(window));
}

// Places a framed window by its own geometry, the frame taken off: a place given for the frame
// would be read with whatever frame the window last knew of.
void setOuterGeometry(QWidget* window, const QRect& outer)
{
    if (!isFramed(window)) {
        // Not framed yet: the frame's place is kept for when the frame comes.
        window->move(outer.topLeft());
        window->resize(outer.size().expandedTo(QSize(1, 1)));
        return;
    }
    const QRect inner = outer.marginsRemoved(frameMargins(window));
    window->setGeometry(QRect(inner.topLeft(), inner.size().expandedTo(QSize(1, 1))));
}

// The screen the window is mostly on, else the primary one.
const QScreen* screenOf(const QRect& frame)
{
    const QScreen* best = QGuiApplication::primaryScreen();
    qint64 bestArea = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(frame);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best;
}

// A stored place that no longer fits (another screen, a damaged value) is brought onto the screen
// the window is mostly on, or the primary one: the size at most the screen's, the whole window on
// it. Worked out from the place asked for, never from where the window stands this moment: the
// window manager may not have moved it there yet.
QRect keptOnScreen(const QRect& frame)
{
    const QScreen* best = screenOf(frame);
    if (!best)
        return frame;
    const QRect area = best->availableGeometry();
    const QSize size = frame.size().boundedTo(area.size());
    const int x =
        std::clamp(frame.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width()));
    const int y =
        std::clamp(frame.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
    return {QPoint(x, y), size};
}

// Places the window's frame at an outer geometry, kept on a screen.
void apply(QWidget* window, const QRect& outer)
{
    setOuterGeometry(window, keptOnScreen(outer));
}

// A window manager adds the frame only after the window is mapped; until then the outer size
// cannot be told from the inner one. The window is placed again as soon as the frame is there,
// so that a stored size is not taken for the inner size and grows by the frame each time. A
// window manager that announces its frames is waited for as long as the window is shown, however
// slow it is; on a desktop that does not announce them the wait ends after a while and keeps what
// was applied.
void placeWhenFramed(QWidget* window, const std::function<void()>& place)
{
    constexpr int interval = 20;
    constexpr int tries = 150;
    // Ticks the place must hold once applied: the window manager may still move the window it
    // has just framed, and the window learns where only when the manager tells it.
    constexpr int calmTicks = 10;
    auto* timer = new QTimer(window);
    timer->setInterval(interval);
    QObject::connect(timer, &QTimer::timeout, window,
                     [window, place, timer, announced = frameextents::announced(), left = tries,
                      calm = 0, last = QRect()]() mutable {
                         const bool framed = isFramed(window);
                         if (framed) {
                             place();
                             const QRect now = outerGeometry(window);
                             calm = now == last ? calm + 1 : 0;
                             last = now;
                         }
                         if (framed || !announced)
                             --left;
                         if (calm < calmTicks && left > 0 && window->isVisible())
                             return;
                         timer->stop();
                         timer->deleteLater();
                     });
    timer->start();
}

} // namespace

void restore(SettingsFile& file, QWidget* window, const QString& key, const QRect& design)
{
    QRect outer = design;
    Settings settings(file);
    if (settings.openKey(key, true)) {
        try {
            // Stored numbers are kept within what a window can be, so no sum of a place and a
            // size overflows whatever the file says.
            const auto stored = [&settings](const QString& name, int low) {
                return std::clamp(settings.readInteger(name), low, QWIDGETSIZE_MAX);
            };
            outer.moveLeft(stored(keys::Left, -QWIDGETSIZE_MAX));
            outer.moveTop(stored(keys::Top, -QWIDGETSIZE_MAX));
            outer.setHeight(stored(keys::Height, 1));
            outer.setWidth(stored(keys::Width, 1));
        } catch (const Error&) {
            // A value not stored yet: the designed geometry stands from here on.
        }
    }
    apply(window, outer);
    if (!isFramed(window))
        placeWhenFramed(window, [window, outer] { apply(window, outer); });
}

void save(SettingsFile& file, QWidget* window, const QString& key)
{
    // Never smaller than the window can be made: a size taken while the frame was still being
    // laid out is no size to open at again.
    QRect frame = outerGeometry(window);
    const QMargins margins = frameMargins(window);
    const QSize least =
        window->minimumSize().expandedTo(window->minimumSizeHint()).grownBy(margins);
    frame.setSize(frame.size().expandedTo(least));
    // Nor larger than the screen it stands on: a window opens again at most as large as that.
    if (const QScreen* screen = screenOf(frame))
        frame.setSize(frame.size().boundedTo(screen->availableGeometry().size()));
    Settings settings(file);
    settings.openKey(key, true);
    settings.writeInteger(keys::Left, frame.x());
    settings.writeInteger(keys::Top, frame.y());
    settings.writeInteger(keys::Height, frame.height());
    settings.writeInteger(keys::Width, frame.width());
}

void grow(QWidget* window, const QSize& extra)
{
    QRect outer = outerGeometry(window);
    outer.setSize(outer.size() + extra.expandedTo(QSize(0, 0)));
    apply(window, outer);
}

void placeBeside(QWidget* window, const QWidget* asker)
{
    QRect outer = outerGeometry(window);
    if (!asker) {
        apply(window, outer);
    } else {
        const QRect beside = outerGeometry(asker);
        const QScreen* screen = asker->screen();
        const QRect area = screen ? screen->availableGeometry() : beside;
        // Right of the asking window where there is room, else left of it, else over it.
        if (beside.right() + outer.width() <= area.right())
            outer.moveTopLeft(QPoint(beside.right() + 1, beside.top()));
        else if (beside.left() - outer.width() >= area.left())
            outer.moveTopLeft(QPoint(beside.left() - outer.width(), beside.top()));
        else
            outer.moveTopLeft(beside.topLeft());
        apply(window, outer);
    }
    if (!isFramed(window)) {
        const QPointer<const QWidget> still(asker);
        placeWhenFramed(window, [window, still] { placeBeside(window, still); });
    }
}

} // namespace ql::geometry
