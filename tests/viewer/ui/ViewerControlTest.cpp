// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewer/ui/ViewerTestSupport.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QScrollBar>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A viewer of lines held in memory that records which lines it was asked for.
class ListViewer : public TBaseViewer {
public:
    std::vector<std::string> lines;
    std::set<std::int64_t> asked;
    std::string_view LineText(std::int64_t n) override {
        asked.insert(n);
        return n >= 0 && n < std::int64_t(lines.size()) ? std::string_view(lines[std::size_t(n)]) : std::string_view();
    }
    std::int64_t CheckLine(std::int64_t n) override { return std::min<std::int64_t>(n, std::int64_t(lines.size()) - 1); }
    void setLines(std::vector<std::string> l) {
        lines = std::move(l);
        SetTotalLines(std::int64_t(lines.size()), true);
    }
};

int countColor(const QImage& image, const QRect& area, const QColor& color) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixelColor(x, y) == color;
    return n;
}

std::string numberedLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "line " + std::to_string(i) + "\n";
    return text;
}

} // namespace

TEST_F(ViewerTest, MetricsDrawingOnlyVisibleLinesSelectionAndBookmarkGlyphs) {
    const QFontMetrics fm(viewer.FixedFont().font());
    EXPECT_EQ(viewer.lineHeight(), std::max(fm.height() + 2, 12));
    EXPECT_EQ(viewer.charWidth(), fm.horizontalAdvance("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") / 52);
    EXPECT_EQ(viewer.visibleRows(), viewer.viewport()->height() / viewer.lineHeight());

    ListViewer list;
    list.resize(300, 200);
    std::vector<std::string> lines;
    for (int i = 0; i < 100000; ++i)
        lines.push_back("row " + std::to_string(i));
    list.setLines(lines);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.MoveCaret(50000, 0);
    list.asked.clear();
    list.grab();
    ASSERT_FALSE(list.asked.empty());
    EXPECT_GE(*list.asked.begin(), list.FirstVisibleLine());
    EXPECT_LE(*list.asked.rbegin(), list.FirstVisibleLine() + list.visibleRows() + 1);

    // A selection shows in the highlight colours, a bookmark as a glyph in the margin.
    openText("first line\nsecond line\nthird line\n");
    viewer.setHighlightColors(QColor(10, 20, 200), Qt::white);
    key(Qt::Key_Down);
    key(Qt::Key_Right, Qt::ShiftModifier, 6);
    key(Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    const QImage image = viewer.viewport()->grab().toImage();
    const int lh = viewer.lineHeight(), cw = viewer.charWidth();
    EXPECT_GT(countColor(image, QRect(16, lh, 6 * cw, lh), QColor(10, 20, 200)), 6 * cw * lh / 2);
    EXPECT_EQ(countColor(image, QRect(16, 0, 6 * cw, lh), QColor(10, 20, 200)), 0);
    const QColor margin = viewer.MarginColor();
    EXPECT_GT(12 * 12 - countColor(image, QRect(2, lh, 12, 12), margin), 40);
    EXPECT_EQ(countColor(image, QRect(0, 0, 16, lh), margin), 16 * lh);
}

TEST_F(ViewerTest, CaretMovesWordsLinesAndUtf8Characters) {
    // é is two bytes and one column; the stray byte and the C1 control take a column per byte.
    openText("foo  bar\tbaz\n\xc3\xa9x\x80\xc2\x85y\n\tTab\nshort\n");
    key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(caret(), (TextPlace{0, 5}));
    key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(caret(), (TextPlace{0, 9}));
    key(Qt::Key_Right, Qt::ControlModifier, 2); // over baz, then to the next line
    EXPECT_EQ(caret(), (TextPlace{1, 0}));
    key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(caret(), (TextPlace{0, 12}));
    key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(caret(), (TextPlace{0, 9}));
    key(Qt::Key_Left); // back to the previous line end and forward again
    key(Qt::Key_End);
    key(Qt::Key_Right);
    EXPECT_EQ(caret(), (TextPlace{1, 0}));
    key(Qt::Key_Right);
    EXPECT_EQ(caret(), (TextPlace{1, 2}));
    key(Qt::Key_Right, Qt::NoModifier, 3);
    EXPECT_EQ(caret(), (TextPlace{1, 5}));
    EXPECT_EQ(lastStatus(), (std::pair<qint64, int>{1, 4}));
    key(Qt::Key_Home);
    key(Qt::Key_Right, Qt::ShiftModifier, 2);
    EXPECT_EQ(selected(), "\xc3\xa9x");

    // A line that starts with a tab: index 1 is display column 8; vertical moves keep the column.
    key(Qt::Key_Down);
    key(Qt::Key_Home);
    key(Qt::Key_Right);
    EXPECT_EQ(viewer.CaretPosition(), (TextPlace{2, 8}));
    key(Qt::Key_Right, Qt::NoModifier, 2);
    key(Qt::Key_Down);
    EXPECT_EQ(caret(), (TextPlace{3, 5})); // column 10 is past "short": its end
    key(Qt::Key_Up);
    EXPECT_EQ(caret(), (TextPlace{2, 3}));
    viewer.setTabSize(4);
    viewer.setTabSize(0); // refused
    EXPECT_EQ(viewer.TabSize(), 4);
    EXPECT_EQ(viewer.CaretPosition(), (TextPlace{2, 6}));
    EXPECT_FALSE(viewer.HasSelection());
    EXPECT_EQ(status.size() > 0, true);
}

TEST_F(ViewerTest, PagesEndsOfTheFileAndBookmarks) {
    openText(numberedLines(1000));
    EXPECT_EQ(viewer.TotalLines(), TBaseViewer::UnknownLines);
    const int step = viewer.visibleRows() - 1;
    key(Qt::Key_Down, Qt::NoModifier, 3);
    key(Qt::Key_PageDown);
    EXPECT_EQ(caret().line, 3 + step);
    EXPECT_EQ(viewer.FirstVisibleLine(), step); // the caret keeps its row
    key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(caret().line, viewer.FirstVisibleLine() + viewer.visibleRows() - 1);
    key(Qt::Key_PageUp, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(caret().line, viewer.FirstVisibleLine());
    EXPECT_TRUE(viewer.HasSelection());

    // Ctrl+Shift+3 marks the caret, Ctrl+3 comes back to it from anywhere.
    key(Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    const TextPlace marked = caret();
    key(Qt::Key_End, Qt::ControlModifier); // finds the end of the text
    EXPECT_EQ(viewer.TotalLines(), 1001);
    EXPECT_EQ(caret(), (TextPlace{1000, 0}));
    EXPECT_EQ(viewer.FirstVisibleLine(), 1001 - viewer.visibleRows());
    QSignalSpy top(&viewer, &TBaseViewer::TopLineChanged);
    key(Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(caret(), marked);
    EXPECT_EQ(viewer.Bookmark(3), marked);
    EXPECT_FALSE(top.isEmpty());
    key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(caret(), (TextPlace{0, 0}));
    // The wheel: a notch scrolls the desktop's wheel lines; a touchpad's small steps add up to them.
    auto wheel = [&](int delta, bool across = false) {
        QWheelEvent event(QPointF(50, 50), viewer.mapToGlobal(QPointF(50, 50)), QPoint(),
                          across ? QPoint(delta, 0) : QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewer.viewport(), &event);
    };
    const int lines = QApplication::wheelScrollLines();
    wheel(-120);
    EXPECT_EQ(viewer.FirstVisibleLine(), lines);
    for (int i = 0; i < 8; ++i)
        wheel(15);
    EXPECT_EQ(viewer.FirstVisibleLine(), 0);
    wheel(-120, true);
    EXPECT_EQ(viewer.horizontalOffset(), lines);
    wheel(240, true);
    EXPECT_EQ(viewer.horizontalOffset(), 0);
    EXPECT_EQ(caret(), (TextPlace{0, 0})); // the caret stays where it was
    key(Qt::Key_PageUp);
    EXPECT_EQ(caret(), (TextPlace{0, 0}));
    EXPECT_EQ(viewer.Bookmark(4).line, -1);
    key(Qt::Key_4, Qt::ControlModifier); // unset: nothing happens
    EXPECT_EQ(caret(), (TextPlace{0, 0}));
    // A new mode clears the bookmarks and goes back to the top.
    viewer.setInHexMode(true);
    EXPECT_EQ(viewer.Bookmark(3).line, -1);
    EXPECT_EQ(viewer.FirstVisibleLine(), 0);
}

TEST_F(ViewerTest, ALongLineShowsItsEndAndTheCaretStaysInView) {
    openText(std::string(5000, 'w') + "\nnext\n");
    key(Qt::Key_End);
    EXPECT_EQ(caret(), (TextPlace{0, 1023}));
    EXPECT_GT(viewer.horizontalOffset(), 512);
    EXPECT_LE(viewer.horizontalOffset(), 1023);
    EXPECT_GT(viewer.horizontalOffset() + viewer.visibleColumns(), 1023);
    EXPECT_EQ(viewer.horizontalScrollBar()->value(), viewer.horizontalOffset());
    key(Qt::Key_Right);
    EXPECT_EQ(caret(), (TextPlace{1, 0}));
    EXPECT_EQ(viewer.horizontalOffset(), 0);
    EXPECT_EQ(viewer.horizontalScrollBar()->maximum(), 512);
}

TEST_F(ViewerTest, MousePressShiftPressDragMarginAndDoubleClick) {
    std::string text = "foo  bar baz\n";
    text += numberedLines(200);
    openText(text);
    QWidget* area = viewer.viewport();
    QTest::mouseClick(area, Qt::LeftButton, {}, pointOf(0, 1));
    EXPECT_EQ(caret(), (TextPlace{0, 1}));
    QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, pointOf(2, 3));
    EXPECT_EQ(selected(), "oo  bar baz\nline 0\nlin");

    // A double click on foo selects foo and the spaces after it, the caret at the end.
    QTest::mouseDClick(area, Qt::LeftButton, {}, pointOf(0, 1));
    EXPECT_EQ(selected(), "foo  ");
    EXPECT_EQ(caret(), (TextPlace{0, 5}));

    // The margin selects whole lines; with Shift from the caret's line.
    QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(5, pointOf(1, 0).y()));
    EXPECT_EQ(selected(), "line 0\n");
    QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, pointOf(3, 0).y()));
    EXPECT_EQ(selected(), "line 0\nline 1\nline 2\n");

    // A drag below the text keeps scrolling and extending while the button is down.
    QTest::mousePress(area, Qt::LeftButton, {}, pointOf(1, 0));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, area->height() + 20), area->mapToGlobal(QPointF(40, area->height() + 20)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &move);
    const std::int64_t firstTop = viewer.FirstVisibleLine();
    QTest::qWait(300);
    EXPECT_GT(viewer.FirstVisibleLine(), firstTop);
    QTest::mouseRelease(area, Qt::LeftButton, {}, pointOf(1, 0));
    const std::int64_t stopped = viewer.FirstVisibleLine();
    QTest::qWait(150);
    EXPECT_EQ(viewer.FirstVisibleLine(), stopped);
    EXPECT_GE(caret().line, viewer.FirstVisibleLine() + viewer.visibleRows() - 1);
    EXPECT_EQ(selected().substr(0, 7), "line 0\n");
}

