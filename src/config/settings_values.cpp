#include "config/settings_values.h"

#include <string_view>

namespace varkon {

FileMode FileModeOf(const ParamSettings& settings) {
    if (settings.multi == "fals") return FileMode::kSingleFile;
    if (settings.multi == "true") return FileMode::kNumberedFiles;
    return FileMode::kNone;
}

Settlement SettlementOf(const ParamSettings& settings) {
    if (settings.currency == "0") return Settlement::kTenderKey;
    if (settings.currency == "1") return Settlement::kMainCurrency;
    if (settings.currency == "2") return Settlement::kSecondCurrency;
    if (settings.currency == "3") return Settlement::kThirdCurrency;
    return Settlement::kNone;
}

ReceiptSettings ReceiptSettingsOf(const ParamSettings& s) {
    ReceiptSettings out;
    out.pos21 = s.registerType == "pos21";
    out.printDescription = s.printDescription != "fals";
    out.quantityInDescription = s.quantity == "true" && s.printDescription == "true";
    const std::string_view codes = std::string_view(s.printCode).substr(0, 6);
    if (codes == "true N") out.itemCodes = ItemCodes::kNumeric;
    if (codes == "true A") out.itemCodes = ItemCodes::kArticle;
    out.comments = s.comment == "true" || s.comment == "TRUE";
    out.settlement = SettlementOf(s);
    out.keyboardOff = s.keyboardOff == "true";
    out.departments = s.directDepartments == "true";
    return out;
}

bool UsesHostFile(const ParamSettings& settings) {
    return settings.hostFile != "no";
}

bool ShowsDescriptionsPrinted(const ParamSettings& settings) {
    return settings.printDescription == "true";
}

bool ShowsCommentsOff(const ParamSettings& settings) {
    return settings.comment == "fals";
}

}  // namespace varkon
