// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/StringGridModel.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/CopyLinesToClipboard.h"
#include "common/ui/MessageBoxService.h"
#include "common/ui/PrintGrid.h"
#include "common/ui/SwappedButtonGuard.h"
#include "support/PrintedText.h"
#include "support/RecordingMessageService.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

struct SeenBox {
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    bool applicationModal = false;
};

// Answers the next message box by pressing the button with the given text, noting what it showed.
void AnswerNextBox(SeenBox& seen, const QString& press) {
    QTimer::singleShot(0, [&seen, press]() {
        std::function<void()> poll = [&seen, press, &poll]() {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                QTimer::singleShot(10, poll);
                return;
            }
            seen.caption = box->windowTitle();
            seen.icon = box->icon();
            seen.applicationModal = box->windowModality() == Qt::ApplicationModal;
            for (QAbstractButton* b : box->buttons())
                seen.buttons << b->text();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == press)
                    b->click();
        };
        poll();
    });
}

} // namespace

TEST(MessageBoxService, ShowsEachKindWithItsCaptionIconAndOneOkButton) {
    MessageBoxService service;
    struct Case {
        std::function<void()> show;
        QString caption;
        QMessageBox::Icon icon;
    };
    const std::vector<Case> cases{{[] { ShowErrorMessage("e"); }, "Error", QMessageBox::Critical},
                                  {[] { ShowWarningMessage("w"); }, "Warning", QMessageBox::Warning},
                                  {[] { ShowInfoMessage("i"); }, "Information", QMessageBox::Information},
                                  {[] { ShowPlainErrorBox("p"); }, "Error", QMessageBox::Critical}};
    for (const Case& c : cases) {
        SeenBox seen;
        AnswerNextBox(seen, "OK");
        c.show();
        EXPECT_EQ(seen.caption, c.caption);
        EXPECT_EQ(seen.icon, c.icon);
        EXPECT_EQ(seen.buttons, QStringList{"OK"});
        EXPECT_TRUE(seen.applicationModal);
    }
}

TEST(MessageBoxService, ReturnsTheAnswerOfAQuestionAndRestoresThePreviousService) {
    RecordingMessageService outer;
    {
        MessageBoxService service;
        SeenBox yesNo;
        AnswerNextBox(yesNo, "&Yes");
        EXPECT_EQ(AskYesNo("Really delete?"), MessageAnswer::Yes);
        EXPECT_EQ(yesNo.buttons, QStringList({"&Yes", "&No"}));
        SeenBox no;
        AnswerNextBox(no, "&No");
        EXPECT_EQ(AskYesNoCancel("Go on?"), MessageAnswer::No);
        SeenBox cancel;
        AnswerNextBox(cancel, "Cancel");
        EXPECT_EQ(AskYesNoCancel("Go on?"), MessageAnswer::Cancel);
        EXPECT_EQ(cancel.buttons.size(), 3);
    }
    ShowInfoMessage("after");
    EXPECT_TRUE(outer.saw("after"));
}

