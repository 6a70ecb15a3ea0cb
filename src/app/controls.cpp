#include "app/controls.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>

namespace qinghe {

// ---- PictureBox ---------------------------------------------------------------

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PictureBox::SetImage(const QImage& image) {
    SetFrames({image}, 0);
}

void PictureBox::SetFrames(const std::vector<QImage>& frames, int msPerFrame) {
    m_frames.clear();
    for (const QImage& frame : frames)
        m_frames.push_back(QPixmap::fromImage(frame));
    m_frame = 0;
    m_msPerFrame = msPerFrame;
    m_timer.stop();
    if (isVisible() && m_frames.size() > 1 && m_msPerFrame > 0) {
        m_timer.start(m_msPerFrame, this);
    }
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (m_frames.empty())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_frames[m_frame]);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit leftButtonPressed();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void PictureBox::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_frames.size() > 1 && m_msPerFrame > 0)
        m_timer.start(m_msPerFrame, this);
}

void PictureBox::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timer.stop();
}

void PictureBox::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    m_frame = (m_frame + 1) % FrameCount();
    update();
}

// ---- EditableCombo -------------------------------------------------------------

EditableCombo::EditableCombo(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    // QComboBox selects the entry that matches the typed text when editing ends;
    // here the text field never changes the selection.
    disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
}

void EditableCombo::AppendEntry(const QString& text) {
    const int selected = currentIndex();
    const QString shown = currentText();
    {
        // Adding to an empty box would select the new entry; undo that quietly.
        const QSignalBlocker blocker(this);
        addItem(text);
        if (currentIndex() != selected)
            setCurrentIndex(selected);
        if (currentText() != shown)
            setEditText(shown);
    }
}

void EditableCombo::ClearAll() {
    const QSignalBlocker blocker(this);
    clear();
    clearEditText();
}

void EditableCombo::showPopup() {
    QComboBox::showPopup();
    QWidget* popup = view()->window();
    if (popup == this->window() || popup->height() >= kMinPopupHeight)
        return;
    QRect g = popup->geometry();
    const QPoint comboTop = mapToGlobal(QPoint(0, 0));
    if (g.bottom() < comboTop.y()) {
        g.setTop(g.bottom() + 1 - kMinPopupHeight);  // opened above the box: grow upwards
    } else {
        g.setHeight(kMinPopupHeight);
    }
    popup->setGeometry(g);
}

// ---- StatusBar ----------------------------------------------------------------

StatusBar::StatusBar(QWidget* parent, const QString& name, const std::vector<int>& paneWidths)
    : QStatusBar(parent), m_widths(paneWidths) {
    setObjectName(name);
    setSizeGripEnabled(false);
    for (std::size_t i = 0; i < m_widths.size(); ++i) {
        auto* pane = new QLabel(this);
        pane->setObjectName(QStringLiteral("%1_%2").arg(name).arg(i));
        pane->setTextFormat(Qt::PlainText);
        pane->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        pane->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        pane->setMargin(1);
        m_panes.push_back(pane);
    }
    PlacePanes();
}

void StatusBar::resizeEvent(QResizeEvent* event) {
    QStatusBar::resizeEvent(event);
    PlacePanes();
}

void StatusBar::PlacePanes() {
    int left = 0;
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        const bool last = i + 1 == m_panes.size();
        const int right = last ? width() : left + m_widths[i];
        m_panes[i]->setGeometry(left, 0, std::max(0, right - left), height());
        left += m_widths[i];
    }
}

}  // namespace qinghe
