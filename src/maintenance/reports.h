// The register's X and Z reports: one key command each, sent through the link while the status
// text tells the operator to wait. The menu entries and the print file's report record run them;
// the start button is the window's, reached through ReportNotices.
#pragma once

#include <string>

#include "link/fiscal_tec_module.h"
#include "link/notices.h"

namespace varkon {

enum class Report {
    kXFinancial,  // "KX0T1"   financial X report
    kXPeriod,     // "KX5T1"   period X report
    kZDaily,      // "KX021T1" daily (financial) Z report
    kZPeriod,     // "KX521T1" period Z report
};

// What a report needs from the window beside the notices: the start button is off while it runs.
class ReportNotices : public virtual Notices {
  public:
    virtual void enableStart(bool enabled) = 0;
};

class Reports {
  public:
    // ecrErrorText is the engine's text that receives the link's last message.
    Reports(FiscalTecModule& link, std::string& ecrErrorText, ReportNotices& notices)
        : link_(link), ecrErrorText_(ecrErrorText), notices_(notices) {}

    // The outcome is not examined: the link has already shown any failure, and the window must
    // come back to its ready state either way.
    void run(Report report);

  private:
    FiscalTecModule& link_;
    std::string& ecrErrorText_;
    ReportNotices& notices_;
};

}  // namespace varkon
