#include "app/host_outcome.h"

#include <filesystem>
#include <system_error>

#include "app/window_texts.h"
#include "greek/cp1253.h"
#include "platform/files.h"

namespace varkon {
namespace {

// The counter's number: the leading digits of its text; a text without them counts as 0.
long long CounterValue(const std::string& text) {
    long long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || n > 100000000000000LL) break;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

std::ofstream HostOutcome::openJournal() {
    const std::filesystem::path file = core_.workFile("journal.txt");
    std::error_code ec;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(file, ec))) {
        (void)ReplaceFileAtomically(file, "");
    }
    return std::ofstream(file, std::ios::binary | std::ios::app);
}

std::string HostOutcome::raiseCounter() {
    core_.setReceiptCount(std::to_string(CounterValue(core_.receiptCount()) + 1));
    core_.surface().setText(Control::kReceiptCounter, core_.receiptCount());
    return core_.receiptCount();
}

// The side files lie in a folder the host application writes too. They are replaced whole, never
// written through: a link planted under their name would send our writes outside the folder (and
// the host reads receipt.txt either as it was or as it is, never half written).
bool HostOutcome::emptyReceiptFile() {
    return ReplaceFileAtomically(core_.workFile("receipt.txt"), "") == 0;
}

void HostOutcome::writeReceiptFile(const std::string& text) {
    const bool written =
        ReplaceFileAtomically(core_.workFile("receipt.txt"), Utf8ToCp1253(text) + "\r\n") == 0;
    // The receipt is printed and counted all the same: printing it again would sell it twice.
    // A disk too full for the job record has been told of already, with the receipt.
    if (!written && core_.jobs().healthy()) {
        core_.notices().showMessage(texts::kReceiptNotWritten, kMsgExclamation);
    }
}

}  // namespace varkon
