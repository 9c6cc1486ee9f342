// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewer/PagedFileModel.h"

#include "platform/OpenForReading.h"
#include "viewer/LineBreakCount.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::int64_t kNoPage = -1;
constexpr int kMinPages = 2;
constexpr int kMaxPages = 512;
constexpr std::int64_t kMinIndexStep = 64 * 1024;
constexpr std::int64_t kMaxIndexStep = 4 * 1024 * 1024;
constexpr std::size_t kMaxIndexEntries = 65536;

struct Position {
    std::int64_t line = 0;
    std::int64_t offset = 0;
};

struct Slot {
    std::int64_t page = kNoPage;
    int valid = 0;
    std::uint16_t stamp = 0;
    std::unique_ptr<char[]> buffer;
};

// Reads up to size bytes at offset, going on after short reads; the count read (0 at the end).
std::int64_t readAt(int fd, char* into, std::int64_t size, std::int64_t offset) {
    std::int64_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, into + done, std::size_t(size - done), offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw ViewerIOError(errno);
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

bool isBreak(char c) { return c == '\n' || c == '\r'; }

} // namespace

ViewerIOError::ViewerIOError(int code, bool notRegularFile)
    : AppError(textFor(code)), m_code(code), m_notRegular(notRegularFile) {}

QString ViewerIOError::namedText(int code) {
    switch (code) {
    case ENOENT:
        return QStringLiteral("Viewer: file not found");
    case ENOTDIR:
    case ENAMETOOLONG:
        return QStringLiteral("Viewer: path not found or invalid file name");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Viewer: too many open files");
    case EACCES:
    case EPERM:
        return QStringLiteral("Viewer: file access denied");
    default:
        return {};
    }
}

QString ViewerIOError::textFor(int code) {
    const QString named = namedText(code);
    return named.isEmpty() ? QStringLiteral("Viewer triggered I/O error %1").arg(code) : named;
}

struct PagedFileModel::Impl {
    std::string name;
    int fd = -1;
    std::int64_t length = 0;
    bool hex = false;
    bool filter = true;
    bool expandTabs = true;
    std::uint8_t tabSize = 8;
    TotalLinesHook hook;

    std::vector<Slot> slots;
    std::uint16_t useCounter = 0;

    // Remembered text positions; a last line of -1 is not known yet.
    Position current, second, caret{-1, 0}, lastText{-1, 0};
    std::int64_t lastHexRow = -1;
    std::int64_t caretWanted = -1;
    std::int64_t total = 0;

    // Line starts learned by forward scans, in file order: for each step of the file that a scan
    // passed, the last line start in it.
    std::int64_t indexStep = kMinIndexStep;
    std::vector<Position> learned;
    std::vector<char> chunk;     // reads of long scans, one index step at a time

    std::string line;
    std::int64_t lineNumber = -1;

    bool isOpen() const { return fd >= 0; }

    void setTotal(std::int64_t value, bool resetView) {
        // An open empty file has no lines and no rows: its end is known at once, in both modes.
        if (isOpen() && length == 0)
            value = 0;
        if (value == total && !resetView)
            return;
        total = value;
        if (hook)
            hook(value, resetView);
    }

    // --- pages ---------------------------------------------------------------------------------

    void resizeSlots(int count) {
        count = std::clamp(count, kMinPages, kMaxPages);
        const int old = int(slots.size());
        if (count == old)
            return;
        if (count > old) {
            for (int i = old; i < count; ++i) {
                Slot s;
                s.buffer = std::make_unique<char[]>(PageSize);
                slots.push_back(std::move(s));
            }
            return;
        }
        slots.resize(std::size_t(count));
    }

    void emptySlots() {
        for (Slot& s : slots) {
            s.page = kNoPage;
            s.valid = 0;
            s.stamp = 0;
        }
        useCounter = 0;
    }

    // The slot holding page, read from the file when no slot has it (into the least used one).
    Slot& pageSlot(std::int64_t page) {
        Slot* found = nullptr;
        for (Slot& s : slots)
            if (s.page == page) {
                found = &s;
                break;
            }
        if (!found) {
            found = &slots.front();
            for (Slot& s : slots)
                if (s.stamp < found->stamp)
                    found = &s;
            std::memset(found->buffer.get(), 0, PageSize);
            found->page = kNoPage;
            found->valid = int(readAt(fd, found->buffer.get(), PageSize, page * PageSize));
            found->page = page;
        }
        if (++useCounter == 65535) {
            useCounter = 1;
            for (Slot& s : slots)
                s.stamp = 0;
        }
        found->stamp = useCounter;
        return *found;
    }

