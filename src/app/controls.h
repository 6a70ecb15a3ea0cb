// Qt stand-ins for the window's native controls where plain Qt widgets behave
// differently: a picture box, an editable drop-down that never selects or
// inserts on its own, and a status bar of fixed-width panes.
#pragma once

#include <QBasicTimer>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QStatusBar>
#include <QWidget>
#include <vector>

namespace qinghe {

// Shows an image, or a looping sequence of frames while visible, at its natural
// size from the top-left corner, without border or scaling.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent);

    void SetImage(const QImage& image);
    void SetFrames(const std::vector<QImage>& frames, int msPerFrame);

    int FrameIndex() const { return m_frame; }
    int FrameCount() const { return static_cast<int>(m_frames.size()); }
    bool IsAnimating() const { return m_timer.isActive(); }

signals:
    void leftButtonPressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    std::vector<QPixmap> m_frames;
    int m_frame = 0;
    int m_msPerFrame = 0;
    QBasicTimer m_timer;
};

// An editable drop-down combo box as the logic expects it: the text field and
// the selected entry are independent. Typing never selects or inserts an entry,
// there is no completion, entries keep their insertion order, and adding the
// first entry does not select it. The list opens at least kMinPopupHeight tall.
class EditableCombo : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kMinPopupHeight = 160;

    explicit EditableCombo(QWidget* parent);

    // Adds an entry after the others; selection and text stay as they were.
    void AppendEntry(const QString& text);
    // No entries, no selection, empty text.
    void ClearAll();

    void showPopup() override;
};

// A status bar of panes with fixed widths from the left edge; the last pane runs
// to the right edge. No size grip.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    // Panes are named <name>_0, <name>_1, ...
    StatusBar(QWidget* parent, const QString& name, const std::vector<int>& paneWidths);

    int PaneCount() const { return static_cast<int>(m_panes.size()); }
    QLabel* Pane(int i) const { return m_panes.at(i); }
    void SetPaneText(int i, const QString& text) { m_panes.at(i)->setText(text); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlacePanes();

    std::vector<int> m_widths;
    std::vector<QLabel*> m_panes;
};

}  // namespace qinghe
