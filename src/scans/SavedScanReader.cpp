// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/SavedScanReader.h"

#include <xxhash.h>
#include "scans/ScanJson.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

void SavedScanItem::clear() {
    name.clear();
    excludeRule.clear();
    apparentSize = diskSize = 0;
    device = inode = links = 0;
    owner = group = mode = 0;
    writeTime = accessTime = birthTime = 0;
    flags = 0;
    excluded = Excluded::No;
}

namespace {

// A mistake in the file, with what is wrong; the reader adds the file and the line.
struct ParseFailure {
    std::string what;
    bool ofInput = false;   // the bytes could not be had (no line to name)
    std::uint64_t line = 0; // the line it is on, when not the reading position's
};

// The names of one folder's entries, as 96-bit fingerprints with the line of each (16 bytes a
// name, written one after the other), looked at once the folder is complete: sorted, equal names
// lie side by side. Two entries of one name would make one file look like two.
class NameSet {
public:
    void add(std::string_view name, std::uint64_t line) {
        const XXH128_hash_t h = XXH3_128bits(name.data(), name.size());
        m_prints.push_back({h.high64, std::uint32_t(h.low64),
                            std::uint32_t(std::min<std::uint64_t>(line, UINT32_MAX))});
    }
    // The line of the first entry that gives a name given before it in the folder (0 when there is
    // none); empties the set.
    std::uint64_t repeatedLine() {
        std::sort(m_prints.begin(), m_prints.end());
        std::uint32_t first = 0;
        for (std::size_t i = 1; i < m_prints.size(); ++i)
            if (m_prints[i].sameName(m_prints[i - 1]) && (first == 0 || m_prints[i].line < first))
                first = m_prints[i].line;
        clear();
        return first;
    }
    // A big folder's fingerprints are let go: only the folders on the way down keep theirs.
    void clear() {
        if (m_prints.capacity() > 4096)
            std::vector<Print>().swap(m_prints);
        else
            m_prints.clear();
    }

private:
    struct Print {
        std::uint64_t high;
        std::uint32_t low;
        std::uint32_t line;
        bool sameName(const Print& o) const { return high == o.high && low == o.low; }
        bool operator<(const Print& o) const {
            return high != o.high ? high < o.high : low != o.low ? low < o.low : line < o.line;
        }
    };
    static_assert(sizeof(Print) == 16);
    std::vector<Print> m_prints;
};

[[noreturn]] void fail(std::string what) {
    throw ParseFailure{std::move(what)};
}

enum class Key {
    Name,
    ASize,
    DSize,
    Dev,
    Ino,
    NLink,
    Uid,
    Gid,
    Mode,
    MTime,
    ATime,
    BTime,
    HLinkC,
    ReadError,
    NotReg,
    Hidden,
    Excluded,
    ExcludeRule,
    Other
};

Key keyOf(std::string_view k) {
    switch (k.size()) {
    case 3:
        return k == "dev"   ? Key::Dev
               : k == "ino" ? Key::Ino
               : k == "uid" ? Key::Uid
               : k == "gid" ? Key::Gid
                            : Key::Other;
    case 4:
        return k == "name" ? Key::Name : k == "mode" ? Key::Mode : Key::Other;
    case 5:
        return k == "asize"   ? Key::ASize
               : k == "dsize" ? Key::DSize
               : k == "nlink" ? Key::NLink
               : k == "mtime" ? Key::MTime
               : k == "atime" ? Key::ATime
               : k == "btime" ? Key::BTime
               : k == "hlnkc" ? Key::HLinkC
                              : Key::Other;
    case 6:
        return k == "notreg" ? Key::NotReg : k == "hidden" ? Key::Hidden : Key::Other;
    case 8:
        return k == "excluded" ? Key::Excluded : Key::Other;
    case 10:
        return k == "read_error" ? Key::ReadError : Key::Other;
    case kExcludeRuleKey.size():
        return k == kExcludeRuleKey ? Key::ExcludeRule : Key::Other;
    default:
        return Key::Other;
    }
}

// The bytes that end a run of plain text in a JSON string: the quote, the backslash, control characters.
struct TextStops {
    bool stop[256] = {};
    constexpr TextStops() {
        for (int c = 0; c < 0x20; ++c)
            stop[c] = true;
        stop[int('"')] = stop[int('\\')] = true;
    }
};
constexpr TextStops kTextStops;

void appendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace

struct SavedScanReader::Parser {
    // Limits of what is kept from the file: a key (the longest known is 10 bytes), an entry's name
    // (the kernel takes no path, so no name, of 4096 bytes or more), the top folder's path (a walk's
    // root was given as a path), the nesting of a value that is passed over.
    static constexpr std::size_t MaxKey = 16;
    static constexpr std::size_t MaxName = 4095;
    static constexpr std::size_t MaxPath = 1 << 20;
    static constexpr std::size_t MaxNesting = 1024;

