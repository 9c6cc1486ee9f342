// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenshotDir.h"
#include "viewer/ui/TFindDlg.h"
#include "viewer/ui/TfrmStrings.h"
#include "viewer/ui/TfrmView.h"
#include "viewer/ui/ViewerTestSupport.h"
#include "support/PrintedText.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Acts on the next modal dialog of type Dialog once it is shown (nested exec loops). A file dialog
// can take seconds to appear on a busy machine; giving up early would leave it open for good.
template <class Dialog> void WhenModal(std::function<void(Dialog*)> act, int attempts = 6000) {
    QTimer::singleShot(10, [act, attempts] {
        if (auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget()))
            act(d);
        else if (attempts > 0)
            WhenModal<Dialog>(act, attempts - 1);
    });
}

// Answers the next input box with value, after recording its caption, prompt and value (and
// saving its picture when named).
void AnswerInputBox(const QString& value, QStringList* asked = nullptr, const QString& picture = {}) {
    WhenModal<QInputDialog>([value, asked, picture](QInputDialog* box) {
        if (asked)
            *asked << box->windowTitle() << box->labelText() << box->textValue();
        if (!picture.isEmpty()) {
            EXPECT_FALSE(SaveScreenshot(box, picture).isEmpty());
        }
        box->setTextValue(value);
        box->accept();
    });
}

class ViewWindow : public ::testing::Test {
protected:
    TempTree tree;
    RecordingMessageService messages;
    TFindDlg findDlg; // the shared one, as start-up makes it
    std::unique_ptr<TfrmView> w;

    void show(const std::string& path) {
        w = std::make_unique<TfrmView>();
        w->setFileName(path);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        QCoreApplication::processEvents();
    }
    template <class T> T* child(const char* name) const {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QAction* item(const char* name) const { return child<QAction>(name); }
    QStringList status() {
        QCoreApplication::processEvents();
        QStringList texts;
        auto* header = child<QHeaderView>("Header1");
        for (int i = 0; i < 5; ++i)
            texts << header->model()->headerData(i, Qt::Horizontal).toString();
        return texts;
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(w->viewer()->viewport(), k, modifiers);
    }
    void find(const QString& text, bool backward = false, bool global = false) {
        WhenModal<TFindDlg>([=](TFindDlg* d) {
            d->setText(text);
            d->findChild<QRadioButton*>(backward ? "RadioButton2" : "RadioButton1")->setChecked(true);
            d->findChild<QCheckBox*>("CheckBox2")->setChecked(global);
            d->accept();
        });
        item("Find1")->trigger();
    }
    void drop(const std::string& path) {
        QMimeData data;
        QUrl url;
        url.setScheme("file");
        url.setPath(QString::fromLatin1(QByteArray::fromStdString(path).toPercentEncoding("/")), QUrl::TolerantMode);
        data.setUrls({url});
        // Enter, then drop, as a drag from the desktop does.
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &enter);
        QDropEvent event(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &event);
    }
    QString printed(TfrmView::PrintRange range) {
        return PrintedText([&](QPrinter& printer) { w->printTo(printer, range); });
    }
    // Whether printing the range starts a print job at all (a PDF file appears).
    bool PrintsAJob(TfrmView::PrintRange range) {
        QTemporaryDir out;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.filePath(QStringLiteral("printed.pdf")));
        w->printTo(printer, range);
        return QFileInfo::exists(printer.outputFileName());
    }
};

} // namespace

