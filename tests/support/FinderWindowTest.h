// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/StringGridModel.h"
#include "platform/CurrentFolder.h"
#include "platform/ListedEntry.h"
#include "support/PrintedText.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// Saves widget.grab() as name in screenshots/ beside bin/ of the build, to be looked at.
inline void SaveShot(QWidget& widget, const QString& name) {
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    QDir().mkpath(dir);
    widget.grab().save(dir + QLatin1Char('/') + name);
}

// The text of the window's report, as printed to a PDF file by window.printTo and read back with
// pdftotext (empty when that fails).
template <class Window> QString PrintedReport(Window& window) {
    return PrintedText([&](QPrinter& printer) { window.printTo(printer); });
}

// The fixture of a finder window's tests: a temporary tree as drive C: with the current folder on
// it, every message recorded, and the window under test in w (made by the test), with its
// controls found by name and its grid rows clicked as a user would.
template <class Window> class FinderWindowTest : public ::testing::Test {
protected:
    TempTree tree;
    RecordingMessageService messages;
    std::unique_ptr<Window> w;

    void SetUp() override {
        qputenv("VANTOREL_DRIVES", QString::fromStdString("C=" + tree.root()).toUtf8());
        CurrentFolder::set(tree.root());
    }
    void TearDown() override {
        w.reset();
        qunsetenv("VANTOREL_DRIVES");
    }
    template <class T> T* child(const char* name) const {
        T* c = w->template findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }
    QAction* action(const char* name) const { return child<QAction>(name); }
    QTableView* grid() const { return child<QTableView>("grid"); }
    void selectRow(int gridRow) { grid()->setCurrentIndex(w->gridModel()->index(gridRow - 1, 0)); }
    void doubleClickRow(int gridRow) {
        const QPoint at = grid()->visualRect(w->gridModel()->index(gridRow - 1, 1)).center();
        // What a real double click delivers: press, release, double click, release.
        QTest::mousePress(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(grid()->viewport(), Qt::LeftButton, {}, at);
    }
    // Delete with one row marked: the confirmation gets exactly that file and the total; its Cancel
    // keeps the window open with the mark, its OK closes the window.
    void checkDeleteHandOff(int markedRow, const std::string& path, double bytes) {
        std::vector<ListedEntry> handed;
        double handedBytes = 0;
        int answer = QDialog::Rejected;
        w->setDeleteConfirmation([&](QWidget*, const std::vector<ListedEntry>& files, double total) {
            handed = files;
            handedBytes = total;
            return answer;
        });
        button("btDelete")->click();
        ASSERT_EQ(handed.size(), 1u);
        EXPECT_EQ(handed[0].path(), path);
        EXPECT_EQ(handedBytes, bytes);
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(w->gridModel()->isMarked(markedRow));
        answer = QDialog::Accepted;
        button("btDelete")->click();
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(w->result(), QDialog::Accepted);
        w->setDeleteConfirmation([](QWidget*, const std::vector<ListedEntry>&, double) { return 0; });
    }
};
