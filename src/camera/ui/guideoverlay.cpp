#include "camera/ui/guideoverlay.h"

#include <QEvent>
#include <QPainter>

#include <cmath>

namespace camera::ui {

GuideOverlay::GuideOverlay(QWidget *picture) : QWidget(picture)
{
    setObjectName(QStringLiteral("GuideOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(picture->rect());
    picture->installEventFilter(this);
    hide();
}

void GuideOverlay::setRect(const QRect &rect)
{
    rect_ = rect;
    setVisible(!rect_.isEmpty() || !line_.isNull());
    raise();
    update();
}

void GuideOverlay::setLine(const QLineF &line)
{
    line_ = line;
    setVisible(!rect_.isEmpty() || !line_.isNull());
    raise();
    update();
}

bool GuideOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void GuideOverlay::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // Two pens, light over dark, read on any picture.
    if (!rect_.isEmpty()) {
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(rect_.adjusted(0, 0, -1, -1));
        p.setPen(QPen(Qt::white, 1, Qt::DashLine));
        p.drawRect(rect_.adjusted(0, 0, -1, -1));
    }
    if (!line_.isNull()) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(line_);
        p.setPen(QPen(QColor(0xFF, 0xB3, 0x00), 1));
        p.drawLine(line_);
        // End marks across the line, 10 pixels long.
        const QLineF normal = line_.length() > 0 ? line_.normalVector().unitVector() : QLineF();
        const QPointF across = normal.isNull() ? QPointF(0, 5) : (normal.p2() - normal.p1()) * 5;
        for (const QPointF &end : {line_.p1(), line_.p2()})
            p.drawLine(end - across, end + across);
    }
}

} // namespace camera::ui