    // The bytes from offset to the end of its page, nullptr at the end of the file (also where the
    // file has shrunk since it was opened).
    const char* bytesAt(std::int64_t offset, int& count) {
        count = 0;
        if (offset < 0 || offset >= length)
            return nullptr;
        const std::int64_t page = offset / PageSize;
        const Slot& s = pageSlot(page);
        const int at = int(offset - page * PageSize);
        if (at >= s.valid)
            return nullptr;
        count = int(std::min<std::int64_t>(s.valid - at, length - offset));
        return s.buffer.get() + at;
    }

    int byteAt(std::int64_t offset) {
        int count = 0;
        const char* p = bytesAt(offset, count);
        return p ? static_cast<unsigned char>(*p) : -1;
    }

    // --- the index of line starts ----------------------------------------------------------------

    void resetIndex() {
        indexStep = kMinIndexStep;
        while (indexStep < kMaxIndexStep && length / indexStep > std::int64_t(kMaxIndexEntries))
            indexStep *= 2;
        learned.clear();
    }

    void learn(const Position& p) {
        if (p.line <= 0)
            return;
        auto after = std::upper_bound(learned.begin(), learned.end(), p.offset,
                                      [](std::int64_t offset, const Position& e) { return offset < e.offset; });
        if (after != learned.begin()) {
            Position& before = *(after - 1);
            if (before.offset == p.offset)
                return;
            if (before.offset / indexStep == p.offset / indexStep) {
                before = p; // a later line start in the same step
                return;
            }
        }
        learned.insert(after, p);
    }

    // The learned line start nearest below or at line n (the file start when none).
    Position indexedBelow(std::int64_t n) const {
        auto after = std::upper_bound(learned.begin(), learned.end(), n,
                                      [](std::int64_t line, const Position& e) { return line < e.line; });
        return after == learned.begin() ? Position{0, 0} : *(after - 1);
    }

    // --- text positioning ------------------------------------------------------------------------

    // Scans forward from p (a line start) for count breaks. Stops at the start of line
    // p.line + count, or at the start of the last line when the file ends first (then learns it).
    Position scanForward(Position p, std::int64_t count) {
        std::int64_t remaining = count;
        std::int64_t pos = p.offset;
        bool afterCR = false;
        auto atBreakEnd = [&](std::int64_t lineStart) {
            ++p.line;
            p.offset = lineStart;
            --remaining;
        };
        // Bytes [from, to) of a buffer that starts at file offset base, a break at a time; true
        // once the wanted line starts.
        auto scanBytes = [&](const char* b, std::int64_t from, std::int64_t to, std::int64_t base) {
            for (std::int64_t i = from; i < to; ++i) {
                const char c = b[i];
                if (afterCR) {
                    afterCR = false;
                    if (c == '\n') {
                        p.offset = base + i + 1; // the LF belongs to the CR's break
                        if (remaining == 0)
                            return true;
                        continue;
                    }
                    if (remaining == 0)
                        return true;
                }
                if (c == '\n') {
                    atBreakEnd(base + i + 1);
                    if (remaining == 0)
                        return true;
                } else if (c == '\r') {
                    atBreakEnd(base + i + 1);
                    afterCR = true; // the line start moves past an LF that follows
                }
            }
            return false;
        };
        // Near lines through the page cache, which the fetch that follows reads anyway.
        for (int pages = 0; pages < 2 && remaining > 0; ++pages) {
            int n = 0;
            const char* bytes = bytesAt(pos, n);
            if (!bytes)
                return reachedEnd(p, afterCR);
            if (scanBytes(bytes, 0, n, pos))
                return finish(p);
            pos += n;
        }
        if (remaining == 0 && !afterCR)
            return finish(p);
        // Far lines: whole index steps read at once and their breaks counted in bulk.
        while (true) {
            const std::int64_t stepEnd = (pos / indexStep + 1) * indexStep;
            const std::int64_t want = std::min(stepEnd, length) - pos;
            if (want <= 0)
                return reachedEnd(p, afterCR);
            if (chunk.size() < std::size_t(indexStep))
                chunk.resize(std::size_t(indexStep));
            const std::int64_t got = readAt(fd, chunk.data(), want, pos);
            if (got <= 0)
                return reachedEnd(p, afterCR);
            const char* b = chunk.data();
            std::int64_t i = 0;
            if (afterCR) {
                afterCR = false;
                if (b[0] == '\n') {
                    p.offset = pos + 1;
                    i = 1;
                }
                if (remaining == 0)
                    return finish(p);
            }
            bool anyCR = false;
            const std::int64_t lfs = CountLineFeeds(b + i, std::size_t(got - i), anyCR);
            if (!anyCR) {
                if (lfs < remaining) {
                    remaining -= lfs;
                    if (lfs > 0) {
                        const char* last = static_cast<const char*>(::memrchr(b + i, '\n', std::size_t(got - i)));
                        p.line += lfs;
                        p.offset = pos + (last - b) + 1;
                        learn(p);
                    }
                    pos += got;
                    continue;
                }
                // The line wanted starts in this step.
                const char* q = b + i;
                while (true) {
                    q = static_cast<const char*>(std::memchr(q, '\n', std::size_t(b + got - q)));
                    atBreakEnd(pos + (q - b) + 1);
                    ++q;
                    if (remaining == 0)
                        return finish(p);
                }
            }
            if (scanBytes(b, i, got, pos))
                return finish(p);
            learn(p);
            pos += got;
            if (remaining == 0 && !afterCR)
                return finish(p);
        }
    }

