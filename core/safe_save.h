// safe_save.h - the one way every file we write reaches the disk: a new file is written
// beside the target and takes its name only once complete, so a failed save or a crash never
// destroys or half-writes the old file and leaves no temporary file behind.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <sys/types.h>

struct SafeSaveOptions {
    bool refuse_links = false; // a symlink under the name is refused rather than followed
    bool sync = true;          // fsync the file and its folder: a level survives a power cut
    bool unnamed_temp = true;  // write an unnamed file (O_TMPFILE) where the folder allows
};

// One save in progress. The file behind fd is not yet visible under the target's name;
// destroying an uncommitted save discards it.
struct SafeSave {
    int fd = -1;
    std::string target;      // the file that will be replaced (symlinks followed)
    std::string temp;        // the named temporary, empty while the file has no name
    bool existed = false;    // a file was under the target's name when the save began
    uint64_t hard_links = 0; // names the replaced file had; the others keep the old contents
    bool owner_kept = true;  // the old owner and group could be given to the new file
    int error = 0;           // first failure, for file_error_text
    bool sync = true;
    SafeSave() = default;
    SafeSave(const SafeSave&) = delete;
    SafeSave& operator=(const SafeSave&) = delete;
    ~SafeSave();
};

// Starts a save to path: 0, or the reason (an errno value or a FILE_* reason) with nothing
// created. A symlink is followed (the link stays) unless refused; a name that is no regular
// file is refused. Stale temporaries of crashed saves in that folder are removed first.
[[nodiscard]] int safe_save_open(SafeSave* save, const char* path,
                                 const SafeSaveOptions& options = {});
// Appends bytes; 0 or the first reason a write failed (EFBIG, "File too large", past a
// file size limit: the signal that would end the process is ignored).
[[nodiscard]] int safe_save_write(SafeSave* save, std::span<const uint8_t> bytes);
// Makes the written file durable and puts it under the target's name; 0 or the reason,
// the old file then untouched. The save is closed either way.
[[nodiscard]] int safe_save_commit(SafeSave* save);
// The whole save of bytes already laid out in memory; facts (when given) tell what was met.
[[nodiscard]] int safe_save_file(const char* path, std::span<const uint8_t> bytes,
                                 const SafeSaveOptions& options = {}, SafeSave* facts = nullptr);

// Removes the temporaries that crashed saves left in a folder: ours whose process is gone,
// and any older than an hour. Returns how many went.
int safe_save_clean_folder(const std::string& folder);
// The prefix of every named temporary a save makes.
inline constexpr const char* kSafeSaveTempPrefix = ".ostrel-";
