// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>

class QAction;
class QHeaderView;
class QMenu;
class QMenuBar;
class QPrinter;
class QPushButton;
class QRadioButton;
class QStandardItemModel;
class TFileViewer;
class TFindDlg;

// The file viewer window: one file, read-only, as text or hexadecimal rows, with search, go to
// line, selection and copy, print, font, tab handling, another file opened or dropped, and the
// file's printable strings. The browser creates it with a file, shows it modally and destroys it.
class TfrmView : public QDialog {
    Q_OBJECT
public:
    // What Print prints.
    enum class PrintRange { All, Selection, None };

    explicit TfrmView(QWidget* parent = nullptr);
    ~TfrmView() override;

    // The browser's View button: a window on the file (exact path bytes), shown modally, destroyed.
    // A file that cannot be opened gives its message and no window.
    static void ViewFile(QWidget* parent, const std::string& exactPath);

    // The file to show (exact path bytes); opened when the window is shown.
    void setFileName(const std::string& name) { m_fileName = name; }
    const std::string& fileName() const { return m_fileName; }
    TFileViewer* viewer() const { return Viewer1; }
    // The find dialog the searches use: the shared one, or one of this window's own when none exists.
    TFindDlg* findDialog() const { return m_findDlg; }

    // Opens another file in this window, as File > Open and a drop do.
    void openFile(const std::string& name);
    // Prints the range's lines on a printer already set up, in the viewer's font.
    void printTo(QPrinter& printer, PrintRange range);

    // Handlers, by their control and event.
    void FormShow();
    void FormResize();
    void File1Click();
    void Clipboard1Click();
    void Search1Click();
    void Open1Click();
    void Print1Click();
    void PrintSetup1Click();
    void Copy1Click();
    void SelectAll1Click();
    void Find1Click();
    void FindNext1Click();
    void GotoLine1Click();
    void HexMode1Click();
    void rbAsciiClick();
    void rbHexClick();
    void TabExpansion1Click();
    void TabSize1Click();
    void Font1Click();
    void btStringsClick();
    void Viewer1ShowStatus(std::int64_t line, int column);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenu();
    void buildPanel();
    QAction* addItem(QMenu* menu, const char* name, const QString& text, const QKeySequence& shortcut = {});
    void setStatusSection(int section, const QString& text);
    void showCaption();
    // Opens the viewer on the window's file name, shows an open error, and updates the menus; false
    // when the file could not be opened.
    bool openViewer();
    // The search of Find and Find next; tells when nothing was found.
    void search(bool global);
    // Asks with an input box; false when cancelled.
    bool inputBox(const QString& caption, const QString& prompt, QString& value);
    // The printer that Print setup sets up and Print prints on, made when first needed.
    QPrinter& printer();

    std::string m_fileName;
    bool m_shown = false;
    std::unique_ptr<QPrinter> m_printer;
    TFindDlg* m_findDlg = nullptr;

    QMenuBar* MainMenu1 = nullptr;
    QMenu* File1 = nullptr;
    QMenu* Clipboard1 = nullptr;
    QMenu* Search1 = nullptr;
    QMenu* Options1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* PrintSetup1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* SelectAll1 = nullptr;
    QAction* Find1 = nullptr;
    QAction* FindNext1 = nullptr;
    QAction* GotoLine1 = nullptr;
    QAction* HexMode1 = nullptr;
    QAction* TabExpansion1 = nullptr;
    QAction* TabSize1 = nullptr;
    QAction* Font1 = nullptr;

    TFileViewer* Viewer1 = nullptr;
    QWidget* Panel1 = nullptr;
    QRadioButton* rbAscii = nullptr;
    QRadioButton* rbHex = nullptr;
    QPushButton* btFont = nullptr;
    QPushButton* btPrint = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* btStrings = nullptr;
    QPushButton* btClose = nullptr;
    QHeaderView* Header1 = nullptr;
    QStandardItemModel* m_sections = nullptr;
};
