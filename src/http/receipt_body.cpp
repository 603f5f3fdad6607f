#include "http/receipt_body.h"

#include <variant>

#include "greek/cp1253.h"
#include "receipt/print_record.h"

namespace varkon {

bool IsReceiptKey(std::string_view key) {
    if (key.empty() || key.size() > 64) return false;
    for (const char c : key) {
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (!allowed) return false;
    }
    return true;
}

BodyCheck CheckReceiptBody(std::string_view body) {
    BodyCheck check;
    if (body.find('\0') != std::string_view::npos) {
        check.message = "Το σώμα περιέχει byte 0: δεν είναι αρχείο εκτύπωσης.";
        return check;
    }
    Utf8Evidence evidence;
    evidence.add(body);
    const std::string text = evidence.utf8() ? Utf8ToCp1253(body) : std::string(body);

    std::size_t records = 0;
    std::size_t lineNumber = 0;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find_first_of("\r\n");
        const std::string_view line = rest.substr(0, end);
        ++lineNumber;
        const ParseResult parsed = ParseRecord(line);
        if (const auto* error = std::get_if<RecordError>(&parsed)) {
            check.line = lineNumber;
            check.column = error->column;
            check.message = "Η γραμμή " + std::to_string(lineNumber) +
                            " δεν διαβάζεται στη στήλη " + std::to_string(error->column) + ".";
            return check;
        }
        if (std::holds_alternative<PrintRecord>(parsed)) ++records;
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + (rest.substr(end).starts_with("\r\n") ? 2 : 1));
    }
    if (records == 0) {
        check.message = "Το σώμα δεν περιέχει καμία εγγραφή απόδειξης.";
        return check;
    }
    check.ok = true;
    return check;
}

}  // namespace varkon
