// A full disk for a real process, without privileges: preloaded into the
// command line (LD_PRELOAD), it lets the first GRIDWICK_DISK_BYTES bytes
// written to regular files (other than standard output and error) through
// pwrite() or write() reach the disk; the
// write that crosses the limit stores what still fits and later ones fail with
// ENOSPC, as on a file system that has just filled up.
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace {

std::atomic<long long> gLeft{-1};  // -1: not read yet

long long Left() {
    long long left = gLeft.load();
    if (left == -1) {
        const char* env = std::getenv("GRIDWICK_DISK_BYTES");
        left = env != nullptr ? std::atoll(env) : (1LL << 62);
        gLeft.store(left);
    }
    return left;
}

bool RegularFile(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

// How many of `n` bytes may be written now; -1 (errno set) when none.
ssize_t Allow(int fd, size_t n) {
    if (fd <= 2 || !RegularFile(fd)) return static_cast<ssize_t>(n);  // the program's own output passes
    const long long left = Left();
    if (left <= 0) {
        errno = ENOSPC;
        return -1;
    }
    const long long take = static_cast<long long>(n) < left ? static_cast<long long>(n) : left;
    gLeft.fetch_sub(take);
    return static_cast<ssize_t>(take);
}

template <typename Fn>
Fn Next(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

ssize_t pwrite(int fd, const void* buf, size_t n, off_t off) {
    static const auto real = Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    const ssize_t allowed = Allow(fd, n);
    return allowed < 0 ? -1 : real(fd, buf, static_cast<size_t>(allowed), off);
}

ssize_t pwrite64(int fd, const void* buf, size_t n, off_t off) {
    static const auto real = Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite64");
    const ssize_t allowed = Allow(fd, n);
    return allowed < 0 ? -1 : real(fd, buf, static_cast<size_t>(allowed), off);
}

ssize_t write(int fd, const void* buf, size_t n) {
    static const auto real = Next<ssize_t (*)(int, const void*, size_t)>("write");
    const ssize_t allowed = Allow(fd, n);
    return allowed < 0 ? -1 : real(fd, buf, static_cast<size_t>(allowed));
}

}  // extern "C"