TEST_F(ViewWindow, ControlsMenusShortcutsAndLayoutAtStart) {
    show("");
    EXPECT_EQ(w->windowTitle(), "View file");
    EXPECT_EQ(status(), QStringList({" ", "Total:", "Top:", "Bytes:", " "}));
    struct Item {
        const char* name;
        const char* text;
        QKeySequence shortcut;
        bool enabled;
    };
    for (const Item& i : {Item{"Open1", "&Open...", {}, true}, Item{"Print1", "&Print...", {}, false},
                          Item{"PrintSetup1", "P&rint setup...", {}, true},
                          Item{"Exit1", "E&xit", QKeySequence(Qt::ALT | Qt::Key_F4), true},
                          Item{"Copy1", "&Copy", QKeySequence(Qt::CTRL | Qt::Key_Insert), false},
                          Item{"SelectAll1", "&Select all", {}, false}, Item{"Find1", "&Find...", {}, false},
                          Item{"FindNext1", "Find &next", QKeySequence(Qt::Key_F3), false},
                          Item{"GotoLine1", "&Go to line...", QKeySequence(Qt::Key_F4), false},
                          Item{"HexMode1", "&Hex Mode", QKeySequence(Qt::Key_F8), true},
                          Item{"TabExpansion1", "&Tab expansion", {}, true}, Item{"TabSize1", "Tab si&ze...", {}, true},
                          Item{"Font1", "&Font...", {}, true}}) {
        QAction* a = item(i.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), i.text);
        EXPECT_EQ(a->shortcut(), i.shortcut) << i.name;
        EXPECT_EQ(a->isEnabled(), i.enabled) << i.name;
    }
    EXPECT_FALSE(item("HexMode1")->isChecked());
    EXPECT_TRUE(item("TabExpansion1")->isChecked());
    auto shape = [](QMenu* menu) {
        QStringList names;
        for (QAction* a : menu->actions())
            names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        return names;
    };
    EXPECT_EQ(shape(child<QMenu>("File1")), QStringList({"Open1", "-", "Print1", "PrintSetup1", "-", "Exit1"}));
    EXPECT_EQ(shape(child<QMenu>("Search1")), QStringList({"Find1", "FindNext1", "-", "GotoLine1"}));
    EXPECT_EQ(shape(child<QMenu>("Options1")), QStringList({"HexMode1", "TabExpansion1", "-", "TabSize1", "-", "Font1"}));
    EXPECT_EQ(child<QPushButton>("btStrings")->toolTip(), "Peek inside file for ASCII strings");
    EXPECT_TRUE(child<QRadioButton>("rbAscii")->isChecked());
    // Buttons right-aligned from Close, 15 pixels from the edge, 5 pixels apart.
    w->resize(700, 400);
    int right = w->width() - 15;
    for (const char* name : {"btClose", "btStrings", "BitBtn1", "btPrint", "btFont"}) {
        auto* b = child<QPushButton>(name);
        EXPECT_EQ(b->geometry().right() + 1, right) << name;
        right = b->x() - 5;
    }
    EXPECT_EQ(w->findDialog(), &findDlg);
    child<QPushButton>("BitBtn1")->click(); // no file: nothing to print, and no print dialog
    EXPECT_EQ(messages.texts(), QStringList({"No file is open: there is nothing to print."}));
}

