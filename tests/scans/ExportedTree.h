// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderWalker.h"
#include "scans/ScanExporter.h"
#include "scans/ScanOutput.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

// Exports the tree at root into file as vantorel-cli export does (hidden folders entered),
// zstd-compressed at level when level > 0. unprivileged: the walk runs as nobody (the file is made
// and put in place as the caller), so that a denial is real when the tests run as root.
inline void ExportTree(const std::string& root, const std::string& file, int level = 0,
                       bool unprivileged = false) {
    ScanOutput output;
    ASSERT_EQ(output.open(file, level > 0, level), 0);
    ScanExporter exporter(output, ScanExporter::Kind::Export);
    exporter.begin();
    {
        std::optional<AsUnprivileged> nobody;
        if (unprivileged)
            nobody.emplace();
        FolderWalker walker;
        walker.walk(root, exporter);
    }
    EXPECT_TRUE(exporter.end());
    EXPECT_EQ(output.finish(), 0);
}
