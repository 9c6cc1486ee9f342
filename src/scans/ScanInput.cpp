// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/ScanInput.h"

#include "platform/OpenForReading.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zstd.h>

namespace {
constexpr unsigned char kZstdMagic[4] = {0x28, 0xB5, 0x2F, 0xFD};

bool endsWith(const std::string& s, const char* tail) {
    const std::size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}
} // namespace

ScanInput::~ScanInput() {
    if (m_ownsFd && m_fd >= 0)
        ::close(m_fd);
    if (m_zstd)
        ZSTD_freeDCtx(m_zstd);
}

bool ScanInput::open(const std::string& path) {
    if (path == "-") {
        m_fd = STDIN_FILENO;
    } else {
        // Only a regular file: a FIFO or a device is refused at once, never waited on (standard input
        // is "-").
        const RegularFileOpen opened = OpenRegularFile(path);
        if (opened.fd < 0) {
            m_error = opened.error == EISDIR ? "a folder, not a saved scan"
                      : opened.notRegular    ? "not a regular file"
                                             : std::strerror(opened.error);
            return false;
        }
        m_fd = opened.fd;
        m_ownsFd = true;
    }
    // The first bytes tell whether it is compressed; they stay to be read.
    m_packed.resize(4);
    std::size_t got = 0;
    while (got < 4) {
        const long n = readRaw(m_packed.data() + got, 4 - got);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += std::size_t(n);
    }
    m_packed.resize(got);
    if (got == 4 && std::memcmp(m_packed.data(), kZstdMagic, 4) == 0) {
        m_zstd = ZSTD_createDCtx();
    } else if (endsWith(path, ".zst")) {
        m_error = "not zstd-compressed data, though the name ends in .zst";
        return false;
    }
    return true;
}

long ScanInput::readRaw(char* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, capacity);
        if (n >= 0)
            return long(n);
        if (errno != EINTR) {
            m_error = std::strerror(errno);
            return -1;
        }
    }
}

long ScanInput::read(char* buffer, std::size_t capacity) {
    if (!m_zstd) {
        // What was read to look at the first bytes goes first.
        if (m_packedAt < m_packed.size()) {
            const std::size_t n = std::min(capacity, m_packed.size() - m_packedAt);
            std::memcpy(buffer, m_packed.data() + m_packedAt, n);
            m_packedAt += n;
            return long(n);
        }
        return readRaw(buffer, capacity);
    }
    for (;;) {
        if (m_packedAt == m_packed.size() && !m_rawEnd) {
            m_packed.resize(ZSTD_DStreamInSize());
            const long n = readRaw(m_packed.data(), m_packed.size());
            if (n < 0)
                return -1;
            m_packed.resize(std::size_t(n));
            m_packedAt = 0;
            m_rawEnd = n == 0;
        }
        ZSTD_inBuffer in{m_packed.data(), m_packed.size(), m_packedAt};
        ZSTD_outBuffer out{buffer, capacity, 0};
        if (in.pos < in.size || m_frameLeft > 0) {
            const std::size_t left = ZSTD_decompressStream(m_zstd, &out, &in);
            if (ZSTD_isError(left)) {
                m_error = std::string("damaged compressed data (") + ZSTD_getErrorName(left) + ")";
                return -1;
            }
            m_frameLeft = left;
            m_packedAt = in.pos;
        }
        if (out.pos > 0)
            return long(out.pos);
        if (m_rawEnd && m_packedAt == m_packed.size()) {
            if (m_frameLeft > 0) {
                m_error = "the compressed data is cut short";
                return -1;
            }
            return 0;
        }
    }
}
