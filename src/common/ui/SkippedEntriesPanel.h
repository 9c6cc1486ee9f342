// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QToolButton>

class QDialog;
class SkippedEntries;

// Beside a tool window's status line: how many folders and files the last walk could not read
// ("2 folders and 5 files could not be read"), hidden while there are none. Its tooltip lists the
// first of them with their reasons; a click opens the whole list in a small window, from which it
// can be copied. Reads a SkippedEntries that the window's engine owns.
// The Excluded kind (pnlExcluded, beside it) tells the same way what the exclusion rules left out
// ("12 excluded"), each entry with the rule that left it out.
class SkippedEntriesPanel : public QToolButton {
    Q_OBJECT
public:
    enum class Kind { Unread, Excluded };
    explicit SkippedEntriesPanel(QWidget* parent = nullptr, Kind kind = Kind::Unread);

    // What to show; it must outlive the panel or be replaced first. nullptr shows nothing.
    void setSource(const SkippedEntries* skipped);
    // Shows the counts as they are now (cheap when they did not change; the list itself is made
    // only when the tooltip or the window asks for it).
    void refresh();
    // The window of the whole list, made when the panel is clicked; shown without blocking.
    QDialog* openList();

protected:
    bool event(QEvent* event) override;

private:
    bool hasAny() const;
    QString summary() const;
    QStringList lines() const;

    Kind m_kind;
    const SkippedEntries* m_source = nullptr;
    std::int64_t m_shownFolders = -1;
    std::int64_t m_shownFiles = -1;
};
