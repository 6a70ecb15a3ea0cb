#include "app/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <chrono>
#include <thread>

#include "app/controls.h"
#include "app/images.h"
#include "app/keyword_table.h"
#include "app/qt_text.h"
#include "text/files.h"

#ifndef QINGHE_PUBLISHER_HOST
#define QINGHE_PUBLISHER_HOST "qinghe.example"
#endif
#ifndef QINGHE_PUBLISHER_URL
#define QINGHE_PUBLISHER_URL "https://qinghe.example/"
#endif

namespace qinghe {

namespace {

// Right edges of the status panes are 60, 420 and 920: the last runs to the edge.
const std::vector<int> kStatusPaneWidths = {60, 360, 500};
constexpr int kStatusPane = 1;

template <typename W>
W* Place(W* widget, const char* name, int x, int y, int width, int height) {
    widget->setObjectName(QString::fromUtf8(name));
    widget->setGeometry(x, y, width, height);
    return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int x, int y, int width,
                  int height) {
    auto* label = Place(new QLabel(parent), name, x, y, width, height);
    label->setTextFormat(Qt::PlainText);
    label->setText(QString::fromUtf8(text));
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, int x, int y,
                        int width, int height) {
    auto* button =
        Place(new QPushButton(QString::fromUtf8(text), parent), name, x, y, width, height);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

MainWindow::MainWindow(TextArray& keywords, Text siteDirectory, QuerySettings query,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_model(new KeywordModel(this)),
      m_store(*this, keywords, std::move(siteDirectory)),
      m_query(*this, keywords, std::move(query)) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("青禾关键词排名查询工具_") + PublisherHost());
    QIcon icon(QPixmap::fromImage(MakeLogo()));
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(MakeLogo(size)));
    setWindowIcon(icon);
    setFixedSize(kWindowWidth, kWindowHeight);

