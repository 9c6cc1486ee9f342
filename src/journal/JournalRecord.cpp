// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalRecord.h"

#include <charconv>
#include <cstdio>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr char kMagic[] = "vantorel-journal";
constexpr char kVersion[] = "1";

struct ToolName {
    JournalTool tool;
    const char* key;
    const char* text;
};
constexpr ToolName kTools[] = {
    {JournalTool::Duplicates, "dups", "Duplicate files"},
    {JournalTool::FileHogs, "hogs", "File hogs"},
    {JournalTool::DateRange, "dates", "Files in a range of dates"},
    {JournalTool::FolderHogs, "folders", "Folder hogs"},
    {JournalTool::Browser, "browser", "Browse through folders"},
    {JournalTool::CommandLine, "cli", "Command line"},
    {JournalTool::DuplicateFolders, "dupfolders", "Duplicate folders"},
};

const char* outcomeKey(JournalOutcome outcome) {
    switch (outcome) {
    case JournalOutcome::Deleted:
        return "deleted";
    case JournalOutcome::Trashed:
        return "trashed";
    case JournalOutcome::Failed:
        break;
    }
    return "failed";
}

// FNV-1a, 32 bits: enough to tell a cut or damaged line from a whole one.
std::uint32_t checksum(std::string_view bytes) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

// Builds one line field by field and seals it with its checksum.
class LineWriter {
public:
    explicit LineWriter(const char* kind) : m_line(kind) {}
    LineWriter& text(std::string_view bytes) {
        m_line += '\t';
        m_line += EscapeJournalBytes(bytes);
        return *this;
    }
    LineWriter& number(std::int64_t value) {
        m_line += '\t';
        m_line += std::to_string(value);
        return *this;
    }
    LineWriter& unsignedNumber(std::uint64_t value) {
        m_line += '\t';
        m_line += std::to_string(value);
        return *this;
    }
    std::string sealed() {
        char sum[16];
        std::snprintf(sum, sizeof sum, "\t#%08x\n", checksum(m_line));
        return m_line + sum;
    }

private:
    std::string m_line;
};

// The fields of a line whose checksum holds, the kind first; empty when it does not.
std::vector<std::string_view> fieldsOf(std::string_view line) {
    const std::size_t mark = line.rfind("\t#");
    if (mark == std::string_view::npos || line.size() - mark != 10)
        return {};
    std::uint32_t sum = 0;
    const char* hex = line.data() + mark + 2;
    const auto [end, error] = std::from_chars(hex, line.data() + line.size(), sum, 16);
    if (error != std::errc() || end != line.data() + line.size() || sum != checksum(line.substr(0, mark)))
        return {};
    std::vector<std::string_view> fields;
    std::string_view rest = line.substr(0, mark);
    for (;;) {
        const std::size_t tab = rest.find('\t');
        fields.push_back(rest.substr(0, tab));
        if (tab == std::string_view::npos)
            break;
        rest.remove_prefix(tab + 1);
    }
    return fields;
}

// Reads fields in order; any field that does not read makes the whole line broken.
class FieldReader {
public:
    explicit FieldReader(const std::vector<std::string_view>& fields) : m_fields(fields) {}
    bool ok() const { return m_ok && m_next == m_fields.size(); }
    std::int64_t number() {
        std::int64_t value = 0;
        const std::string_view f = next();
        const auto [end, error] = std::from_chars(f.data(), f.data() + f.size(), value);
        if (f.empty() || error != std::errc() || end != f.data() + f.size())
            m_ok = false;
        return value;
    }
    std::uint64_t unsignedNumber() {
        std::uint64_t value = 0;
        const std::string_view f = next();
        const auto [end, error] = std::from_chars(f.data(), f.data() + f.size(), value);
        if (f.empty() || error != std::errc() || end != f.data() + f.size())
            m_ok = false;
        return value;
    }
    std::string text() {
        std::optional<std::string> bytes = UnescapeJournalBytes(next());
        if (!bytes)
            m_ok = false;
        return bytes ? std::move(*bytes) : std::string();
    }
    std::string_view raw() { return next(); }

private:
    std::string_view next() {
        if (m_next >= m_fields.size()) {
            m_ok = false;
            return {};
        }
        return m_fields[m_next++];
    }
    const std::vector<std::string_view>& m_fields;
    std::size_t m_next = 1; // the kind is read already
    bool m_ok = true;
};

} // namespace

