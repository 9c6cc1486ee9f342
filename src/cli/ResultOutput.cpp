// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ResultOutput.h"

#include "finders/daterange/DateRangeEngine.h"
#include "finders/dup/DupContentCheck.h"
#include "finders/dup/DupScanEngine.h"
#include "finders/dupfolders/DupFolderEngine.h"
#include "folderhogs/FolderSizeEngine.h"

#include <cerrno>
#include <string>
#include <unistd.h>

int WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO; // a write that takes nothing would loop for ever
        data.remove_prefix(std::size_t(n));
    }
    return 0;
}

namespace {
template <class Engine> int writeResults(const Engine& engine, bool nullSeparated, int fd) {
    constexpr std::size_t kBlock = std::size_t(1) << 16;
    std::string block;
    block.reserve(kBlock + 8192);
    const std::size_t count = engine.resultCount();
    for (std::size_t i = 0; i < count; ++i) {
        if (nullSeparated) {
            engine.appendResultPath(i, block);
            block += '\0';
        } else {
            engine.appendResultLineUtf8(i, block);
            block += '\n';
        }
        if (block.size() >= kBlock || i + 1 == count) {
            if (int error = WriteAll(fd, block))
                return error;
            block.clear();
        }
    }
    return 0;
}
} // namespace

int WriteResults(const DupScanEngine& engine, bool nullSeparated, int fd) {
    return writeResults(engine, nullSeparated, fd);
}

int WriteResults(const FolderSizeEngine& engine, bool nullSeparated, int fd) {
    return writeResults(engine, nullSeparated, fd);
}

int WriteResults(const DateRangeEngine& engine, bool nullSeparated, int fd) {
    return writeResults(engine, nullSeparated, fd);
}

int WriteContentGroups(const DupScanEngine& engine, const DupContentCheck& check, bool nullSeparated, int fd) {
    const char end = nullSeparated ? '\0' : '\n';
    std::string block;
    // Written whenever a block is full, inside a group too: a group of deep paths is large.
    auto flushFull = [&]() -> int {
        if (block.size() < (1u << 16))
            return 0;
        const int error = WriteAll(fd, block);
        block.clear();
        return error;
    };
    for (std::uint32_t g = 1; g <= check.groupCount(); ++g) {
        for (std::uint32_t i : check.members(g)) {
            if (nullSeparated)
                engine.appendResultPath(i, block);
            else
                engine.appendResultLineUtf8(i, block);
            block += end;
            if (int error = flushFull())
                return error;
        }
        block += end;
    }
    return WriteAll(fd, block);
}

int WriteFolderGroups(const DupFolderEngine& engine, bool nullSeparated, int fd) {
    const char end = nullSeparated ? '\0' : '\n';
    std::string block;
    const std::size_t count = engine.resultCount();
    for (std::size_t i = 0; i < count; ++i) {
        if (nullSeparated)
            engine.appendResultPath(i, block);
        else
            engine.appendResultLineUtf8(i, block);
        block += end;
        const bool last = i + 1 == count;
        if (last || engine.resultGroup(i + 1) != engine.resultGroup(i))
            block += end;
        if (block.size() >= (1u << 16) || last) {
            if (int error = WriteAll(fd, block))
                return error;
            block.clear();
        }
    }
    return 0;
}
