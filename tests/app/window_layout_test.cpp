// The window as it comes up: every control with its kind, parent, place, size,
// text and state, the creation order, the window frame, the status bar and the
// list view's behaviour.
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <optional>
#include <vector>

#include "app/controls.h"
#include "window_fixture.h"

namespace qinghe::testing {
namespace {

struct ControlRow {
    const char* name;
    const char* kind;  // a Qt class the control must be
    const char* parent;
    std::optional<QRect> geometry;  // nullopt: docked
    const char* text;               // nullptr: the control shows no text
    bool visible;
};

// In creation order. The search range shows "100" once the created event ran.
const std::vector<ControlRow> kControls = {
    {"图片框_进度条", "qinghe::PictureBox", "MainWindow", QRect(442, 375, 150, 8), nullptr, false},
    {"图片框1", "qinghe::PictureBox", "MainWindow", QRect(551, 320, 48, 48), nullptr, true},
    {"分组框2", "QGroupBox", "MainWindow", QRect(424, 280, 160, 80), "", true},
    {"标签4", "QLabel", "分组框2", QRect(16, 20, 56, 16), "搜索范围：", true},
    {"组合框_搜索范围", "QComboBox", "分组框2", QRect(80, 17, 56, 20), "100", true},
    {"按钮_查询排名", "QPushButton", "分组框2", QRect(19, 45, 104, 24), "查询排名", true},
    {"分组框1", "QGroupBox", "MainWindow", QRect(16, 280, 400, 80), "", true},
    {"按钮_添加网站", "QPushButton", "分组框1", QRect(243, 14, 72, 24), "添加网站", true},
    {"按钮_删除网站", "QPushButton", "分组框1", QRect(320, 14, 72, 24), "删除网站", true},
    {"按钮_删除关键词", "QPushButton", "分组框1", QRect(320, 48, 72, 24), "删除关键词", true},
    {"按钮_添加关键词", "QPushButton", "分组框1", QRect(242, 48, 72, 24), "添加关键词", true},
    {"编辑框_关键词", "QLineEdit", "分组框1", QRect(72, 48, 160, 24), "", true},
    {"标签3", "QLabel", "分组框1", QRect(21, 47, 55, 24), "关键词：", true},
    {"标签2", "QLabel", "分组框1", QRect(8, 13, 56, 24), "网站地址：", true},
    {"编辑框_网站地址", "QLineEdit", "分组框1", QRect(72, 12, 160, 24), "", true},
    {"状态条1", "QStatusBar", "MainWindow", std::nullopt, nullptr, true},
    {"组合框_网站列表", "QComboBox", "MainWindow", QRect(78, 9, 506, 20), "", true},
    {"超级列表框_关键词排名", "QTableView", "MainWindow", QRect(16, 40, 568, 240), nullptr, true},
    {"标签_网站地址", "QLabel", "MainWindow", QRect(16, 8, 56, 24), "网站地址：", true},
};

QString ShownText(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QPushButton*>(w))
        return button->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    return QStringLiteral("<no text>");
}

using LayoutTest = WindowTest;

TEST_F(LayoutTest, EveryControlHasItsKindParentPlaceTextAndState) {
    Start();
    for (const ControlRow& row : kControls) {
        SCOPED_TRACE(row.name);
        QWidget* w = Find(row.name);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->inherits(row.kind)) << w->metaObject()->className();
        ASSERT_NE(w->parentWidget(), nullptr);
        EXPECT_EQ(w->parentWidget()->objectName(), U(row.parent));
        if (row.geometry) {
            EXPECT_EQ(w->geometry(), *row.geometry);
        }
        if (row.text) {
            EXPECT_EQ(ShownText(w), U(row.text));
        }
        EXPECT_EQ(w->isVisible(), row.visible);
        EXPECT_TRUE(w->isEnabled());
    }
}

TEST_F(LayoutTest, ControlsAreCreatedInTheirOrder) {
    Start();
    // Qt's focus chain records the order in which the widgets were created.
    std::vector<QString> names;
    for (const ControlRow& row : kControls)
        names.push_back(U(row.name));
    std::vector<QString> created;
    for (QWidget* w = window().nextInFocusChain(); w != &window(); w = w->nextInFocusChain()) {
        if (std::find(names.begin(), names.end(), w->objectName()) != names.end()) {
            created.push_back(w->objectName());
        }
    }
    EXPECT_EQ(created, names);
}

TEST_F(LayoutTest, WindowIsFixedCentredWithCloseButtonOnlyAndTitleAndIcon) {
    MainWindow& w = Start();
    EXPECT_EQ(w.windowTitle(), U("青禾关键词排名查询工具_") + MainWindow::PublisherHost());
    EXPECT_FALSE(MainWindow::PublisherHost().isEmpty());

    // The offscreen platform draws no frame, so the client area is the outer size.
    EXPECT_EQ(w.frameGeometry().size(), QSize(kWindowWidth, kWindowHeight));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());

    const Qt::WindowFlags flags = w.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

    const QPoint centre = w.screen()->availableGeometry().center();
    EXPECT_LE((w.frameGeometry().center() - centre).manhattanLength(), 1);

    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_TRUE(w.windowIcon().availableSizes().contains(QSize(50, 50)));
}

