#include "output/replacing_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

namespace gw {

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

// The name of this machine as temporaries carry it ("-" when it has none).
std::string HostName() {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') return "-";
    std::string out(host, std::min<std::size_t>(std::strlen(host), 64));
    for (char& ch : out)
        if (ch == '/' || ch == '.') ch = '-';
    return out;
}

// The process that made a temporary named ".NAME.HOST.PID.XXXXXX.tmp" on this
// host, 0 when the name is not of that form or names another host.
pid_t TemporaryOwner(const std::string& name, const std::string& host) {
    const std::string tail = ".tmp";
    if (name.size() < 1 + tail.size() || name[0] != '.' || name.compare(name.size() - tail.size(), tail.size(), tail) != 0)
        return 0;
    std::string rest = name.substr(0, name.size() - tail.size());
    const std::size_t random = rest.rfind('.');
    if (random == std::string::npos || rest.size() - random != 7) return 0;
    rest.resize(random);
    const std::size_t dot = rest.rfind('.');
    if (dot == std::string::npos || dot + 1 == rest.size() || rest.size() - dot > 11) return 0;
    pid_t pid = 0;
    for (std::size_t i = dot + 1; i < rest.size(); ++i) {
        if (rest[i] < '0' || rest[i] > '9') return 0;
        pid = pid * 10 + (rest[i] - '0');
    }
    rest.resize(dot);
    if (rest.size() < host.size() + 1 || rest.compare(rest.size() - host.size(), host.size(), host) != 0 ||
        rest[rest.size() - host.size() - 1] != '.')
        return 0;
    return pid;
}

// Removes the temporaries of `folder` whose writer, on this host, is gone (a
// writer killed before it could clean up). A live writer's are left alone, and
// so is anything not this user's own plain file.
void SweepOrphans(const std::filesystem::path& folder, const std::string& host) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        const pid_t pid = TemporaryOwner(e->d_name, host);
        if (pid <= 0 || pid == ::getpid()) continue;
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;  // alive, or not ours to ask about
        struct stat st {};
        if (::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        ::unlinkat(dirFd, e->d_name, 0);
    }
    ::closedir(dir);
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
    // ".NAME.HOST.PID.XXXXXX.tmp": a later writer of the folder can tell a
    // temporary whose writer is gone. Built in steps: GCC 12 warns falsely
    // about a chain of concatenations.
    const std::string host = HostName();
    SweepOrphans(folder, host);
    std::string name = ".";
    name += path.filename().string().substr(0, 100);
    name += ".";
    name += host;
    name += ".";
    name += std::to_string(::getpid());
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

}  // namespace gw
