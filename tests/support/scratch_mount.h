// A small file system of its own for a test: a tmpfs of a given size, which
// can be made read-only, mounted on a directory and unmounted afterwards.
// Mounting needs the privilege to do so; without it `mounted()` is false and
// the test skips what needs it.
#pragma once

#include <sys/mount.h>

#include <cstddef>
#include <filesystem>
#include <string>

namespace korvana::testing {

class ScratchMount {
public:
    ScratchMount(const std::filesystem::path& at, std::size_t bytes) : m_at(at) {
        std::filesystem::create_directories(at);
        const std::string options = "size=" + std::to_string(bytes);
        m_mounted = ::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~ScratchMount() {
        if (m_mounted) ::umount2(m_at.c_str(), MNT_DETACH);
    }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool mounted() const { return m_mounted; }
    //! Makes the file system read-only, as a write-protected medium is.
    bool makeReadOnly() {
        return ::mount(nullptr, m_at.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    std::filesystem::path m_at;
    bool m_mounted = false;
};

}  // namespace korvana::testing
