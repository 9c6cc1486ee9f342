// SPDX-License-Identifier: GPL-3.0-or-later
// Interface only: the walk is being written; every scan finds nothing yet.
#include "folderhogs/FolderSizeEngine.h"

struct FolderSizeEngine::Impl {
    FolderScanMode mode = FolderScanMode::Main;
    bool aborted = false;
};

FolderSizeEngine::FolderSizeEngine(std::size_t) : d(std::make_unique<Impl>()) {}
FolderSizeEngine::~FolderSizeEngine() = default;
void FolderSizeEngine::setYieldHook(std::function<void()>) {}
void FolderSizeEngine::setStatusHook(std::function<void(const QString&)>) {}
void FolderSizeEngine::setSkippedFolderHook(std::function<void(const std::string&, int)>) {}
void FolderSizeEngine::begin(FolderScanMode mode) { d->mode = mode, d->aborted = false; }
bool FolderSizeEngine::scanDrive(const std::string&) { return true; }
void FolderSizeEngine::finish() {}
void FolderSizeEngine::abort() { d->aborted = true; }
bool FolderSizeEngine::aborted() const { return d->aborted; }
FolderScanMode FolderSizeEngine::mode() const { return d->mode; }
std::int64_t FolderSizeEngine::foldersSeen() const { return 0; }
std::int64_t FolderSizeEngine::entriesSeen() const { return 0; }
std::size_t FolderSizeEngine::resultCount() const { return 0; }
QString FolderSizeEngine::resultLine(std::size_t) const { return {}; }
QStringList FolderSizeEngine::resultLines() const { return {}; }
void FolderSizeEngine::appendResultLineUtf8(std::size_t, std::string&) const {}
std::string FolderSizeEngine::resultPath(std::size_t) const { return {}; }
std::int64_t FolderSizeEngine::resultBytes(std::size_t) const { return 0; }
bool FolderSizeEngine::resultIsRoot(std::size_t) const { return false; }
ListedEntry FolderSizeEngine::resultEntry(std::size_t) const { return {}; }
std::vector<std::uint32_t> FolderSizeEngine::resultKeys() const { return {}; }
QString FolderSizeEngine::cellText(std::uint32_t, int) const { return {}; }
QString FolderSizeText(std::int64_t) { return {}; }
QString FolderPercentText(std::int64_t, std::int64_t) { return {}; }
