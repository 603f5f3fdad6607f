#include "http/handed_in_receipts.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <system_error>

#include "greek/cp1253.h"
#include "platform/files.h"
#include "platform/fnv1a.h"

namespace varkon {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Bounds, so that a careless client cannot fill the disk or the memory.
constexpr std::size_t kMostQueued = 1000;
constexpr std::size_t kMostKept = 20000;
constexpr std::size_t kMostReports = 100;

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string HashOf(const std::string& body) {
    Fnv1a hash;
    hash.add(body.data(), body.size());
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash.value()));
    return std::string(text, 16) + "-" + std::to_string(body.size());
}

bool HasEnded(HandedInState state) {
    return state == HandedInState::kDone || state == HandedInState::kRefused ||
           state == HandedInState::kFailed;
}

std::optional<HandedInState> StateNamed(const std::string& name) {
    for (const HandedInState state :
         {HandedInState::kQueued, HandedInState::kPrinting, HandedInState::kDone,
          HandedInState::kStopped, HandedInState::kRefused, HandedInState::kFailed}) {
        if (name == HandedInStateName(state)) return state;
    }
    return std::nullopt;
}

std::string StateText(const HandedInReceipt& receipt) {
    const nlohmann::json json = {{"number", receipt.number},
                                 {"key", receipt.key},
                                 {"hash", receipt.hash},
                                 {"state", HandedInStateName(receipt.state)},
                                 {"line", receipt.line},
                                 {"lines", receipt.lines},
                                 {"receipt", receipt.receiptNumber},
                                 {"code", receipt.code},
                                 {"message", receipt.message},
                                 {"arrived", receipt.arrived},
                                 {"ended", receipt.ended}};
    return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::optional<HandedInReceipt> ReadState(const fs::path& file) {
    const nlohmann::json json =
        nlohmann::json::parse(ReadWholeFile(FromFsPath(file)), nullptr, /*allow_exceptions=*/false);
    if (!json.is_object()) return std::nullopt;
    HandedInReceipt receipt;
    try {
        receipt.number = json.at("number").get<std::uint64_t>();
        receipt.key = json.at("key").get<std::string>();
        receipt.hash = json.at("hash").get<std::string>();
        const std::optional<HandedInState> state = StateNamed(json.at("state").get<std::string>());
        if (!state) return std::nullopt;
        receipt.state = *state;
        receipt.line = json.at("line").get<std::size_t>();
        receipt.lines = json.at("lines").get<std::size_t>();
        receipt.receiptNumber = json.at("receipt").get<std::string>();
        receipt.code = json.at("code").get<int>();
        receipt.message = json.at("message").get<std::string>();
        receipt.arrived = json.at("arrived").get<std::int64_t>();
        receipt.ended = json.at("ended").get<std::int64_t>();
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
    return receipt;
}

}  // namespace

const char* HandedInStateName(HandedInState state) {
    switch (state) {
        case HandedInState::kQueued:
            return "queued";
        case HandedInState::kPrinting:
            return "printing";
        case HandedInState::kDone:
            return "done";
        case HandedInState::kStopped:
            return "stopped";
        case HandedInState::kRefused:
            return "refused";
        case HandedInState::kFailed:
            return "failed";
    }
    return "failed";
}

HandedInReceipts::HandedInReceipts(fs::path folder, std::chrono::seconds keep)
    : folder_(std::move(folder)), keep_(keep) {}

fs::path HandedInReceipts::printFile(std::uint64_t number) const {
    return folder_ / (std::to_string(number) + ".prn");
}
fs::path HandedInReceipts::stateFile(std::uint64_t number) const {
    return folder_ / (std::to_string(number) + ".json");
}
std::string HandedInReceipts::enginePath(std::uint64_t number) const {
    return FromFsPath(printFile(number));
}

bool HandedInReceipts::open() {
    std::lock_guard lock(mutex_);
    std::error_code error;
    fs::create_directories(folder_, error);
    if (!fs::is_directory(folder_, error)) return false;
    std::map<std::uint64_t, bool> printFiles;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_, error)) {
        const fs::path name = entry.path().filename();
        const std::string stem = name.stem().string();
        if (stem.empty() || stem.size() > 18 ||
            stem.find_first_not_of("0123456789") != std::string::npos) {
            continue;  // not one of ours: a number of ours has fewer digits
        }
        const std::uint64_t number = std::stoull(stem);
        if (name.extension() == ".prn") {
            printFiles[number] = true;
        } else if (name.extension() == ".json") {
            std::optional<HandedInReceipt> receipt = ReadState(entry.path());
            if (!receipt || receipt->number != number || byKey_.count(receipt->key) != 0) continue;
            byKey_[receipt->key] = number;
            receipts_[number] = *receipt;
        }
        if (number >= nextNumber_) nextNumber_ = number + 1;
    }
    for (const auto& [number, present] : printFiles) {
        const auto found = receipts_.find(number);
        // A print file without its state was never acknowledged; one whose receipt has ended
        // only waited to be deleted.
        if (found == receipts_.end() || HasEnded(found->second.state)) {
            fs::remove(printFile(number), error);
        }
    }
    forgetOld(Now());
    return true;
}

