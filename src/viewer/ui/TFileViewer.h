// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "viewer/PagedFileModel.h"
#include "viewer/ui/TBaseViewer.h"

#include <string>

// The viewer over a file: its lines come from the paged file model, as text lines or as hex rows.
// Opening reads nothing beyond what the first screen shows. In hex rows the character column shows
// the bytes 32 to 126 as themselves and every other byte as ".".
class TCustomFileViewer : public TBaseViewer {
    Q_OBJECT
public:
    explicit TCustomFileViewer(QWidget* parent = nullptr);

    std::string_view LineText(std::int64_t n) override;
    std::int64_t CheckLine(std::int64_t n) override;
    // In hex mode the bytes of the file (the match's characters selected in the character column);
    // in text mode as the base viewer does, forward searches a block at a time.
    bool FindText(const std::string& text, int options) override;
    // Line n for printing: tabs expanded, cut to size characters, shown as on screen.
    QString PrintableLine(std::int64_t n, std::size_t size);

    // The file's exact path bytes; changing it closes the file and reopens the new one if open.
    const std::string& FileName() const { return m_model.fileName(); }
    void setFileName(const std::string& name) { m_model.setFileName(name); }
    bool IsOpen() const { return m_model.isOpen(); }
    // Throws ViewerIOError (and stays closed) when the file cannot be opened.
    void setOpen(bool open);
    bool InHexMode() const { return m_model.hexMode(); }
    void setInHexMode(bool hex);
    bool FilterChars() const { return m_model.filterChars(); }
    void setFilterChars(bool filter);
    int BufferPageCount() const { return m_model.bufferPageCount(); }
    void setBufferPageCount(int count) { m_model.setBufferPageCount(count); }
    std::int64_t FileLength() const { return m_model.fileLength(); }
    void setExpandTabs(bool expand) override;
    void setTabSize(std::uint8_t size) override;

    PagedFileModel& model() { return m_model; }

protected:
    void caretLineChanged(std::int64_t line) override { m_model.setCaretLine(line); }

private:
    bool findBytes(const std::string& text, int options);

    PagedFileModel m_model;
    std::string m_hexRow;
};

// The file viewer as the window uses it.
class TFileViewer : public TCustomFileViewer {
    Q_OBJECT
public:
    using TCustomFileViewer::TCustomFileViewer;
};
