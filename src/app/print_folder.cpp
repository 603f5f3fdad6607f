#include "app/print_folder.h"

#include <algorithm>
#include <chrono>

#include "app/print_jobs.h"
#include "app/window_texts.h"
#include "config/settings_values.h"
#include "greek/cp1253.h"

namespace varkon {
namespace {

namespace fs = std::filesystem;

// A wait for a one-shot file still wakes this often, so that the window paints and a stop is
// heard; the folder watch wakes it at once when the writer is done.
constexpr std::chrono::milliseconds kWaitSlice{100};

// The program's own files of the work folder (and of its own folder): never print files, nor
// are the temporary files their atomic rewrites leave beside them.
constexpr const char* kOwnFiles[] = {"param.ini",  "vats.dat",  "receipt.txt", "journal.txt",
                                     "end.txt",    "error.lst", "varkon.job",  "varkon.lock",
                                     "varkon.txt", "delay.inf"};
constexpr const char* kOwnProgramFiles[] = {"delay.inf", "varkon.txt"};

// A candidate as the own-file check sees it: which file it is, its name, and which folder holds it,
// each found once.
struct Candidate {
    std::optional<FileIdentity> identity;
    std::string name;
    std::optional<FileIdentity> folder;
};

// One of the program's files `names` in `folder`, or a temporary file of its atomic rewrite there.
template <std::size_t N>
bool IsOwnFileIn(const fs::path& folder, const char* const (&names)[N], const Candidate& file) {
    const bool sameFolder = file.folder && IdentifyFile(FromFsPath(folder)) == file.folder;
    for (const char* name : names) {
        if (file.identity && IdentifyFile(FromFsPath(folder / name)) == file.identity) return true;
        if (sameFolder && file.name.rfind(std::string(name) + ".", 0) == 0) return true;
    }
    return false;
}

}  // namespace

PrintFolder::PrintFolder(EngineCore& core) : core_(core), files_(core.options().printFileSettle) {}

void PrintFolder::watch(ParamSettings settings) {
    settings.location = core_.inWorkDir(settings.location);
    watchedPrefix_ = FolderOf(settings);
    watch_.watch(watchedPrefix_.empty() ? fs::path(".") : ToFsPath(watchedPrefix_));
}

std::string PrintFolder::FolderOf(const ParamSettings& settings) {
    const std::string pattern =
        FileModeOf(settings) == FileMode::kNumberedFiles && UsesHostFile(settings)
            ? settings.location + "noname.prn"
            : settings.location + settings.file;
    const std::size_t cut = pattern.find_last_of(PathSeparators());
    return cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
}

bool PrintFolder::folderThere(const ParamSettings& settings) {
    // A folder that is gone (a network share, a removed stick) or is a file leaves nothing to
    // take: said once, and once more when it is back, so that the till is not idle in silence.
    const std::string folder = FolderOf(settings);
    std::error_code ec;
    const bool there = folder.empty() || fs::is_directory(ToFsPath(folder), ec);
    if (!there && missingFolder_ != folder) {
        core_.showStatus(texts::kPrintFolderMissing + Cp1253ToUtf8(folder));
    } else if (there && !missingFolder_.empty()) {
        core_.showStatus(texts::kPrintFolderBack + Cp1253ToUtf8(missingFolder_) + "\r\n" +
                         texts::kWaiting);
    }
    missingFolder_ = there ? std::string() : folder;
    return there;
}

bool PrintFolder::takeChanges() {
    const FolderWatch::Changes changes = watch_.take();
    bool lookNow = changes.other;
    for (const std::string& name : changes.finished) {
        const std::string path = watchedPrefix_ + name;
        // The loop's own writes (receipt.txt, the job record) are no reason to look again.
        if (isOwnFile(path)) continue;
        files_.markFinished(path);
        lookNow = true;
    }
    for (const std::string& name : changes.closed) {
        if (!isOwnFile(watchedPrefix_ + name)) lookNow = true;
    }
    return lookNow;
}

bool PrintFolder::waitUntilWritten(const std::string& path) {
    const std::size_t cut = path.find_last_of(PathSeparators());
    FolderWatch watch;
    watch.watch(cut == std::string::npos ? fs::path(".") : ToFsPath(path.substr(0, cut + 1)));
    for (;;) {
        // The host application started this run for the file: it is done with it as soon as no
        // writer holds it any more.
        files_.markFinished(path);
        if (files_.check(path) != PrintFileState::kBeingWritten) return true;
        if (core_.closeRequested()) return false;
        watch.waitUntil(std::chrono::steady_clock::now() + kWaitSlice);
        watch.take();
        core_.surface().repaint();
    }
}

std::string PrintFolder::next(const ParamSettings& settings) {
    if (!folderThere(settings)) return {};
    core_.jobs().forgetPrintedFilesGone();
    const std::vector<std::string> candidates = FindPrintJobs(settings);
    std::erase_if(told_, [&](const auto& entry) {
        return std::find(candidates.begin(), candidates.end(), entry.first) == candidates.end();
    });
    for (const std::string& path : candidates) {
        if (isOwnFile(path)) continue;
        // A file still being written is left for a later tick; the files behind it go on.
        const PrintFileState state = files_.check(path);
        if (state == PrintFileState::kBeingWritten) continue;
        const std::optional<FileContent> content =
            state == PrintFileState::kReady ? ReadFileContent(path) : std::nullopt;
        if (!content) {
            tellOnce(path, texts::kFileSkipped + Cp1253ToUtf8(path));
            continue;
        }
        // Sent before, and the host has written more into it since: never printed again from
        // its first line; it waits for the operator.
        if (core_.jobs().sentJobGrownInto(path) != nullptr) {
            tellOnce(path, texts::kGrownAfterSending + Cp1253ToUtf8(path));
            continue;
        }
        if (const RecordedJob* sent = core_.jobs().sentJobWith(*content)) {
            // Printed before, only its deletion failed: it goes now if it can, and is never
            // printed again.
            const std::uint64_t id = sent->id;
            if (RemoveFile(path)) {
                core_.jobs().forget(id);
                tellOnce(path, "");
            } else {
                tellOnce(path, texts::kPrintedNotDeleted + Cp1253ToUtf8(path));
            }
            continue;
        }
        tellOnce(path, "");
        return path;
    }
    return {};
}

bool PrintFolder::isOwnFile(const std::string& path) const {
    const fs::path candidate = ToFsPath(path);
    const Candidate file{
        IdentifyFile(path), FromFsPath(candidate.filename()),
        IdentifyFile(
            FromFsPath(candidate.parent_path().empty() ? fs::path(".") : candidate.parent_path()))};
    return IsOwnFileIn(core_.options().workDir, kOwnFiles, file) ||
           IsOwnFileIn(core_.options().programDir, kOwnProgramFiles, file);
}

void PrintFolder::tellOnce(const std::string& path, const std::string& text) {
    if (text.empty()) {
        told_.erase(path);
        return;
    }
    auto [it, added] = told_.emplace(path, text);
    if (!added && it->second == text) return;
    it->second = text;
    core_.showStatus(text);
}

}  // namespace varkon