    CreateControls();
    BindEvents();
    Centre();
}

MainWindow::~MainWindow() = default;

QString MainWindow::PublisherHost() {
    return QStringLiteral(QINGHE_PUBLISHER_HOST);
}

Text MainWindow::PublisherUrl() {
    return Text(QINGHE_PUBLISHER_URL);
}

void MainWindow::CreateControls() {
    图片框_进度条 = Place(new PictureBox(this), "图片框_进度条", 442, 375, 150, 8);
    图片框_进度条->SetFrames(MakeProgressFrames(), kProgressFrameMs);
    图片框_进度条->hide();

    图片框1 = Place(new PictureBox(this), "图片框1", 551, 320, 48, 48);
    图片框1->SetImage(MakeLogo());
    图片框1->setCursor(Qt::PointingHandCursor);

    分组框2 = Place(new QGroupBox(this), "分组框2", 424, 280, 160, 80);
    标签4 = MakeLabel(分组框2, "标签4", "搜索范围：", 16, 20, 56, 16);
    组合框_搜索范围 = Place(new EditableCombo(分组框2), "组合框_搜索范围", 80, 17, 56, 20);
    for (const char* range : {"100", "200", "300", "400", "500", "600", "700", "800"}) {
        组合框_搜索范围->addItem(QString::fromLatin1(range));
    }
    // Created with entry 0 selected and an empty text field; start-up shows it.
    组合框_搜索范围->setCurrentIndex(0);
    组合框_搜索范围->setEditText(QString());
    按钮_查询排名 = MakeButton(分组框2, "按钮_查询排名", "查询排名", 19, 45, 104, 24);

    分组框1 = Place(new QGroupBox(this), "分组框1", 16, 280, 400, 80);
    按钮_添加网站 = MakeButton(分组框1, "按钮_添加网站", "添加网站", 243, 14, 72, 24);
    按钮_删除网站 = MakeButton(分组框1, "按钮_删除网站", "删除网站", 320, 14, 72, 24);
    按钮_删除关键词 = MakeButton(分组框1, "按钮_删除关键词", "删除关键词", 320, 48, 72, 24);
    按钮_添加关键词 = MakeButton(分组框1, "按钮_添加关键词", "添加关键词", 242, 48, 72, 24);
    编辑框_关键词 = Place(new QLineEdit(分组框1), "编辑框_关键词", 72, 48, 160, 24);
    标签3 = MakeLabel(分组框1, "标签3", "关键词：", 21, 47, 55, 24);
    标签2 = MakeLabel(分组框1, "标签2", "网站地址：", 8, 13, 56, 24);
    编辑框_网站地址 = Place(new QLineEdit(分组框1), "编辑框_网站地址", 72, 12, 160, 24);

    状态条1 = new StatusBar(this, QStringLiteral("状态条1"), kStatusPaneWidths);
    状态条1->SetPaneText(0, QStringLiteral("  状态："));
    状态条1->SetPaneText(1, QStringLiteral("等待"));
    PlaceStatusBar();

    组合框_网站列表 = Place(new EditableCombo(this), "组合框_网站列表", 78, 9, 506, 20);

    超级列表框_关键词排名 =
        Place(new KeywordTableView(this, m_model), "超级列表框_关键词排名", 16, 40, 568, 240);

    标签_网站地址 = MakeLabel(this, "标签_网站地址", "网站地址：", 16, 8, 56, 24);

    // The progress image lies over the status bar's third pane.
    图片框_进度条->raise();
}

void MainWindow::BindEvents() {
    connect(按钮_添加网站, &QPushButton::clicked, this,
            [this] { Handle([this] { m_store.AddSite(); }); });
    connect(按钮_删除网站, &QPushButton::clicked, this,
            [this] { Handle([this] { m_store.DeleteSite(); }); });
    connect(组合框_网站列表, &QComboBox::activated, this,
            [this] { Handle([this] { m_store.LoadKeywords(); }); });
    connect(按钮_添加关键词, &QPushButton::clicked, this,
            [this] { Handle([this] { m_store.AddKeyword(); }); });
    connect(按钮_删除关键词, &QPushButton::clicked, this,
            [this] { Handle([this] { m_store.DeleteKeyword(); }); });
    connect(超级列表框_关键词排名, &KeywordTableView::rowGainedFocus, this,
            [this] { Handle([this] { m_store.CopyCurrentRowKeyword(); }); });
    connect(按钮_查询排名, &QPushButton::clicked, this, &MainWindow::OnQueryClicked);
    connect(图片框1, &PictureBox::leftButtonPressed, this,
            [this] { Handle([this] { OpenUrl(PublisherUrl()); }); });
}

template <typename Handler>
void MainWindow::Handle(Handler&& handler) {
    handler();
    m_model->Flush();
}

void MainWindow::OnQueryClicked() {
    Handle([this] { m_query.Run(); });
    // A close asked for during the query was held back until the query ended.
    if (m_closeRequested && !m_query.IsRunning())
        close();
}

void MainWindow::OnCreated() {
    SeedRandom();
    MakeDirectory(m_store.SiteDirectory());
    WriteComboText(
        ComboBox::组合框_搜索范围,
        ComboEntryText(ComboBox::组合框_搜索范围, ComboSelectedIndex(ComboBox::组合框_搜索范围)));
    Handle([this] { m_store.RefreshSiteList(); });
}

// ---- window geometry ----------------------------------------------------------

void MainWindow::PlaceStatusBar() {
    if (状态条1 == nullptr)
        return;
    const int h = 状态条1->sizeHint().height();
    状态条1->setGeometry(0, height() - h, width(), h);
}

void MainWindow::Centre() {
    const QScreen* display = screen();
    if (display == nullptr)
        return;
    QRect outer(QPoint(), frameGeometry().size());
    outer.moveCenter(display->availableGeometry().center());
    move(outer.topLeft());
}

void MainWindow::FitOuterSize() {
    if (m_frameFitted)
        return;
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame.isEmpty())
        return;  // no frame known (yet, or at all)
    m_frameFitted = true;
    setFixedSize(QSize(kWindowWidth, kWindowHeight) - frame);
    Centre();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceStatusBar();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FitOuterSize();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    FitOuterSize();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    m_closeRequested = true;
    if (m_query.IsRunning()) {
        // The query sees IsClosing, ends after the request in flight, and the
        // window closes when its handler returns.
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

// ---- Form ---------------------------------------------------------------------

QLineEdit* MainWindow::Edit(EditBox box) const {
    return box == EditBox::编辑框_网站地址 ? 编辑框_网站地址 : 编辑框_关键词;
}

EditableCombo* MainWindow::Combo(ComboBox box) const {
    return box == ComboBox::组合框_网站列表 ? 组合框_网站列表 : 组合框_搜索范围;
}

Text MainWindow::ReadEditText(EditBox box) {
    return ToText(Edit(box)->text());
}

void MainWindow::WriteEditText(EditBox box, const Text& text) {
    Edit(box)->setText(ToQString(text));
}

Text MainWindow::ReadComboText(ComboBox box) {
    return ToText(Combo(box)->currentText());
}

void MainWindow::WriteComboText(ComboBox box, const Text& text) {
    Combo(box)->setEditText(ToQString(text));
}

int MainWindow::ComboSelectedIndex(ComboBox box) {
    return Combo(box)->currentIndex();
}

Text MainWindow::ComboEntryText(ComboBox box, int index) {
    const EditableCombo* combo = Combo(box);
    if (index < 0 || index >= combo->count())
        return {};
    return ToText(combo->itemText(index));
}

void MainWindow::ClearCombo(ComboBox box) {
    Combo(box)->ClearAll();
}

void MainWindow::AppendComboEntry(ComboBox box, const Text& text) {
    Combo(box)->AppendEntry(ToQString(text));
}

void MainWindow::RemoveAllRows() {
    m_model->RemoveAllRows();
}

int MainWindow::AppendRow() {
    return m_model->AppendRow();
}

void MainWindow::WriteCell(int row, int column, const Text& text) {
    m_model->WriteCell(row, column, text);
}

Text MainWindow::ReadCell(int row, int column) {
    return m_model->ReadCell(row, column);
}

int MainWindow::SelectedRow() {
    return 超级列表框_关键词排名->SelectedRow();
}

void MainWindow::WriteStatus(const Text& text) {
    状态条1->SetPaneText(kStatusPane, ToQString(text));
}

void MainWindow::ShowControl(Control control, bool shown) {
    if (control == Control::图片框_进度条)
        图片框_进度条->setVisible(shown);
}

std::unique_ptr<QMessageBox> MainWindow::MakeConfirmBox(const Text& message, const Text& caption) {
    auto box =
        std::make_unique<QMessageBox>(QMessageBox::NoIcon, ToQString(caption), ToQString(message),
                                      QMessageBox::Ok | QMessageBox::Cancel, nullptr);
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Cancel);
    return box;
}

bool MainWindow::Confirm(const Text& message, const Text& caption) {
    m_lastConfirmation = {message, caption};
    if (!m_confirmAnswers.empty()) {
        const bool answer = m_confirmAnswers.front();
        m_confirmAnswers.pop_front();
        return answer;
    }
    return MakeConfirmBox(message, caption)->exec() == QMessageBox::Ok;
}

void MainWindow::OpenUrl(const Text& address) {
    QDesktopServices::openUrl(QUrl(ToQString(address)));
}

void MainWindow::ProcessEvents() {
    m_model->Flush();
    QCoreApplication::processEvents();
    // Callers spin on this while they wait; give the processor back meanwhile.
    std::this_thread::sleep_for(std::chrono::microseconds(500));
}

std::uint32_t MainWindow::TickCount() {
    return m_testClock ? m_testClock() : ::qinghe::TickCount();
}

}  // namespace qinghe