    Position finish(const Position& p) {
        learn(p);
        return p;
    }

    // The scan met the end of the file: p is the start of the last line.
    Position reachedEnd(Position p, bool) {
        learn(p);
        if (lastText.line < 0) {
            lastText = p;
            if (!hex)
                setTotal(p.line + 1, false);
        }
        return p;
    }

    // The start of the line before the one at offset (offset > 0).
    std::int64_t previousLineStart(std::int64_t offset) {
        // Step back over the break that ends the previous line: an LF (with the CR before it), or a CR.
        std::int64_t at = offset - 1;
        if (byteAt(at) == '\n' && at > 0 && byteAt(at - 1) == '\r')
            --at;
        // Then back to the break before that one, page by page.
        while (at > 0) {
            const std::int64_t page = (at - 1) / PageSize;
            int n = 0;
            const char* bytes = bytesAt(page * PageSize, n);
            if (!bytes)
                return 0;
            for (std::int64_t i = std::min<std::int64_t>(at - 1 - page * PageSize, n - 1); i >= 0; --i)
                if (isBreak(bytes[i]))
                    return page * PageSize + i + 1;
            at = page * PageSize;
        }
        return 0;
    }

    // Makes line n (clamped to a known last line) the current position, from the nearest place known.
    void positionTo(std::int64_t n) {
        if (length == 0) {
            current = {0, 0};
            return;
        }
        if (lastText.line >= 0 && n > lastText.line)
            n = lastText.line;
        const Position before = current;
        auto distance = [n](std::int64_t line) {
            return line < 0 ? std::numeric_limits<std::int64_t>::max() : (line > n ? line - n : n - line);
        };
        const std::int64_t dCaret = caret.line >= 0 ? distance(caret.line) : std::numeric_limits<std::int64_t>::max();
        const std::int64_t dLast = distance(lastText.line);
        const std::int64_t dSecond = distance(second.line);
        const std::int64_t dCurrent = distance(current.line);
        const std::int64_t dStart = distance(0);
        Position start = current;
        if (dCaret < dLast && dCaret < dSecond && dCaret < dCurrent && dCaret < dStart)
            start = caret;
        else if (dLast < dSecond && dLast < dCurrent && dLast < dStart)
            start = lastText;
        else if (dSecond < dCurrent && dSecond < dStart)
            start = second;
        else if (dStart < dCurrent)
            start = {0, 0};
        // A learned line start below n beats them all when it is nearer.
        const Position indexed = indexedBelow(n);
        if (distance(indexed.line) < distance(start.line))
            start = indexed;

        Position p = start;
        if (n > p.line) {
            p = scanForward(p, n - p.line);
        } else {
            while (p.line > n && p.offset > 0) {
                p.offset = previousLineStart(p.offset);
                --p.line;
            }
            // The start of the file came first: the file changed under us; count from there.
            if (p.line != n)
                p = scanForward(Position{0, 0}, n);
        }
        current = p;
        if (caretWanted >= 0 && p.line == caretWanted)
            caret = p;
        if (lastText.line < 0) {
            if (p.line > second.line)
                second = p;
        } else if (p.line != before.line) {
            second = before;
        }
    }

    // --- lines -----------------------------------------------------------------------------------

