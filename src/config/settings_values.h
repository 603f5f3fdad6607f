// The settings as the program acts on them: typed values parsed once from the texts of
// ParamSettings, so that no consumer compares "true" and "fals" itself. param.ini and the argument
// string keep exactly the texts they always held; only this unit knows how they read.
#pragma once

#include "config/param_settings.h"

namespace varkon {

// `[multi type]`: "fals" prints the one configured file and ends, "true" takes the numbered (or
// matching) files one per tick, anything else looks for nothing.
enum class FileMode { kSingleFile, kNumberedFiles, kNone };

// `[currency]`: how a payment is keyed. "0" with the tender record's own key, "1" and "3" with
// the keys of the main and third currency, "2" the whole subtotal in the second currency;
// anything else keys no payment.
enum class Settlement { kTenderKey, kMainCurrency, kSecondCurrency, kThirdCurrency, kNone };

// `[print_code]`: item codes keyed with a sale, as a number ("true N") or an article ("true A").
enum class ItemCodes { kNone, kNumeric, kArticle };

// What the translation of a print file reads of the settings.
struct ReceiptSettings {
    bool pos21 = false;                  // [ecrt] "pos21": 20-column texts, no modifier texts
    bool printDescription = true;        // [print_desc] anything but "fals"
    bool quantityInDescription = false;  // [quantity] "true" with [print_desc] "true"
    ItemCodes itemCodes = ItemCodes::kNone;
    bool comments = false;  // comment "true" (or "TRUE"): comment and footer records print
    Settlement settlement = Settlement::kNone;
    bool keyboardOff = false;  // [keyb_off] "true": sales go through the PLU keys
    bool departments = false;  // [dir_depa] "true": a sale's department overrides its VAT category
};

ReceiptSettings ReceiptSettingsOf(const ParamSettings& settings);
FileMode FileModeOf(const ParamSettings& settings);
Settlement SettlementOf(const ParamSettings& settings);

// `[Defacto_]`: anything but "no" means the host application writes its one file "noname.prn".
bool UsesHostFile(const ParamSettings& settings);

// The option panel: [print_desc] "true" shows descriptions as printed; [comments] "fals" as not
// printed.
bool ShowsDescriptionsPrinted(const ParamSettings& settings);
bool ShowsCommentsOff(const ParamSettings& settings);

}  // namespace varkon
