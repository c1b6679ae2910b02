#include "ui/qt_keywords.h"

#include "ui/qt_services.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDate>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <QTranslator>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>

#include "framework/application.h"
#include "ui/keys.h"
#include "ui/scale.h"

namespace ui {

namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// Message and error boxes carry the application title, and the program's
// name before the title is set.
QString boxTitle()
{
    if (framework::Application::exists() && !framework::app().title().empty())
        return qs(framework::app().title());
    return QStringLiteral("Vantrel");
}

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}

} // namespace

// ----------------------------------------------------------------- dialogs

namespace {

// Answers Qt's own question for the texts of the standard buttons.
class ButtonTexts : public QTranslator {
public:
    std::map<QString, QString> texts; // Qt's source text -> the program's
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        if (qstrcmp(context, "QPlatformTheme") != 0)
            return {};
        const auto it = texts.find(QString::fromLatin1(source));
        return it == texts.end() ? QString() : it->second;
    }
    bool isEmpty() const override { return texts.empty(); }
};

} // namespace

void setDialogButtonTexts(const std::string& yes, const std::string& no, const std::string& ok,
                          const std::string& cancel)
{
    static ButtonTexts translator;
    QCoreApplication::removeTranslator(&translator);
    translator.texts.clear();
    const std::pair<const char*, const std::string*> rows[] = {
        {"&Yes", &yes}, {"&No", &no}, {"OK", &ok}, {"Cancel", &cancel}};
    for (const auto& [source, text] : rows)
        if (!text->empty())
            translator.texts[QString::fromLatin1(source)] = qs(*text);
    if (!translator.texts.empty())
        QCoreApplication::installTranslator(&translator);
}

void QtDialogs::showMessage(const std::string& text)
{
    QMessageBox::information(dialogParent(), boxTitle(), qs(text));
}

void QtDialogs::showError(const std::string& text)
{
    // Also in the session's log, where a failure stays after the box.
    std::fprintf(stderr, "vantrel: %s\n", text.c_str());
    QMessageBox::critical(dialogParent(), boxTitle(), qs(text));
}

bool QtDialogs::askYesNo(const std::string& text, const std::string& caption)
{
    const auto answer = QMessageBox::question(dialogParent(), caption.empty() ? boxTitle() : qs(caption), qs(text),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return answer == QMessageBox::Yes;
}

framework::Answer QtDialogs::askYesNoCancel(const std::string& text, const std::string& caption)
{
    // Escape and the window's close button are Cancel.
    const auto answer =
        QMessageBox::question(dialogParent(), caption.empty() ? boxTitle() : qs(caption), qs(text),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        return framework::Answer::Yes;
    return answer == QMessageBox::No ? framework::Answer::No : framework::Answer::Cancel;
}

bool QtDialogs::saveFileName(const std::string& caption, const std::string& filter, std::string& path)
{
    const QString chosen = QFileDialog::getSaveFileName(dialogParent(), qs(caption), qs(path), qs(filter));
    if (chosen.isEmpty())
        return false;
    path = chosen.toStdString();
    return true;
}

void QtDialogs::dismissAll()
{
    // Innermost first: each box returns into the handler that opened it.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (QApplication::activeModalWidget() == modal)
            break; // it refused to go
    }
}

bool QtDialogs::inputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    bool ok = false;
    const QString answer =
        QInputDialog::getText(dialogParent(), qs(caption), qs(prompt), QLineEdit::Normal, qs(value), &ok);
    if (!ok)
        return false;
    value = answer.toStdString();
    return true;
}

// --------------------------------------------------------------- clipboard

std::string QtClipboard::text()
{
    return QGuiApplication::clipboard()->text().toStdString();
}

void QtClipboard::setText(const std::string& text)
{
    QGuiApplication::clipboard()->setText(qs(text));
}

// ------------------------------------------------------------------- shell

void QtShell::open(const std::string& target)
{
    const QString text = qs(target);
    // A file or folder that exists is opened as such; anything else is an
    // address ("http://...", "mailto:..."), and one without a scheme
    // ("www.example.com") is taken the way a browser's address bar takes it.
    QUrl url;
    if (QFileInfo::exists(text))
        url = QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
    else
        url = QUrl(text, QUrl::TolerantMode);
    if (url.scheme().isEmpty())
        url = QUrl::fromUserInput(text);
    QDesktopServices::openUrl(url);
}

