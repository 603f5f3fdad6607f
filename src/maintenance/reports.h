// The register's X and Z reports: one key command each, sent through the link while the status
// text tells the operator to wait. The menu entries and the print file's report record call these.
#pragma once

#include <string>

#include "link/fiscal_tec_module.h"

namespace varkon {

class Reports {
  public:
    // ecrErrorText is the main window's text that receives the link's last message.
    Reports(FiscalTecModule& link, std::string& ecrErrorText)
        : link_(link), ecrErrorText_(ecrErrorText) {}

    void xrep0();    // "KX0T1"   financial X report
    void xrep5();    // "KX5T1"   period X report
    void zrep021();  // "KX021T1" daily (financial) Z report
    void zrep521();  // "KX521T1" period Z report

  private:
    void run(const char* command, const std::string& statusUtf8);

    FiscalTecModule& link_;
    std::string& ecrErrorText_;
};

}  // namespace varkon
