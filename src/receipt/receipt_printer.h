// ReceiptPrinter reads one print file of the host application and puts it on the register: line
// by line it parses the record (print_record), prepares its text, turns it into key commands
// (key_commands) and sends them as it reads, so the register prints while the file is still being
// read. It owns the state of the receipt being printed; the engine owns the printer and answers
// its ReceiptNotices.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "config/settings_values.h"
#include "config/vat_table.h"
#include "greek/register_charset.h"
#include "greek/text_converter.h"
#include "link/register_link.h"
#include "maintenance/operator_notices.h"
#include "receipt/key_commands.h"

namespace varkon {

// The error numbers of a print file, as the host application's error list (error.lst) knows them.
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrCannotRead = 75;

// Outcome of print: error 0 when the whole file was read and translated. Otherwise a file
// error number (53 not found, 75 cannot be read) and a Greek (UTF-8) description for the
// operator; what was sent before the failure stays sent.
struct PrintResult {
    int error = 0;
    std::string description;
    // Not 0 when the sending stopped at a command of this line of the file (1-based) because the
    // register did not answer: the rest of the receipt was not sent and waits to be finished.
    std::size_t stoppedAtLine = 0;
    // The lines of a file read whole that were records the translation knows (whatever the
    // settings made of them); 0 for a file that held no receipt at all.
    std::size_t records = 0;
    // Not 0 when the register refused a command of this line that settles or closes the
    // receipt, though the exchange asked for no message: the receipt may still be open there.
    std::size_t settlementRefusedAtLine = 0;
};

// What printing a receipt needs from the window beside the notices: the progress bar, and the
// daily Z report that a report record asks for.
class ReceiptNotices : public virtual OperatorNotices {
  public:
    virtual void setProgressMax(double maximum) = 0;
    virtual void setProgress(double value) = 0;
    virtual void runDailyZReport() = 0;
};

// The outcome print gives for a file it cannot open: 53 when it is missing, else 75.
PrintResult UnreadablePrintFile(const std::string& file);

class ReceiptPrinter {
  public:
    ReceiptPrinter(RegisterLink& link, TextConverter& converter, RegisterCharset& charset,
                   ReceiptNotices& notices);

    // Reads the print file `file` (code page 1253 path) twice: once to count its lines for the
    // progress bar Indicator, once to translate and send it. It stops at the first line whose
    // command the link could not get answered (see RegisterLink::sendingStopped).
    // `bytes`: only so many of the file's first bytes are sent, what the job recorded of it.
    PrintResult print(const std::string& file, const ReceiptSettings& settings,
                      std::optional<std::uint64_t> bytes = std::nullopt);

    // The receipt being printed, or the last one; a new print starts from a fresh state.
    const ReceiptState& receiptState() const { return state_; }

    // The VAT table a sale's rate is looked up in.
    std::filesystem::path vatFile = kVatFile;

  private:
    struct Sent {
        bool refused = false;  // the register refused a command that closes the receipt
        bool stopped = false;  // the link's sending of this receipt has stopped
    };

    // Puts one line on the register; false when the sending stopped.
    bool printLine(std::string_view text, const ReceiptSettings& settings, std::size_t& records);
    PreparedTexts prepareTexts(const PrintRecord& record, const ReceiptSettings& settings);
    void tell(const KeyCommands& keys, const PrintRecord& record);
    // The one function that calls the link: every command, then whether the sending stopped.
    Sent send(const KeyCommands& keys);

    RegisterLink& link_;
    TextConverter& converter_;
    RegisterCharset& charset_;
    ReceiptNotices& notices_;
    ReceiptState state_;
    std::size_t lineNumber_ = 0;               // the line being translated
    std::size_t settlementRefusedAtLine_ = 0;  // see PrintResult
};

}  // namespace varkon