    ScanInput input;
    std::vector<char> buffer = std::vector<char>(64 * 1024);
    const char* p = nullptr;
    const char* end = nullptr;
    std::uint64_t line = 1;
    std::string key;
    std::string scratch;
    std::vector<NameSet> names; // of each folder open, the top one first

    // The entry just read as one more of the folder open at depth (from 1).
    void addName(std::size_t depth, const std::string& name) {
        if (names.size() < depth)
            names.resize(depth);
        names[depth - 1].add(name, line);
    }
    // The folder open at depth is complete: no name of it may be there twice.
    void checkNames(std::size_t depth) {
        if (depth > names.size())
            return;
        if (const std::uint64_t repeated = names[depth - 1].repeatedLine())
            throw ParseFailure{"a name given a second time in one folder", false, repeated};
    }

    bool refill() {
        const long n = input.read(buffer.data(), buffer.size());
        if (n < 0)
            throw ParseFailure{input.error(), true};
        p = buffer.data();
        end = p + n;
        return n > 0;
    }
    int peek() {
        if (p == end && !refill())
            return -1;
        return static_cast<unsigned char>(*p);
    }
    int get() {
        if (p == end && !refill())
            return -1;
        const char c = *p++;
        if (c == '\n')
            ++line;
        return static_cast<unsigned char>(c);
    }
    void ws() {
        for (;;) {
            while (p < end) {
                const char c = *p;
                if (c == '\n')
                    ++line;
                else if (c != ' ' && c != '\t' && c != '\r')
                    return;
                ++p;
            }
            if (!refill())
                return;
        }
    }
    void expect(char wanted, const char* what) {
        if (p < end && *p == wanted) { // the usual case: at once
            ++p;
            return;
        }
        ws();
        const int c = get();
        if (c != wanted)
            fail(c < 0 ? std::string("the file is cut short (it ends where ") + what + " should be)"
                       : std::string("expected ") + what);
    }

