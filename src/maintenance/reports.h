// The register's X and Z reports: one key command each, sent through the link while the status
// text tells the operator to wait. The menu entries and the print file's report record run them;
// the start button is the window's, reached through ReportNotices.
#pragma once

#include <optional>
#include <string_view>

#include <string>

#include "link/exchange_result.h"
#include "link/register_link.h"
#include "maintenance/operator_notices.h"

namespace varkon {

enum class Report {
    kXFinancial,  // "KX0T1"   financial X report
    kXPeriod,     // "KX5T1"   period X report
    kZDaily,      // "KX021T1" daily (financial) Z report
    kZPeriod,     // "KX521T1" period Z report
};

// The short name a report is asked for by outside the window (varkond --report, the HTTP
// interface): "x", "x-period", "z", "z-period".
std::string_view ReportShortName(Report report);
// The report of a short name; nothing for any other text.
std::optional<Report> ReportOfShortName(std::string_view name);

// What a report needs from the window beside the notices: the start button is off while it runs.
class ReportNotices : public virtual OperatorNotices {
  public:
    virtual void enableStart(bool enabled) = 0;
};

class Reports {
  public:
    Reports(RegisterLink& link, ReportNotices& notices) : link_(link), notices_(notices) {}

    // The outcome is not examined here: any failure has been told as the exchange ended, and the
    // window must come back to its ready state either way. It is returned for the command run's
    // exit status.
    ExchangeResult run(Report report);

  private:
    RegisterLink& link_;
    ReportNotices& notices_;
};

}  // namespace varkon
