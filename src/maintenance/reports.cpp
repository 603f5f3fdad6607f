#include "maintenance/reports.h"

namespace varkon {

namespace {

struct ShortName {
    std::string_view name;
    Report report;
};
// The names of the four entries of the reports menu.
constexpr ShortName kShortNames[] = {
    {"x", Report::kXFinancial},
    {"x-period", Report::kXPeriod},
    {"z", Report::kZDaily},
    {"z-period", Report::kZPeriod},
};

// The financial X report has always said "ολοκλήρωση"; the other three "ολοκληρωσή".
const char* const kFinancialXStatus =
    "Εκτέλεση Ισοζυγίου!!! Παρακαλώ περιμένετε για την ολοκλήρωση του";
const char* const kReportStatus =
    "Εκτέλεση Ισοζυγίου!!! Παρακαλώ περιμένετε για την ολοκληρωσή του";
const char* const kReportDone = "Το Ισοζύγιο ολοκληρώθηκε";
const char* const kReadyCaption = "Varkon- Έτοιμο";

const char* CommandOf(Report report) {
    switch (report) {
        case Report::kXFinancial:
            return "KX0T1";
        case Report::kXPeriod:
            return "KX5T1";
        case Report::kZDaily:
            return "KX021T1";
        case Report::kZPeriod:
            break;
    }
    return "KX521T1";
}

}  // namespace

ExchangeResult Reports::run(Report report) {
    notices_.enableStart(false);
    notices_.showStatus(report == Report::kXFinancial ? kFinancialXStatus : kReportStatus);
    notices_.repaint();
    ExchangeResult result = link_.sendReport(CommandOf(report));
    notices_.enableStart(true);
    notices_.showStatus(kReportDone);
    notices_.showCaption(kReadyCaption);
    return result;
}

std::string_view ReportShortName(Report report) {
    for (const ShortName& entry : kShortNames) {
        if (entry.report == report) return entry.name;
    }
    return {};
}

std::optional<Report> ReportOfShortName(std::string_view name) {
    for (const ShortName& entry : kShortNames) {
        if (entry.name == name) return entry.report;
    }
    return std::nullopt;
}

}  // namespace varkon
