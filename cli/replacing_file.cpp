#include "cli/replacing_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace gw::cli {

namespace {

// The temporaries a signal handler removes: fixed storage, so that the
// handler only reads memory and calls unlink().
constexpr std::size_t kSlots = 16;
struct Slot {
    std::atomic<bool> used{false};
    char path[PATH_MAX]{};
};
std::array<Slot, kSlots> gSlots;
std::atomic_flag gSlotLock = ATOMIC_FLAG_INIT;

int Register(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    while (gSlotLock.test_and_set(std::memory_order_acquire)) {
    }
    int found = -1;
    for (std::size_t i = 0; i < kSlots && found < 0; ++i) {
        if (gSlots[i].used.load()) continue;
        std::memcpy(gSlots[i].path, path.c_str(), path.size() + 1);
        gSlots[i].used.store(true);
        found = static_cast<int>(i);
    }
    gSlotLock.clear(std::memory_order_release);
    return found;
}

void Unregister(int slot) {
    if (slot >= 0) gSlots[static_cast<std::size_t>(slot)].used.store(false);
}

extern "C" void OnStopRemoveTemporaries(int sig) {
    for (Slot& s : gSlots)
        if (s.used.load()) ::unlink(s.path);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

mode_t FileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool ReplacingFile::Open(const std::filesystem::path& path) {
    Discard();
    path_ = path;
    err_ = 0;
    inPlace_ = false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd_ < 0) Fail(errno);
        inPlace_ = fd_ >= 0;
        return fd_ >= 0;
    }
    const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    // Built in steps: GCC 12 warns falsely about a chain of concatenations.
    std::string name = ".";
    name += path.filename().string();
    name += ".XXXXXX.tmp";
    std::string tmpl = (folder / name).string();
    // The stop signals wait while the file is made and listed, so that a
    // signal never finds it made but not listed.
    sigset_t stops, before;
    sigemptyset(&stops);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, sig);
    ::pthread_sigmask(SIG_BLOCK, &stops, &before);
    const int fd = ::mkostemps(tmpl.data(), 4, O_CLOEXEC);
    const int err = errno;
    if (fd >= 0) {
        fd_ = fd;
        tmp_ = tmpl;
        slot_ = Register(tmp_);
    }
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (fd < 0) {
        Fail(err);
        return false;
    }
    // mkstemp makes the file readable by its owner only; the finished file
    // gets the permissions of any file this user creates.
    if (::fchmod(fd_, FileMode()) != 0) {
        Fail(errno);
        Discard();
        return false;
    }
    return true;
}

bool ReplacingFile::Write(const void* data, std::size_t n) {
    if (fd_ < 0 || err_ != 0) {
        if (err_ == 0) err_ = EBADF;
        return false;
    }
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        const ssize_t k = ::write(fd_, p, n);
        if (k < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
            return false;
        }
        if (k == 0) {
            Fail(EIO);
            return false;
        }
        p += k;
        n -= static_cast<std::size_t>(k);
    }
    return true;
}

bool ReplacingFile::Commit() {
    if (fd_ < 0 && err_ == 0) Fail(EBADF);
    if (err_ == 0 && !inPlace_ && ::fsync(fd_) != 0) Fail(errno);
    if (fd_ >= 0) {
        if (::close(fd_) != 0) Fail(errno);
        fd_ = -1;
    }
    if (err_ == 0 && !inPlace_ && ::rename(tmp_.c_str(), path_.c_str()) != 0) Fail(errno);
    if (err_ != 0) {
        Discard();
        return false;
    }
    Unregister(slot_);
    slot_ = -1;
    tmp_.clear();
    return true;
}

void ReplacingFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tmp_.empty()) {
        ::unlink(tmp_.c_str());
        tmp_.clear();
    }
    Unregister(slot_);
    slot_ = -1;
}

std::string ReplacingFile::Reason() const {
    return "cannot write " + path_.string() + ": " + std::strerror(err_ != 0 ? err_ : EIO);
}

void RemoveTemporariesOnSignals() {
    struct sigaction sa {};
    sa.sa_handler = OnStopRemoveTemporaries;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
}

}  // namespace gw::cli
