// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/StringGridModel.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {
// Renders key k as "k<k>" in column 0 and "<k*10>" in column 1.
class NumberSource : public GridRowSource {
public:
    QString cellText(std::uint32_t key, int column) const override {
        return column == 0 ? QStringLiteral("k%1").arg(key) : QString::number(std::uint64_t(key) * 10);
    }
};

StringGridModel* TitledModel(QObject* parent = nullptr) {
    auto* model = new StringGridModel(parent);
    model->setTitles({"Name", "Size"});
    return model;
}
} // namespace

TEST(StringGridModel, KeepsConsistentSignalsWhileRowsAreAddedMarkedReorderedAndCleared) {
    NumberSource source;
    StringGridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setTitles({"Name", "Size"});
    model.setRowSource(&source);

    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.appendTextRow({"alpha", "1"});
    model.appendKeyRows({7, 8, 9});
    model.appendKeyRows({});
    ASSERT_EQ(inserted.size(), 2);
    EXPECT_EQ(model.gridRowCount(), 5);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.cellText(0, 1), "Size");
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Name");
    EXPECT_EQ(model.cellText(1, 0), "alpha");
    EXPECT_EQ(model.cellText(3, 0), "k8");
    EXPECT_EQ(model.data(model.index(3, 1)).toString(), "90");

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setMarked(2, true);
    model.setMarked(2, true); // no change, no signal
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 1);
    EXPECT_TRUE(changed[0][2].value<QList<int>>().contains(StringGridModel::MarkRole));
    EXPECT_TRUE(model.data(model.index(1, 0), StringGridModel::MarkRole).toBool());

    QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);
    model.reorderRows(1, 4, {4, 3, 2, 1});
    EXPECT_EQ(layout.size(), 1);
    EXPECT_EQ(model.cellText(1, 0), "k9");
    EXPECT_EQ(model.cellText(4, 0), "alpha");
    EXPECT_TRUE(model.isMarked(3)) << "the mark travels with its row";
    EXPECT_FALSE(model.isMarked(2));

    model.clearRows();
    EXPECT_EQ(model.gridRowCount(), 1);
    EXPECT_EQ(model.titles(), QStringList({"Name", "Size"}));
    model.appendKeyRows({1});
    EXPECT_FALSE(model.isMarked(1)) << "a cleared grid keeps no marks";
    model.setTitles({"Only"});
    EXPECT_EQ(model.columnCount(), 1);
    EXPECT_EQ(model.gridRowCount(), 1);
}

TEST(StringGridModel, SetCellTextFreezesAKeyRowAndLeavesTheOtherCellsAsShown) {
    NumberSource source;
    StringGridModel model;
    model.setTitles({"Name", "Size"});
    model.setRowSource(&source);
    model.appendKeyRows({5});
    ASSERT_TRUE(model.isKeyRow(1));
    EXPECT_EQ(model.keyOf(1), 5u);
    model.setCellText(1, 1, "DELETED");
    EXPECT_FALSE(model.isKeyRow(1));
    EXPECT_EQ(model.cellText(1, 0), "k5");
    EXPECT_EQ(model.cellText(1, 1), "DELETED");

    model.appendTextRow({"short"}); // fewer cells than columns
    EXPECT_EQ(model.cellText(2, 1), "");
    model.setCellText(2, 1, "x");
    EXPECT_EQ(model.cellText(2, 1), "x");
}

TEST(StringGridModel, AnswersEmptyOutsideTheGridAndIgnoresWritesThere) {
    std::unique_ptr<StringGridModel> model(TitledModel());
    model->appendTextRow({"a", "b"});
    EXPECT_EQ(model->cellText(2, 0), "");
    EXPECT_EQ(model->cellText(-1, 0), "");
    EXPECT_EQ(model->cellText(1, 2), "");
    EXPECT_FALSE(model->isMarked(0));
    EXPECT_FALSE(model->isKeyRow(0));
    model->setMarked(0, true);
    model->setMarked(5, true);
    model->setCellText(9, 0, "x");
    EXPECT_EQ(model->gridRowCount(), 2);
    EXPECT_FALSE(model->isMarked(1));
    // A key row without a source shows nothing rather than failing.
    model->appendKeyRows({3});
    EXPECT_EQ(model->cellText(2, 0), "");
}

TEST(StringGridModel, ReorderFollowsSelectionsAndRefusesWhatIsNotAPermutation) {
    std::unique_ptr<StringGridModel> model(TitledModel());
    for (int i = 1; i <= 5; ++i)
        model->appendTextRow({QString::number(i), ""});
    QPersistentModelIndex current(model->index(1, 0)); // grid row 2, text "2"
    QPersistentModelIndex outside(model->index(4, 1)); // grid row 5, not in the range
    model->reorderRows(1, 4, {3, 1, 4, 2});
    EXPECT_EQ(current.row(), 3);
    EXPECT_EQ(current.data().toString(), "2");
    EXPECT_EQ(outside.row(), 4);
    EXPECT_THROW(model->reorderRows(1, 3, {1, 1, 2}), std::invalid_argument);
    EXPECT_THROW(model->reorderRows(1, 3, {1, 2}), std::invalid_argument);
    EXPECT_THROW(model->reorderRows(2, 3, {1, 2}), std::invalid_argument);
    EXPECT_EQ(model->cellText(1, 0), "3") << "a refused order leaves the rows alone";
}

TEST(StringGridModel, HoldsAMillionKeyRows) {
    NumberSource source;
    StringGridModel model;
    model.setTitles({"Name", "Size"});
    model.setRowSource(&source);
    std::vector<std::uint32_t> keys(1'000'000);
    for (std::uint32_t i = 0; i < keys.size(); ++i)
        keys[i] = i;
    model.appendKeyRows(keys);
    EXPECT_EQ(model.gridRowCount(), 1'000'001);
    EXPECT_EQ(model.cellText(1'000'000, 0), "k999999");
    model.setMarked(1'000'000, true);
    EXPECT_TRUE(model.isMarked(1'000'000));
}