TEST_F(ViewerTest, CopyWithItsLimitSelectWholeAndBadBytes) {
    // Invalid UTF-8 and control characters are copied as replacement characters; lines end in LF.
    openText("a\xff" "b\x01\n\xc3\xa9t\n");
    viewer.SelectWhole();
    EXPECT_EQ(caret(), (TextPlace{0, 0}));
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), QString::fromUtf8("a\xef\xbf\xbd"
                                                 "b\x01\n\xc3\xa9t\n"));

    // A file without a final break is selected whole.
    openText("one\ntwo");
    viewer.SelectWhole();
    EXPECT_EQ(selected(), "one\ntwo");

    // 65,520 bytes copy whole; of a larger selection the first 65,520 bytes are copied, and the
    // user is told.
    std::string lines;
    for (int i = 0; i < 65; ++i)
        lines += std::string(1007, 'x') + "\n"; // 1008 bytes each
    lines += std::string(1000, 'y');
    openText(lines);
    key(Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier); // nothing bound: no change
    viewer.MoveCaret(0, 0);
    for (int i = 0; i < 65; ++i)
        key(Qt::Key_Down, Qt::ShiftModifier);
    bool cut = true;
    EXPECT_EQ(viewer.SelectedBytes(&cut).size(), 65u * 1008u); // 65,520
    EXPECT_FALSE(cut);
    key(Qt::Key_End, Qt::ShiftModifier);
    QGuiApplication::clipboard()->setText("before");
    key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(
        messages.texts(),
        QStringList(
            {"The selection is larger than 64 K: its first 65,520 bytes were copied to the clipboard."}));
    EXPECT_EQ(messages.records().back().kind, MessageKind::Information);
    EXPECT_EQ(ClipboardText().size(), 65520);
    EXPECT_TRUE(ClipboardText().endsWith("x\n"));

    // The cut never splits a character: a euro sign across the limit is left out whole.
    std::string common;
    for (int i = 0; i < 64; ++i)
        common += std::string(1007, 'x') + "\n";
    openText(common + std::string(1007, 'x') + "\xe2\x82\xac" + "zz");
    viewer.SelectWhole();
    const std::string bytes = viewer.SelectedBytes(&cut);
    EXPECT_TRUE(cut);
    EXPECT_EQ(bytes.size(), 65519u);
    EXPECT_EQ(bytes.back(), 'x');
}

