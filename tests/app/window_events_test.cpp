// The event table on the real window: clicks, picks and row changes run their
// handlers, which read and write the controls through the window; texts cross
// between Qt and code page 936 intact.
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QUrl>

#include "app/controls.h"
#include "app/keyword_table.h"
#include "window_fixture.h"

namespace qinghe::testing {
namespace {

class EventsTest : public WindowTest {
protected:
    QString Status() { return Find<StatusBar>("状态条1")->Pane(1)->text(); }
    QLineEdit* AddressBox() { return Find<QLineEdit>("编辑框_网站地址"); }
    QLineEdit* KeywordBox() { return Find<QLineEdit>("编辑框_关键词"); }
    QComboBox* Sites() { return Find<QComboBox>("组合框_网站列表"); }
    QTableView* List() { return Find<QTableView>("超级列表框_关键词排名"); }
    void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
    // Picks entry i from the site list's drop-down as a user does.
    void PickSite(int i) {
        QComboBox* sites = Sites();
        sites->showPopup();
        QAbstractItemView* popup = sites->view();
        const QModelIndex entry = popup->model()->index(i, 0);
        QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, popup->visualRect(entry).center());
    }
    QString Cell(int row, int column) {
        return List()->model()->index(row, column).data().toString();
    }
    void ClickRow(int row) {
        const QRect r = List()->visualRect(List()->model()->index(row, 1));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, r.center());
    }
    // Types as an input method commits: any Unicode text at once.
    static void Type(QWidget* box, const QString& text) {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QCoreApplication::sendEvent(box, &commit);
    }
};

TEST_F(EventsTest, FirstStartCreatesTheSiteDirectoryAndShowsNothingPicked) {
    ASSERT_FALSE(std::filesystem::exists(SiteDir()));
    Start();
    EXPECT_TRUE(std::filesystem::is_directory(SiteDir()));
    EXPECT_EQ(Sites()->count(), 0);
    EXPECT_EQ(Status(), U("等待"));
    auto* range = Find<QComboBox>("组合框_搜索范围");
    EXPECT_EQ(range->currentText(), U("100"));
    EXPECT_EQ(range->currentIndex(), 0);
    EXPECT_FALSE(Find("图片框_进度条")->isVisible());
}

TEST_F(EventsTest, StoredSitesAreListedWithNothingPickedOrLoaded) {
    WriteSiteFile("a.com", "x##");
    WriteSiteFile("测试.cn", "y##");
    WriteSiteFile("b.txt", "");  // listed as b.txt, stored as b.txt.txt
    Start();
    QStringList entries;
    for (int i = 0; i < Sites()->count(); ++i)
        entries << Sites()->itemText(i);
    entries.sort();
    EXPECT_EQ(entries, QStringList({U("a.com"), U("b.txt"), U("测试.cn")}));
    EXPECT_EQ(Sites()->currentIndex(), -1);
    EXPECT_EQ(Sites()->currentText(), QString());
    EXPECT_EQ(List()->model()->rowCount(), 0);
    EXPECT_EQ(AddressBox()->text(), QString());
}

TEST_F(EventsTest, AddingASiteThroughTheBoxesStoresAndShowsIt) {
    Start();
    QTest::keyClicks(AddressBox(), QStringLiteral("http://site1.com/"));
    Click("按钮_添加网站");
    EXPECT_TRUE(SiteFileExists("site1.com"));
    EXPECT_EQ(SiteFileBytes("site1.com"), "");
    EXPECT_EQ(Status(), U("添加网站成功！"));
    EXPECT_EQ(AddressBox()->text(), U("site1.com"));
    EXPECT_EQ(Sites()->currentText(), U("site1.com"));
    EXPECT_EQ(Sites()->currentIndex(), -1);  // the text only: no entry selected
    ASSERT_EQ(Sites()->count(), 1);
    EXPECT_EQ(Sites()->itemText(0), U("site1.com"));

    Click("按钮_添加网站");
    EXPECT_EQ(Status(), U("网站地址已经存在！"));
    EXPECT_EQ(Sites()->count(), 1);
}

