// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/ScanOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <zstd.h>

namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether the file can take the final name: nothing is there, or a regular file or a link (the
// rename replaces the link itself, never what it leads to). A FIFO, a device or a folder is left as
// it is: renaming over /dev/null would replace the device.
bool replaceable(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode) || S_ISLNK(st.st_mode);
}

} // namespace

ScanOutput::~ScanOutput() {
    discard();
}

std::string ScanOutput::reason(int error) {
    return error == NotRegular ? "not a regular file" : std::strerror(error);
}

int ScanOutput::open(const std::string& path, bool compress, int level) {
    discard();
    m_error = 0;
    m_bytesOut = 0;
    m_path = path;
    if (path != "-" && !replaceable(path))
        return NotRegular;
    if (path == "-") {
        m_fd = STDOUT_FILENO;
        m_ownsFd = false;
    } else {
        // A fresh name beside the final one, so that the rename stays on one filesystem.
        std::random_device random;
        const std::string folder = folderOf(path);
        for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
            char suffix[32];
            std::snprintf(suffix, sizeof suffix, "/.vantorel-%08x.part", unsigned(random()));
            m_tempPath = folder + suffix;
            m_fd = ::open(m_tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
            if (m_fd < 0 && errno != EEXIST)
                break;
        }
        if (m_fd < 0) {
            const int error = errno;
            m_tempPath.clear();
            return error;
        }
        m_ownsFd = true;
    }
    if (compress) {
        m_zstd = ZSTD_createCCtx();
        ZSTD_CCtx_setParameter(m_zstd, ZSTD_c_compressionLevel, level);
        // A library built without threads refuses this: then it compresses in the caller's thread.
        ZSTD_CCtx_setParameter(m_zstd, ZSTD_c_nbWorkers, 1);
    }
    m_buffer.reserve(FlushBytes + 64 * 1024);
    return 0;
}

void ScanOutput::writeOut(const char* data, std::size_t size) {
    while (size > 0 && m_error == 0) {
        const ssize_t n = ::write(m_fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            return;
        }
        data += n;
        size -= std::size_t(n);
        m_bytesOut += std::size_t(n);
    }
}

void ScanOutput::flushCompressed(bool end) {
    ZSTD_inBuffer in{m_buffer.data(), m_buffer.size(), 0};
    m_packed.resize(ZSTD_CStreamOutSize());
    for (;;) {
        ZSTD_outBuffer out{m_packed.data(), m_packed.size(), 0};
        const std::size_t left = ZSTD_compressStream2(m_zstd, &out, &in, end ? ZSTD_e_end : ZSTD_e_continue);
        if (ZSTD_isError(left)) {
            m_error = EIO;
            return;
        }
        writeOut(m_packed.data(), out.pos);
        if (m_error)
            return;
        if (end ? left == 0 : in.pos == in.size)
            return;
    }
}

void ScanOutput::flush() {
    if (m_fd < 0 || m_error) {
        m_buffer.clear();
        return;
    }
    if (m_zstd)
        flushCompressed(false);
    else
        writeOut(m_buffer.data(), m_buffer.size());
    m_buffer.clear();
}

int ScanOutput::finish() {
    if (m_fd < 0)
        return m_error ? m_error : EBADF;
    if (m_zstd && m_error == 0) {
        flushCompressed(true);
        m_buffer.clear();
    } else {
        flush();
    }
    if (m_ownsFd) {
        if (m_error == 0 && ::fsync(m_fd) != 0)
            m_error = errno;
        if (::close(m_fd) != 0 && m_error == 0 && errno != EINTR)
            m_error = errno;
        m_fd = -1;
        if (m_error == 0 && !replaceable(m_path))
            m_error = NotRegular;
        if (m_error == 0 && ::rename(m_tempPath.c_str(), m_path.c_str()) != 0)
            m_error = errno;
        if (m_error)
            ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    } else {
        m_fd = -1;
    }
    if (m_zstd) {
        ZSTD_freeCCtx(m_zstd);
        m_zstd = nullptr;
    }
    return m_error;
}

void ScanOutput::discard() {
    if (m_ownsFd && m_fd >= 0)
        ::close(m_fd);
    if (!m_tempPath.empty())
        ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
    m_fd = -1;
    m_ownsFd = false;
    m_buffer.clear();
    if (m_zstd) {
        ZSTD_freeCCtx(m_zstd);
        m_zstd = nullptr;
    }
}
