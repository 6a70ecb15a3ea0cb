// An in-memory Form for handler tests: every control is plain data, the clock
// is virtual (each ProcessEvents advances it), confirmations come from a queue of
// next answers, and a hook lets a test act inside a pause or an encoding step.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "form/form.h"

namespace qinghe::testing {

class FakeForm : public Form {
public:
    struct Combo {
        std::vector<Text> entries;
        int selected = -1;
        Text text;
    };
    using Row = std::array<Text, 3>;

    FakeForm() {
        for (const char* n : {"100", "200", "300", "400", "500", "600", "700", "800"}) {
            range.entries.push_back(n);
        }
        range.selected = 0;
        range.text = "100";
    }

    // ---- state a test sets up and inspects ----
    Text siteAddress;            // 编辑框_网站地址
    Text keyword;                // 编辑框_关键词
    Combo sites;                 // 组合框_网站列表
    Combo range;                 // 组合框_搜索范围
    std::vector<Row> rows;       // 超级列表框_关键词排名
    int selectedRow = -1;
    std::vector<Text> statusLog;  // every status message, in order
    bool progressShown = false;
    int progressShowCount = 0;
    std::deque<bool> nextAnswers;  // answers for Confirm; empty queue answers Cancel
    std::vector<std::pair<Text, Text>> confirmations;  // message, caption
    std::vector<Text> openedUrls;
    std::uint32_t now = 1000;
    std::uint32_t msPerEventRound = 50;
    int eventRounds = 0;
    bool closing = false;
    // Called on every ProcessEvents, before the clock advances.
    std::function<void(FakeForm&)> onProcessEvents;

    Text status() const { return statusLog.empty() ? Text("等待") : statusLog.back(); }
    Text cell(int row, int column) const {
        return row >= 0 && row < static_cast<int>(rows.size()) ? rows[row][column] : Text();
    }
    // Picks entry i of the site list as a user would: selection and text change.
    void PickSite(int i) {
        sites.selected = i;
        sites.text = sites.entries.at(i);
    }

    // ---- Form ----
    Text ReadEditText(EditBox box) override { return edit(box); }
    void WriteEditText(EditBox box, const Text& text) override { edit(box) = text; }
    Text ReadComboText(ComboBox box) override { return combo(box).text; }
    void WriteComboText(ComboBox box, const Text& text) override { combo(box).text = text; }
    int ComboSelectedIndex(ComboBox box) override { return combo(box).selected; }
    Text ComboEntryText(ComboBox box, int index) override {
        const Combo& c = combo(box);
        return index >= 0 && index < static_cast<int>(c.entries.size()) ? c.entries[index]
                                                                         : Text();
    }
    void ClearCombo(ComboBox box) override { combo(box) = Combo{}; }
    void AppendComboEntry(ComboBox box, const Text& text) override {
        combo(box).entries.push_back(text);
    }
    void RemoveAllRows() override {
        rows.clear();
        selectedRow = -1;
    }
    int AppendRow() override {
        rows.emplace_back();
        return static_cast<int>(rows.size()) - 1;
    }
    void WriteCell(int row, int column, const Text& text) override {
        if (row >= 0 && row < static_cast<int>(rows.size()) && column >= 0 && column < 3) {
            rows[row][column] = text;
        }
    }
    Text ReadCell(int row, int column) override {
        return column >= 0 && column < 3 ? cell(row, column) : Text();
    }
    int SelectedRow() override {
        return selectedRow < static_cast<int>(rows.size()) ? selectedRow : -1;
    }
    void WriteStatus(const Text& text) override { statusLog.push_back(text); }
    void ShowControl(Control, bool shown) override {
        progressShown = shown;
        if (shown) ++progressShowCount;
    }
    bool Confirm(const Text& message, const Text& caption) override {
        confirmations.emplace_back(message, caption);
        if (nextAnswers.empty()) return false;
        const bool answer = nextAnswers.front();
        nextAnswers.pop_front();
        return answer;
    }
    void OpenUrl(const Text& address) override { openedUrls.push_back(address); }
    void ProcessEvents() override {
        ++eventRounds;
        if (onProcessEvents) onProcessEvents(*this);
        now += msPerEventRound;
    }
    std::uint32_t TickCount() override { return now; }
    bool IsClosing() override { return closing; }

private:
    Text& edit(EditBox box) { return box == EditBox::编辑框_网站地址 ? siteAddress : keyword; }
    Combo& combo(ComboBox box) { return box == ComboBox::组合框_网站列表 ? sites : range; }
};

}  // namespace qinghe::testing
