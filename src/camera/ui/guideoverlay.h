#pragma once

#include <QLineF>
#include <QRect>
#include <QWidget>

namespace camera::ui {

// A transparent layer over a picture widget for the guides of a tool being used: the sharpness
// meter's rectangle (dashed) and the line of a line profile (with end marks). It covers its
// parent, follows its size and lets every mouse event through to it. Shown only: nothing of it
// reaches a picture. UI thread.
class GuideOverlay final : public QWidget
{
    Q_OBJECT
public:
    explicit GuideOverlay(QWidget *picture);

    void setRect(const QRect &rect);
    void clearRect() { setRect(QRect()); }
    const QRect &guideRect() const { return rect_; }
    void setLine(const QLineF &line);
    void clearLine() { setLine(QLineF()); }
    const QLineF &guideLine() const { return line_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QRect rect_;
    QLineF line_;
};

} // namespace camera::ui