void QtShell::execute(const std::string& program, const std::vector<std::string>& arguments)
{
    QStringList args;
    for (const auto& argument : arguments)
        args << qs(argument);
    QProcess::startDetached(qs(program), args);
}

// ------------------------------------------------------------------- sound

void QtSound::beep(framework::BeepKind)
{
    QApplication::beep();
}

// ------------------------------------------------------------------- clock

QtClock::QtClock()
{
    started_.start();
}

QtClock::~QtClock() = default;

uint64_t QtClock::tickCount()
{
    return static_cast<uint64_t>(started_.elapsed());
}

framework::Date QtClock::today()
{
    const QDate date = QDate::currentDate();
    return {date.year(), date.month(), date.day()};
}

framework::DateTime QtClock::localTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return {{date.year(), date.month(), date.day()}, time.hour(), time.minute(), time.second()};
}

void QtClock::timerChanged(framework::Timer& timer)
{
    if (!timer.enabled() || timer.interval() <= 0) {
        timers_.erase(&timer);
        return;
    }
    auto& slot = timers_[&timer];
    if (!slot) {
        slot = std::make_unique<QTimer>();
        framework::Timer* model = &timer;
        // fire() runs the handler through Application::dispatch and refuses
        // to re-enter a handler that is still running (one that pumps).
        QObject::connect(slot.get(), &QTimer::timeout, [model] { model->fire(); });
    }
    // A changed interval or a re-enabled timer starts a new interval.
    slot->start(timer.interval());
}

void QtClock::timerDestroyed(framework::Timer& timer)
{
    timers_.erase(&timer);
}

bool QtClock::running(const framework::Timer& timer) const
{
    auto it = timers_.find(&timer);
    return it != timers_.end() && it->second->isActive();
}

// -------------------------------------------------------------- event pump

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

// Whether the target belongs to a box opened during the wait.
bool inModalBox(QObject* target)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return false;
    if (auto* widget = qobject_cast<QWidget*>(target))
        return widget->window() == modal->window();
    if (auto* window = qobject_cast<QWindow*>(target))
        return window == modal->window()->windowHandle();
    return false;
}

class WaitInputFilter : public QObject {
protected:
    bool eventFilter(QObject* target, QEvent* event) override
    {
        // No shortcut runs during a wait: the key goes on as a key press and
        // is held back below like any other (Escape cancels the wait).
        if (event->type() == QEvent::ShortcutOverride && !inModalBox(target)) {
            event->accept();
            return true;
        }
        // Posted events (replayed input among them) are not spontaneous.
        if (!event->spontaneous() || !isUserInput(event->type()) || inModalBox(target))
            return false;
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            !static_cast<QKeyEvent*>(event)->isAutoRepeat() && framework::Application::exists())
            framework::app().cancelWait();
        return true;
    }
};

} // namespace

QtEventPump::QtEventPump() = default;

QtEventPump::~QtEventPump() = default;

