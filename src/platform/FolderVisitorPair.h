// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderWalker.h"

// Two visitors of one walk: every hook goes to the first, then to the second, so that a second
// product of the same walk (a snapshot written beside a scan) costs no second walk. The first decides
// when the walk stops and which files it wants; what the walk is asked for comes from the first too,
// with the creation time when either wants it. The second must want what the first wants of the walk
// (every entry, hidden folders), or it would see a different walk.
class FolderVisitorPair : public FolderVisitor {
public:
    FolderVisitorPair(FolderVisitor& first, FolderVisitor& second) : m_first(first), m_second(second) {}

    bool shouldStop() override { return m_first.shouldStop() || m_second.shouldStop(); }
    void enterFolder(const FolderHandle& f) override {
        m_first.enterFolder(f);
        m_second.enterFolder(f);
    }
    void folderEntry(const FolderHandle& f, std::string_view name, bool isFolder) override {
        m_first.folderEntry(f, name, isFolder);
        m_second.folderEntry(f, name, isFolder);
    }
    void yield() override {
        m_first.yield();
        m_second.yield();
    }
    void beginFiles(const FolderHandle& f) override {
        m_first.beginFiles(f);
        m_second.beginFiles(f);
    }
    bool wantsFile(std::string_view name) override { return m_first.wantsFile(name); }
    bool wantsCreationTime() override {
        const bool first = m_first.wantsCreationTime();
        return m_second.wantsCreationTime() || first;
    }
    bool wantsEveryEntry() override { return m_first.wantsEveryEntry(); }
    bool wantsHiddenEntries() override { return m_first.wantsHiddenEntries(); }
    void file(const FolderHandle& f, const FsEntry& entry) override {
        m_first.file(f, entry);
        m_second.file(f, entry);
    }
    void subFolderEntry(const FolderHandle& f, std::string_view name) override {
        m_first.subFolderEntry(f, name);
        m_second.subFolderEntry(f, name);
    }
    void leaveFolder(const FolderHandle& f) override {
        m_first.leaveFolder(f);
        m_second.leaveFolder(f);
    }
    void folderSkipped(const FolderHandle& f, std::string_view name, int error) override {
        m_first.folderSkipped(f, name, error);
        m_second.folderSkipped(f, name, error);
    }
    void entrySkipped(const FolderHandle& f, std::string_view name, int error) override {
        m_first.entrySkipped(f, name, error);
        m_second.entrySkipped(f, name, error);
    }
    void entryExcluded(const FolderHandle& f, std::string_view name, bool isFolder, std::string_view rule) override {
        m_first.entryExcluded(f, name, isFolder, rule);
        m_second.entryExcluded(f, name, isFolder, rule);
    }

private:
    FolderVisitor& m_first;
    FolderVisitor& m_second;
};
