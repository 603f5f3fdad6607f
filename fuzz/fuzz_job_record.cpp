// varkon.job on arbitrary bytes, as a crash or a damaged disk may leave it: reading it never
// fails, and the jobs it yields, written whole as a rewrite writes them, read back the same and
// write the same text again. Only files whose jobs have ids of their own: the program never
// writes two jobs under one id.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "app/job_record_format.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool Same(const varkon::RecordedJob& a, const varkon::RecordedJob& b) {
    return a.id == b.id && a.path == b.path && a.content == b.content &&
           a.settings.pos21 == b.settings.pos21 &&
           a.settings.printDescription == b.settings.printDescription &&
           a.settings.quantityInDescription == b.settings.quantityInDescription &&
           a.settings.itemCodes == b.settings.itemCodes &&
           a.settings.comments == b.settings.comments &&
           a.settings.settlement == b.settings.settlement &&
           a.settings.keyboardOff == b.settings.keyboardOff &&
           a.settings.departments == b.settings.departments && a.answered == b.answered &&
           a.messageShown == b.messageShown && a.sent == b.sent;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varkon;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const RecordFileContents read = ParseRecordFile(input);

    std::set<std::uint64_t> ids;
    for (const RecordedJob& job : read.jobs) {
        if (!ids.insert(job.id).second) return 0;
    }
    const std::string text = RecordFileText(read.jobs);
    const RecordFileContents again = ParseRecordFile(text);
    Check(again.jobs.size() == read.jobs.size());
    for (std::size_t i = 0; i < read.jobs.size(); ++i) Check(Same(again.jobs[i], read.jobs[i]));
    Check(RecordFileText(again.jobs) == text);
    return 0;
}
