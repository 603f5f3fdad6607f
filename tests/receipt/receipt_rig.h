// Everything a receipt test needs around the translation: a recording surface, the link over a
// RecordingPort (a silent register gives up at once), the Greek chain and a VAT table with 13.00
// in category 2, all in a temporary folder. Also the sample receipt and its wire bytes.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/base/fs_path.h"
#include "config/vat_table.h"
#include "receipt/receipt_printer.h"
#include "receipt/recording_port.h"
#include "support/recording_surface.h"
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

inline ReceiptSettings SampleSettings() {
    return {"true", "true N", "true", "0", "0", "fals", "mikro", "fals", "fals"};
}

inline LinkTimings QuickTimings() {
    LinkTimings timings;
    timings.replyWindow = std::chrono::milliseconds(1);
    timings.attempts = 1;
    return timings;
}

struct ReceiptRig {
    TempDir dir;
    RecordingSurface surface;
    Messages messages{surface};
    std::shared_ptr<Wire> wire = std::make_shared<Wire>();
    FiscalTecModule link{messages, std::make_unique<RecordingPort>(wire), QuickTimings(),
                         dir.path()};
    std::string ecrErrorText;
    Cnv437869G converter;
    GreekMikro mikro;
    Reports reports{link, ecrErrorText};
    ReceiptPrinter printer{link, ecrErrorText, converter, mikro, reports};
    ReceiptSettings settings = SampleSettings();

    ReceiptRig() {
        SaveVatRates({0, 13, 0, 0, 0}, dir / "vats.dat");
        printer.vatFile = dir / "vats.dat";
    }

    GetDataResult print(std::string_view content) {
        dir.write("print.prn", content);
        return printer.getdata(FromFsPath(dir / "print.prn"), settings);
    }
};

}  // namespace varkon::test