TEST_F(ViewWindow, StatusGoToLineTabsAndHexMode) {
    // Long enough that the first screen does not reach the end.
    std::string text;
    for (int i = 1; i <= 20000; ++i)
        text += "Line number " + std::to_string(i) + "\n";
    const std::string path = WriteFile(tree, "many.txt", text);
    show(path);
    EXPECT_EQ(w->windowTitle(), QString::fromStdString("View File : " + path));
    EXPECT_EQ(status().mid(0, 4), QStringList({"1:1     ", "Total: ?", "Top: 1    ", "Bytes: 348,894"}));
    EXPECT_TRUE(item("Find1")->isEnabled());
    EXPECT_TRUE(item("GotoLine1")->isEnabled());
    EXPECT_FALSE(item("FindNext1")->isEnabled());

    // Go to line: the prompt names the total ("?" while unknown); beyond the end is the last
    // line, below 1 the first, however many digits; anything else is refused with what is
    // accepted, and the caret stays.
    QStringList asked;
    AnswerInputBox("99999999999", &asked, "viewer-go-to-line");
    item("GotoLine1")->trigger();
    EXPECT_EQ(asked, QStringList({"Go to line number", "Enter line number (1 to ?)", ""}));
    EXPECT_EQ(w->viewer()->Caret(), (TextPlace{20000, 0}));
    EXPECT_EQ(status().mid(0, 2), QStringList({"20001:1 ", "Total: 20,001"}));
    struct Case {
        const char* value;
        std::int64_t line;
        const char* message;
    };
    const char* range = "\nEnter a whole number from 1 to 20001.";
    for (const Case c :
         {Case{"0", 0, nullptr}, Case{"5", 4, nullptr}, Case{"letters", 4, "'letters' is not a line number."},
          Case{"-7", 0, nullptr}, Case{" 3 ", 2, nullptr}, Case{"", 2, "No line number was given."},
          Case{"2.5", 2, "'2.5' is not a line number."}, Case{"99999", 20000, nullptr},
          Case{"-99999999999999999999", 0, nullptr}, Case{"99999999999999999999", 20000, nullptr}}) {
        asked.clear();
        messages.clear();
        AnswerInputBox(c.value, &asked);
        item("GotoLine1")->trigger();
        EXPECT_EQ(asked.value(1), "Enter line number (1 to 20001)");
        EXPECT_EQ(w->viewer()->Caret().line, c.line) << c.value;
        EXPECT_EQ(messages.texts(), c.message ? QStringList({c.message + QString(range)}) : QStringList())
            << c.value;
    }
    // While the total is unknown, the message says so too.
    w->openFile(w->fileName());
    messages.clear();
    AnswerInputBox("twelve");
    item("GotoLine1")->trigger();
    EXPECT_EQ(messages.texts(),
              QStringList({"'twelve' is not a line number.\nEnter a whole number of 1 or more."}));
    EXPECT_EQ(messages.records().back().kind, MessageKind::Error);

    // Tab size: 1..255 taken; 0, more than 255 and anything else refused with the range.
    for (const char* value : {"0", "300", "-1", "four", "256"}) {
        messages.clear();
        AnswerInputBox(value);
        item("TabSize1")->trigger();
        EXPECT_EQ(w->viewer()->TabSize(), 8) << value;
        EXPECT_EQ(
            messages.texts(),
            QStringList(
                {QStringLiteral("'%1' is not a tab size.\nEnter a whole number from 1 to 255.").arg(value)}));
    }
    asked.clear();
    messages.clear();
    AnswerInputBox("4", &asked);
    item("TabSize1")->trigger();
    EXPECT_EQ(asked, QStringList({"Tab Size", "Enter tab size", "8"}));
    EXPECT_EQ(w->viewer()->TabSize(), 4);
    EXPECT_TRUE(messages.texts().isEmpty());
    item("TabExpansion1")->trigger();
    EXPECT_FALSE(w->viewer()->ExpandTabs());
    key(Qt::Key_End, Qt::ControlModifier); // the end known again for the checks below

    // Hex mode: the menu and the radio buttons agree, the total counts 16-byte rows.
    item("HexMode1")->trigger();
    EXPECT_TRUE(child<QRadioButton>("rbHex")->isChecked());
    EXPECT_TRUE(w->viewer()->InHexMode());
    EXPECT_EQ(status().mid(0, 2), QStringList({"1:1     ", "Total: 21,806"}));
    QTest::mouseClick(child<QRadioButton>("rbAscii"), Qt::LeftButton);
    EXPECT_FALSE(item("HexMode1")->isChecked());
    EXPECT_FALSE(w->viewer()->InHexMode());
    EXPECT_EQ(status().value(1), "Total: 20,001"); // what text mode learned is kept
}

TEST_F(ViewWindow, FindFindNextAndNotFound) {
    show(WriteFile(tree, "words.txt", "alpha beta\ngamma BETA delta\nbeta\n"));
    find("beta");
    EXPECT_EQ(w->viewer()->Caret(), (TextPlace{0, 10}));
    w->Search1Click();
    EXPECT_TRUE(item("FindNext1")->isEnabled());
    item("FindNext1")->trigger();
    EXPECT_EQ(w->viewer()->Caret(), (TextPlace{1, 10}));
    QCoreApplication::processEvents(); // the status notification updates the Clipboard menu
    EXPECT_TRUE(item("Copy1")->isEnabled());
    // Backward, from the caret at the end of a match: that match first, then the ones before it.
    findDlg.findChild<QRadioButton*>("RadioButton2")->setChecked(true);
    item("FindNext1")->trigger();
    EXPECT_EQ(w->viewer()->Caret(), (TextPlace{1, 6}));
    item("FindNext1")->trigger();
    EXPECT_EQ(w->viewer()->Caret(), (TextPlace{0, 6}));
    item("FindNext1")->trigger();
    ASSERT_EQ(messages.records().size(), 1u);
    EXPECT_EQ(messages.records()[0].text, "Search string 'beta' not found");
    EXPECT_EQ(messages.records()[0].kind, MessageKind::Information);
    EXPECT_FALSE(messages.records()[0].beep);
    EXPECT_EQ(w->viewer()->Caret(), (TextPlace{0, 6}));
    find("beta", false, true);
    EXPECT_EQ(w->viewer()->Caret(), (TextPlace{0, 10}));
    // The dialog's edit takes at most 255 characters.
    findDlg.setText(QString(300, 'x'));
    EXPECT_EQ(findDlg.text().size(), 255);
}

