#include "link/reply_decoder.h"

#include <cstdint>
#include <map>
#include <optional>

#include "greek/cp1253.h"

namespace varkon {

namespace {

// The register's error codes that have an operator message, as code text → code page 1253 text.
// Codes are matched as text: "5" is listed, "05" is not.
const std::map<std::string, std::string>& MessageTable() {
    static const std::map<std::string, std::string> table = [] {
        const std::pair<const char*, const char*> utf8[] = {
            {"1", "Επαλήθευση Χειριστή ! (90 Μερ.Σύνολο)"},
            {"2", "Τέλος Χαρτιού !"},
            {"3", "Υποχρεωτικό Μερ. Σύνολο !"},
            {"4", "Υπέρβαση Ορίου Εισαγωγής !"},
            {"5", "Λάθος Εισαγωγή Ποσού / Ποσοστού !"},
            {"6", "Λάθος Χειρισμός !"},
            {"7", "Πρόβλημα στην Φορολογική Μνήμη !\rΚαλέστε τεχνικό !"},
            {"8", "Πρόβλημα στην μνήμη Ram !\rΚαλέστε τεχνικό !"},
            {"9", "Πρόβλημα στόν Εκτυπωτή !\rΚαλέστε τεχνικό !"},
            {"10", "Πρόβλημα στην μνήμη Rom !\rΚαλέστε τεχνικό !"},
            {"12", "Χαμηλή τάση Μπαταρίας !"},
            {"14", "Πρόβλημα στην οθόνη !\rΚαλέστε τεχνικό !"},
            {"20", "Τέλος Φορολογικής Μνήμης !"},
            {"21", "Λανθασμένη Ημερομηνία / Ώρα!"},
            {"23", "Λάθος Ημερομηνία / Ώρα !\rΠατήστε 'Διαγραφή' !"},
            {"40", "Πρόβλημα στην μνήμη Ram κατα την Συναλλαγή!"},
            {"50", "Παράσιτα στην γραμμή Επικοινωνίας !"},
            {"51", "Parity Λάθος (Επικοινωνία) !"},
            {"52", "Λάθος Έκπτωση / Επιβάρυνση !"},
            {"53", "Framing Error (Λάθος Επικοινωνία) !"},
            {"54", "Πρόβλημα στην Επικοινωνία με τον Η/Υ !"},
            {"57", "Λανθασμένη Λειτουργία  !"},
            {"59", "Χρειάζεται κωδικός Χειριστή !"},
            {"69", "Λάθος στοιχεία απο τον Η/Υ !"},
            {"84", "Λάθος Κωδικός Bar-Code !"},
        };
        std::map<std::string, std::string> converted;
        for (const auto& [code, message] : utf8) converted.emplace(code, Utf8ToCp1253(message));
        return converted;
    }();
    return table;
}

// Every non-overlapping "DE" removed, left to right ("DDEE" keeps "DE").
std::string WithoutDE(std::string_view word) {
    std::string code;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] == 'D' && i + 1 < word.size() && word[i + 1] == 'E') {
            ++i;
        } else {
            code += word[i];
        }
    }
    return code;
}

// The register's code as a number; a code that is empty, not plain digits or beyond the range of
// a status cannot be one.
std::optional<std::int16_t> CodeNumber(std::string_view code) {
    if (code.empty()) return std::nullopt;
    int value = 0;
    for (char c : code) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > INT16_MAX) return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

}  // namespace

std::string ErrorMessageForCode(const std::string& code) {
    const auto& table = MessageTable();
    auto it = table.find(code);
    return it == table.end() ? std::string() : it->second;
}

void DecodeReply(ExchangeResult& result) {
    std::string& reply = result.reply;
    const std::string firstWord = reply.substr(0, reply.find(' '));
    result.code = 0;
    if (!firstWord.starts_with("DE")) {
        result.status = reply.empty() || firstWord == "00" ? ExchangeStatus::kAnswered
                                                           : ExchangeStatus::kOtherReply;
        return;
    }
    const std::string judged = WithoutDE(firstWord);
    if (std::string message = ErrorMessageForCode(judged); !message.empty()) reply = message;
    if (judged == "00") {
        result.status = ExchangeStatus::kAnswered;
        return;
    }
    const std::optional<std::int16_t> code = CodeNumber(judged);
    result.status = code ? ExchangeStatus::kRefused : ExchangeStatus::kCodeNotANumber;
    result.code = code.value_or(0);
}

}  // namespace varkon
