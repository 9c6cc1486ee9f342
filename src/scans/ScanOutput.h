// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

typedef struct ZSTD_CCtx_s ZSTD_CCtx;

// Where a saved scan (or a picture) goes: standard output, or a file made under a temporary name in
// the folder of its final name and renamed to it only when the whole of it was written (a failed or
// stopped run, or a full disk, leaves nothing half written; a link at the final name is replaced,
// never followed). Optionally zstd-compressed, on a worker thread of the library where
// it has them, so that compressing runs beside the walk. Errors are kept as errno and reported by
// finish(); writes after a failure cost nothing.
class ScanOutput {
public:
    ScanOutput() = default;
    ~ScanOutput(); // an unfinished temporary file is removed
    ScanOutput(const ScanOutput&) = delete;
    ScanOutput& operator=(const ScanOutput&) = delete;

    // What open and finish give when something other than a regular file or a link is at the final
    // name (a FIFO, a device, a folder): it is never written to nor replaced.
    static constexpr int NotRegular = -5;
    // An error of open or finish in words.
    static std::string reason(int error);

    // Opens path ("-" is standard output) for writing, zstd-compressed at level when compress (a
    // negative level is faster and packs less). Returns 0, NotRegular or errno (the folder cannot
    // be written, ...): then nothing was made.
    int open(const std::string& path, bool compress, int level = 3);

    // The text still to be written: append to it, then call written().
    std::string& buffer() { return m_buffer; }
    void written() {
        if (m_buffer.size() >= FlushBytes)
            flush();
    }
    void write(std::string_view text) {
        m_buffer += text;
        written();
    }

    // Writes the rest, ends the compressed frame, and puts the file in place (fsync, rename). Returns
    // 0 or the first errno of the whole run; on failure the temporary file is gone.
    int finish();
    // Gives the run up: the temporary file is removed, the final name is left as it was.
    void discard();
    // Bytes written to the file or standard output so far.
    std::size_t bytesOut() const { return m_bytesOut; }
    const std::string& path() const { return m_path; }
    // The name finish() gives the file, when it is known only after open (a file, not standard output).
    void setFinalPath(std::string path) { m_path = std::move(path); }

private:
    static constexpr std::size_t FlushBytes = 256 * 1024;
    void flush();
    void flushCompressed(bool end);
    void writeOut(const char* data, std::size_t size);

    int m_fd = -1;
    bool m_ownsFd = false;
    int m_error = 0;
    std::string m_path;     // the final name
    std::string m_tempPath; // the name written to until finish
    std::string m_buffer;
    std::string m_packed; // compressed bytes on their way out
    ZSTD_CCtx* m_zstd = nullptr;
    std::size_t m_bytesOut = 0;
};