    void fetchText(std::int64_t n) {
        positionTo(n);
        line.clear();
        if (current.line != n)
            return; // beyond the last line, which the scan has just found
        std::int64_t at = current.offset;
        while (int(line.size()) < LineBufferSize - 1) {
            int count = 0;
            const char* bytes = bytesAt(at, count);
            if (!bytes)
                break;
            const int room = LineBufferSize - 1 - int(line.size());
            const int take = std::min(count, room);
            int i = 0;
            for (; i < take && !isBreak(bytes[i]); ++i)
                line += bytes[i] == '\0' ? ' ' : bytes[i];
            if (i < take)
                break; // the break that ends the line
            at += take;
        }
    }

    int offsetDigits() const {
        int digits = 8;
        const std::uint64_t last = length > 0 ? std::uint64_t(length - 1) : 0;
        while (digits < 16 && (last >> (4 * digits)) != 0)
            ++digits;
        return digits;
    }

    void fetchHex(std::int64_t n) {
        static const char kDigits[] = "0123456789ABCDEF";
        const std::int64_t lastRow = (length - 1) / 16 * 16;
        const std::int64_t offset = std::min(n * 16, lastRow);
        const int digits = offsetDigits();
        line.assign(std::size_t(digits + 67), ' ');
        for (int k = digits - 1, shift = 0; k >= 0; --k, shift += 4)
            line[std::size_t(k)] = kDigits[(std::uint64_t(offset) >> shift) & 15];
        int count = 0;
        const char* bytes = bytesAt(offset, count);
        const int shown = bytes ? std::min(count, 16) : 0;
        const std::size_t hexAt = std::size_t(digits + 2);
        const std::size_t charAt = std::size_t(digits + 51);
        for (int k = 0; k < shown; ++k) {
            const auto b = static_cast<unsigned char>(bytes[k]);
            line[hexAt + 3 * std::size_t(k)] = kDigits[b >> 4];
            line[hexAt + 3 * std::size_t(k) + 1] = kDigits[b & 15];
            const bool dot = b == 0 || (b == 9 && expandTabs) || (filter && (b < 32 || b > 127));
            line[charAt + std::size_t(k)] = dot ? '.' : char(b);
        }
    }

    void resetState() {
        line.clear();
        lineNumber = -1;
        current = {0, 0};
        second = {0, 0};
        caret = {-1, 0};
        lastText = {-1, 0};
        lastHexRow = length > 0 ? (length - 1) / 16 : -1;
        useCounter = 0;
        resetIndex();
    }

    void close() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        length = 0;
        line.clear();
        lineNumber = -1;
        learned.clear();
        chunk = {};
    }

    void open() {
        const RegularFileOpen opened = OpenRegularFile(name);
        if (opened.fd < 0)
            throw ViewerIOError(opened.error, opened.notRegular);
        fd = opened.fd;
        const off_t end = ::lseek(fd, 0, SEEK_END);
        if (end < 0) {
            const int error = errno;
            close();
            // Files of /proc such as mem or status have no end to seek to: nothing to page through.
            throw ViewerIOError(error, error == EINVAL || error == ESPIPE);
        }
        length = end;
        resetState();
        emptySlots();
        setTotal(hex && length > 0 ? lastHexRow + 1 : UnknownLines, true);
    }
};

PagedFileModel::PagedFileModel() : d(std::make_unique<Impl>()) { d->resizeSlots(16); }

PagedFileModel::~PagedFileModel() { d->close(); }

void PagedFileModel::setTotalLinesHook(TotalLinesHook hook) { d->hook = std::move(hook); }

void PagedFileModel::setFileName(const std::string& name) {
    const bool wasOpen = d->isOpen();
    if (wasOpen)
        setOpen(false);
    d->name = name;
    if (wasOpen)
        setOpen(true);
}

const std::string& PagedFileModel::fileName() const { return d->name; }

void PagedFileModel::setOpen(bool open) {
    if (open == d->isOpen())
        return;
    if (open) {
        if (!d->name.empty())
            d->open();
        return;
    }
    d->close();
    d->setTotal(0, true);
}

bool PagedFileModel::isOpen() const { return d->isOpen(); }

void PagedFileModel::setHexMode(bool hex) {
    if (hex == d->hex)
        return;
    d->hex = hex;
    d->line.clear();
    d->lineNumber = -1;
    if (!d->isOpen())
        return;
    // Each mode keeps what it learned: the text's last line and the last hex row.
    const std::int64_t last = hex ? d->lastHexRow : d->lastText.line;
    d->setTotal(last >= 0 ? last + 1 : UnknownLines, true);
}

