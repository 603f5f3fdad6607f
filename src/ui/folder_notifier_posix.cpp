#include <QSocketNotifier>

#include "ui/folder_notifier.h"

namespace varkon {

FolderNotifier::FolderNotifier(std::intptr_t handle, std::function<void()> onChange,
                               QObject* parent)
    : QObject(parent) {
    if (handle < 0) return;
    auto* notifier = new QSocketNotifier(static_cast<qintptr>(handle), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this,
            [onChange = std::move(onChange)] { onChange(); });
}

}  // namespace varkon
