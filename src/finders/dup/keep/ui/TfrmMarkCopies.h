// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "finders/dup/keep/KeepChooser.h"
#include "finders/dup/keep/ReferenceFolders.h"

#include <QDialog>
#include <functional>
#include <memory>

class DupContentCheck;
class DupScanEngine;
class FreedSpaceLine;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

// "Mark copies": after a content check, the rule that chooses the file each group of identical files
// keeps, and the reference folders whose files are never marked. It shows, as the choices change,
// how many files and bytes will be marked and what that frees; Mark (OK) leaves the choice for the
// finder window to mark. The files are looked at through the engine's listed entries (KeepChooser);
// the window lists nothing itself.
class TfrmMarkCopies : public QDialog {
    Q_OBJECT
public:
    TfrmMarkCopies(const DupScanEngine& engine, const DupContentCheck& check, QWidget* parent = nullptr);
    ~TfrmMarkCopies() override;

    // How Add... asks for a folder, starting in startIn: a folder dialog unless another is set; ""
    // for none.
    using FolderPicker = std::function<QString(QWidget* parent, const QString& startIn)>;
    // Where Add... starts: the first folder that was scanned, where the reference folders lie.
    const QString& startFolder() const { return m_startFolder; }
    void setFolderPicker(FolderPicker picker) { m_picker = std::move(picker); }

    KeepRule rule() const;
    // The choice under the rule and references shown, and the files as they were looked at.
    const KeepChoice& choice() const { return m_choice; }
    const KeepChooser& chooser() const { return m_chooser; }
    const ReferenceFolders& references() const { return m_references; }

    void rbRuleClick();
    void btAddClick();
    void btRemoveClick();

private:
    // Looks at the files again (the references changed), then counts.
    void lookAgain();
    void showCount();

    KeepChooser m_chooser;
    ReferenceFolders m_references;
    KeepChoice m_choice;
    FolderPicker m_picker;
    QString m_startFolder;
    FreedSpaceLine* m_freed = nullptr;

    QLabel* lblRule = nullptr;
    QRadioButton* rbOldest = nullptr;
    QRadioButton* rbNewest = nullptr;
    QRadioButton* rbShortest = nullptr;
    QRadioButton* rbFirst = nullptr;
    QLabel* lblReference = nullptr;
    QListWidget* lbReference = nullptr;
    QPushButton* btAdd = nullptr;
    QPushButton* btRemove = nullptr;
    QLabel* lblCount = nullptr;
    QLabel* lblFreed = nullptr;
    QPushButton* btMark = nullptr;
    QPushButton* btCancel = nullptr;
    QLabel* pnlSel = nullptr;
};
