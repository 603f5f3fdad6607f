// What the receipt benchmarks share: notices that show nothing, and the settings they translate
// with.
#pragma once

#include "config/param_settings.h"
#include "config/settings_values.h"
#include "support/quiet_notices.h"

namespace varkon::bench {

using test::QuietNotices;

// The settings the receipt benchmarks translate with, as param.ini would hold them: mikro,
// descriptions and comments printed, no item codes, quantities or departments, payments as in
// the file.
inline ReceiptSettings BenchReceiptSettings() {
    ParamSettings settings;
    settings.printDescription = "true";
    settings.printCode = "fals";
    settings.comment = "true";
    settings.currency = "0";
    settings.keyboardOff = "fals";
    settings.registerType = "mikro";
    settings.directDepartments = "fals";
    settings.quantity = "fals";
    return ReceiptSettingsOf(settings);
}

}  // namespace varkon::bench
