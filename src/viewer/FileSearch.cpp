// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewer/FileSearch.h"

#include "viewer/ByteSearch.h"
#include "viewer/LineBreakCount.h"
#include "viewer/PagedFileModel.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kBlock = 1 << 20;
constexpr std::int64_t kPiece = 64 * 1024; // a line start is taught to the model per piece
constexpr std::int64_t kShown = PagedFileModel::LineBufferSize - 1;

// The line that a forward pass over the file has reached: its number and first byte.
struct LineCursor {
    std::int64_t line = 0;
    std::int64_t start = 0;
    bool afterCR = false; // the last byte passed was a CR, whose break may go on with an LF

    // Passes bytes[0..n), which lie at offset base of the file.
    void pass(const char* b, std::int64_t n, std::int64_t base) {
        std::int64_t i = 0;
        if (afterCR && n > 0) {
            afterCR = false;
            if (b[0] == '\n') {
                start = base + 1;
                i = 1;
            }
        }
        bool sawCR = false;
        const std::int64_t lfs = CountLineFeeds(b + i, std::size_t(n - i), sawCR);
        if (!sawCR) {
            if (lfs > 0) {
                const auto* last = static_cast<const char*>(::memrchr(b + i, '\n', std::size_t(n - i)));
                line += lfs;
                start = base + (last - b) + 1;
            }
            return;
        }
        for (; i < n; ++i) {
            const char c = b[i];
            if (afterCR) {
                afterCR = false;
                if (c == '\n') {
                    start = base + i + 1;
                    continue;
                }
            }
            if (c == '\n' || c == '\r') {
                ++line;
                start = base + i + 1;
                afterCR = c == '\r';
            }
        }
    }
};

// The first line break in bytes[from..to), or to.
std::int64_t nextBreak(const char* b, std::int64_t from, std::int64_t to) {
    for (std::int64_t i = from; i < to; ++i)
        if (b[i] == '\n' || b[i] == '\r')
            return i;
    return to;
}

// The last line break in bytes[0..n), or -1.
std::int64_t lastBreak(const char* b, std::int64_t n) {
    const auto* lf = static_cast<const char*>(::memrchr(b, '\n', std::size_t(n)));
    const std::int64_t from = lf ? lf - b : 0;
    const auto* cr = static_cast<const char*>(::memrchr(b + from, '\r', std::size_t(n - from)));
    if (cr)
        return cr - b;
    return lf ? lf - b : -1;
}

} // namespace

std::optional<TextPlace> FindTextForward(PagedFileModel& model, const ByteSearch& search, std::int64_t line,
                                         int index) {
    if (search.empty() || !model.isOpen() || line < 0)
        return std::nullopt;
    // The rest of the starting line, as it shows.
    const std::string_view first = model.lineText(line);
    if (index >= 0 && std::size_t(index) <= first.size()) {
        const std::size_t at = search.findFirst(first.data(), first.size(), std::size_t(index));
        if (at != std::string::npos)
            return TextPlace{line, int(at)};
    }
    const std::int64_t next = model.checkLine(line + 1);
    if (next <= line)
        return std::nullopt;

    LineCursor cursor{next, model.lineOffset(next)};
    const auto n = std::int64_t(search.length());
    std::vector<char> buffer(static_cast<std::size_t>(kBlock));
    char* b = buffer.data();
    std::int64_t pos = cursor.start;
    while (true) {
        const std::int64_t got = model.readBytes(pos, b, kBlock);
        if (got <= 0) {
            model.learnTextEnd(cursor.line, cursor.start);
            return std::nullopt;
        }
        // Whole lines only: one that goes on past the block is searched with the next block, unless
        // it began at the block's start, when all that it shows lies in this block.
        std::int64_t limit = got;
        if (got == kBlock) {
            const std::int64_t last = lastBreak(b, got);
            if (last > 0)
                limit = last;
        }
        std::int64_t counted = 0;
        std::int64_t from = 0;
        auto passTo = [&](std::int64_t to) {
            while (counted < to) {
                const std::int64_t piece = std::min(to - counted, kPiece);
                cursor.pass(b + counted, piece, pos + counted);
                counted += piece;
                if (!cursor.afterCR)
                    model.learnLineStart(cursor.line, cursor.start);
            }
        };
        while (from + n <= limit) {
            const std::size_t at = search.findFirst(b, std::size_t(limit), std::size_t(from));
            if (at == std::string::npos)
                break;
            const auto m = std::int64_t(at);
            passTo(m);
            const std::int64_t column = pos + m - cursor.start;
            if (column + n <= kShown) {
                model.learnLineStart(cursor.line, cursor.start);
                return TextPlace{cursor.line, int(column)};
            }
            // Beyond what its line shows: the next chance is the next line.
            from = nextBreak(b, m, limit);
        }
        passTo(limit);
        pos += limit;
    }
}

std::int64_t FindBytes(PagedFileModel& model, const ByteSearch& search, std::int64_t from, bool backward) {
    const auto n = std::int64_t(search.length());
    const std::int64_t length = model.fileLength();
    if (n == 0 || !model.isOpen() || length < n)
        return -1;
    std::vector<char> buffer(static_cast<std::size_t>(kBlock));
    char* b = buffer.data();
    if (!backward) {
        // Blocks overlap by n - 1 bytes, so a match across two of them is seen whole.
        for (std::int64_t pos = std::max<std::int64_t>(from, 0); pos + n <= length;) {
            const std::int64_t got = model.readBytes(pos, b, kBlock);
            if (got < n)
                return -1;
            const std::size_t at = search.findFirst(b, std::size_t(got));
            if (at != std::string::npos)
                return pos + std::int64_t(at);
            if (got < kBlock)
                return -1;
            pos += got - (n - 1);
        }
        return -1;
    }
    for (std::int64_t end = std::min(from, length - 1) + 1; end >= n;) {
        const std::int64_t start = std::max<std::int64_t>(0, end - kBlock);
        const std::int64_t got = model.readBytes(start, b, end - start);
        const std::size_t at = search.findLast(b, std::size_t(got));
        if (at != std::string::npos)
            return start + std::int64_t(at);
        if (start == 0)
            return -1;
        end = start + n - 1;
    }
    return -1;
}