TEST_F(ViewWindow, PrintsAllLinesTheSelectionOrNothing) {
    show(WriteFile(tree, "print.txt", "first\tline\nsecond line here\nthird\n"));
    const QString all = printed(TfrmView::PrintRange::All);
    EXPECT_TRUE(all.contains("first   line")) << all.toStdString();
    EXPECT_TRUE(all.contains("second line here"));
    EXPECT_TRUE(all.contains("third"));
    // A selection from index 5 of its first line prints 5 spaces before it; the last line is cut.
    w->viewer()->MoveCaret(1, 5);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Home, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    const QString selection = printed(TfrmView::PrintRange::Selection);
    EXPECT_TRUE(selection.contains("     d line here")) << selection.toStdString();
    EXPECT_FALSE(selection.contains("second"));
    EXPECT_TRUE(selection.contains("th"));
    EXPECT_FALSE(selection.contains("third"));
    EXPECT_TRUE(printed(TfrmView::PrintRange::None).trimmed().isEmpty());
    // The print dialog offers the selection only when there is one.
    bool offered = false;
    WhenModal<QPrintDialog>([&](QPrintDialog* d) {
        offered = d->testOption(QAbstractPrintDialog::PrintSelection);
        d->reject();
    });
    child<QPushButton>("BitBtn1")->click();
    EXPECT_TRUE(offered);

    // An empty file has no lines and no rows, known at once: Print has nothing to print and says
    // so, and printing all of it opens no job (no endless wait for its end, no empty page).
    w->openFile(WriteFile(tree, "empty.txt", ""));
    EXPECT_EQ(status().value(1), "Total: 0");
    w->File1Click();
    w->Search1Click();
    w->Clipboard1Click();
    for (const char* name : {"Print1", "Find1", "GotoLine1", "SelectAll1"})
        EXPECT_FALSE(item(name)->isEnabled()) << name;
    for (bool hex : {false, true}) {
        w->viewer()->setInHexMode(hex);
        EXPECT_EQ(w->viewer()->TotalLines(), 0);
        EXPECT_FALSE(PrintsAJob(TfrmView::PrintRange::All));
    }
    auto dialogShown = std::make_shared<bool>(false);
    WhenModal<QPrintDialog>(
        [dialogShown](QPrintDialog* d) {
            *dialogShown = true;
            d->reject();
        },
        50);
    messages.clear();
    child<QPushButton>("BitBtn1")->click();
    EXPECT_FALSE(*dialogShown);
    EXPECT_EQ(messages.texts(), QStringList({"The file is empty: there is nothing to print."}));
    EXPECT_EQ(messages.records().back().kind, MessageKind::Information);

    // A file that has become shorter since it was opened would print empty lines where its lines
    // were: the print stops, and says why.
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "row " + std::to_string(i) + "\n";
    const std::string shrinking = WriteFile(tree, "shrinking.txt", text);
    w->openFile(shrinking);
    key(Qt::Key_End, Qt::ControlModifier);
    ASSERT_EQ(::truncate(shrinking.c_str(), 100), 0);
    messages.clear();
    EXPECT_FALSE(PrintsAJob(TfrmView::PrintRange::All));
    EXPECT_EQ(messages.texts(),
              QStringList({"The file has become shorter since it was opened: printing stopped."}));
}

