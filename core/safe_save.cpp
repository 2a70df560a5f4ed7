// safe_save.cpp - atomic saves over POSIX: an unnamed temporary (O_TMPFILE) linked in and
// renamed over the target, or a named ".ostrel-PID-XXXXXX" one where the folder cannot hold
// unnamed files; fsync of file and folder; owner, group and mode of the old file kept.
#include "core/safe_save.h"
#include "core/log.h"
#include "core/platform.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A temporary this old belongs to no save still running, whoever made it.
constexpr time_t kStaleSeconds = 3600;

// Follows a chain of symlinks to the file they name, so that a save replaces that file and
// keeps the links. Relative link texts count from the link's own folder.
int resolve_links(std::string* path) {
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(path->c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
        if (hops == 40) return ELOOP;
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        ssize_t n = ::readlink(path->c_str(), target.data(), target.size());
        if (n < 0) return errno;
        target.resize(static_cast<size_t>(n));
        size_t slash = path->rfind('/');
        if (target.empty() || target[0] == '/' || slash == std::string::npos)
            *path = target;
        else
            *path = path->substr(0, slash + 1) + target;
    }
}

// A file that exists must be a regular file that we may open for writing, as a plain open
// for writing would require; the check never blocks on a FIFO or a device.
int check_target(const std::string& path, struct stat* st, bool* existed) {
    *existed = false;
    int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return 0;
        // A FIFO without a reader refuses with ENXIO: it is no regular file either.
        return errno == ENXIO ? FILE_NOT_REGULAR : errno;
    }
    bool regular = ::fstat(fd, st) == 0 && S_ISREG(st->st_mode);
    ::close(fd);
    *existed = regular;
    return regular ? 0 : FILE_NOT_REGULAR;
}

std::string folder_of(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The rename is durable only once the folder's entry is on disk.
void sync_folder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    if (::fsync(fd) != 0 && errno != EINVAL)
        log_msg('W', "<save> could not sync folder '%s': %s", folder.c_str(),
                std::strerror(errno));
    ::close(fd);
}

std::string temp_prefix(const std::string& folder) {
    return folder + "/" + kSafeSaveTempPrefix + std::to_string(::getpid()) + "-";
}

// A fresh name for linking an unnamed file in; link refuses names that exist, so collisions
// are simply retried.
std::string random_suffix() {
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    uint64_t seed = static_cast<uint64_t>(now.tv_nsec) * 6364136223846793005ull +
                    static_cast<uint64_t>(now.tv_sec) + reinterpret_cast<uintptr_t>(&now);
    std::string suffix(6, 'a');
    for (char& c : suffix) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        c = kDigits[(seed >> 33) % 62];
    }
    return suffix;
}

