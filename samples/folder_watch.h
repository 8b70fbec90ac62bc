// A watch on folders (inotify): files that appear, go, are renamed or written there call
// back a moment after the first change. Nothing runs while nothing changes.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

class QSocketNotifier;

class FolderWatch : public QObject {
public:
    explicit FolderWatch(std::function<void()> on_change, QObject* parent = nullptr);
    ~FolderWatch() override;
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches `folder` too (again after it was made anew); one that does not exist is skipped.
    void watch(const std::string& folder);

private:
    void read_events();

    int descriptor_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer settle_; // the writes of a moment are reported together
    std::function<void()> on_change_;
};