void HandedInReceipts::forgetOld(std::int64_t now) {
    std::error_code error;
    for (auto it = receipts_.begin(); it != receipts_.end();) {
        const HandedInReceipt& receipt = it->second;
        const bool tooMany = receipts_.size() > kMostKept;
        if (HasEnded(receipt.state) && (tooMany || now - receipt.ended > keep_.count())) {
            fs::remove(stateFile(receipt.number), error);
            byKey_.erase(receipt.key);
            it = receipts_.erase(it);
        } else {
            ++it;
        }
    }
}

bool HandedInReceipts::save(const HandedInReceipt& receipt) {
    return ReplaceFileAtomically(stateFile(receipt.number), StateText(receipt)) == 0;
}

void HandedInReceipts::shutDown() {
    std::lock_guard lock(mutex_);
    shuttingDown_ = true;
    changed_.notify_all();
}

void HandedInReceipts::changed() {
    changed_.notify_all();
}

HandedInReceipts::PutResult HandedInReceipts::put(const std::string& key, const std::string& body,
                                                  HandedInReceipt& now) {
    const std::string hash = HashOf(body);
    std::lock_guard lock(mutex_);
    if (const auto found = byKey_.find(key); found != byKey_.end()) {
        now = receipts_.at(found->second);
        return now.hash == hash ? PutResult::kRepeated : PutResult::kConflict;
    }
    std::size_t queued = 0;
    for (const auto& [number, receipt] : receipts_) {
        if (!HasEnded(receipt.state)) ++queued;
    }
    if (queued >= kMostQueued) return PutResult::kFull;
    forgetOld(Now());

    HandedInReceipt receipt;
    receipt.number = nextNumber_++;
    receipt.key = key;
    receipt.hash = hash;
    receipt.arrived = Now();
    // The print file first: a state without its print file would be a receipt lost. Both are on
    // the disk, names and all, before the job loop may take it and before the client hears of it:
    // a receipt printed that a power cut then forgot would be printed again by the client's
    // retry. One sync of the folder serves both names.
    if (ReplaceFileAtomically(printFile(receipt.number), body, false, false) != 0 ||
        ReplaceFileAtomically(stateFile(receipt.number), StateText(receipt), false, false) != 0 ||
        !SyncFolderOf(stateFile(receipt.number))) {
        std::error_code error;
        fs::remove(printFile(receipt.number), error);
        fs::remove(stateFile(receipt.number), error);
        return PutResult::kNotKept;
    }
    receipts_[receipt.number] = receipt;
    byKey_[key] = receipt.number;
    now = receipt;
    wake_.wake();
    changed();
    return PutResult::kQueued;
}

std::optional<HandedInReceipt> HandedInReceipts::find(const std::string& key) {
    std::lock_guard lock(mutex_);
    const auto found = byKey_.find(key);
    if (found == byKey_.end()) return std::nullopt;
    return receipts_.at(found->second);
}

std::optional<HandedInReceipt> HandedInReceipts::waitForEnd(const std::string& key,
                                                            Clock::time_point until) {
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto found = byKey_.find(key);
        if (found == byKey_.end()) return std::nullopt;
        const HandedInReceipt& receipt = receipts_.at(found->second);
        if (HasEnded(receipt.state) || receipt.state == HandedInState::kStopped || shuttingDown_) {
            return receipt;
        }
        if (changed_.wait_until(lock, until) == std::cv_status::timeout) {
            return receipts_.at(found->second);
        }
    }
}

std::optional<AskedReport> HandedInReceipts::askReport(Report report) {
    std::lock_guard lock(mutex_);
    std::size_t waiting = 0;
    for (const AskedReport& asked : reports_) {
        if (asked.state == ReportState::kQueued) ++waiting;
    }
    if (waiting >= kMostReports) return std::nullopt;
    while (reports_.size() >= kMostReports) reports_.pop_front();
    AskedReport asked;
    asked.number = nextReport_++;
    asked.report = report;
    reports_.push_back(asked);
    wake_.wake();
    changed();
    return asked;
}

std::optional<AskedReport> HandedInReceipts::findReport(std::uint64_t number) {
    std::lock_guard lock(mutex_);
    for (const AskedReport& asked : reports_) {
        if (asked.number == number) return asked;
    }
    return std::nullopt;
}

std::optional<AskedReport> HandedInReceipts::waitForReport(std::uint64_t number,
                                                           Clock::time_point until) {
    std::unique_lock lock(mutex_);
    for (;;) {
        const AskedReport* found = nullptr;
        for (const AskedReport& asked : reports_) {
            if (asked.number == number) found = &asked;
        }
        if (found == nullptr) return std::nullopt;
        const bool ended =
            found->state == ReportState::kDone || found->state == ReportState::kRefused;
        if (ended || shuttingDown_ || changed_.wait_until(lock, until) == std::cv_status::timeout) {
            for (const AskedReport& asked : reports_) {
                if (asked.number == number) return asked;
            }
            return std::nullopt;
        }
    }
}

