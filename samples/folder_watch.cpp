#include "samples/folder_watch.h"

#include <QSocketNotifier>
#include <array>
#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr int settle_ms = 150;
constexpr std::uint32_t watched_events = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                         IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF |
                                         IN_MOVE_SELF | IN_ONLYDIR;

} // namespace

FolderWatch::FolderWatch(std::function<void()> on_change, QObject* parent)
    : QObject(parent), descriptor_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
      on_change_(std::move(on_change)) {
    settle_.setSingleShot(true);
    settle_.setInterval(settle_ms);
    connect(&settle_, &QTimer::timeout, this, [this] { on_change_(); });
    if (descriptor_ < 0)
        return;
    notifier_ = new QSocketNotifier(descriptor_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { read_events(); });
}

FolderWatch::~FolderWatch() {
    delete notifier_;
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

void FolderWatch::watch(const std::string& folder) {
    if (descriptor_ >= 0)
        ::inotify_add_watch(descriptor_, folder.c_str(), watched_events);
}

void FolderWatch::read_events() {
    alignas(inotify_event) std::array<char, 4096> events;
    bool changed = false;
    while (::read(descriptor_, events.data(), events.size()) > 0)
        changed = true;
    // At most a moment after the first change, even while changes go on.
    if (changed && !settle_.isActive())
        settle_.start();
}