TEST_F(ViewerTest, TextSearchCaseDirectionGlobalAndLimits) {
    openText("xx abc ABC\nnothing\naBc here abc\n" + std::string(1100, '-') + "abc\n");
    using V = TBaseViewer;
    EXPECT_TRUE(viewer.FindText("abc", 0));
    EXPECT_EQ(selected(), "abc");
    EXPECT_TRUE(viewer.FindText("abc", 0));
    EXPECT_EQ(caret(), (TextPlace{0, 10}));
    EXPECT_TRUE(viewer.FindText("abc", V::SearchMatchCase));
    EXPECT_EQ(caret(), (TextPlace{2, 12}));
    // Beyond the shown part of the long line: not found, caret and selection unchanged.
    EXPECT_FALSE(viewer.FindText("abc", 0));
    EXPECT_EQ(caret(), (TextPlace{2, 12}));
    EXPECT_EQ(selected(), "abc");
    EXPECT_EQ(viewer.TotalLines(), 5);
    // Backward: the last match left of the caret first, then earlier lines; never wrapping.
    EXPECT_TRUE(viewer.FindText("abc", V::SearchBackward));
    EXPECT_EQ(caret(), (TextPlace{2, 9}));
    EXPECT_TRUE(viewer.FindText("abc", V::SearchBackward));
    EXPECT_EQ(caret(), (TextPlace{2, 0}));
    EXPECT_EQ(selected(), "aBc");
    EXPECT_TRUE(viewer.FindText("ABC", V::SearchBackward | V::SearchMatchCase));
    EXPECT_EQ(caret(), (TextPlace{0, 7}));
    EXPECT_FALSE(viewer.FindText("nothing", V::SearchBackward));
    EXPECT_TRUE(viewer.FindText("abc", V::SearchBackward | V::SearchGlobal));
    EXPECT_EQ(caret(), (TextPlace{2, 9}));
    EXPECT_TRUE(viewer.FindText("xx", V::SearchGlobal));
    EXPECT_EQ(caret(), (TextPlace{0, 2}));
    EXPECT_FALSE(viewer.FindText("", V::SearchGlobal));
    // A text of 256 characters is searched as its first 255.
    openText(std::string(255, 'q') + "r\n");
    EXPECT_TRUE(viewer.FindText(std::string(255, 'q') + "s", 0));
    EXPECT_EQ(caret(), (TextPlace{0, 255}));
}

