#include "app/keyword_table.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>

#include "app/qt_text.h"

namespace qinghe {

namespace {

const char* const kColumnTitles[KeywordModel::kColumnCount] = {"编号", "关键词", "百度排名"};
constexpr int kColumnWidths[KeywordModel::kColumnCount] = {100, 280, 160};

}  // namespace

// ---- KeywordModel -------------------------------------------------------------

KeywordModel::KeywordModel(QObject* parent) : QAbstractTableModel(parent) {}

int KeywordModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shown;
}

int KeywordModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant KeywordModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_shown)
        return {};
    switch (role) {
        case Qt::DisplayRole:
            return ToQString(m_rows[index.row()][index.column()]);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        default:
            return {};
    }
}

QVariant KeywordModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return {};
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromUtf8(kColumnTitles[section]);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        default:
            return {};
    }
}

Qt::ItemFlags KeywordModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void KeywordModel::RemoveAllRows() {
    beginResetModel();
    m_rows.clear();
    m_shown = 0;
    m_dirtyFirst = m_dirtyLast = -1;
    endResetModel();
}

int KeywordModel::AppendRow() {
    m_rows.emplace_back();
    ScheduleFlush();
    return RowCount() - 1;
}

void KeywordModel::WriteCell(int row, int column, const Text& text) {
    if (row < 0 || row >= RowCount() || column < 0 || column >= kColumnCount)
        return;
    m_rows[row][column] = text;
    if (row >= m_shown)
        return;  // announced with its insertion
    if (m_dirtyFirst < 0 || row < m_dirtyFirst)
        m_dirtyFirst = row;
    if (row > m_dirtyLast)
        m_dirtyLast = row;
    ScheduleFlush();
}

Text KeywordModel::ReadCell(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= kColumnCount)
        return {};
    return m_rows[row][column];
}

void KeywordModel::Flush() {
    m_flushScheduled = false;
    if (m_dirtyFirst >= 0) {
        const int first = m_dirtyFirst;
        const int last = m_dirtyLast;
        m_dirtyFirst = m_dirtyLast = -1;
        emit dataChanged(index(first, 0), index(last, kColumnCount - 1), {Qt::DisplayRole});
    }
    if (m_shown < RowCount()) {
        beginInsertRows({}, m_shown, RowCount() - 1);
        m_shown = RowCount();
        endInsertRows();
    }
}

void KeywordModel::ScheduleFlush() {
    if (m_flushScheduled)
        return;
    m_flushScheduled = true;
    QMetaObject::invokeMethod(this, &KeywordModel::Flush, Qt::QueuedConnection);
}

// ---- KeywordTableView ---------------------------------------------------------

KeywordTableView::KeywordTableView(QWidget* parent, KeywordModel* model)
    : QTableView(parent), m_model(model), m_copy(new QAction(QStringLiteral("复制"), this)) {
    setModel(m_model);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);  // Tab leaves the list, as in a native list view
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    QPalette colours = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Base, Qt::white);
        colours.setColor(group, QPalette::Text, Qt::black);
    }
    // Without the focus the selected row looks like any other.
    colours.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    setPalette(colours);

    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 0; c < KeywordModel::kColumnCount; ++c)
        setColumnWidth(c, kColumnWidths[c]);

    // One fixed height for every row keeps huge lists cheap: nothing is measured.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);

    m_copy->setObjectName(QStringLiteral("复制"));
    m_copy->setShortcut(QKeySequence::Copy);
    m_copy->setShortcutContext(Qt::WidgetShortcut);
    m_copy->setShortcutVisibleInContextMenu(true);
    connect(m_copy, &QAction::triggered, this, &KeywordTableView::CopySelectedRow);
    addAction(m_copy);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(
        selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current, const QModelIndex&) { OnCurrentRowChanged(current); });
}

int KeywordTableView::SelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QString KeywordTableView::SelectedRowText() const {
    const int row = SelectedRow();
    if (row < 0)
        return {};
    QStringList cells;
    for (int c = 0; c < KeywordModel::kColumnCount; ++c) {
        cells << ToQString(m_model->ReadCell(row, c));
    }
    return cells.join(QLatin1Char('\t'));
}

void KeywordTableView::CopySelectedRow() const {
    if (SelectedRow() < 0)
        return;
    QGuiApplication::clipboard()->setText(SelectedRowText());
}

void KeywordTableView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopySelectedRow();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void KeywordTableView::focusInEvent(QFocusEvent* event) {
    // Qt makes the first row current when the view gains the focus by keyboard;
    // no row has been chosen by that, so it is not reported.
    // It is undone, so that a later click on that row counts as choosing it.
    const bool hadCurrent = currentIndex().isValid();
    m_inFocusIn = true;
    QTableView::focusInEvent(event);
    if (!hadCurrent && currentIndex().isValid()) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    m_inFocusIn = false;
}

void KeywordTableView::OnCurrentRowChanged(const QModelIndex& current) {
    if (!current.isValid() || m_inFocusIn)
        return;
    // A mouse press makes the row current before it selects it; the handler
    // reads the selected row, so select it first (the press selects it anyway).
    if (SelectedRow() != current.row()) {
        selectionModel()->select(current,
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    emit rowGainedFocus(current.row());
}

}  // namespace qinghe
