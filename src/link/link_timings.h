// Every time limit of the register link in one value. The defaults are the real ones; tests
// shorten them instead of sleeping through them.
#pragma once

#include <chrono>

namespace varkon {

struct LinkTimings {
    std::chrono::milliseconds replyWindow{5000};  // wait for an answer, per attempt
    int attempts = 4;                             // sends of one command before giving up
    // A report is answered when the register has printed it, which may take long; it is sent
    // once, for a report sent again is printed again (and a Z report closes another day).
    std::chrono::milliseconds reportReplyWindow{120000};
    std::chrono::milliseconds readGap{20};      // a read ends this long after the last byte
    std::chrono::milliseconds readPerByte{1};   // a silent read lasts this per requested byte
    std::chrono::milliseconds readExtra{1};     // ... plus this
    std::chrono::milliseconds writePerByte{1};  // a write must finish within this per byte
    std::chrono::milliseconds writeExtra{10};   // ... plus this
    std::chrono::milliseconds deleteRetryPeriod{30000};  // print-file deletion before asking
};

}  // namespace varkon
