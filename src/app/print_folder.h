// PrintFolder: the folder the host application's print files appear in, as the job loop sees it.
// It watches the folder so that a file is taken the moment its writer is done, picks the next
// file that can be printed (never one of the program's own files, never one printed before),
// passes over files that cannot be printed now and says so once, and owns the checks of whether
// a writer is done with a file. The job loop owns the decisions about printing.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "app/engine_core.h"
#include "config/param_settings.h"
#include "platform/files.h"
#include "platform/folder_watch.h"

namespace varkon {

class PrintFolder {
  public:
    explicit PrintFolder(EngineCore& core);

    // Watches the folder the print files of these settings appear in (every tick renews it; the
    // start-up sets it first, so that a file written before the first tick wakes the loop too).
    void watch(ParamSettings settings);
    // What a front end waits on to hear that the folder has changed.
    std::intptr_t waitHandle() const { return watch_.waitHandle(); }
    // Takes what the watch has seen: files whose writer is done are taken at the next look
    // without the settling wait. True when a look is worth it now.
    bool takeChanges();

    // The first print file that can be printed now; empty when there is none. A file printed
    // before whose deletion failed is deleted now if it can be, and never returned.
    std::string next(const ParamSettings& settings);
    bool isOwnFile(const std::string& path) const;
    PrintFileState check(const std::string& path) { return files_.check(path); }
    // A one-shot run's file: waits (woken by a watch on its folder) while a writer still has it.
    // False when the program is told to stop first.
    bool waitUntilWritten(const std::string& path);

    // A passing condition, said once in the status line (and varkond's log) until it changes; an
    // empty text forgets it.
    void tellOnce(const std::string& key, const std::string& text);

  private:
    // The folder part of the settings' print-file path (location and name), with its separator;
    // empty for the working folder.
    static std::string FolderOf(const ParamSettings& settings);
    // False while that folder is missing or is a file, which is said when it changes.
    bool folderThere(const ParamSettings& settings);

    EngineCore& core_;
    PrintFileWatch files_;
    FolderWatch watch_;
    std::string watchedPrefix_;  // what a file name of the watched folder is put behind
    std::map<std::string, std::string> told_;
    std::string missingFolder_;  // the print-file folder told missing; empty while it is there
};

}  // namespace varkon
