// FolderNotifier: the desktop program's ear on the engine's print-file folder. It turns the
// engine's wait handle into a Qt signal through Qt's own notifiers (a socket notifier on the
// descriptor on POSIX, an event notifier on Windows), so the window waits without spinning.
// folder_notifier_posix.cpp and folder_notifier_win32.cpp hold the two.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

namespace varkon {

class FolderNotifier : public QObject {
  public:
    // Calls `onChange` every time `handle` fires; does nothing for a handle of -1.
    FolderNotifier(std::intptr_t handle, std::function<void()> onChange, QObject* parent);
};

}  // namespace varkon