TEST_F(EventsTest, PickingASiteLoadsItsKeywords) {
    WriteSiteFile("a.com", Gbk("甲##b####").str());  // site files hold GBK
    Start();
    PickSite(0);
    EXPECT_EQ(Sites()->currentText(), U("a.com"));
    ASSERT_EQ(List()->model()->rowCount(), 3);
    const char* rows[3][3] = {{"1", "甲", ""}, {"2", "b", ""}, {"3", "", ""}};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(Cell(r, c), U(rows[r][c])) << r << "," << c;
    }
    EXPECT_EQ(AddressBox()->text(), U("a.com"));
    EXPECT_EQ(m_keywords.Count(), 3);
}

TEST_F(EventsTest, TypingInACombosTextNeitherPicksNorInserts) {
    WriteSiteFile("a.com", "x##");
    Start();
    QTest::keyClicks(Sites(), QStringLiteral("a.com"));
    QTest::keyClick(Sites(), Qt::Key_Return);
    KeywordBox()->setFocus();  // the combo loses the focus: editing finished
    EXPECT_EQ(Sites()->currentIndex(), -1);
    EXPECT_EQ(Sites()->count(), 1);
    EXPECT_EQ(List()->model()->rowCount(), 0);

    auto* range = Find<QComboBox>("组合框_搜索范围");
    range->lineEdit()->selectAll();
    QTest::keyClicks(range, QStringLiteral("300"));
    QTest::keyClick(range, Qt::Key_Return);
    KeywordBox()->setFocus();
    EXPECT_EQ(range->currentText(), U("300"));
    EXPECT_EQ(range->currentIndex(), 0);
    EXPECT_EQ(range->count(), 8);
}

TEST_F(EventsTest, ARowGainingTheFocusCopiesItsKeyword) {
    WriteSiteFile("a.com", "k1##k2##k3##");
    Start();
    PickSite(0);
    ClickRow(1);
    EXPECT_EQ(KeywordBox()->text(), U("k2"));
    QTest::keyClick(List(), Qt::Key_Down);
    EXPECT_EQ(KeywordBox()->text(), U("k3"));
    EXPECT_EQ(window().SelectedRow(), 2);

    // The copied keyword is then a duplicate.
    Click("按钮_添加关键词");
    EXPECT_EQ(Status(), U("关键词已经存在！"));
}

TEST_F(EventsTest, FocusingTheListByKeyboardCopiesNothing) {
    WriteSiteFile("a.com", "k1##k2##");
    Start();
    PickSite(0);
    KeywordBox()->setText(QStringLiteral("typed"));
    List()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(KeywordBox()->text(), U("typed"));
    ClickRow(0);  // the first row is still chosen by a click
    EXPECT_EQ(KeywordBox()->text(), U("k1"));
}

TEST_F(EventsTest, AddingAndDeletingKeywordsRewritesTheSiteFile) {
    WriteSiteFile("a.com", "a##bc##");
    Start();
    PickSite(0);
    QTest::keyClicks(KeywordBox(), QStringLiteral("c"));
    Click("按钮_添加关键词");
    EXPECT_EQ(Status(), U("添加关键词成功！"));
    EXPECT_EQ(SiteFileBytes("a.com"), "a##bc##c##");
    ASSERT_EQ(List()->model()->rowCount(), 3);

    Click("按钮_删除关键词");  // nothing selected
    EXPECT_EQ(Status(), U("请选择要删除的关键词！"));
    ClickRow(2);
    Click("按钮_删除关键词");
    EXPECT_EQ(Status(), U("删除关键词成功！"));
    EXPECT_EQ(SiteFileBytes("a.com"), "a##bc##");
    EXPECT_EQ(KeywordBox()->text(), QString());
    EXPECT_EQ(List()->model()->rowCount(), 2);
}

TEST_F(EventsTest, TypedCharactersOutsideGbkBecomeQuestionMarksAndWideSpacesSurvive) {
    WriteSiteFile("a.com", "");
    Start();
    PickSite(0);
    Type(KeywordBox(), U("a\u0E01b"));  // a Thai letter: code page 936 has none
    Click("按钮_添加关键词");
    Type(KeywordBox(), U("\u3000关键词\u3000"));  // double-byte spaces around it
    KeywordBox()->selectAll();
    Type(KeywordBox(), U("\u3000关键词\u3000"));
    Click("按钮_添加关键词");
    EXPECT_EQ(SiteFileBytes("a.com"), "a?b##\xA1\xA1\xB9\xD8\xBC\xFC\xB4\xCA\xA1\xA1##");
    EXPECT_EQ(Cell(1, 1), U("\u3000关键词\u3000"));
}

