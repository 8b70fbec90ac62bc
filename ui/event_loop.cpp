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

void follow_current_port() {
    const int descriptor = current_port_descriptor();
    if (port_notifier && port_notifier->socket() == descriptor)
        return;
    port_notifier.reset();
    if (descriptor >= 0)
        port_notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
}

} // namespace

void serve_window(bool sleep) {
    if (sleep)
        follow_current_port();
    QCoreApplication::processEvents(sleep ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
}

void stop_watching_port() {
    port_notifier.reset();
}

void keep_window_drawn() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers);
}

void wait_for_user_answer(bool (*answered)()) {
    if (!main_window)
        return;
    if (port_notifier)
        port_notifier->setEnabled(false);
    const KeyHook key_hook = main_window->key_hook;
    main_window->key_hook = nullptr;
    while (!answered())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    main_window->key_hook = key_hook;
    if (port_notifier)
        port_notifier->setEnabled(true);
}