    unsigned hex4() {
        unsigned v = 0;
        for (int i = 0; i < 4; ++i) {
            const int c = get();
            int d = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
            if (d < 0)
                fail("a \\u escape needs four hexadecimal digits");
            v = v * 16 + unsigned(d);
        }
        return v;
    }
    // A string, the opening quote read, of which out keeps at most kept bytes (the file decides how
    // long a text is: what is passed over or cannot be a key must not grow the memory). Returns the
    // text's whole length in bytes.
    std::size_t stringBody(std::string& out, std::size_t kept) {
        out.clear();
        std::size_t length = 0;
        for (;;) {
            const char* start = p;
            while (p < end && !kTextStops.stop[static_cast<unsigned char>(*p)])
                ++p;
            const std::size_t run = std::size_t(p - start);
            if (out.size() < kept)
                out.append(start, std::min(run, kept - out.size()));
            length += run;
            if (p == end) {
                // The buffer ended inside the text: the text goes on in the next one.
                if (!refill())
                    fail("the file is cut short (it ends inside a text)");
                continue;
            }
            const int c = get();
            if (c == '"')
                return length;
            if (c != '\\') {
                if (c == '\n')
                    fail("a line break inside a text");
                fail("a control character inside a text");
            }
            const std::size_t before = out.size();
            const int e = get();
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += char(e);
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                std::uint32_t cp = hex4();
                if (cp >= 0xD800 && cp < 0xDC00 && peek() == '\\') {
                    get();
                    if (get() != 'u')
                        fail("a broken \\u escape");
                    const unsigned low = hex4();
                    if (low >= 0xDC00 && low < 0xE000) {
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    } else {
                        appendUtf8(out, 0xFFFD); // a lone half of a pair
                        cp = low >= 0xD800 && low < 0xE000 ? 0xFFFD : low;
                    }
                } else if (cp >= 0xD800 && cp < 0xE000) {
                    cp = 0xFFFD;
                }
                appendUtf8(out, cp);
                break;
            }
            default:
                fail("an unknown escape in a text");
            }
            length += out.size() - before;
            if (out.size() > kept)
                out.resize(kept);
        }
    }
    std::size_t string(std::string& out, std::size_t kept) {
        ws();
        const int c = get();
        if (c != '"')
            fail(c < 0 ? "the file is cut short (it ends where a text should be)"
                       : "expected a text in quotes");
        return stringBody(out, kept);
    }
    // A key: one longer than any known key is none of them (and is not kept). A plain key that lies
    // whole in the block is looked at where it is (most are).
    std::string_view keyString() {
        ws();
        if (p < end && *p == '"') {
            const char* start = p + 1;
            const char* q = start;
            while (q < end && q - start <= std::ptrdiff_t(MaxKey) &&
                   !kTextStops.stop[static_cast<unsigned char>(*q)])
                ++q;
            if (q < end && *q == '"') {
                p = q + 1;
                return q - start <= std::ptrdiff_t(MaxKey) ? std::string_view(start, std::size_t(q - start))
                                                           : std::string_view();
            }
        }
        if (string(key, MaxKey) > MaxKey)
            key.clear();
        return key;
    }
    // The digits at the reading position as a number; tooLarge when it does not fit 64 bits (all of
    // its digits are read still).
    std::uint64_t digitRun(int& digits, bool& tooLarge) {
        const bool zeroFirst = peek() == '0';
        const std::uint64_t v = plainDigits(digits, tooLarge);
        // JSON writes no leading zero, and no program writes one: "0192" is no number of a scan.
        if (zeroFirst && digits > 1)
            fail("a number with a leading zero");
        return v;
    }
    std::uint64_t plainDigits(int& digits, bool& tooLarge) {
        // Up to 19 digits in the block cannot overflow: no check for them (most numbers end there).
        std::uint64_t v = 0;
        const char* q = p;
        const char* limit = p + std::min<std::ptrdiff_t>(end - p, 19);
        for (unsigned d; q < limit && (d = unsigned(static_cast<unsigned char>(*q)) - '0') <= 9; ++q)
            v = v * 10 + d;
        digits = int(q - p);
        p = q;
        if (q < limit)
            return v;
        while (p < end || refill()) {
            const unsigned d = unsigned(static_cast<unsigned char>(*p)) - '0';
            if (d > 9)
                break;
            ++p;
            ++digits;
            if (__builtin_mul_overflow(v, 10u, &v) || __builtin_add_overflow(v, d, &v))
                tooLarge = true;
        }
        return v;
    }
    // A JSON number as a whole number (a fraction is cut off where fraction is allowed).
    std::int64_t number(bool allowNegative, bool allowFraction, std::uint64_t most) {
        ws();
        bool negative = false;
        if (peek() == '-') {
            get();
            negative = true;
        }
        bool tooLarge = false;
        int digits = 0;
        const std::uint64_t v = digitRun(digits, tooLarge);
        if (digits == 0)
            fail("expected a number");
        const int c = peek();
        if (c == '.' || c == 'e' || c == 'E') {
            if (!allowFraction)
                fail("expected a whole number");
            get();
            if (c == '.')
                while (peek() >= '0' && peek() <= '9')
                    get();
            if (peek() == 'e' || peek() == 'E')
                fail("a number with an exponent");
        }
        if (negative && !allowNegative && v != 0)
            fail("a negative number where a size or count should be");
        if (tooLarge || v > most)
            fail("a number too large");
        return negative ? -std::int64_t(v) : std::int64_t(v);
    }
    std::uint64_t unsignedNumber(std::uint64_t most) {
        ws();
        if (peek() == '-')
            fail("a negative number where a size or count should be");
        bool tooLarge = false;
        int digits = 0;
        const std::uint64_t v = digitRun(digits, tooLarge);
        if (tooLarge || v > most)
            fail("a number too large");
        if (digits == 0)
            fail("expected a number");
        if (peek() == '.' || peek() == 'e' || peek() == 'E')
            fail("expected a whole number");
        return v;
    }
    void literal(const char* word) {
        for (const char* w = word; *w; ++w)
            if (get() != *w)
                fail(std::string("expected ") + word);
    }
    // true, false, or null (false).
    bool boolean() {
        ws();
        const int c = peek();
        if (c == 't') {
            literal("true");
            return true;
        }
        if (c == 'f') {
            literal("false");
            return false;
        }
        if (c == 'n') {
            literal("null");
            return false;
        }
        fail("expected true or false");
    }
    bool isNull() {
        ws();
        if (peek() != 'n')
            return false;
        literal("null");
        return true;
    }
    // Any value, read and dropped (arrays and objects without recursion, nested at most MaxNesting:
    // deeper is no key of any program's scan, and the stack would grow with the file).
    std::vector<char> open;
    void skipValue() {
        open.clear();
        for (;;) {
            ws();
            int c = get();
            if (c == '"') {
                stringBody(scratch, 0);
            } else if (c == '[' || c == '{') {
                ws();
                if (peek() == (c == '[' ? ']' : '}')) {
                    get(); // empty: a whole value
                } else {
                    if (open.size() == MaxNesting)
                        fail("a value nested more than " + std::to_string(MaxNesting) + " deep");
                    open.push_back(char(c));
                    if (c == '{') {
                        string(scratch, 0);
                        expect(':', "':' after a key");
                    }
                    continue;
                }
            } else if (c == '-' || (c >= '0' && c <= '9')) {
                for (int n = peek();
                     n == '.' || n == 'e' || n == 'E' || n == '+' || n == '-' || (n >= '0' && n <= '9');
                     n = peek())
                    get();
            } else if (c == 't' || c == 'f' || c == 'n') {
                --p; // the word's own first letter
                literal(c == 't' ? "true" : c == 'f' ? "false" : "null");
            } else {
                fail(c < 0 ? "the file is cut short" : "expected a value");
            }
            // A value is complete: close what it completes, or go on to the next one.
            for (;;) {
                if (open.empty())
                    return;
                ws();
                c = get();
                if (c == ',') {
                    if (open.back() == '{') {
                        string(scratch, 0);
                        expect(':', "':' after a key");
                    }
                    break;
                }
                if (c != (open.back() == '[' ? ']' : '}'))
                    fail("expected ',' or the end of a list or object");
                open.pop_back();
            }
        }
    }

    void info(SavedScanItem& item, bool top) {
        item.clear();
        ws();
        if (get() != '{')
            fail("expected an entry's info object");
        bool named = false;
        ws();
        if (peek() == '}') {
            get();
            fail("an entry without a name");
        }
        for (;;) {
            const Key k = keyOf(keyString());
            expect(':', "':' after a key");
            if (k != Key::Other && k != Key::Name && isNull()) {
                // A flag that is null is not set; a number that is null is none (a size or a time
                // must not turn into "not known" by a word the format does not have there).
                if (k != Key::HLinkC && k != Key::ReadError && k != Key::NotReg && k != Key::Hidden &&
                    k != Key::Excluded)
                    fail("null where a number should be");
            } else {
                switch (k) {
                case Key::Name: {
                    // A name is one entry's (the top folder's: a path), never longer than a file
                    // name can be.
                    const std::size_t most = top ? MaxPath : MaxName;
                    if (string(item.name, most) > most)
                        fail("a name longer than " + std::to_string(most) + " bytes, which no " +
                             (top ? "folder's path" : "file") + " can have");
                    named = true;
                    break;
                }
                case Key::ASize:
                    item.apparentSize =
                        std::int64_t(unsignedNumber(std::numeric_limits<std::int64_t>::max()));
                    break;
                case Key::DSize:
                    item.diskSize = std::int64_t(unsignedNumber(std::numeric_limits<std::int64_t>::max()));
                    break;
                case Key::Dev:
                    item.device = unsignedNumber(std::numeric_limits<std::uint64_t>::max());
                    item.flags |= SavedScanItem::HasDevice;
                    break;
                case Key::Ino:
                    item.inode = unsignedNumber(std::numeric_limits<std::uint64_t>::max());
                    break;
                case Key::NLink:
                    item.links = unsignedNumber(std::numeric_limits<std::uint32_t>::max());
                    break;
                case Key::Uid:
                    item.owner = std::uint32_t(unsignedNumber(std::numeric_limits<std::uint32_t>::max()));
                    item.flags |= SavedScanItem::HasOwner;
                    break;
                case Key::Gid:
                    item.group = std::uint32_t(unsignedNumber(std::numeric_limits<std::uint32_t>::max()));
                    break;
                case Key::Mode:
                    item.mode = std::uint32_t(unsignedNumber(0xFFFF));
                    item.flags |= SavedScanItem::HasMode;
                    break;
                case Key::MTime:
                case Key::ATime:
                case Key::BTime: {
                    // Whole seconds; before 1970 is negative (gdu writes such times as they are).
                    const std::int64_t t =
                        number(true, false, std::uint64_t(std::numeric_limits<std::int64_t>::max()));
                    (k == Key::MTime   ? item.writeTime
                     : k == Key::ATime ? item.accessTime
                                       : item.birthTime) = t;
                    item.flags |= k == Key::MTime   ? SavedScanItem::HasWriteTime
                                  : k == Key::ATime ? SavedScanItem::HasAccessTime
                                                    : SavedScanItem::HasBirthTime;
                    break;
                }
                case Key::HLinkC:
                case Key::ReadError:
                case Key::NotReg:
                case Key::Hidden:
                    if (boolean())
                        item.flags |= k == Key::HLinkC      ? SavedScanItem::HardLinked
                                      : k == Key::ReadError ? SavedScanItem::ReadError
                                      : k == Key::NotReg    ? SavedScanItem::NotRegular
                                                            : SavedScanItem::Hidden;
                    break;
                case Key::Excluded:
                    string(scratch, MaxKey);
                    item.excluded = scratch == "otherfs" || scratch == "othfs"
                                        ? SavedScanItem::Excluded::OtherFilesystem
                                    : scratch == "kernfs"  ? SavedScanItem::Excluded::KernelFilesystem
                                    : scratch == "pattern" ? SavedScanItem::Excluded::Pattern
                                                           : SavedScanItem::Excluded::Other;
                    break;
                case Key::ExcludeRule:
                    // Only said to the user: a longer text is cut, never refused.
                    string(item.excludeRule, MaxName);
                    break;
                case Key::Other:
                    skipValue(); // a key of another program or a later version
                    break;
                }
            }
            ws();
            const int c = get();
            if (c == '}')
                break;
            if (c != ',')
                fail(c < 0 ? "the file is cut short (it ends inside an entry)"
                           : "expected ',' or '}' in an entry");
        }
        if (!named)
            fail("an entry without a name");
        if (item.name.empty())
            fail("an entry with an empty name");
        if (std::memchr(item.name.data(), '\0', item.name.size()))
            fail("a name with a NUL byte, which no file can have");
        if (!top && (item.name.find('/') != std::string::npos || item.name == "." || item.name == ".."))
            fail("the name \"" + item.name + "\", which no entry of a folder can have");
    }
};