bool PagedFileModel::hexMode() const { return d->hex; }
void PagedFileModel::setFilterChars(bool filter) {
    d->filter = filter;
    if (d->hex)
        d->lineNumber = -1;
}
bool PagedFileModel::filterChars() const { return d->filter; }
void PagedFileModel::setExpandTabs(bool expand) {
    d->expandTabs = expand;
    if (d->hex)
        d->lineNumber = -1;
}
bool PagedFileModel::expandTabs() const { return d->expandTabs; }
void PagedFileModel::setTabSize(std::uint8_t size) { d->tabSize = size; }
std::uint8_t PagedFileModel::tabSize() const { return d->tabSize; }

void PagedFileModel::setBufferPageCount(int count) {
    count = std::clamp(count, kMinPages, kMaxPages);
    if (count < int(d->slots.size())) {
        // The page in use stays cached: it changes places with slot 0 when its slot goes.
        const std::int64_t page = d->current.offset / PageSize;
        for (std::size_t i = std::size_t(count); i < d->slots.size(); ++i)
            if (d->slots[i].page == page && d->slots[i].page != kNoPage) {
                std::swap(d->slots[i], d->slots[0]);
                break;
            }
    }
    d->resizeSlots(count);
}

int PagedFileModel::bufferPageCount() const { return int(d->slots.size()); }
std::int64_t PagedFileModel::fileLength() const { return d->length; }
std::int64_t PagedFileModel::totalLines() const { return d->total; }

std::int64_t PagedFileModel::lengthNow() const {
    struct stat st {};
    if (!d->isOpen() || ::fstat(d->fd, &st) != 0)
        return -1;
    return st.st_size;
}

std::string_view PagedFileModel::lineText(std::int64_t n) {
    if (!d->isOpen() || d->length == 0 || n < 0)
        return {};
    const std::int64_t last = d->hex ? d->lastHexRow : d->lastText.line;
    if (last >= 0 && n > last)
        return {};
    if (n == d->lineNumber)
        return d->line;
    d->lineNumber = -1; // a failed read leaves no stale text behind
    if (d->hex)
        d->fetchHex(n);
    else
        d->fetchText(n);
    d->lineNumber = n;
    return d->line;
}

std::int64_t PagedFileModel::checkLine(std::int64_t n) {
    if (!d->isOpen() || d->length == 0)
        return 0;
    if (d->hex)
        return std::min(n, d->lastHexRow);
    if (d->lastText.line < 0) {
        if (n <= d->second.line)
            return n;
        d->positionTo(n);
    }
    return d->lastText.line >= 0 ? std::min(n, d->lastText.line) : n;
}

std::string PagedFileModel::printableLine(std::int64_t n, std::size_t size) {
    const std::string_view text = lineText(n);
    std::string out;
    if (text.find('\t') == std::string_view::npos) {
        out.assign(text.substr(0, std::min(size, text.size())));
        return out;
    }
    const std::size_t stop = d->tabSize ? d->tabSize : 8;
    for (char c : text) {
        if (out.size() >= size)
            break;
        if (c == '\t')
            out.append(std::min(stop - out.size() % stop, size - out.size()), ' ');
        else
            out += c;
    }
    return out;
}

void PagedFileModel::setCaretLine(std::int64_t line) { d->caretWanted = line; }

std::int64_t PagedFileModel::lineOffset(std::int64_t n) {
    if (!d->isOpen() || d->length == 0 || n <= 0)
        return 0;
    if (d->hex)
        return std::min(n * 16, (d->length - 1) / 16 * 16);
    d->positionTo(n);
    return d->current.offset;
}

int PagedFileModel::hexOffsetDigits() const { return d->offsetDigits(); }

std::int64_t PagedFileModel::readBytes(std::int64_t offset, char* into, std::int64_t size) {
    if (!d->isOpen() || offset < 0 || offset >= d->length || size <= 0)
        return 0;
    return readAt(d->fd, into, std::min(size, d->length - offset), offset);
}

void PagedFileModel::learnLineStart(std::int64_t line, std::int64_t offset) {
    if (d->isOpen() && offset >= 0 && offset <= d->length)
        d->learn(Position{line, offset});
}

void PagedFileModel::learnTextEnd(std::int64_t lastLine, std::int64_t offset) {
    if (d->isOpen() && !d->hex && offset >= 0 && offset <= d->length)
        d->reachedEnd(Position{lastLine, offset}, false);
}
