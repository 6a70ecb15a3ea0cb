// The program's one window. It holds every control under its form name (the
// same text is each control's object name), binds the controls' events to the
// store and query handlers, and gives those handlers the control operations of
// Form, converting texts between code page 936 and Qt's UTF-16 on the way.
#pragma once

#include <QWidget>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <utility>

#include "form/form.h"
#include "query/rank_query.h"
#include "store/site_store.h"
#include "text/text.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;

namespace qinghe {

class EditableCombo;
class KeywordModel;
class KeywordTableView;
class PictureBox;
class StatusBar;

// Outer size of the window, frame included.
constexpr int kWindowWidth = 608;
constexpr int kWindowHeight = 420;

class MainWindow : public QWidget, public Form {
    Q_OBJECT
public:
    // keywords: the process-wide KeywordArray. siteDirectory: where the site
    // files live. query: where the rank query sends its requests.
    MainWindow(TextArray& keywords, Text siteDirectory, QuerySettings query = {},
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The created event, run once after construction: seeds the random numbers,
    // creates the site directory, shows the selected search range and fills the
    // site list.
    void OnCreated();

    static QString PublisherHost();
    static Text PublisherUrl();

    // The confirmation box Confirm shows: OK and Cancel, no icon, no owner.
    static std::unique_ptr<QMessageBox> MakeConfirmBox(const Text& message, const Text& caption);
    // Test hook: while answers are queued, Confirm takes the next one instead of
    // showing a box, and records what it was asked.
    void QueueConfirmAnswer(bool ok) { m_confirmAnswers.push_back(ok); }
    const std::pair<Text, Text>& LastConfirmation() const { return m_lastConfirmation; }
    // Test hook: TickCount reads this clock instead of the system's, so a test
    // can make the query's pauses pass at once.
    void SetClockForTesting(std::function<std::uint32_t()> clock) {
        m_testClock = std::move(clock);
    }

    // ---- Form ----
    Text ReadEditText(EditBox box) override;
    void WriteEditText(EditBox box, const Text& text) override;
    Text ReadComboText(ComboBox box) override;
    void WriteComboText(ComboBox box, const Text& text) override;
    int ComboSelectedIndex(ComboBox box) override;
    Text ComboEntryText(ComboBox box, int index) override;
    void ClearCombo(ComboBox box) override;
    void AppendComboEntry(ComboBox box, const Text& text) override;
    void RemoveAllRows() override;
    int AppendRow() override;
    void WriteCell(int row, int column, const Text& text) override;
    Text ReadCell(int row, int column) override;
    int SelectedRow() override;
    void WriteStatus(const Text& text) override;
    void ShowControl(Control control, bool shown) override;
    bool Confirm(const Text& message, const Text& caption) override;
    void OpenUrl(const Text& address) override;
    void ProcessEvents() override;
    std::uint32_t TickCount() override;
    bool IsClosing() override { return m_closeRequested; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void CreateControls();
    void BindEvents();
    // Runs one event handler; the list view shows its rows when it returns.
    template <typename Handler>
    void Handle(Handler&& handler);
    void OnQueryClicked();
    void PlaceStatusBar();
    // The size is set for the client area; once the window manager's frame is
    // known the client shrinks by it, so the outer size stays 608 x 420.
    void FitOuterSize();
    void Centre();

    QLineEdit* Edit(EditBox box) const;
    EditableCombo* Combo(ComboBox box) const;

    // Controls, in creation order.
    PictureBox* 图片框_进度条 = nullptr;
    PictureBox* 图片框1 = nullptr;
    QGroupBox* 分组框2 = nullptr;
    QLabel* 标签4 = nullptr;
    EditableCombo* 组合框_搜索范围 = nullptr;
    QPushButton* 按钮_查询排名 = nullptr;
    QGroupBox* 分组框1 = nullptr;
    QPushButton* 按钮_添加网站 = nullptr;
    QPushButton* 按钮_删除网站 = nullptr;
    QPushButton* 按钮_删除关键词 = nullptr;
    QPushButton* 按钮_添加关键词 = nullptr;
    QLineEdit* 编辑框_关键词 = nullptr;
    QLabel* 标签3 = nullptr;
    QLabel* 标签2 = nullptr;
    QLineEdit* 编辑框_网站地址 = nullptr;
    StatusBar* 状态条1 = nullptr;
    EditableCombo* 组合框_网站列表 = nullptr;
    KeywordTableView* 超级列表框_关键词排名 = nullptr;
    QLabel* 标签_网站地址 = nullptr;

    KeywordModel* m_model = nullptr;
    SiteStore m_store;
    RankQuery m_query;
    std::deque<bool> m_confirmAnswers;
    std::pair<Text, Text> m_lastConfirmation;
    bool m_closeRequested = false;
    bool m_frameFitted = false;
    std::function<std::uint32_t()> m_testClock;
};

}  // namespace qinghe