SavedScanReader::SavedScanReader() : p(std::make_unique<Parser>()) {}
SavedScanReader::~SavedScanReader() = default;

namespace {
std::string located(const std::string& path, std::uint64_t line, const ParseFailure& f) {
    if (f.ofInput)
        return path + ": " + f.what;
    return path + ": line " + std::to_string(f.line ? f.line : line) + ": " + f.what;
}
} // namespace

bool SavedScanReader::open(const std::string& path) {
    m_path = path;
    m_depth = 0;
    for (NameSet& names : p->names)
        names.clear();
    if (!p->input.open(path)) {
        m_error = path + ": " + p->input.error();
        return false;
    }
    try {
        p->ws();
        const int first = p->get();
        if (first != '[')
            fail(first < 0 ? "an empty file, not a saved scan"
                           : "not a saved scan (it does not begin with '[')");
        const std::int64_t major =
            p->number(true, false, std::uint64_t(std::numeric_limits<std::int64_t>::max()));
        if (major != 1)
            fail("version " + std::to_string(major) + " of the scan format, where only version 1 is read");
        p->expect(',', "',' after the version");
        m_header.minorVersion = int(p->number(false, false, 10000));
        p->expect(',', "',' and the metadata object");
        p->ws();
        if (p->get() != '{')
            fail("not a saved scan (expected the metadata object)");
        p->ws();
        if (p->peek() == '}') {
            p->get();
        } else {
            for (;;) {
                const std::string key(p->keyString());
                p->expect(':', "':' after a key");
                if (key == "progname")
                    p->string(m_header.program, Parser::MaxKey * 16);
                else if (key == "progver")
                    p->string(m_header.version, Parser::MaxKey * 16);
                else if (key == "timestamp")
                    m_header.timestamp =
                        p->number(true, true, std::uint64_t(std::numeric_limits<std::int64_t>::max()));
                else
                    p->skipValue();
                p->ws();
                const int c = p->get();
                if (c == '}')
                    break;
                if (c != ',')
                    fail("expected ',' or '}' in the metadata");
            }
        }
        p->expect(',', "',' and the scanned folder");
        p->expect('[', "the scanned folder");
        p->info(m_header.root, true);
        m_depth = 1;
    } catch (const ParseFailure& f) {
        m_error = located(path, p->line, f);
        return false;
    }
    return true;
}