TEST_F(ViewWindow, OpenDropAndTheStringsOfTheFileShown) {
    show(WriteFile(tree, "first.txt", "first file\n"));
    const std::string second = WriteFile(tree, "second.bin", std::string("\x01the second file\x02", 17));
    // File > Open asks for an existing file of any name; cancelling changes nothing. (Accepting is
    // not driven: the dialog refuses a name its folder model has not loaded yet, which made the
    // test hang on a busy machine.)
    QStringList filters;
    bool existingOnly = false;
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        filters = d->nameFilters();
        existingOnly = d->fileMode() == QFileDialog::ExistingFile;
        d->reject();
    });
    item("Open1")->trigger();
    EXPECT_EQ(filters, QStringList({"All Files (*)"}));
    EXPECT_TRUE(existingOnly);
    EXPECT_EQ(w->viewer()->LineText(0), "first file");
    w->openFile(second);
    EXPECT_EQ(w->windowTitle(), QString::fromStdString("View File : " + second));
    QString caption, memo;
    QRect geometry;
    WhenModal<TfrmStrings>([&](TfrmStrings* s) {
        caption = s->windowTitle();
        geometry = s->geometry();
        memo = s->findChild<QPlainTextEdit*>("Memo1")->toPlainText();
        s->reject();
    });
    child<QPushButton>("btStrings")->click();
    EXPECT_EQ(caption, QString::fromStdString("ASCII strings for : " + second));
    EXPECT_EQ(memo, "the second file");
    EXPECT_EQ(geometry, w->geometry());

    // A dropped file of a long path is taken whole; a folder and a FIFO are refused at once.
    const std::string deep = tree.folder(std::string(60, 'd') + "/" + std::string(60, 'e'));
    const std::string dropped = WriteFile(tree, deep.substr(tree.root().size() + 1) + "/dropped \xe9.txt", "dropped\n");
    drop(dropped);
    EXPECT_EQ(w->viewer()->FileName(), dropped);
    EXPECT_EQ(w->viewer()->LineText(0), "dropped");
    const QString title = w->windowTitle();
    drop(deep);
    ASSERT_TRUE(::mkfifo(tree.path("fifo").c_str(), 0600) == 0);
    drop(tree.path("fifo"));
    EXPECT_EQ(messages.texts(), QStringList({"Viewer triggered I/O error 21", "Viewer triggered I/O error 22"}));
    EXPECT_FALSE(w->viewer()->IsOpen());
    EXPECT_EQ(w->windowTitle(), title);
    EXPECT_FALSE(item("Find1")->isEnabled());
}

TEST_F(ViewWindow, AFileThatCannotBeOpenedLeavesNoEmptyWindow) {
    // The browser's View: the window shows the file, modally.
    const std::string path = WriteFile(tree, "handed \xff.txt", "handed over\n");
    QString caption;
    std::string line;
    WhenModal<TfrmView>([&](TfrmView* v) {
        caption = v->windowTitle();
        line = std::string(v->viewer()->LineText(0));
        v->reject();
    });
    TfrmView::ViewFile(nullptr, path);
    EXPECT_EQ(caption, QString::fromUtf8("View File : ") + QString::fromStdString(tree.root()) +
                           QString::fromUtf8("/handed \xef\xbf\xbd.txt"));
    EXPECT_EQ(line, "handed over");

    // A file removed after it was listed: the message, and no empty window after it, whether the
    // window is opened through View or shown with the name.
    auto windowStayed = std::make_shared<bool>(false);
    auto closeIfShown = [windowStayed](TfrmView* v) {
        *windowStayed = true;
        v->reject();
    };
    WhenModal<TfrmView>(closeIfShown, 5);
    TfrmView::ViewFile(nullptr, tree.path("removed"));
    EXPECT_EQ(messages.texts(), QStringList({"Viewer: file not found"}));
    messages.clear();
    TfrmView frmView;
    frmView.setFileName(tree.path("removed"));
    WhenModal<TfrmView>(closeIfShown, 5);
    EXPECT_EQ(frmView.exec(), QDialog::Rejected);
    EXPECT_EQ(messages.texts(), QStringList({"Viewer: file not found"}));
    EXPECT_FALSE(*windowStayed);
    EXPECT_FALSE(frmView.isVisible());
}

TEST_F(ViewWindow, AFileShownWholeHasItsTotalAndBothCopyKeysWorkWhateverHasTheFocus) {
    show(WriteFile(tree, "two.txt", "first line\nsecond line"));
    // The end is on the screen: the total is known without going there.
    EXPECT_EQ(status().value(1), "Total: 2");

    item("SelectAll1")->trigger();
    QCoreApplication::processEvents();
    auto* font = child<QPushButton>("btFont");
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}) {
        QGuiApplication::clipboard()->setText("before");
        font->setFocus(); // as a click on the button leaves it
        QTest::keySequence(font, keys);
        EXPECT_EQ(ClipboardText(), "first line\nsecond line") << keys.toString().toStdString();
    }
}

TEST_F(ViewWindow, CopyOfMoreThan64KCopiesItsFirst65520Bytes) {
    // Lines show at most 1023 characters: a large selection needs many lines.
    std::string big;
    for (int i = 0; i < 70; ++i)
        big += std::string(1000, 'x') + "\r\n";
    show(WriteFile(tree, "big.txt", big));
    QGuiApplication::clipboard()->setText("before");
    item("SelectAll1")->trigger();
    QCoreApplication::processEvents();
    item("Copy1")->trigger();
    EXPECT_EQ(ClipboardText().size(), 65520);
    EXPECT_TRUE(ClipboardText().startsWith(QString(1000, 'x') + "\nx")); // a CR LF file copies with LF
    EXPECT_EQ(
        messages.texts(),
        QStringList(
            {"The selection is larger than 64 K: its first 65,520 bytes were copied to the clipboard."}));
}

