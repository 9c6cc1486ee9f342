// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <string>

typedef struct ZSTD_DCtx_s ZSTD_DCtx;

// The bytes of a saved scan file, plain or zstd-compressed (told by the file's first bytes, not by
// its name), read a block at a time: memory does not grow with the file.
class ScanInput {
public:
    ScanInput() = default;
    ~ScanInput();
    ScanInput(const ScanInput&) = delete;
    ScanInput& operator=(const ScanInput&) = delete;

    // Opens path ("-" is standard input). False with the reason in error(): it cannot be opened, is
    // no regular file (a folder, a FIFO, a device: refused without waiting on it), or is named .zst
    // without being zstd-compressed.
    bool open(const std::string& path);
    // Up to capacity bytes of the content into buffer; 0 at the end. -1 on a failure (error() says
    // which: a read error, compressed data that is damaged or cut short).
    long read(char* buffer, std::size_t capacity);
    const std::string& error() const { return m_error; }
    bool compressed() const { return m_zstd != nullptr; }

private:
    long readRaw(char* buffer, std::size_t capacity);

    int m_fd = -1;
    bool m_ownsFd = false;
    ZSTD_DCtx* m_zstd = nullptr;
    std::string m_packed; // compressed bytes read and not yet used
    std::size_t m_packedAt = 0;
    bool m_rawEnd = false;
    std::size_t m_frameLeft = 0; // what the decompressor still expects (0: between frames)
    std::string m_error;
};