SavedScanReader::Event SavedScanReader::next() {
    if (m_depth == 0)
        return Event::End;
    try {
        p->ws();
        int c = p->get();
        if (c == ']') {
            p->checkNames(m_depth);
            if (--m_depth == 0) {
                p->expect(']', "the end of the scan");
                p->ws();
                if (p->peek() >= 0)
                    fail("more text after the end of the scan");
            }
            return Event::End;
        }
        if (c != ',')
            fail(c < 0 ? "the file is cut short" : "expected ',' or ']' after an entry");
        p->ws();
        c = p->get();
        if (c == '{') {
            --p->p; // the object's own brace
            p->info(m_item, false);
            p->addName(m_depth, m_item.name);
            return Event::File;
        }
        if (c == '[') {
            p->info(m_item, false);
            p->addName(m_depth, m_item.name);
            ++m_depth;
            return Event::Folder;
        }
        fail(c < 0 ? "the file is cut short" : "expected an entry ('{' or '[')");
    } catch (const ParseFailure& f) {
        m_error = located(m_path, p->line, f);
        m_depth = 0;
        return Event::Failed;
    }
}

bool SavedScanReader::nextIsEnd() {
    try {
        p->ws();
        return p->peek() == ']';
    } catch (const ParseFailure&) {
        return false; // next() will say what is wrong
    }
}

bool SavedScanReader::skipFolder() {
    const std::size_t target = m_depth - 1;
    while (m_depth > target) {
        const Event e = next();
        if (e == Event::Failed)
            return false;
        if (e == Event::End && m_depth == 0)
            return true;
    }
    return true;
}