const char* JournalToolKey(JournalTool tool) {
    for (const ToolName& t : kTools)
        if (t.tool == tool)
            return t.key;
    return "cli";
}

std::optional<JournalTool> JournalToolFromKey(std::string_view key) {
    for (const ToolName& t : kTools)
        if (key == t.key)
            return t.tool;
    return std::nullopt;
}

QString JournalToolText(JournalTool tool) {
    for (const ToolName& t : kTools)
        if (t.tool == tool)
            return QString::fromLatin1(t.text);
    return {};
}

namespace {
std::string joinedPath(const std::string& root, const std::string& folder, const std::string& name) {
    std::string path = root;
    for (const std::string* part : {&folder, &name}) {
        if (part->empty())
            continue;
        if (path.empty() || path.back() != '/')
            path += '/';
        path += *part;
    }
    return path;
}
} // namespace

std::string JournalFileRecord::path() const {
    return joinedPath(root, folder, name);
}

std::string JournalFolderRecord::path() const {
    return joinedPath(root, folder, name);
}

std::string EscapeJournalBytes(std::string_view bytes) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        if (c > ' ' && c < 0x7F && c != '%') {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::optional<std::string> UnescapeJournalBytes(std::string_view text) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c != '%') {
            if (c <= ' ' || c >= 0x7F)
                return std::nullopt;
            out += char(c);
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = digit(text[i + 1]);
        const int low = digit(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += char(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string EncodeJournalLine(const JournalRunHeader& h) {
    return LineWriter(kMagic)
        .text(kVersion)
        .number(h.id)
        .number(h.startTime)
        .text(JournalToolKey(h.tool))
        .text(h.recycle ? "trash" : "delete")
        .text(h.subject)
        .sealed();
}

std::string EncodeJournalLine(const JournalFileRecord& f) {
    return LineWriter("file")
        .number(f.seq)
        .text(outcomeKey(f.outcome))
        .number(f.error)
        .number(f.size)
        .unsignedNumber(f.identity.device)
        .unsignedNumber(f.identity.inode)
        .unsignedNumber(f.modifiedNs)
        .unsignedNumber(f.rootIdentity.device)
        .unsignedNumber(f.rootIdentity.inode)
        .text(f.root)
        .text(f.folder)
        .text(f.name)
        .text(f.trashFolder)
        .text(f.trashName)
        .text(f.reason)
        .sealed();
}

std::string EncodeJournalLine(const JournalFolderRecord& f) {
    return LineWriter("folder")
        .number(f.seq)
        .unsignedNumber(f.mode)
        .unsignedNumber(f.owner)
        .unsignedNumber(f.group)
        .number(f.modified.tv_sec)
        .number(f.modified.tv_nsec)
        .number(f.accessed.tv_sec)
        .number(f.accessed.tv_nsec)
        .unsignedNumber(f.identity.device)
        .unsignedNumber(f.identity.inode)
        .unsignedNumber(f.rootIdentity.device)
        .unsignedNumber(f.rootIdentity.inode)
        .text(f.root)
        .text(f.folder)
        .text(f.name)
        .sealed();
}

std::string EncodeJournalLine(const JournalRestoreRecord& r) {
    return LineWriter("restored")
        .number(r.seq)
        .number(r.time)
        .text(r.restored ? "yes" : "no")
        .text(r.reason)
        .sealed();
}

std::string EncodeJournalLine(const JournalEndRecord& e) {
    return LineWriter("end")
        .number(e.time)
        .number(e.files)
        .number(e.bytes)
        .number(e.failed)
        .number(e.notAttempted)
        .number(e.stopped ? 1 : 0)
        .number(e.omitted)
        .sealed();
}

JournalLineKind JournalLineKindOf(std::string_view line) {
    const std::vector<std::string_view> fields = fieldsOf(line);
    if (fields.empty())
        return JournalLineKind::Broken;
    if (fields[0] == kMagic)
        return JournalLineKind::Header;
    if (fields[0] == "file")
        return JournalLineKind::File;
    if (fields[0] == "folder")
        return JournalLineKind::Folder;
    if (fields[0] == "restored")
        return JournalLineKind::Restore;
    if (fields[0] == "end")
        return JournalLineKind::End;
    return JournalLineKind::Broken;
}

bool DecodeJournalLine(std::string_view line, JournalRunHeader& out) {
    const std::vector<std::string_view> fields = fieldsOf(line);
    if (fields.empty() || fields[0] != kMagic)
        return false;
    FieldReader r(fields);
    const bool versionKnown = r.raw() == kVersion;
    out.id = r.number();
    out.startTime = r.number();
    const std::optional<JournalTool> tool = JournalToolFromKey(r.raw());
    const std::string_view mode = r.raw();
    out.subject = r.text();
    out.tool = tool.value_or(JournalTool::CommandLine);
    out.recycle = mode == "trash";
    return r.ok() && versionKnown && tool && (mode == "trash" || mode == "delete") && out.id > 0;
}

bool DecodeJournalLine(std::string_view line, JournalFileRecord& out) {
    const std::vector<std::string_view> fields = fieldsOf(line);
    if (fields.empty() || fields[0] != "file")
        return false;
    FieldReader r(fields);
    out.seq = r.number();
    const std::string_view outcome = r.raw();
    out.error = int(r.number());
    out.size = r.number();
    out.identity.device = dev_t(r.unsignedNumber());
    out.identity.inode = ino_t(r.unsignedNumber());
    out.modifiedNs = r.unsignedNumber();
    out.rootIdentity.device = dev_t(r.unsignedNumber());
    out.rootIdentity.inode = ino_t(r.unsignedNumber());
    out.root = r.text();
    out.folder = r.text();
    out.name = r.text();
    out.trashFolder = r.text();
    out.trashName = r.text();
    out.reason = r.text();
    if (outcome == "deleted")
        out.outcome = JournalOutcome::Deleted;
    else if (outcome == "trashed")
        out.outcome = JournalOutcome::Trashed;
    else if (outcome == "failed")
        out.outcome = JournalOutcome::Failed;
    else
        return false;
    return r.ok() && out.seq > 0;
}

bool DecodeJournalLine(std::string_view line, JournalFolderRecord& out) {
    const std::vector<std::string_view> fields = fieldsOf(line);
    if (fields.empty() || fields[0] != "folder")
        return false;
    FieldReader r(fields);
    out.seq = r.number();
    const std::uint64_t mode = r.unsignedNumber();
    const std::uint64_t owner = r.unsignedNumber();
    const std::uint64_t group = r.unsignedNumber();
    out.modified.tv_sec = time_t(r.number());
    out.modified.tv_nsec = long(r.number());
    out.accessed.tv_sec = time_t(r.number());
    out.accessed.tv_nsec = long(r.number());
    out.identity.device = dev_t(r.unsignedNumber());
    out.identity.inode = ino_t(r.unsignedNumber());
    out.rootIdentity.device = dev_t(r.unsignedNumber());
    out.rootIdentity.inode = ino_t(r.unsignedNumber());
    out.root = r.text();
    out.folder = r.text();
    out.name = r.text();
    out.mode = std::uint32_t(mode);
    out.owner = std::uint32_t(owner);
    out.group = std::uint32_t(group);
    auto nanoseconds = [](const timespec& t) { return t.tv_nsec >= 0 && t.tv_nsec < 1'000'000'000; };
    // Only what a folder can be: the journal is a file like any other and is not trusted.
    return r.ok() && out.seq > 0 && mode <= 0xFFFF && S_ISDIR(mode_t(mode)) && owner <= 0xFFFFFFFFu &&
           group <= 0xFFFFFFFFu && nanoseconds(out.modified) && nanoseconds(out.accessed) &&
           !out.name.empty() && out.name != "." && out.name != ".." &&
           out.name.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
}

bool DecodeJournalLine(std::string_view line, JournalRestoreRecord& out) {
    const std::vector<std::string_view> fields = fieldsOf(line);
    if (fields.empty() || fields[0] != "restored")
        return false;
    FieldReader r(fields);
    out.seq = r.number();
    out.time = r.number();
    const std::string_view restored = r.raw();
    out.reason = r.text();
    out.restored = restored == "yes";
    return r.ok() && out.seq > 0 && (restored == "yes" || restored == "no");
}

bool DecodeJournalLine(std::string_view line, JournalEndRecord& out) {
    const std::vector<std::string_view> fields = fieldsOf(line);
    if (fields.empty() || fields[0] != "end")
        return false;
    FieldReader r(fields);
    out.time = r.number();
    out.files = r.number();
    out.bytes = r.number();
    out.failed = r.number();
    out.notAttempted = r.number();
    out.stopped = r.number() != 0;
    out.omitted = r.number();
    return r.ok();
}