TEST_F(EventsTest, DeletingASiteAsksFirstAndCancelKeepsEverything) {
    WriteSiteFile("a.com", "k##");
    Start();
    PickSite(0);

    window().QueueConfirmAnswer(false);
    Click("按钮_删除网站");
    EXPECT_EQ(ToQString(window().LastConfirmation().first), U("是否要删除网站a.com?"));
    EXPECT_EQ(ToQString(window().LastConfirmation().second), U("删除网站确认"));
    EXPECT_TRUE(SiteFileExists("a.com"));
    EXPECT_EQ(Sites()->currentText(), U("a.com"));
    EXPECT_EQ(List()->model()->rowCount(), 1);

    window().QueueConfirmAnswer(true);
    Click("按钮_删除网站");
    EXPECT_FALSE(SiteFileExists("a.com"));
    EXPECT_EQ(Status(), U("删除网站成功！"));
    EXPECT_EQ(Sites()->count(), 0);
    EXPECT_EQ(Sites()->currentText(), QString());
    EXPECT_EQ(List()->model()->rowCount(), 0);
    EXPECT_EQ(AddressBox()->text(), QString());
}

TEST_F(EventsTest, ConfirmationBoxHasOkAndCancelNoIconAndNoOwner) {
    TestApp();
    const auto box =
        MainWindow::MakeConfirmBox(Gbk("是否要删除网站<b>x</b>?"), Gbk("删除网站确认"));
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box->windowTitle(), U("删除网站确认"));
    EXPECT_EQ(box->text(), U("是否要删除网站<b>x</b>?"));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->parent(), nullptr);
    EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::Cancel));
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

TEST_F(EventsTest, LeftButtonOnTheLogoOpensThePublisherPageAndChangesNothing) {
    Start();
    UrlCatcher catcher;
    const QString scheme = QUrl(ToQString(MainWindow::PublisherUrl())).scheme();
    QDesktopServices::setUrlHandler(scheme, &catcher, "open");
    QWidget* logo = Find("图片框1");
    QTest::mousePress(logo, Qt::RightButton);
    EXPECT_TRUE(catcher.opened.isEmpty());
    QTest::mousePress(logo, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(scheme);
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0], QUrl(ToQString(MainWindow::PublisherUrl())));
    EXPECT_EQ(Status(), U("等待"));
}

TEST_F(EventsTest, CtrlCAndTheCopyItemCopyTheSelectedRowWithTabs) {
    WriteSiteFile("a.com", Gbk("k1##关键词##").str());
    Start();
    PickSite(0);
    window().WriteCell(1, 2, Gbk("5 130 "));
    ClickRow(1);
    QGuiApplication::clipboard()->clear();
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), U("2\t关键词\t5 130 "));

    ClickRow(0);
    auto* view = qobject_cast<KeywordTableView*>(List());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->actions().contains(view->copyAction()));
    EXPECT_EQ(view->copyAction()->text(), U("复制"));
    view->copyAction()->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), U("1\tk1\t"));
}

TEST_F(EventsTest, FormTextsCrossIntoQtAndBackIntact) {
    Start();
    const Text site = Gbk("测试网站.cn");
    window().AppendComboEntry(ComboBox::组合框_网站列表, site);
    EXPECT_EQ(Sites()->itemText(0), U("测试网站.cn"));
    EXPECT_EQ(Sites()->currentIndex(), -1);  // appending selects nothing
    EXPECT_EQ(window().ComboEntryText(ComboBox::组合框_网站列表, 0), site);
    EXPECT_EQ(window().ComboEntryText(ComboBox::组合框_网站列表, 1), Text());
    window().WriteComboText(ComboBox::组合框_搜索范围, "x");
    EXPECT_EQ(window().ComboSelectedIndex(ComboBox::组合框_搜索范围), 0);
    window().WriteStatus(Gbk("搜索完毕...."));
    EXPECT_EQ(Status(), U("搜索完毕...."));
    window().WriteEditText(EditBox::编辑框_关键词, Gbk("<b>词</b>"));
    EXPECT_EQ(window().ReadEditText(EditBox::编辑框_关键词), Gbk("<b>词</b>"));
    window().ClearCombo(ComboBox::组合框_网站列表);
    EXPECT_EQ(Sites()->count(), 0);
    EXPECT_EQ(Sites()->currentText(), QString());
}

}  // namespace
}  // namespace qinghe::testing

#include "window_events_test.moc"