void QtEventPump::waitForEvents(int maxMs, int fd, bool forWrite)
{
    std::unique_ptr<QSocketNotifier> notifier;
    if (fd >= 0) {
        notifier = std::make_unique<QSocketNotifier>(fd, forWrite ? QSocketNotifier::Write : QSocketNotifier::Read);
        // Once is enough to end this turn; the caller looks at the socket.
        QSocketNotifier* raw = notifier.get();
        QObject::connect(raw, &QSocketNotifier::activated, raw, [raw] { raw->setEnabled(false); });
    }
    QTimer slice;
    slice.setSingleShot(true);
    slice.setTimerType(Qt::PreciseTimer);
    slice.start(std::max(0, maxMs));
    // When a wait starts inside a queued call, Qt's glib dispatcher does not
    // look again at the calls posted before it until something new is
    // posted; the browser engine's own scheduled work may be among them.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtEventPump::waitStarted()
{
    if (!inputFilter_)
        inputFilter_ = std::make_unique<WaitInputFilter>();
    qApp->installEventFilter(inputFilter_.get());
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
}

void QtEventPump::waitEnded()
{
    if (inputFilter_)
        qApp->removeEventFilter(inputFilter_.get());
    QGuiApplication::restoreOverrideCursor();
}

void QtEventPump::busyStarted()
{
    // The window system gets the cursor at once (the X connection is
    // flushed with the change), although the handler does not return to the
    // event loop before it ends.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtEventPump::busyEnded()
{
    QGuiApplication::restoreOverrideCursor();
}

// ------------------------------------------------------------------- input

Qt::KeyboardModifiers QtInputSynth::modifiers() const
{
    Qt::KeyboardModifiers mods;
    if (shift_)
        mods |= Qt::ShiftModifier;
    if (control_)
        mods |= Qt::ControlModifier;
    if (alt_)
        mods |= Qt::AltModifier;
    return mods;
}

void QtInputSynth::keyEvent(int virtualKey, bool keyUp)
{
    switch (virtualKey) {
    case vk::Shift:
        shift_ = !keyUp;
        break;
    case vk::Control:
        control_ = !keyUp;
        break;
    case vk::Menu:
        alt_ = !keyUp;
        break;
    case vk::Capital:
        if (!keyUp)
            capsLock_ = !capsLock_;
        break;
    default:
        break;
    }
    const Qt::Key key = qtKeyFromVirtualKey(virtualKey);
    if (key == Qt::Key_unknown)
        return;
    QObject* target = QGuiApplication::focusObject();
    if (!target)
        return;
    // With Ctrl or Alt down a key is a command, not typing.
    const QString text = (control_ || alt_) ? QString() : textOfVirtualKey(virtualKey, shift_, capsLock_);
    // The modifiers of a modifier key's own event are those after it, as
    // the window system reports them.
    QCoreApplication::postEvent(target,
                                new QKeyEvent(keyUp ? QEvent::KeyRelease : QEvent::KeyPress, key, modifiers(), text));
}

void QtInputSynth::leftButton(bool up)
{
    const QPoint global = QCursor::pos();
    QWidget* target = up && pressed_ ? pressed_.data() : QApplication::widgetAt(global);
    if (up)
        pressed_ = nullptr;
    else
        pressed_ = target;
    leftDown_ = !up;
    if (!target)
        return;
    const QPointF local = target->mapFromGlobal(QPointF(global));
    const Qt::MouseButtons buttons = up ? Qt::NoButton : Qt::LeftButton;
    QCoreApplication::postEvent(target, new QMouseEvent(up ? QEvent::MouseButtonRelease : QEvent::MouseButtonPress,
                                                        local, QPointF(global), Qt::LeftButton, buttons, modifiers()));
}

// Screen points are in the windows' design units, like their positions.
void QtInputSynth::setCursorPos(int designX, int designY)
{
    const int x = Scale::current().toPixels(designX);
    const int y = Scale::current().toPixels(designY);
    QCursor::setPos(x, y);
    // A drag in progress follows the cursor.
    if (leftDown_ && pressed_) {
        const QPointF global(x, y);
        QCoreApplication::postEvent(pressed_, new QMouseEvent(QEvent::MouseMove, pressed_->mapFromGlobal(global),
                                                              global, Qt::NoButton, Qt::LeftButton, modifiers()));
    }
}

void QtInputSynth::cursorPos(int& x, int& y)
{
    const QPoint pos = Scale::current().toDesign(QCursor::pos());
    x = pos.x();
    y = pos.y();
}

// ----------------------------------------------------------------- bundle

framework::Services makeQtServices()
{
    framework::Services services;
    services.dialogs = std::make_shared<QtDialogs>();
    services.clipboard = std::make_shared<QtClipboard>();
    services.shell = std::make_shared<QtShell>();
    services.sound = std::make_shared<QtSound>();
    services.clock = std::make_shared<QtClock>();
    services.pump = std::make_shared<QtEventPump>();
    services.input = std::make_shared<QtInputSynth>();
    return services;
}

} // namespace ui
