// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewer/StringsExtractor.h"

#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "platform/OpenForReading.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kBlock = 1 << 20;

constexpr std::array<bool, 256> printableTable() {
    std::array<bool, 256> t{};
    for (int c = 'A'; c <= 'Z'; ++c)
        t[std::size_t(c)] = true;
    for (int c = 'a'; c <= 'z'; ++c)
        t[std::size_t(c)] = true;
    for (int c = '0'; c <= '9'; ++c)
        t[std::size_t(c)] = true;
    t[' '] = true;
    return t;
}
constexpr std::array<bool, 256> kPrintable = printableTable();

} // namespace

StringsExtractor::Result StringsExtractor::extract(const std::string& fileName,
                                                   const std::function<void(std::string_view)>& found,
                                                   int lowerBound, int upperBound) {
    const RegularFileOpen opened = OpenRegularFile(fileName);
    if (opened.fd < 0)
        return {opened.notRegular ? Result::NotRegular : Result::NotOpened, opened.error};
    const int fd = opened.fd;
    Result result;
    const std::size_t longest = std::size_t(upperBound) + 1;
    std::vector<char> block(kBlock);
    std::string carried;   // a run that the previous read ended in the middle of
    bool overflowed = false;
    auto finishRun = [&](std::string_view run) {
        if (!overflowed && run.size() > std::size_t(lowerBound) && run.size() <= longest)
            found(run);
        overflowed = false;
    };
    while (true) {
        const ssize_t got = ::read(fd, block.data(), block.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            // Not the end of the file: what lies beyond is unknown, so the run in hand may go on.
            result = {Result::ReadFailed, errno};
            carried.clear();
            break;
        }
        if (got == 0)
            break;
        const char* b = block.data();
        const char* end = b + got;
        const char* p = b;
        while (p < end) {
            // The run goes on from the last read, or starts here.
            const char* start = p;
            while (p < end && kPrintable[static_cast<unsigned char>(*p)])
                ++p;
            const std::string_view piece(start, std::size_t(p - start));
            if (p == end) {
                // The read ends inside the run: keep it for the next one (bounded by the longest run).
                if (!overflowed) {
                    if (carried.size() + piece.size() > longest) {
                        overflowed = true;
                        carried.clear();
                    } else {
                        carried.append(piece);
                    }
                }
                break;
            }
            // A separator ends the run.
            if (!carried.empty()) {
                if (!overflowed && carried.size() + piece.size() <= longest) {
                    carried.append(piece);
                    finishRun(carried);
                } else {
                    overflowed = false;
                }
                carried.clear();
            } else if (piece.size() > longest) {
                overflowed = false; // dropped whole, and its separator adds nothing
            } else {
                finishRun(piece);
            }
            ++p;
        }
    }
    // A run that reaches the end of the file counts as if a separator followed it.
    if (!carried.empty())
        finishRun(carried);
    ::close(fd);
    return result;
}

QString StringsExtractor::readErrorText(const std::string& fileName, int error) {
    return DisplayText(fileName) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

StringsExtractor::Result StringsExtractor::extractInto(const std::string& fileName, QStringList& list,
                                                       int lowerBound, int upperBound) {
    QStringList found;
    const Result result = extract(
        fileName,
        [&found](std::string_view run) {
            found.append(QString::fromLatin1(run.data(), qsizetype(run.size())));
        },
        lowerBound, upperBound);
    if (result.kind == Result::NotOpened || result.kind == Result::NotRegular) {
        ShowErrorMessage(QStringLiteral("Could not open file ") + DisplayText(fileName));
        return result;
    }
    list = std::move(found);
    return result;
}
