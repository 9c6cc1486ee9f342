// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"
#include "viewer/ui/TFileViewer.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

inline std::string WriteFile(TempTree& t, const std::string& name, const std::string& bytes) {
    const std::string path = t.path(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Failed comparisons show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline QString ClipboardText() { return QGuiApplication::clipboard()->text(); }

// A file viewer of 400 x 300 pixels on screen with the focus, its status notifications recorded.
class ViewerTest : public ::testing::Test {
protected:
    TempTree tree;
    RecordingMessageService messages;
    TFileViewer viewer;
    QSignalSpy status{&viewer, &TBaseViewer::ShowStatus};

    void SetUp() override {
        viewer.resize(400, 300);
        viewer.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
        viewer.activateWindow();
        viewer.setFocus();
    }
    void open(const std::string& path, bool hex = false) {
        viewer.setInHexMode(hex);
        viewer.setFileName(path);
        viewer.setOpen(true);
    }
    void openText(const std::string& bytes) { open(WriteFile(tree, "file.txt", bytes)); }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int times = 1) {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(viewer.viewport(), k, modifiers);
    }
    TextPlace caret() const { return viewer.Caret(); }
    std::string selected() { return viewer.SelectedBytes(); }
    // The last status the viewer posted, once the events that carry it have been handled.
    std::pair<qint64, int> lastStatus() {
        QCoreApplication::processEvents();
        if (status.isEmpty())
            return {-1, -1};
        return {status.last().at(0).toLongLong(), status.last().at(1).toInt()};
    }
    QPoint pointOf(std::int64_t line, int column) const {
        return QPoint(TBaseViewer::MarginWidth + (column - viewer.horizontalOffset()) * viewer.charWidth() + 1,
                      int(line - viewer.FirstVisibleLine()) * viewer.lineHeight() + viewer.lineHeight() / 2);
    }
};
