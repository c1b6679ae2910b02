#include "ui/quit_signals.h"

#include "ui/qt_keywords.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include "app/fm_main.h"
#include "app/globals.h"
#include "framework/application.h"

namespace ui {

namespace {

constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};

int signalSocket[2] = {-1, -1};
struct sigaction formerActions[std::size(Signals)];

void onSignal(int number)
{
    const char byte = static_cast<char>(number);
    [[maybe_unused]] auto written = ::write(signalSocket[1], &byte, 1);
}

} // namespace

QuitSignals::QuitSignals(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal))
{
    if (signalSocket[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSocket) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = ui::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(Signals); ++i)
        sigaction(Signals[i], &action, &formerActions[i]);
    notifier_ = std::make_unique<QSocketNotifier>(signalSocket[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        char byte = 0;
        if (::read(signalSocket[0], &byte, 1) == 1 && onSignal_)
            onSignal_(static_cast<unsigned char>(byte));
    });
}

QuitSignals::~QuitSignals()
{
    if (!notifier_)
        return;
    for (size_t i = 0; i < std::size(Signals); ++i)
        sigaction(Signals[i], &formerActions[i], nullptr);
}

std::unique_ptr<QuitSignals> closeWindowsOnSignals(framework::Application& application)
{
    return std::make_unique<QuitSignals>([&application](int) {
        if (application.unattended())
            return; // already closing
        application.requestQuit([&application] {
            if (FmMain)
                FmMain->close();
            else
                application.terminate();
        });
    });
}

} // namespace ui
