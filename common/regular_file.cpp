#include "common/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/data_error.h"

namespace korvana {

namespace {

constexpr std::uint64_t MB = 1024 * 1024;

// Closes the descriptor on every way out of the reader.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

[[noreturn]] void refuse(const std::string& fileName, const std::string& problem) {
    throw DataError(SourcePosition{fileName, 0, 0}, problem);
}

// Why a name that cannot be opened cannot be: a link to nothing is told apart
// from a name that is not there at all.
[[noreturn]] void refuseUnopened(const std::string& fileName, int error) {
    struct stat link {};
    if (error == ENOENT && ::lstat(fileName.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char target[256] = {};
        const ssize_t length = ::readlink(fileName.c_str(), target, sizeof target - 1);
        refuse(fileName, "is a dangling symbolic link (it points to " +
                             quoteValue(std::string_view(target, length > 0 ? length : 0)) +
                             ", which does not exist) - restore the file it points to or "
                             "remove the link");
    }
    if (error == ENOENT || error == ENOTDIR) {
        refuse(fileName,
               "file not found (it must lie in the working directory) - "
               "copy it there or start the program in the right directory");
    }
    if (error == EACCES || error == EPERM) {
        refuse(fileName, "cannot be opened (no read permission) - check the file's permissions");
    }
    if (error == ENXIO) {
        refuse(fileName,
               "is a socket or a device without a driver, not a regular file - "
               "give the name of a regular file");
    }
    if (error == ELOOP) {
        refuse(fileName, "is a loop of symbolic links - remove the link");
    }
    refuse(fileName,
           std::string("cannot be opened (") + std::strerror(error) + ") - check the file");
}

std::string notRegular(mode_t mode) {
    if (S_ISDIR(mode)) return "is a directory, not a file - remove or rename the directory";
    const char* what = S_ISFIFO(mode)   ? "a FIFO (named pipe)"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "not a file";
    return std::string("is ") + what + ", not a regular file - give the name of a regular file";
}

}  // namespace

FileKindLimit fileKindLimit(FileKind kind) {
    const FileKindFacts& facts = fileKindFacts(kind);
    return {facts.name, facts.maxBytes};
}

std::string readRegularFile(const std::string& fileName, FileKind kind) {
    const FileKindLimit limit = fileKindLimit(kind);
    // O_NONBLOCK: opening a FIFO that has no writer returns at once.
    const Descriptor fd(::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) refuseUnopened(fileName, errno);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) refuseUnopened(fileName, errno);
    if (!S_ISREG(status.st_mode)) refuse(fileName, notRegular(status.st_mode));
    const std::string tooLarge = "is larger than " + std::to_string(limit.maxBytes / MB) +
                                 " MB, the most a " + std::string(limit.what) +
                                 " holds (it is not a " + std::string(limit.what) +
                                 ", or it is damaged) - give the right file";
    if (static_cast<std::uint64_t>(status.st_size) > limit.maxBytes) refuse(fileName, tooLarge);

    // Read to the end, never past the cap: the file may grow while it is read.
    std::string content;
    content.resize(static_cast<std::size_t>(status.st_size));
    std::size_t filled = 0;
    for (;;) {
        if (filled == content.size()) {
            if (content.size() > limit.maxBytes) refuse(fileName, tooLarge);
            content.resize(std::min<std::uint64_t>(content.size() + 64 * 1024, limit.maxBytes + 1));
        }
        const ssize_t got = ::read(fd.get(), content.data() + filled, content.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            refuse(fileName, std::string("could not be read to its end (") + std::strerror(errno) +
                                 ") - check the file");
        }
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    content.resize(filled);
    return content;
}

bool nothingNamed(const std::string& fileName) {
    struct stat link {};
    return ::lstat(fileName.c_str(), &link) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

}  // namespace korvana
