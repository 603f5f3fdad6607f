#include "maintenance/reports.h"

#include "app/base/surface.h"

namespace varkon {

namespace {

// The financial X report has always said "ολοκλήρωση"; the other three "ολοκληρωσή".
const char* const kFinancialXStatus =
    "Εκτέλεση Ισοζυγίου!!! Παρακαλώ περιμένετε για την ολοκλήρωση του";
const char* const kReportStatus =
    "Εκτέλεση Ισοζυγίου!!! Παρακαλώ περιμένετε για την ολοκληρωσή του";
const char* const kReportDone = "Το Ισοζύγιο ολοκληρώθηκε";
const char* const kReadyCaption = "Varkon- Έτοιμο";

}  // namespace

void Reports::xrep0() {
    run("KX0T1", kFinancialXStatus);
}
void Reports::xrep5() {
    run("KX5T1", kReportStatus);
}
void Reports::zrep021() {
    run("KX021T1", kReportStatus);
}
void Reports::zrep521() {
    run("KX521T1", kReportStatus);
}

// The outcome is not examined: the link has already shown any failure, and the window must
// come back to its ready state either way.
void Reports::run(const char* command, const std::string& statusUtf8) {
    Surface& surface = link_.messages().surface();
    surface.setEnabled("Command1", false);
    surface.setStatus(statusUtf8);
    surface.repaint();
    link_.SendCommand(command, ecrErrorText_, false);
    surface.setEnabled("Command1", true);
    surface.setStatus(kReportDone);
    surface.setCaption(kReadyCaption);
}

}  // namespace varkon
