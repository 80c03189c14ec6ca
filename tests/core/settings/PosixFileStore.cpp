#include "tests/core/settings/PosixFileStore.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace settings_test {

namespace {

// Closes the descriptor when this goes.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    bool Close()
    {
        const bool closed = fd_ < 0 || ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }

private:
    int fd_;
};

bool WriteWhole(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

bool PosixFileStore::FileExists(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::optional<std::string> PosixFileStore::ReadAll(const std::string& path)
{
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.Valid()) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t read = ::read(file.Get(), buffer, sizeof buffer);
        if (read < 0 && errno == EINTR) {
            continue;
        }
        if (read < 0) {
            return std::nullopt;
        }
        if (read == 0) {
            return bytes;
        }
        bytes.append(buffer, static_cast<std::size_t>(read));
    }
}

bool PosixFileStore::ReplaceAll(const std::string& path, const std::string& bytes)
{
    std::string temporary = path + ".XXXXXX";
    FileDescriptor file(::mkstemp(temporary.data()));
    if (!file.Valid()) {
        return false;
    }
    const bool written = WriteWhole(file.Get(), bytes) && ::fsync(file.Get()) == 0;
    if (file.Close() && written && ::rename(temporary.c_str(), path.c_str()) == 0) {
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

bool PosixFileStore::AppendAll(const std::string& path, const std::string& bytes)
{
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (!file.Valid()) {
        return false;
    }
    ssize_t written = 0;
    do {
        written = ::write(file.Get(), bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    return file.Close() && written >= 0 && static_cast<std::size_t>(written) == bytes.size();
}

std::optional<std::uint64_t> PosixFileStore::FileSize(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(status.st_size);
}

bool PosixFileStore::MoveReplacing(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace settings_test
