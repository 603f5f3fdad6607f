// ReceiptSettings: the settings a print job is translated with, as code page 1253 texts copied
// from ParamSettings by the job loop. The translation only reads them.
#pragma once

#include <string>

namespace varkon {

struct ReceiptSettings {
    std::string descpr;
    std::string CODEPR;
    std::string comment;
    std::string DLAY;
    std::string curr;
    std::string keyboff;
    std::string ecrt;
    std::string ddep;
    std::string quantity;  // `qua`
};

}  // namespace varkon
