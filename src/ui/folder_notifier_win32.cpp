#include <windows.h>

#include <QWinEventNotifier>

#include "ui/folder_notifier.h"

namespace varkon {

FolderNotifier::FolderNotifier(std::intptr_t handle, std::function<void()> onChange,
                               QObject* parent)
    : QObject(parent) {
    if (handle == -1) return;
    auto* notifier = new QWinEventNotifier(reinterpret_cast<HANDLE>(handle), this);
    connect(notifier, &QWinEventNotifier::activated, this,
            [onChange = std::move(onChange)] { onChange(); });
}

}  // namespace varkon
