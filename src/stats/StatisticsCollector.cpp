// SPDX-License-Identifier: GPL-3.0-or-later
// Interface only: the walk is being written; every collection counts nothing yet.
#include "stats/StatisticsCollector.h"

struct StatisticsCollector::Impl {
    FileStatistics stats;
};

StatisticsCollector::StatisticsCollector(std::function<QDate()>) : d(std::make_unique<Impl>()) {}
StatisticsCollector::~StatisticsCollector() = default;
bool StatisticsCollector::collect(const std::string&) { d->stats = {}; return true; }
void StatisticsCollector::setSkippedFolderHook(std::function<void(const std::string&, int)>) {}
void StatisticsCollector::abort() {}
bool StatisticsCollector::aborted() const { return false; }
std::int64_t StatisticsCollector::filesProcessed() const { return 0; }
std::int64_t StatisticsCollector::bytesSoFar() const { return 0; }
const FileStatistics& StatisticsCollector::statistics() const { return d->stats; }
int StatisticsCollector::sizeClass(std::int64_t) { return 1; }
int StatisticsCollector::ageClass(std::int64_t) { return 0; }
std::string StatisticsCollector::extensionOf(std::string_view) { return {}; }
bool StatisticsCollector::isTypeExtension(std::string_view) { return false; }
