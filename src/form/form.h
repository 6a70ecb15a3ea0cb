// The form layer: the main window's control operations as an interface. The
// handlers of the store and the query talk to the window only through Form, and
// read control state afresh at each step, so they run the same against the real
// Qt window and against a fake form in tests. Time and event processing belong to
// the interface too, so a test can run a pause instantly and act inside it.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace qinghe {

enum class EditBox { 编辑框_网站地址, 编辑框_关键词 };
enum class ComboBox { 组合框_网站列表, 组合框_搜索范围 };
// Controls whose visibility the logic changes.
enum class Control { 图片框_进度条 };

// Columns of the list view 超级列表框_关键词排名.
constexpr int kColumnNumber = 0;   // "编号"
constexpr int kColumnKeyword = 1;  // "关键词"
constexpr int kColumnRank = 2;     // "百度排名", the result column

class Form {
public:
    virtual ~Form() = default;

    // Edit boxes: the current text, empty when the box is empty.
    virtual Text ReadEditText(EditBox box) = 0;
    virtual void WriteEditText(EditBox box, const Text& text) = 0;

    // Combo boxes. The text field and the selected entry can differ (editable
    // drop-downs). Writing the text does not change the selection.
    virtual Text ReadComboText(ComboBox box) = 0;
    virtual void WriteComboText(ComboBox box, const Text& text) = 0;
    // Index of the selected entry from 0; -1 when none.
    virtual int ComboSelectedIndex(ComboBox box) = 0;
    // Entry text; empty when index is outside 0..count-1.
    virtual Text ComboEntryText(ComboBox box, int index) = 0;
    // All entries gone, nothing selected, text field empty.
    virtual void ClearCombo(ComboBox box) = 0;
    virtual void AppendComboEntry(ComboBox box, const Text& text) = 0;

    // The list view 超级列表框_关键词排名; rows count from 0.
    virtual void RemoveAllRows() = 0;
    // Appends an empty row and returns its index.
    virtual int AppendRow() = 0;
    // A row that does not exist changes nothing.
    virtual void WriteCell(int row, int column, const Text& text) = 0;
    // Empty when the row does not exist.
    virtual Text ReadCell(int row, int column) = 0;
    // The selected row, -1 when none.
    virtual int SelectedRow() = 0;

    // Pane 1 of 状态条1: every message goes here, replacing the previous one.
    virtual void WriteStatus(const Text& text) = 0;

    virtual void ShowControl(Control control, bool shown) = 0;

    // Modal OK/Cancel box without icon; true for OK, false for Cancel or closed.
    virtual bool Confirm(const Text& message, const Text& caption) = 0;

    // Hands the address to the default web browser; no result is used.
    virtual void OpenUrl(const Text& address) = 0;

    // Lets the window process its pending events once.
    virtual void ProcessEvents() = 0;
    // Millisecond tick count (monotonic).
    virtual std::uint32_t TickCount() = 0;
    // True once the user has asked to close the window.
    virtual bool IsClosing() = 0;
};

// Processes pending events again and again until more than ms milliseconds have
// passed on the form's tick count, or the window is closing.
void Pause(Form& form, int ms);

}  // namespace qinghe