// Links the unnamed file in under a new temporary name.
int link_unnamed(SafeSave* save, const std::string& folder) {
    std::string proc = "/proc/self/fd/" + std::to_string(save->fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = temp_prefix(folder) + random_suffix();
        if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            save->temp = name;
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

// Gives the new file the old one's owner and group where we may (as root, or the group
// alone when we belong to it), then its mode; a new file gets the mode any new file would.
void take_over_attributes(SafeSave* save, const struct stat& old) {
    mode_t mode;
    if (save->existed) {
        if (::fchown(save->fd, old.st_uid, old.st_gid) != 0) {
            save->owner_kept = ::fchown(save->fd, static_cast<uid_t>(-1), old.st_gid) == 0 &&
                               old.st_uid == ::geteuid();
        }
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(save->fd, mode) != 0 && save->error == 0) save->error = errno;
}

bool is_decimal(const char* text, size_t length) {
    if (length == 0) return false;
    for (size_t i = 0; i < length; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

} // namespace

SafeSave::~SafeSave() {
    if (fd >= 0) ::close(fd);
    if (!temp.empty()) ::unlink(temp.c_str());
}

int safe_save_clean_folder(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    const size_t prefix = std::strlen(kSafeSaveTempPrefix);
    time_t now = std::time(nullptr);
    int removed = 0;
    while (dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        size_t length = std::strlen(name);
        if (length != prefix + 6 && (length < prefix + 8 || name[length - 7] != '-')) continue;
        if (std::strncmp(name, kSafeSaveTempPrefix, prefix) != 0) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        bool stale = now - st.st_mtime > kStaleSeconds;
        // ".ostrel-PID-XXXXXX": ours when its process is gone (another machine's or another
        // user's wait for the age limit).
        size_t digits = length - prefix - 7;
        if (!stale && length > prefix + 6 && is_decimal(name + prefix, digits) &&
            st.st_uid == ::geteuid()) {
            long pid = std::strtol(name + prefix, nullptr, 10);
            stale = pid != ::getpid() && pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 &&
                    errno == ESRCH;
        }
        if (stale && ::unlinkat(::dirfd(dir), name, 0) == 0) {
            log_msg('I', "<save> removed '%s/%s', left by a save that did not finish",
                    folder.c_str(), name);
            ++removed;
        }
    }
    ::closedir(dir);
    return removed;
}

int safe_save_open(SafeSave* save, const char* path, const SafeSaveOptions& options) {
    // Past a file size limit a write must fail with EFBIG rather than end the process.
    std::signal(SIGXFSZ, SIG_IGN);
    save->sync = options.sync;
    if (!path || !*path) return save->error = ENOENT;
    save->target = path;
    struct stat link {};
    if (options.refuse_links && ::lstat(path, &link) == 0 && S_ISLNK(link.st_mode))
        return save->error = FILE_IS_LINK;
    if (int error = resolve_links(&save->target)) return save->error = error;
    struct stat old {};
    if (int error = check_target(save->target, &old, &save->existed)) return save->error = error;
    save->hard_links = save->existed ? old.st_nlink : 0;
    std::string folder = folder_of(save->target);
    safe_save_clean_folder(folder);
    // An unnamed file vanishes with the process that made it, whatever ends that process;
    // linking it in later needs /proc.
    if (options.unnamed_temp && ::access("/proc/self/fd", X_OK) == 0)
        save->fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (save->fd < 0) {
        // A short name, so that a target name near the 255-byte limit still leaves room.
        std::string temp = temp_prefix(folder) + "XXXXXX";
        save->fd = ::mkstemp(temp.data());
        if (save->fd < 0) return save->error = errno;
        save->temp = temp;
    }
    take_over_attributes(save, old);
    return save->error;
}

int safe_save_write(SafeSave* save, std::span<const uint8_t> bytes) {
    const uint8_t* data = bytes.data();
    size_t size = bytes.size();
    while (save->error == 0 && size > 0) {
        ssize_t n = ::write(save->fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            save->error = n == 0 ? ENOSPC : errno;
            break;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return save->error;
}

int safe_save_commit(SafeSave* save) {
    auto fail = [save](int reason) {
        if (save->error == 0) save->error = reason;
    };
    if (save->fd < 0) fail(EBADF);
    if (save->error == 0 && save->sync && ::fsync(save->fd) != 0) fail(errno);
    std::string folder = folder_of(save->target);
    if (save->error == 0 && save->temp.empty()) {
        // A new name takes the unnamed file directly; a name in use needs a rename over it.
        std::string proc = "/proc/self/fd/" + std::to_string(save->fd);
        if (!save->existed && ::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, save->target.c_str(),
                                       AT_SYMLINK_FOLLOW) == 0) {
            ::close(save->fd);
            save->fd = -1;
            if (save->sync) sync_folder(folder);
            return 0;
        }
        if (int error = link_unnamed(save, folder)) fail(error);
    }
    if (save->fd >= 0 && ::close(save->fd) != 0) fail(errno);
    save->fd = -1;
    if (save->error == 0 && std::rename(save->temp.c_str(), save->target.c_str()) != 0)
        fail(errno);
    if (save->error != 0) {
        if (!save->temp.empty()) ::unlink(save->temp.c_str());
        save->temp.clear();
        return save->error;
    }
    save->temp.clear();
    if (save->sync) sync_folder(folder);
    return 0;
}

int safe_save_file(const char* path, std::span<const uint8_t> bytes,
                   const SafeSaveOptions& options, SafeSave* facts) {
    SafeSave local;
    SafeSave* save = facts ? facts : &local;
    if (safe_save_open(save, path, options) == 0 && safe_save_write(save, bytes) == 0)
        (void)safe_save_commit(save);
    if (save->error != 0) {
        log_msg('W', "<save> error writing '%s': %s", path ? path : "", file_error_text(save->error));
        // Drop the temporary now rather than when the caller's facts go.
        if (save->fd >= 0) ::close(save->fd);
        save->fd = -1;
        if (!save->temp.empty()) ::unlink(save->temp.c_str());
        save->temp.clear();
    }
    return save->error;
}
