// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/JsonResults.h"

#include "cli/ResultOutput.h"
#include "common/JsonText.h"
#include "common/SaturatingSum.h"
#include "common/WalkReport.h"
#include "finders/daterange/DateRangeEngine.h"
#include "finders/dup/DupContentCheck.h"
#include "finders/dup/DupScanEngine.h"
#include "finders/dupfolders/DupFolderEngine.h"
#include "folderhogs/FolderSizeEngine.h"

#include <charconv>
#include <functional>

namespace {

constexpr std::size_t kBlock = std::size_t(1) << 16;

// "path", "name" and "folder" of a path and its last part's length: the folder keeps no "/" at its
// end but at the root.
void appendPlace(JsonObject& o, const std::string& path, std::size_t nameLength) {
    const std::string_view whole(path);
    const std::string_view name = whole.substr(whole.size() - nameLength);
    std::string_view folder = whole.substr(0, whole.size() - nameLength);
    if (folder.size() > 1 && folder.back() == '/')
        folder.remove_suffix(1);
    o.string("path", whole).string("name", name).string("folder", folder);
}

// A percent with two decimals as a JSON number, never in the locale's form.
void appendPercent(std::int64_t part, std::int64_t whole, std::string& out) {
    const double percent = double(part) / double(whole) * 100.0;
    char text[32];
    const auto [end, failure] = std::to_chars(text, text + sizeof text, percent, std::chars_format::fixed, 2);
    out.append(text, failure == std::errc() ? std::size_t(end - text) : 0);
}

// The last line: {"summary":{"command":...,...}}.
void appendSummaryLine(JsonLines& lines, const char* command, const std::function<void(JsonObject&)>& more) {
    std::string& out = lines.buffer();
    out += "{\"summary\":";
    JsonObject summary(out);
    summary.string("command", command);
    more(summary);
    summary.end();
    out += '}';
    lines.endLine();
}

} // namespace

void JsonLines::endLine() {
    m_block += '\n';
    if (m_block.size() >= kBlock) {
        if (m_error == 0)
            m_error = WriteAll(m_fd, m_block);
        m_block.clear();
    }
}

int JsonLines::finish() {
    if (m_error == 0)
        m_error = WriteAll(m_fd, m_block);
    m_block.clear();
    return m_error;
}

void AppendDupFileJson(const DupScanEngine& engine, std::size_t result, std::string& out) {
    const DupResultFacts facts = engine.resultFacts(result);
    JsonObject o(out);
    appendPlace(o, engine.resultPath(result), facts.name.size());
    o.number("size", facts.size);
    if (facts.modifiedNs != 0)
        AppendJsonStampTime(facts.modifiedNs, o.member("modified"));
    else
        AppendJsonPackedTime(facts.modified, o.member("modified"));
    AppendJsonPackedDate(facts.accessedDate, o.member("accessed_date"));
    o.string("type", facts.type).boolean("search_path", facts.searchPath);
    o.end();
}

void AppendSkippedJson(const SkippedEntries& skipped, JsonObject& summary) {
    summary.number("unreadable_folders", skipped.folders()).number("unreadable_entries", skipped.files());
}

int WriteDupScanJson(const DupScanEngine& engine, int fd) {
    JsonLines lines(fd);
    const bool dupMode = engine.criteria().dupMode;
    std::int64_t bytes = 0;
    const std::size_t count = engine.resultCount();
    const std::vector<std::uint32_t> starts = engine.resultRunStarts();
    std::size_t run = 0;
    for (std::size_t i = 0; i < count; ++i) {
        bytes = SaturatingAdd(bytes, engine.resultSize(i));
        std::string& out = lines.buffer();
        if (!dupMode) {
            AppendDupFileJson(engine, i, out);
            lines.endLine();
            continue;
        }
        // A run of equal names is one group.
        const std::size_t end = run + 1 < starts.size() ? starts[run + 1] : count;
        if (i == starts[run]) {
            out += "{\"group\":" + std::to_string(run + 1) + ",\"files\":[";
        } else {
            out += ',';
        }
        AppendDupFileJson(engine, i, out);
        if (i + 1 == end) {
            out += "]}";
            lines.endLine();
            ++run;
        }
    }
    appendSummaryLine(lines, dupMode ? "dups" : "hogs", [&](JsonObject& s) {
        if (dupMode)
            s.number("groups", std::int64_t(starts.size()));
        s.number("files", std::int64_t(count)).number("bytes", bytes);
        AppendSkippedJson(engine.skipped(), s);
    });
    return lines.finish();
}

int WriteContentGroupsJson(const DupScanEngine& engine, const DupContentCheck& check, int fd) {
    JsonLines lines(fd);
    std::int64_t files = 0;
    for (std::uint32_t g = 1; g <= check.groupCount(); ++g) {
        const std::vector<std::uint32_t>& members = check.members(g);
        const std::int64_t size = members.empty() ? 0 : engine.resultSize(members.front());
        files += std::int64_t(members.size());
        std::string& out = lines.buffer();
        out += "{\"group\":" + std::to_string(g) + ",\"size\":" + std::to_string(size) +
               ",\"same_file\":" + (check.sameFile(g) ? "true" : "false") + ",\"files\":[";
        for (std::size_t m = 0; m < members.size(); ++m) {
            if (m > 0)
                out += ',';
            AppendDupFileJson(engine, members[m], out);
        }
        out += "]}";
        lines.endLine();
    }
    appendSummaryLine(lines, "dups", [&](JsonObject& s) {
        s.number("groups", std::int64_t(check.groupCount())).number("files", files);
        s.number("left_out_files", check.unreadableFiles());
        AppendSkippedJson(engine.skipped(), s);
    });
    return lines.finish();
}