TEST_F(LayoutTest, StatusBarSpansTheBottomWithThreePanes) {
    MainWindow& w = Start();
    auto* bar = Find<StatusBar>("状态条1");
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isSizeGripEnabled());
    EXPECT_EQ(bar->geometry(),
              QRect(0, w.height() - bar->sizeHint().height(), w.width(), bar->sizeHint().height()));

    ASSERT_EQ(bar->PaneCount(), 3);
    struct Pane {
        int left;
        int right;  // exclusive
        const char* text;
    };
    const Pane panes[] = {{0, 60, "  状态："}, {60, 420, "等待"}, {420, w.width(), ""}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(bar->Pane(i)->x(), panes[i].left);
        EXPECT_EQ(bar->Pane(i)->x() + bar->Pane(i)->width(), panes[i].right);
        EXPECT_EQ(bar->Pane(i)->text(), U(panes[i].text));
    }

    // The progress box lies in front of the status bar.
    const QObjectList& children = w.children();
    EXPECT_GT(children.indexOf(Find("图片框_进度条")), children.indexOf(bar));
}

TEST_F(LayoutTest, ListViewIsAReportWithThreeFixedColumns) {
    Start();
    auto* view = Find<QTableView>("超级列表框_关键词排名");
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->model()->columnCount(), 3);
    EXPECT_EQ(view->model()->rowCount(), 0);
    const char* titles[] = {"编号", "关键词", "百度排名"};
    const int widths[] = {100, 280, 160};
    for (int c = 0; c < 3; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(view->model()->headerData(c, Qt::Horizontal).toString(), U(titles[c]));
        EXPECT_EQ(view->columnWidth(c), widths[c]);
        EXPECT_EQ(Qt::Alignment(
                      view->model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt()) &
                      Qt::AlignHorizontal_Mask,
                  Qt::AlignLeft);
    }
    EXPECT_TRUE(view->showGrid());
    EXPECT_EQ(view->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(view->isSortingEnabled());
    EXPECT_TRUE(view->horizontalHeader()->isVisible());
    EXPECT_FALSE(view->horizontalHeader()->sectionsClickable());
    EXPECT_FALSE(view->verticalHeader()->isVisible());
    EXPECT_EQ(view->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(view->palette().color(QPalette::Active, QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(view->palette().color(QPalette::Active, QPalette::Text), QColor(Qt::black));
    // Without the focus the selection is not drawn.
    EXPECT_EQ(view->palette().color(QPalette::Inactive, QPalette::Highlight), QColor(Qt::white));
}

TEST_F(LayoutTest, HeaderClicksAndDoubleClicksChangeNothing) {
    WriteSiteFile("site", "b##a##c##");
    Start();
    auto* sites = Find<QComboBox>("组合框_网站列表");
    QTest::keyClick(sites, Qt::Key_Down);  // picks "site"
    auto* view = Find<QTableView>("超级列表框_关键词排名");
    ASSERT_EQ(view->model()->rowCount(), 3);

    QHeaderView* header = view->horizontalHeader();
    for (int c = 0; c < 3; ++c) {
        const QPoint inSection(header->sectionViewportPosition(c) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inSection);
    }
    EXPECT_FALSE(view->selectionModel()->hasSelection());
    EXPECT_FALSE(header->isSortIndicatorShown());
    EXPECT_EQ(view->model()->index(0, 1).data().toString(), U("b"));

    const QPoint cell = view->visualRect(view->model()->index(1, 1)).center();
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_EQ(view->viewport()->findChild<QLineEdit*>(), nullptr);  // no editor opened
    EXPECT_FALSE(view->model()->flags(view->model()->index(1, 1)) & Qt::ItemIsEditable);
}

TEST_F(LayoutTest, CombosAreEditableDropDownsThatOpenAtLeast160Tall) {
    WriteSiteFile("only", "");
    Start();
    for (const char* name : {"组合框_网站列表", "组合框_搜索范围"}) {
        SCOPED_TRACE(name);
        auto* combo = Find<EditableCombo>(name);
        ASSERT_NE(combo, nullptr);
        EXPECT_TRUE(combo->isEditable());
        EXPECT_EQ(combo->insertPolicy(), QComboBox::NoInsert);
        EXPECT_EQ(combo->completer(), nullptr);
        combo->showPopup();
        EXPECT_TRUE(combo->view()->isVisible());
        EXPECT_GE(combo->view()->window()->height(), EditableCombo::kMinPopupHeight);
        combo->hidePopup();
    }
    auto* range = Find<QComboBox>("组合框_搜索范围");
    QStringList entries;
    for (int i = 0; i < range->count(); ++i)
        entries << range->itemText(i);
    EXPECT_EQ(entries.join(','), QStringLiteral("100,200,300,400,500,600,700,800"));
}

}  // namespace
}  // namespace qinghe::testing
