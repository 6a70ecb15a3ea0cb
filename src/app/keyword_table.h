// The ranking list: a table model holding the rows as code-page-936 texts and a
// report-style view over it. Rows arrive from the handlers one call at a time
// (a site of 100 000 keywords means 300 000 calls), so the model stores them at
// once and tells the view in one batch: at the next event processing or when
// the window calls Flush at the end of a handler.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <array>
#include <vector>

#include "text/text.h"

class QAction;

namespace qinghe {

class KeywordModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 3;

    explicit KeywordModel(QObject* parent = nullptr);

    // What the view knows: rows up to the last flush.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // What the handlers see: every row, flushed or not.
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    void RemoveAllRows();
    int AppendRow();
    // Cells outside the table are ignored; reading them gives the empty text.
    void WriteCell(int row, int column, const Text& text);
    Text ReadCell(int row, int column) const;

    // Announces appended rows and written cells to the views.
    void Flush();

private:
    void ScheduleFlush();

    std::vector<std::array<Text, kColumnCount>> m_rows;
    int m_shown = 0;  // rows announced to the views
    int m_dirtyFirst = -1;
    int m_dirtyLast = -1;
    bool m_flushScheduled = false;
};

// Report style: grid lines, one whole row selected at a time, headers that do
// not react to clicks, no editing, no sorting, the selection drawn only while
// the view has the focus. Ctrl+C and the context menu's "复制" copy the
// selected row as its three cells separated by tabs.
class KeywordTableView : public QTableView {
    Q_OBJECT
public:
    KeywordTableView(QWidget* parent, KeywordModel* model);

    KeywordModel* keywordModel() const { return m_model; }
    int SelectedRow() const;
    // The selected row's cells joined by tabs; empty when no row is selected.
    QString SelectedRowText() const;
    void CopySelectedRow() const;
    QAction* copyAction() const { return m_copy; }

signals:
    // A row has become the current (focused) row; it is selected by then.
    void rowGainedFocus(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void OnCurrentRowChanged(const QModelIndex& current);

    KeywordModel* m_model;
    QAction* m_copy;
    bool m_inFocusIn = false;
};

}  // namespace qinghe