int WriteFoldersJson(const FolderSizeEngine& engine, int fd) {
    JsonLines lines(fd);
    const std::size_t count = engine.resultCount();
    std::int64_t partial = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const FolderResultFigures f = engine.resultFigures(i);
        std::string& out = lines.buffer();
        JsonObject o(out);
        o.string("path", engine.resultPath(i));
        if (f.unread) {
            o.null("size").null("percent").null("files").null("sub_folders");
        } else {
            o.number("size", f.bytes);
            if (f.driveTotal < 0 || f.bytes >= f.driveTotal)
                o.null("percent");
            else
                appendPercent(f.bytes, f.driveTotal, o.member("percent"));
            o.number("files", f.files).number("sub_folders", f.subFolders);
        }
        AppendJsonPackedDate(f.latestAccess, o.member("accessed_date"));
        o.boolean("readable", !f.unread).boolean("complete", !f.unread && !f.partial);
        o.end();
        lines.endLine();
        partial += f.unread || f.partial;
    }
    appendSummaryLine(lines, "folders", [&](JsonObject& s) {
        s.number("folders", std::int64_t(count)).number("incomplete_folders", partial);
        AppendSkippedJson(engine.skipped(), s);
    });
    return lines.finish();
}

int WriteDatesJson(const DateRangeEngine& engine, int fd) {
    JsonLines lines(fd);
    const std::size_t count = engine.resultCount();
    std::int64_t bytes = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const DateResultFacts f = engine.resultFacts(i);
        bytes = SaturatingAdd(bytes, f.size);
        std::string& out = lines.buffer();
        JsonObject o(out);
        appendPlace(o, engine.resultPath(i), f.name.size());
        o.number("size", f.size);
        AppendJsonPackedTime(f.accessed, o.member("accessed"));
        AppendJsonPackedTime(f.created, o.member("created"));
        if (f.modifiedNs != 0 && f.modified != 0)
            AppendJsonStampTime(f.modifiedNs, o.member("modified"));
        else
            AppendJsonPackedTime(f.modified, o.member("modified"));
        o.string("type", f.type);
        o.end();
        lines.endLine();
    }
    appendSummaryLine(lines, "dates", [&](JsonObject& s) {
        s.number("files", std::int64_t(count)).number("bytes", bytes);
        AppendSkippedJson(engine.skipped(), s);
    });
    return lines.finish();
}

int WriteFolderGroupsJson(const DupFolderEngine& engine, int fd) {
    JsonLines lines(fd);
    const std::size_t count = engine.resultCount();
    std::int64_t waste = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t group = engine.resultGroup(i);
        std::string& out = lines.buffer();
        if (i == 0 || engine.resultGroup(i - 1) != group) {
            const bool copies = engine.resultRole(i) == DupFolderEngine::Role::Copy;
            waste = SaturatingAdd(waste, engine.groupWaste(group));
            out += "{\"group\":" + std::to_string(group) + ",\"kind\":\"" + (copies ? "copies" : "subset") +
                   "\",\"waste\":" + std::to_string(engine.groupWaste(group)) + ",\"folders\":[";
        } else {
            out += ',';
        }
        const DupFolderEngine::Role role = engine.resultRole(i);
        JsonObject o(out);
        o.string("path", engine.resultPath(i)).number("size", engine.resultBytes(i));
        o.number("files", std::int64_t(engine.resultFiles(i)));
        o.string("note", engine.cellText(std::uint32_t(i), 3).toStdString());
        o.string("role", role == DupFolderEngine::Role::Copy     ? "copy"
                         : role == DupFolderEngine::Role::Subset ? "subset"
                                                                 : "holder");
        // What deleting it would free: nothing for a copy of hard links.
        o.number("freed", engine.resultFreed(i));
        if (role == DupFolderEngine::Role::Holder) {
            char share[16];
            const auto [end, failure] = std::to_chars(share, share + sizeof share, engine.resultShare(i) / 100);
            o.member("share_percent").append(share, failure == std::errc() ? std::size_t(end - share) : 0);
        }
        o.end();
        if (i + 1 == count || engine.resultGroup(i + 1) != group) {
            out += "]}";
            lines.endLine();
        }
    }
    appendSummaryLine(lines, "dupfolders", [&](JsonObject& s) {
        s.number("groups", std::int64_t(engine.groupCount())).number("folders", std::int64_t(count));
        s.number("waste", waste).number("left_out_files", engine.unreadableFiles());
        s.number("changed_folders", engine.changedFolders());
        AppendSkippedJson(engine.skipped(), s);
    });
    return lines.finish();
}
