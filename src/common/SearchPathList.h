// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// The search-path folders (lb1 of the main window): the folders of PATH, upper-cased (ASCII), in
// the order found. Filled once by GetSearchPath; read by the duplicate and file-hog scan.
class SearchPathList {
public:
    static SearchPathList& global();

    // GetSearchPath: fills the list from the value of PATH (split at ":"; empty pieces dropped).
    void GetSearchPath();
    void fillFrom(const QString& pathValue);
    const QStringList& entries() const { return m_entries; }
    // True when the folder text (no trailing "/", except the root), upper-cased, equals an entry.
    bool IsSearchPathFolder(const QString& folder) const;

private:
    QStringList m_entries;
};
