// The keyword table model: rows and cells are stored at once and announced to
// views in one batch, at the next event processing or an explicit flush.
#include <QSignalSpy>

#include "app/keyword_table.h"
#include "window_fixture.h"

namespace qinghe::testing {
namespace {

class KeywordModelTest : public ::testing::Test {
protected:
    void SetUp() override { TestApp(); }
    KeywordModel model;
};

TEST_F(KeywordModelTest, AppendedRowsAreReadableAtOnceAndShownAfterOneBatch) {
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(model.AppendRow(), i);
        model.WriteCell(i, 1, Gbk("词"));
    }
    EXPECT_EQ(model.RowCount(), 3);
    EXPECT_EQ(model.ReadCell(2, 1), Gbk("词"));
    EXPECT_EQ(model.rowCount(), 0);  // the views have not been told yet
    QCoreApplication::processEvents();
    EXPECT_EQ(model.rowCount(), 3);
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 2);
    EXPECT_EQ(model.index(2, 1).data().toString(), U("词"));
}

TEST_F(KeywordModelTest, CellWritesOnShownRowsAreAnnouncedAsOneRange) {
    for (int i = 0; i < 10; ++i)
        model.AppendRow();
    model.Flush();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.WriteCell(7, 2, "7 ");
    model.WriteCell(3, 2, "3 ");
    EXPECT_TRUE(changed.isEmpty());
    model.Flush();
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 3);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 7);
    EXPECT_EQ(model.index(7, 2).data().toString(), U("7 "));
}

TEST_F(KeywordModelTest, CellsOutsideTheTableAreIgnored) {
    model.AppendRow();
    for (auto [row, column] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 3}}) {
        SCOPED_TRACE(std::to_string(row) + "," + std::to_string(column));
        model.WriteCell(row, column, "x");
        EXPECT_EQ(model.ReadCell(row, column), Text());
    }
    EXPECT_EQ(model.ReadCell(0, 0), Text());
}

TEST_F(KeywordModelTest, RemovingAllRowsDropsPendingOnesToo) {
    model.AppendRow();
    model.Flush();
    model.AppendRow();
    model.RemoveAllRows();
    QCoreApplication::processEvents();
    EXPECT_EQ(model.RowCount(), 0);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
}

}  // namespace
}  // namespace qinghe::testing
