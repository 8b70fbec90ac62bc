#include "ui/event_loop.h"

#include "link/serial_port.h"
#include "ui/window.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <memory>

namespace {

// Wakes the idle loop when the current port has a byte (or hangs up: the next read then
// closes the port). It follows the current port: choosing another port, or a port that went
// away, changes the descriptor.
std::unique_ptr<QSocketNotifier> port_notifier;
// Wakes the idle loop when the chosen port's path changes (a port that went away may be back).
std::unique_ptr<QSocketNotifier> watch_notifier;

void follow_current_port() {
    const int descriptor = current_port_descriptor();
    if (port_notifier && port_notifier->socket() == descriptor)
        return;
    port_notifier.reset();
    if (descriptor >= 0)
        port_notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
}

void follow_port_watch() {
    const int descriptor = port_watch_descriptor();
    if (!watch_notifier && descriptor >= 0)
        watch_notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
}

void enable_port_wakes(bool on) {
    for (const auto* notifier : {&port_notifier, &watch_notifier})
        if (*notifier)
            (*notifier)->setEnabled(on);
}

} // namespace

void serve_window(bool sleep) {
    if (sleep) {
        follow_current_port();
        follow_port_watch();
    }
    QCoreApplication::processEvents(sleep ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
}

void stop_watching_port() {
    port_notifier.reset();
    watch_notifier.reset();
}

void keep_window_drawn() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers);
}

void wait_for_user_answer(bool (*answered)()) {
    if (!main_window)
        return;
    enable_port_wakes(false);
    const KeyHook key_hook = main_window->key_hook;
    main_window->key_hook = nullptr;
    while (!answered())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    main_window->key_hook = key_hook;
    enable_port_wakes(true);
}
