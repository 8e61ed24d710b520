// Files written whole or not at all. The bytes go to a fresh temporary in the
// destination's folder, under a name no other program can guess, created
// exclusively (never through a symbolic link planted at the name); only when
// every byte is on disk does the temporary take the final name, replacing the
// previous file (or a link at that name, never what a link points to). A
// failed or interrupted run leaves the previous file as it was and removes the
// temporary: on every return, and on SIGINT, SIGTERM and SIGHUP once
// RemoveTemporariesOnSignals has been called. The temporary's name carries the
// host and the process id; one left behind by a writer that was killed
// outright is removed by the next writer into that folder on that host, once
// that process is gone. A device or pipe named as the
// destination (/dev/null, a FIFO) is written in place: it has no folder
// entry to replace.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace gw {

class ReplacingFile {
public:
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile() { Discard(); }

    // Creates the temporary for `path`. False on failure (see Error).
    bool Open(const std::filesystem::path& path);
    // Appends bytes. After the first failure nothing more is written and
    // every call returns false; the failure's errno is kept.
    bool Write(const void* data, std::size_t n);
    bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
    // Puts the bytes on disk and gives the temporary the final name. False
    // (and the temporary removed) on any failure, including an earlier one.
    bool Commit();
    // Removes the temporary; the final name is left alone.
    void Discard();

    // errno of the first failure, 0 when none.
    int Error() const { return err_; }
    // "cannot write PATH: reason", for the first failure.
    std::string Reason() const;
    const std::filesystem::path& Path() const { return path_; }

private:
    void Fail(int err) {
        if (err_ == 0) err_ = err;
    }

    std::filesystem::path path_;
    std::string tmp_;
    int fd_ = -1;
    int err_ = 0;
    int slot_ = -1;  // place in the list removed on signals
    bool inPlace_ = false;  // a device or pipe, written directly
};

// From now on SIGINT, SIGTERM and SIGHUP first remove the open temporaries,
// then end the program as the signal would have.
void RemoveTemporariesOnSignals();

}  // namespace gw
