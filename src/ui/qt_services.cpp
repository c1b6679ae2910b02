#include "ui/qt_keywords.h"

#include "ui/qt_services.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDate>
#include <QDesktopServices>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "framework/application.h"
#include "ui/keys.h"

namespace ui {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

// Message boxes carry the program's title.
QString boxTitle()
{
    if (framework::Application::exists() && !framework::app().title().empty())
        return qs(framework::app().title());
    return QApplication::applicationName();
}

QWidget* dialogParent() { return QApplication::activeWindow(); }

}  // namespace

// ----------------------------------------------------------------- dialogs

void QtDialogs::showMessage(const std::string& text)
{
    QMessageBox::information(dialogParent(), boxTitle(), qs(text));
}

void QtDialogs::showError(const std::string& text)
{
    QMessageBox::critical(dialogParent(), boxTitle(), qs(text));
}

bool QtDialogs::askYesNo(const std::string& text, const std::string& caption)
{
    const auto answer = QMessageBox::question(dialogParent(), caption.empty() ? boxTitle() : qs(caption), qs(text),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return answer == QMessageBox::Yes;
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

std::string QtClipboard::text() { return QGuiApplication::clipboard()->text().toStdString(); }

void QtClipboard::setText(const std::string& text) { QGuiApplication::clipboard()->setText(qs(text)); }

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

void QtSound::beep(framework::BeepKind) { QApplication::beep(); }

// ------------------------------------------------------------------- clock

QtClock::QtClock() { started_.start(); }

QtClock::~QtClock() = default;

uint64_t QtClock::tickCount() { return static_cast<uint64_t>(started_.elapsed()); }

framework::Date QtClock::today()
{
    const QDate date = QDate::currentDate();
    return {date.year(), date.month(), date.day()};
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

void QtClock::timerDestroyed(framework::Timer& timer) { timers_.erase(&timer); }

bool QtClock::running(const framework::Timer& timer) const
{
    auto it = timers_.find(&timer);
    return it != timers_.end() && it->second->isActive();
}

// -------------------------------------------------------------- event pump

void QtEventPump::processEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtEventPump::sleepMs(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
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
    QCoreApplication::postEvent(target, new QKeyEvent(keyUp ? QEvent::KeyRelease : QEvent::KeyPress, key, modifiers(),
                                                       text));
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

void QtInputSynth::setCursorPos(int x, int y)
{
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
    const QPoint pos = QCursor::pos();
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

}  // namespace ui