EngineStatus HandedInReceipts::status() {
    std::lock_guard lock(mutex_);
    EngineStatus status = engine_;
    if (printing_) status.printing = receipts_.at(*printing_);
    status.queued = 0;
    for (const auto& [number, receipt] : receipts_) {
        if (receipt.state == HandedInState::kQueued) ++status.queued;
    }
    return status;
}

void HandedInReceipts::progress(std::size_t line, std::size_t lines) {
    std::lock_guard lock(mutex_);
    if (!printing_) return;
    HandedInReceipt& receipt = receipts_.at(*printing_);
    receipt.line = line;
    receipt.lines = lines;
}

std::optional<std::uint64_t> HandedInReceipts::numberOf(const std::string& path) const {
    // Asked at every job: read off the name instead of comparing with every receipt kept.
    const std::string stem = ToFsPath(path).stem().string();
    if (stem.empty() || stem.size() > 18 ||
        stem.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const std::uint64_t number = std::stoull(stem);
    if (receipts_.count(number) == 0 || enginePath(number) != path) return std::nullopt;
    return number;
}

std::string HandedInReceipts::nextReceipt() {
    std::lock_guard lock(mutex_);
    for (const auto& [number, receipt] : receipts_) {
        if (receipt.state == HandedInState::kQueued) return enginePath(number);
    }
    return {};
}

bool HandedInReceipts::holds(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return numberOf(path).has_value();
}

void HandedInReceipts::printing(const std::string& path) {
    std::lock_guard lock(mutex_);
    const std::optional<std::uint64_t> number = numberOf(path);
    if (!number) return;
    HandedInReceipt& receipt = receipts_.at(*number);
    receipt.state = HandedInState::kPrinting;
    receipt.line = 0;
    receipt.message.clear();
    printing_ = *number;
    // Not written: the first command waits for nothing but the job record. After a restart
    // the job record finishes it first whatever its file says, and one it finished whose end
    // was not written is told as printed before (the job loop knows it sent).
    changed();
}

void HandedInReceipts::finished(const std::string& path, const IntakeOutcome& outcome) {
    std::lock_guard lock(mutex_);
    const std::optional<std::uint64_t> number = numberOf(path);
    if (!number) return;
    HandedInReceipt& receipt = receipts_.at(*number);
    switch (outcome.kind) {
        case IntakeOutcome::Kind::kPrinted:
            receipt.state = HandedInState::kDone;
            receipt.line = receipt.lines;
            break;
        case IntakeOutcome::Kind::kStopped:
            receipt.state = HandedInState::kStopped;
            break;
        case IntakeOutcome::Kind::kRefused:
            receipt.state = HandedInState::kRefused;
            break;
        case IntakeOutcome::Kind::kFailed:
            receipt.state = HandedInState::kFailed;
            break;
    }
    if (outcome.kind != IntakeOutcome::Kind::kPrinted) receipt.line = outcome.line;
    receipt.receiptNumber = outcome.receiptNumber;
    receipt.code = outcome.code;
    receipt.message = outcome.message;
    if (HasEnded(receipt.state)) receipt.ended = Now();
    if (printing_ == *number) printing_.reset();
    // The job loop deletes the print file after this; a state that could not be written is
    // written again at the next change, and told by the next restart's reading.
    save(receipt);
    changed();
}

std::optional<Report> HandedInReceipts::takeReport() {
    std::lock_guard lock(mutex_);
    for (AskedReport& asked : reports_) {
        if (asked.state == ReportState::kQueued) {
            asked.state = ReportState::kRunning;
            changed();
            return asked.report;
        }
    }
    return std::nullopt;
}

void HandedInReceipts::reportEnded(Report report, const ReportOutcome& outcome) {
    std::lock_guard lock(mutex_);
    for (AskedReport& asked : reports_) {
        if (asked.state == ReportState::kRunning && asked.report == report) {
            asked.state = outcome.done ? ReportState::kDone : ReportState::kRefused;
            asked.code = outcome.code;
            asked.message = outcome.message;
            break;
        }
    }
    changed();
}

void HandedInReceipts::exchangeEnded(const ExchangeResult& result) {
    std::lock_guard lock(mutex_);
    switch (result.status) {
        case ExchangeStatus::kAnswered:
        case ExchangeStatus::kOtherReply:
        case ExchangeStatus::kRefused:
        case ExchangeStatus::kCodeNotANumber:
            engine_.registerAnswering = true;
            break;
        case ExchangeStatus::kNoAnswer:
            engine_.registerAnswering = false;
            break;
        default:
            break;
    }
}

void HandedInReceipts::tickEnded(const std::string& unfinished) {
    std::lock_guard lock(mutex_);
    if (unfinished.empty()) {
        engine_.unfinished.clear();
    } else if (const std::optional<std::uint64_t> number = numberOf(unfinished)) {
        engine_.unfinished = receipts_.at(*number).key;
    } else {
        engine_.unfinished = Cp1253ToUtf8(unfinished);
    }
}

}  // namespace varkon
