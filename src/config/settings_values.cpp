#include "config/settings_values.h"

#include <string_view>

namespace varkon {

FileMode FileModeOf(const ParamSettings& settings) {
    if (settings.multi == "fals") return FileMode::kSingleFile;
    if (settings.multi == "true") return FileMode::kNumberedFiles;
    return FileMode::kNone;
}

Settlement SettlementOf(const ParamSettings& settings) {
    if (settings.curr == "0") return Settlement::kTenderKey;
    if (settings.curr == "1") return Settlement::kMainCurrency;
    if (settings.curr == "2") return Settlement::kSecondCurrency;
    if (settings.curr == "3") return Settlement::kThirdCurrency;
    return Settlement::kNone;
}

ReceiptSettings ReceiptSettingsOf(const ParamSettings& s) {
    ReceiptSettings out;
    out.pos21 = s.ecrt == "pos21";
    out.printDescription = s.descpr != "fals";
    out.quantityInDescription = s.quantity == "true" && s.descpr == "true";
    const std::string_view codes = std::string_view(s.CODEPR).substr(0, 6);
    if (codes == "true N") out.itemCodes = ItemCodes::kNumeric;
    if (codes == "true A") out.itemCodes = ItemCodes::kArticle;
    out.comments = s.comment == "true" || s.comment == "TRUE";
    out.settlement = SettlementOf(s);
    out.keyboardOff = s.keyboff == "true";
    out.departments = s.ddep == "true";
    return out;
}

bool UsesHostFile(const ParamSettings& settings) {
    return settings.defacto != "no";
}

bool ShowsDescriptionsPrinted(const ParamSettings& settings) {
    return settings.descpr == "true";
}

bool ShowsCommentsOff(const ParamSettings& settings) {
    return settings.comment == "fals";
}

}  // namespace varkon
