// SPDX-License-Identifier: GPL-3.0-or-later
// Interface only: the walk is being written; every scan finds nothing yet.
#include "finders/daterange/DateRangeEngine.h"

struct DateRangeEngine::Impl {
    DateScanCriteria criteria;
    bool aborted = false;
};

DateRangeEngine::DateRangeEngine(std::size_t) : d(std::make_unique<Impl>()) {}
DateRangeEngine::~DateRangeEngine() = default;
void DateRangeEngine::setYieldHook(std::function<void()>) {}
void DateRangeEngine::setStatusHook(std::function<void(const QString&)>) {}
void DateRangeEngine::setSkippedFolderHook(std::function<void(const std::string&, int)>) {}
void DateRangeEngine::setFoundHook(std::function<void(std::uint32_t)>) {}
void DateRangeEngine::begin(const DateScanCriteria& c) { d->criteria = c, d->aborted = false; }
void DateRangeEngine::updateCriteria(const DateScanCriteria& c) { d->criteria = c; }
bool DateRangeEngine::scanDrive(const std::string&) { return true; }
void DateRangeEngine::abort() { d->aborted = true; }
bool DateRangeEngine::aborted() const { return d->aborted; }
const DateScanCriteria& DateRangeEngine::criteria() const { return d->criteria; }
std::int64_t DateRangeEngine::filesSeen() const { return 0; }
bool DateRangeEngine::inDateRange(std::uint32_t, const DateScanCriteria&) { return false; }
std::size_t DateRangeEngine::resultCount() const { return 0; }
QString DateRangeEngine::resultLine(std::size_t) const { return {}; }
QStringList DateRangeEngine::resultLines() const { return {}; }
void DateRangeEngine::appendResultLineUtf8(std::size_t, std::string&) const {}
void DateRangeEngine::appendResultPath(std::size_t, std::string&) const {}
std::string DateRangeEngine::resultPath(std::size_t) const { return {}; }
std::int64_t DateRangeEngine::resultSize(std::size_t) const { return 0; }
ListedEntry DateRangeEngine::resultEntry(std::size_t) const { return {}; }
QString DateRangeEngine::cellText(std::uint32_t, int) const { return {}; }
