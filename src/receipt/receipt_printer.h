// ReceiptPrinter reads one print file of the host application and puts it on the register: it
// recognises every record, translates it into key commands and sends them as it reads, so the
// register prints while the file is still being read. It owns the receipt flags that outlive one
// record (ZeroSubtotal, FooterPending); the engine owns the printer and answers its
// ReceiptNotices.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "config/settings_values.h"
#include "config/vat_table.h"
#include "greek/greek_mikro.h"
#include "greek/text_converter.h"
#include "link/register_link.h"
#include "maintenance/operator_notices.h"
#include "receipt/receipt_sender.h"

namespace varkon {

// The error numbers of a print file, as the host application's error list (error.lst) knows them.
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrCannotRead = 75;

// Outcome of getdata: error 0 when the whole file was read and translated. Otherwise a file
// error number (53 not found, 75 cannot be read) and a Greek (UTF-8) description for the
// operator; what was sent before the failure stays sent.
struct GetDataResult {
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

// The outcome getdata gives for a file it cannot open: 53 when it is missing, else 75.
GetDataResult UnreadablePrintFile(const std::string& file);

class ReceiptPrinter {
  public:
    ReceiptPrinter(RegisterLink& link, TextConverter& converter, GreekMikro& mikro,
                   ReceiptNotices& notices);

    // Reads the print file `file` (code page 1253 path) twice: once to count its lines for the
    // progress bar Indicator, once to translate and send it. It stops at the first line whose
    // command the link could not get answered (see RegisterLink::sendingStopped).
    // `bytes`: only so many of the file's first bytes are sent, what the job recorded of it.
    GetDataResult getdata(const std::string& file, const ReceiptSettings& settings,
                          std::optional<std::uint64_t> bytes = std::nullopt);

    bool ZeroSubtotal = true;
    bool FooterPending = false;

    // The VAT table a sale's rate is looked up in.
    std::filesystem::path vatFile = kVatFile;

  private:
    struct FileState;

    // Translates one line; false when it is no record at all.
    bool translate(std::string_view text, FileState& state, const ReceiptSettings& settings);
    void sale(std::string_view text, FileState& state, const ReceiptSettings& settings);
    void discount(std::string_view text, FileState& state, const ReceiptSettings& settings);
    void modifier(std::string_view text, FileState& state, const ReceiptSettings& settings);
    void tender(std::string_view text, FileState& state, const ReceiptSettings& settings);
    void comment(std::string_view text, const ReceiptSettings& settings);
    void programming(std::string_view text, FileState& state, const ReceiptSettings& settings);
    void settlement(std::string_view text);
    void footer(const FileState& state);
    ExchangeResult send(const std::string& command, bool quiet);

    RegisterLink& link_;
    TextConverter& converter_;
    GreekMikro& mikro_;
    ReceiptNotices& notices_;
    ReceiptSender sender_;
    std::size_t lineNumber_ = 0;               // the line being translated
    std::size_t settlementRefusedAtLine_ = 0;  // see GetDataResult
};

}  // namespace varkon