TEST_F(ViewWindow, TheFontDialogStartsOnTheViewersFontAndListsFixedPitchOnly) {
    show(WriteFile(tree, "font.txt", "some text\n"));
    const QFont before = w->viewer()->FixedFont().font();
    // What the dialog offers; then OK, after choosing a font when one is given.
    struct Offer {
        QFont font;
        QStringList families;
    };
    auto openDialog = [&](const std::optional<QFont>& choose = {}, const QString& picture = {}) {
        Offer offer;
        WhenModal<QFontDialog>([&offer, choose, picture](QFontDialog* d) {
            offer.font = d->currentFont();
            // The dialog's first list is the one of the families.
            if (auto* families = d->findChild<QListView*>())
                for (int row = 0; row < families->model()->rowCount(); ++row)
                    offer.families << families->model()->index(row, 0).data().toString();
            if (!picture.isEmpty()) {
                EXPECT_FALSE(SaveScreenshot(d, picture).isEmpty());
            }
            if (choose)
                d->setCurrentFont(*choose);
            d->accept();
        });
        child<QPushButton>("btFont")->click();
        return offer;
    };

    // It starts on the viewer's font exactly, and OK without a change keeps it upright.
    const Offer first = openDialog({}, "viewer-font-dialog");
    QStringList fixed = TFixedFont::FixedPitchFamilies();
    fixed.sort();
    QStringList listed = first.families;
    listed.sort();
    EXPECT_EQ(listed, fixed);
    EXPECT_EQ(first.font.family(), before.family());
    EXPECT_EQ(first.font.style(), QFont::StyleNormal) << first.font.styleName().toStdString();
    EXPECT_EQ(first.font.weight(), before.weight());
    EXPECT_EQ(first.font.pointSize(), 9);
    const QFontInfo kept(w->viewer()->FixedFont().font());
    EXPECT_EQ(kept.family(), QFontInfo(before).family());
    EXPECT_EQ(kept.style(), QFont::StyleNormal);
    EXPECT_FALSE(kept.bold());
    EXPECT_EQ(w->viewer()->FixedFont().size(), 9);

    // A chosen font becomes the viewer's, and the next dialog starts on it, style and all.
    openDialog(QFontDatabase::font("DejaVu Sans Mono", "Bold Oblique", 14));
    EXPECT_EQ(w->viewer()->FixedFont().name(), "DejaVu Sans Mono");
    EXPECT_EQ(w->viewer()->FixedFont().size(), 14);
    EXPECT_TRUE(QFontInfo(w->viewer()->FixedFont().font()).bold());
    const Offer again = openDialog();
    EXPECT_EQ(again.font.family(), "DejaVu Sans Mono");
    EXPECT_EQ(again.font.styleName(), "Bold Oblique");
    EXPECT_EQ(again.font.pointSize(), 14);
}

// The documentation's pictures of the viewer window, in text mode and in hex mode.
TEST_F(ViewWindow, Screenshots) {
    std::string text = "// A small C++ program shown in the viewer\n#include <cstdio>\n\nint main() {\n"
                       "\tstd::printf(\"Hello, world!\\n\");\n\t// caf\xc3\xa9 na\xc3\xafve \xe2\x82\xac 42\n"
                       "\treturn 0;\n}\n";
    for (int i = 1; i <= 30; ++i)
        text += "line " + std::to_string(i) + ": the quick brown fox jumps over the lazy dog\n";
    show(WriteFile(tree, "hello.cpp", text));
    w->resize(720, 460);
    w->viewer()->MoveCaret(4, 1);
    key(Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    key(Qt::Key_1, Qt::ControlModifier | Qt::ShiftModifier);
    QCoreApplication::processEvents();
    EXPECT_FALSE(SaveScreenshot(w.get(), "viewer-text").isEmpty());
    item("HexMode1")->trigger();
    w->viewer()->MoveCaret(2, 60);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    QCoreApplication::processEvents();
    EXPECT_FALSE(SaveScreenshot(w.get(), "viewer-hex").isEmpty());
}
