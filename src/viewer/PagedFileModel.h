// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/AppError.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// An open, read or seek failure of the viewer, with the system's error code.
class ViewerIOError : public AppError {
public:
    explicit ViewerIOError(int code, bool notRegularFile = false);
    int code() const { return m_code; }
    // The name leads to no regular file (a folder, FIFO, device, socket, or a file whose size cannot
    // be known, as some /proc files): the window keeps the viewer's text for the code, the command
    // line says it in words.
    bool notRegularFile() const { return m_notRegular; }
    // "Viewer: file not found" (ENOENT), "Viewer: path not found or invalid file name" (ENOTDIR,
    // ENAMETOOLONG), "Viewer: too many open files" (EMFILE, ENFILE), "Viewer: file access denied"
    // (EACCES, EPERM), otherwise "Viewer triggered I/O error N".
    static QString textFor(int code);
    // The viewer's own text for code, empty for the codes that textFor gives only as a number.
    static QString namedText(int code);

private:
    int m_code;
    bool m_notRegular;
};

// The file side of the viewer control: one file of any size, read-only, shown as text lines or as
// hexadecimal rows of 16 bytes, without ever reading the whole file. Pages of 4096 bytes are read on
// demand into a small cache; text lines are found by scanning for line breaks from the nearest place
// already known; hex rows are found by arithmetic. A line ends at LF, at CR, or at CR LF (one
// break); a file ending in a break has an empty last line. Line numbers, offsets and sizes are
// 64-bit. The control asks only for line texts and line numbers.
class PagedFileModel {
public:
    static constexpr std::int64_t UnknownLines = std::numeric_limits<std::int64_t>::max();
    static constexpr int PageSize = 4096;
    static constexpr int LineBufferSize = 1024; // a line shows its first 1023 characters

    // Told whenever TotalLines changes: resetView when the view is to go back to the top (open,
    // close, mode change), false when a scan only learned where the file ends.
    using TotalLinesHook = std::function<void(std::int64_t totalLines, bool resetView)>;

    PagedFileModel();
    ~PagedFileModel();
    PagedFileModel(const PagedFileModel&) = delete;
    PagedFileModel& operator=(const PagedFileModel&) = delete;

    void setTotalLinesHook(TotalLinesHook hook);

    // The file's exact path bytes. Setting it closes the file and reopens the new one when it was open.
    void setFileName(const std::string& name);
    const std::string& fileName() const;
    // Opens (throws ViewerIOError and stays closed on failure) or closes the file. Only a regular
    // file is opened: a folder, FIFO, socket or device is refused without blocking, and so is a file
    // whose end cannot be found by seeking (such as /proc/self/mem). Reading leaves the file's
    // access time alone where the kernel allows it.
    void setOpen(bool open);
    bool isOpen() const;

    void setHexMode(bool hex);
    bool hexMode() const;
    void setFilterChars(bool filter);
    bool filterChars() const;
    void setExpandTabs(bool expand);
    bool expandTabs() const;
    void setTabSize(std::uint8_t size);
    std::uint8_t tabSize() const;
    // Cached pages, clamped to 2..512; growing adds empty slots, shrinking keeps the current page.
    void setBufferPageCount(int count);
    int bufferPageCount() const;

    std::int64_t fileLength() const;
    // The number of lines (hex rows in hex mode), UnknownLines while a text file's end is unknown,
    // 0 while closed and for an empty file.
    std::int64_t totalLines() const;
    // The open file's size as it is now (fileLength is its size when opened); -1 while closed.
    std::int64_t lengthNow() const;

    // The text of line n (hex row n), bytes as they are but a zero byte as a space; valid until the
    // next call. Empty for an empty file, a negative n or an n beyond a known last line.
    std::string_view lineText(std::int64_t n);
    // The nearest existing line number for n; in text mode it may scan, and so learn the end.
    std::int64_t checkLine(std::int64_t n);
    // Line n for output: tabs expanded to stops every tabSize columns, cut to size characters.
    std::string printableLine(std::int64_t n, std::size_t size);
    // The caret's line, so that positioning remembers where it is (-1: none).
    void setCaretLine(std::int64_t line);
    // The file offset of the first byte of line n (text mode; the row's offset in hex mode).
    std::int64_t lineOffset(std::int64_t n);

    // The hex row layout: the width of the offset column (8 digits, more for files whose last
    // offset needs them); the bytes start two columns after it, the characters at 3 x 16 + 1 after
    // the bytes.
    int hexOffsetDigits() const;

    // For the searches, which read far more than the page cache holds: up to size bytes at offset,
    // straight from the file (fewer at its end, none beyond it). Throws ViewerIOError on a read error.
    std::int64_t readBytes(std::int64_t offset, char* into, std::int64_t size);
    // What a scan of the text outside this model found: line starts (line, offset of its first
    // byte) to remember for positioning, and the start of the last line, which makes TotalLines
    // known (told through the hook without resetting the view). Only true line starts may be given.
    void learnLineStart(std::int64_t line, std::int64_t offset);
    void learnTextEnd(std::int64_t lastLine, std::int64_t offset);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