TEST(BusyCursor, RestoresTheCursorOnEveryPathAndNests) {
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    try {
        BusyCursor outer;
        {
            BusyCursor inner;
            EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            inner.release();
        }
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
        throw std::runtime_error("stop");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(CopyLinesToClipboard, PutsEachLineWithALineFeed) {
    CopyLinesToClipboard({"  250 K\t1/2/2024", "b"});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "  250 K\t1/2/2024\nb\n");
}

TEST(PrintGrid, WritesTitlePrintedLineAndEveryRowToPdfOverSeveralPages) {
    RecordingMessageService record;
    StringGridModel grid;
    grid.setTitles({"Size in K", "FileName"});
    for (int i = 0; i < 150; ++i)
        grid.appendTextRow({QStringLiteral("%1 K").arg(i * 10, 5), QStringLiteral("/home/user/file%1.txt").arg(i)});
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("report.pdf"));
    ASSERT_TRUE(PrintGrid(grid, {54, 296}, "File Hogs larger or equal to KB (256000 bytes)", printer));
    EXPECT_TRUE(record.records().empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    const QString text = PdfText(dir.filePath("report.pdf"));
    // The text tool keeps the lines but not every run of spaces, so compare words.
    const QString words = text.simplified();
    EXPECT_TRUE(words.contains("File Hogs larger or equal to KB (256000 bytes) Printed : ")) << text.left(300).toStdString();
    EXPECT_TRUE(words.contains("Size in K FileName 0 K /home/user/file0.txt 10 K /home/user/file1.txt"));
    EXPECT_TRUE(words.contains("1490 K /home/user/file149.txt"));
    EXPECT_GE(text.count('\f'), 2) << "150 rows of 9 points do not fit on one page";
    EXPECT_LT(text.indexOf("Printed : "), text.indexOf("Size in K"));
}

TEST(PrintGrid, EveryColumnFitsThePageHoweverWideTheWindowMadeThePaths) {
    RecordingMessageService record;
    StringGridModel grid;
    grid.setTitles({"Size in K", "Modified", "Time", "Access", "FileName", "Type"});
    for (int i = 0; i < 30; ++i)
        grid.appendTextRow(
            {"  400 K", "12/28/2088", "11:59:58 PM", "12/28/2088",
             QStringLiteral("/home/user/Downloads/2024/projects/spring-term/final-%1/setup.iso").arg(i),
             "plain text document"});
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("report.pdf"));
    // A path column 1,200 pixels wide, as a maximised window gives it.
    ASSERT_TRUE(PrintGrid(grid, {54, 64, 64, 64, 1200, 73}, "File Hogs", printer, 4));
    const QString words = PdfText(dir.filePath("report.pdf")).simplified();
    // The last column stands whole on the page in every row, and every path is there in pieces.
    EXPECT_EQ(words.count("plain text document"), 30) << words.left(600).toStdString();
    EXPECT_EQ(words.count("setup.iso"), 30);
    EXPECT_TRUE(words.contains("final-29/")) << words.left(600).toStdString();
}

TEST(PrintGrid, ReportsAJobThatCannotStartOnceWithoutSound) {
    RecordingMessageService record;
    StringGridModel grid;
    grid.setTitles({"A"});
    QTemporaryDir dir;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("no/such/folder/report.pdf"));
    EXPECT_FALSE(PrintGrid(grid, {60}, "title", printer));
    ASSERT_EQ(record.records().size(), 1u);
    EXPECT_EQ(record.records()[0].text, "Error printing report ... quitting");
    EXPECT_EQ(record.records()[0].kind, MessageKind::Error);
    EXPECT_FALSE(record.records()[0].beep);
}

TEST(SwappedButtonGuard, HoldsOnlyAButtonThatTookItsPredecessorsPlaceAndAKeyFreesItOnceTimeIsUp) {
    QWidget window;
    auto* abort = new QPushButton(QStringLiteral("Abort"), &window);
    auto* next = new QPushButton(QStringLiteral("Next"), &window);
    auto* guard = new SwappedButtonGuard(next, abort);
    int clicks = 0;
    QObject::connect(next, &QPushButton::clicked, [&] { ++clicks; });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // Shown with its window, not in another's place: not held.
    EXPECT_FALSE(guard->holding());
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);

    next->hide();
    abort->hide();
    next->show();
    ASSERT_TRUE(guard->holding());
    next->setFocus();
    QTest::keyClick(next, Qt::Key_Space); // too soon: the key may have been meant for Abort
    EXPECT_EQ(clicks, 1);
    next->click(); // the program's own clicks are not held
    EXPECT_EQ(clicks, 2);
    QTest::qWait(SwappedButtonGuard::HoldMs + 100);
    EXPECT_TRUE(guard->holding());
    QTest::keyClick(next, Qt::Key_Space);
    EXPECT_FALSE(guard->holding());
    EXPECT_EQ(clicks, 3);

    // Hidden while held, it is shown again held only after another swap.
    abort->show();
    abort->hide();
    next->hide();
    next->show();
    EXPECT_TRUE(guard->holding());
    next->hide();
    EXPECT_FALSE(guard->holding());
    next->show();
    EXPECT_FALSE(guard->holding());
}
