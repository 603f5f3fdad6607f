// Everything a receipt test needs around the translation: recording notices, the link over a
// RecordingPort (a silent register gives up at once), the Greek chain and a VAT table with 13.00
// in category 2, all in a temporary folder. Also the sample receipt and its wire bytes.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "config/pacing_delay.h"
#include "config/param_settings.h"
#include "config/settings_values.h"
#include "config/vat_table.h"
#include "maintenance/reports.h"
#include "platform/files.h"
#include "receipt/receipt_printer.h"
#include "receipt/recording_port.h"
#include "support/recording_notices.h"
#include "support/temp_dir.h"

namespace varkon::test {

inline const std::string kSampleReceipt =
    " PLU 5201234567890 COCA COLA 330ML               2.000       1.50   13.00\r\n"
    " mod    -10.00% EKPTOSH\r\n dis      0.50\r\n sut        2.20\r\n to    1       5.00\r\n"
    " com  EYXARISTOUME\r\n foo  KALH SAS HMERA\r\n pay  1\r\n";
inline const std::string kSampleWire =
    "KX150R2COCA COLA 330ML         \rKX5201234567890AC\rKX- \rKX1000% EKPTOSH\r"
    "KXST\rKXST\rKX- \rKX050GE\rKX500T1\rKXCO EYXARISTOUME\rKXCO --------------------\r"
    "KXT1\rKXCL\rKXCO ------------------\rKXCO KALH SAS HMERA\r\n\r"
    "KXCO\rKXCO\rKXCO\rKXCO\rKXCO\r";

// The settings of the sample, as param.ini holds them; the translation reads them through
// ReceiptSettingsOf, as the job loop hands them over.
inline ParamSettings SampleSettings() {
    ParamSettings settings;
    settings.printDescription = "true";
    settings.printCode = "true N";
    settings.comment = "true";
    settings.delay = "0";
    settings.currency = "0";
    settings.keyboardOff = "fals";
    settings.registerType = "mikro";
    settings.directDepartments = "fals";
    settings.quantity = "fals";
    return settings;
}

inline LinkTimings QuickTimings() {
    LinkTimings timings;
    timings.replyWindow = std::chrono::milliseconds(1);
    timings.reportReplyWindow = std::chrono::milliseconds(1);
    timings.attempts = 1;
    return timings;
}

struct ReceiptRig {
    TempDir dir;
    RecordingNotices notices;
    std::shared_ptr<Wire> wire = std::make_shared<Wire>();
    RegisterLink link{notices, std::make_unique<RecordingPort>(wire), QuickTimings(),
                      [this] { return ReadPacingDelay({}, dir.path()); }};
    Cnv437869G converter;
    RegisterCharset charset;
    Reports reports{link, notices};
    ReceiptPrinter printer{link, converter, charset, notices};
    ParamSettings settings = SampleSettings();

    ReceiptRig() {
        SaveVatRates({0, 13, 0, 0, 0}, dir / "vats.dat");
        printer.vatFile = dir / "vats.dat";
        // The engine answers a report record with the daily Z report.
        notices.onDailyZReport = [this] { reports.run(Report::kZDaily); };
    }

    PrintResult print(std::string_view content) {
        dir.write("print.prn", content);
        return printer.print(FromFsPath(dir / "print.prn"), ReceiptSettingsOf(settings));
    }
};

}  // namespace varkon::test
