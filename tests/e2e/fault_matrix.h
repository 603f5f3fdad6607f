// The fault matrix's harness: varkond against a misbehaving varkon-sim, with param.ini and
// vats.dat for a receipt of two sales and a payment, and the ways to hand over a print file and
// read varkond's log. fault_matrix_test.cpp and exactly_once_test.cpp use it.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "service_harness.h"

namespace varkon::e2e {

inline const std::string kWaiting = "Αναμονή Για Στοιχεία....";
inline const std::string kNoAnswerCaption = "Σφάλμα !!!Ο Φορολ. Εκτυπωτής δεν Απαντά σε εντολή !";
inline const std::string kNoAnswerBox =
    "[64 Μύνημα Φορολ. Εκτυπωτή] Ο Φορολ. Εκτυπωτής δεν Απαντά σε εντολή ! -> OK";
inline const std::string kPaperOutBox = "[16] Λάθος : 2\\rΤέλος Χαρτιού ! -> OK";

// Two sales (the first of two pieces) and a payment; on the wire they are four commands.
inline const std::string kReceipt =
    " PLU 5201234567890 COFFEE                        2.000       1.50   24.00\r\n"
    " PLU 5209876543210 PIE                           1.000       2.20   13.00\r\n"
    " to    1      10.00\r\n";
inline const std::string kQuantity = "KX2* \r";
inline const std::string kCoffee = "KX150R1COFFEE" + std::string(18, ' ') + "\r";
inline const std::string kPie = "KX220R2PIE" + std::string(21, ' ') + "\r";
inline const std::string kPayment = "KX1000T1\r";
inline const std::string kReceiptWire = kQuantity + kCoffee + kPie + kPayment;
inline const std::string kTotal = "ΣΥΝΟΛΟ                              5,20";
inline const std::string kProbe = "KXCL\r";

inline std::string Times(const std::string& text, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += text;
    return out;
}

class FaultMatrix : public ServiceTest {
  protected:
    void SetUp() override {
        dir.write("param.ini",
                  "[port] com1\r\n[baud] 9600\r\n[file] print\r\n[ecrt] mikro\r\n"
                  "[multi type] true\r\n[print_desc] true\r\n[print_code] falseN\r\n"
                  "[comments] true\r\n[currency]=0\r\n[quantity]=true\r\n[Defacto_]=no\r\n"
                  "[location] \r\n");
        // The VAT rates 24, 13, 6, 0, 0 as little-endian doubles.
        const std::string zero(6, '\0');
        dir.write("vats.dat", zero + "\x38\x40" + zero + "\x2a\x40" + zero + "\x18\x40" +
                                  std::string(16, '\0'));
    }

    // The register with its misbehaviour, and varkond waiting for print files.
    void startWaiting(const std::vector<std::string>& misbehaviour = {}) {
        startRegister(misbehaviour);
        startService();
        ASSERT_TRUE(Eventually([&] { return logHas("status: " + kWaiting); }));
    }

    // A print file as the host application hands it over: complete and settled, so that the
    // next look for print files takes it.
    void drop(const std::string& name, const std::string& bytes) {
        dir.write(name + ".tmp", bytes);
        fs::last_write_time(dir / (name + ".tmp"), fs::file_time_type::clock::now() - 2s);
        fs::rename(dir / (name + ".tmp"), dir / name);
    }

    bool printed(const std::string& name) {
        return Eventually([&] { return !exists(name); });
    }

    // How often `text` reached the register (varkon-sim's transcript of what it received).
    int sent(const std::string& text) const {
        const std::string all = wire();
        int n = 0;
        for (std::size_t at = all.find(text); at != std::string::npos;
             at = all.find(text, at + 1)) {
            ++n;
        }
        return n;
    }

    // The texts of varkond's log lines of one kind ("message", "caption", "status"), in order.
    std::vector<std::string> logged(const std::string& kind) const {
        std::vector<std::string> texts;
        std::istringstream log(dir.read("varkond.log"));
        const std::string head = kind + ": ";
        for (std::string line; std::getline(log, line);) {
            // "2025-01-31 12:00:00.000 kind: text"
            if (line.size() > 24 && line.compare(24, head.size(), head) == 0) {
                texts.push_back(line.substr(24 + head.size()));
            }
        }
        return texts;
    }
};

// The cases that take longer than a few seconds.
class SlowFaultMatrix : public FaultMatrix {};

}  // namespace varkon::e2e