TEST_F(ViewerTest, HexSearchScrollBarsAndAHugeSparseFile) {
    std::string bytes(64, '.');
    bytes.replace(15, 2, "AB");
    bytes.replace(40, 2, "ab");
    open(WriteFile(tree, "bin", bytes), true);
    EXPECT_TRUE(viewer.FindText("ab", TBaseViewer::SearchGlobal));
    TextPlace start, end;
    ASSERT_TRUE(viewer.SelectionBounds(start, end));
    EXPECT_EQ(start, (TextPlace{0, 59 + 15}));
    EXPECT_EQ(end, (TextPlace{1, 60}));
    EXPECT_EQ(selected(), "A\n" + std::string(viewer.LineText(1).substr(0, 60)));
    viewer.MoveCaret(2, 0);
    EXPECT_FALSE(viewer.FindText("ab", 0)); // the caret's row and the one after it only
    EXPECT_TRUE(viewer.FindText("ab", TBaseViewer::SearchBackward));
    EXPECT_EQ(caret(), (TextPlace{0, 74}));

    // 5 GiB, sparse: the last row, a backward search from the end, and the bar within its steps.
    const std::int64_t size = std::int64_t(5) << 30;
    const std::string big = tree.file("big", size);
    {
        std::fstream f(big, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(size - 1000);
        f << "Needle";
    }
    open(big, true);
    EXPECT_EQ(viewer.TotalLines(), size / 16);
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(caret().line, size / 16 - 1);
    EXPECT_EQ(std::string(viewer.LineText(caret().line)).substr(0, 9), "13FFFFFF0");
    EXPECT_TRUE(viewer.FindText("needle", TBaseViewer::SearchBackward | TBaseViewer::SearchGlobal));
    EXPECT_EQ(caret(), (TextPlace{(size - 1000) / 16, 60 + int((size - 1000) % 16)}));
    QScrollBar* bar = viewer.verticalScrollBar();
    EXPECT_LE(bar->maximum(), 16384);
    EXPECT_EQ(viewer.scrollScale(), (size / 16 - viewer.visibleRows()) / 16384 + 1);
    QSignalSpy top(&viewer, &TBaseViewer::TopLineChanged);
    bar->setSliderPosition(bar->maximum() / 2);
    EXPECT_EQ(viewer.FirstVisibleLine(), std::int64_t(bar->maximum() / 2) * viewer.scrollScale());
    ASSERT_FALSE(top.isEmpty());
    EXPECT_EQ(top.last().at(0).toLongLong(), viewer.FirstVisibleLine());
    bar->setSliderPosition(0);
    EXPECT_EQ(viewer.FirstVisibleLine(), 0);
    bar->setSliderPosition(bar->maximum());
    EXPECT_EQ(viewer.FirstVisibleLine(), size / 16 - viewer.visibleRows());
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(viewer.FirstVisibleLine(), size / 16 - viewer.visibleRows() - 1);
}

TEST_F(ViewerTest, TextScrollBarFindsTheEndAndFilesThatChangeOrAreEmpty) {
    const std::string path = WriteFile(tree, "lines", numberedLines(5000));
    open(path);
    QScrollBar* bar = viewer.verticalScrollBar();
    bar->setSliderPosition(bar->maximum()); // the last page: the end is learned first
    EXPECT_EQ(viewer.TotalLines(), 5001);
    EXPECT_EQ(viewer.FirstVisibleLine(), 5001 - viewer.visibleRows());
    EXPECT_EQ(bar->maximum(), 5001 - viewer.visibleRows());

    // Truncated while shown: lines past the new end are empty, moves and searches stay sound.
    ASSERT_EQ(::truncate(path.c_str(), 60), 0);
    viewer.grab();
    key(Qt::Key_Up, Qt::NoModifier, 3);
    EXPECT_EQ(viewer.LineText(4000), "");
    EXPECT_FALSE(viewer.FindText("line 4999", TBaseViewer::SearchGlobal));
    key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(viewer.LineText(0), "line 0");
    EXPECT_TRUE(messages.texts().isEmpty());

    // An empty file has no lines and no rows, known at once; nothing moves, selects or finds.
    openText("");
    EXPECT_EQ(viewer.TotalLines(), 0);
    key(Qt::Key_End, Qt::ControlModifier);
    key(Qt::Key_Down);
    viewer.SelectWhole();
    EXPECT_EQ(caret(), (TextPlace{0, 0}));
    EXPECT_FALSE(viewer.HasSelection());
    EXPECT_FALSE(viewer.FindText("x", TBaseViewer::SearchGlobal));
    viewer.setInHexMode(true);
    EXPECT_EQ(viewer.TotalLines(), 0);
    EXPECT_FALSE(viewer.FindText("x", TBaseViewer::SearchGlobal));
    viewer.setInHexMode(false);
    viewer.grab();
    viewer.setOpen(false);
    EXPECT_EQ(viewer.TotalLines(), 0);
    key(Qt::Key_Down);
    EXPECT_EQ(caret(), (TextPlace{0, 0}));
}

TEST(FixedFont, OnlyFixedPitchFamiliesAndTheTwoErrors) {
    const QStringList& families = TFixedFont::FixedPitchFamilies();
    ASSERT_FALSE(families.isEmpty());
    EXPECT_TRUE(families.contains("DejaVu Sans Mono"));
    EXPECT_FALSE(families.contains("DejaVu Sans"));
    TFixedFont font;
    EXPECT_EQ(font.name(), families.first());
    int changes = 0;
    font.setOnChange([&] { ++changes; });
    font.setName("DejaVu Sans");
    EXPECT_EQ(font.name(), families.first());
    EXPECT_EQ(changes, 0);
    font.setSize(14);
    EXPECT_EQ(font.size(), 14);
    try {
        font.assign(QFont("DejaVu Sans", 20));
        ADD_FAILURE() << "a proportional font was taken";
    } catch (const EInvalidFixedFont& e) {
        EXPECT_EQ(e.text(), "Invalid font assignment. Font must be a fixed font");
    }
    EXPECT_EQ(font.size(), 14);
    try {
        font.assign(QVariant(42));
        ADD_FAILURE() << "a number was taken as a font";
    } catch (const EInvalidFontParam& e) {
        EXPECT_EQ(e.text(), "Invalid font assignemnt. Font must be a TFont or TFixedFont");
    }
    TFixedFont other;
    other.setSize(11);
    font.assign(QVariant::fromValue(&other));
    EXPECT_EQ(font.size(), 11);

    // The family's style that the font shows, by weight and slant; an oblique stands in for an
    // italic, never an upright style.
    font.setName("DejaVu Sans Mono");
    EXPECT_EQ(font.styledFont().styleName(), "Book");
    font.setStyle(true, true);
    EXPECT_EQ(font.styledFont().styleName(), "Bold Oblique");
    font.setStyle(false, true);
    EXPECT_EQ(font.styledFont().styleName(), "Oblique");
    font.assign(QFontDatabase::font("DejaVu Sans Mono", "Bold", 12));
    EXPECT_EQ(font.styledFont().styleName(), "Bold");

    // The viewer works its metrics out again.
    TFileViewer viewer;
    const int height = viewer.lineHeight();
    viewer.FixedFont().setSize(24);
    EXPECT_GT(viewer.lineHeight(), height);
}
