#include "camera/ui/sharpnessmeterwidget.h"

#include "camera/focusaidanalyzer.h"

#include <QPainter>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace camera::ui {

namespace {

constexpr int kMargin = 4;
constexpr int kTextRows = 30;   // the score and its share of the best, above the bar
constexpr int kButtonSide = 24;
const QColor kGreen(0x43, 0xA0, 0x47);
const QColor kBlue(0x1E, 0x88, 0xE5);
const QColor kTrack(0x26, 0x32, 0x38);

// Three significant digits: 0.512, 41.2, 1234.
QString scoreText(double v)
{
    if (v >= 1000)
        return QString::number(std::lround(v));
    const int decimals = v >= 100 ? 0 : v >= 10 ? 1 : v >= 1 ? 2 : 3;
    return QString::number(v, 'f', decimals);
}

} // namespace

SharpnessMeterWidget::SharpnessMeterWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SharpnessMeter"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    reset_ = new QToolButton(this);
    reset_->setObjectName(QStringLiteral("SharpnessMeterReset"));
    reset_->setText(QStringLiteral("\u21BA"));   // an anticlockwise arrow: start again
    reset_->setAutoRaise(true);
    reset_->setFixedSize(kButtonSide, kButtonSide);
    connect(reset_, &QToolButton::clicked, this, &SharpnessMeterWidget::resetRequested);
    resize(kWidth, 300);
}

void SharpnessMeterWidget::setScore(double score, double best)
{
    score = std::max(0.0, score);
    best = std::max(score, best);
    // A still picture gives the same score frame after frame: nothing to paint again.
    if (hasScore_ && score == score_ && best == best_)
        return;
    hasScore_ = true;
    score_ = score;
    best_ = best;
    update();
}

void SharpnessMeterWidget::clearScore()
{
    hasScore_ = false;
    score_ = best_ = 0;
    update();
}

bool SharpnessMeterWidget::nearBest() const { return hasScore_ && scoreNearBest(score_, best_); }

QRect SharpnessMeterWidget::barRect() const
{
    const int top = kTextRows + kMargin, bottom = height() - kButtonSide - 2 * kMargin;
    return QRect(QPoint(kMargin + 8, top), QPoint(width() - kMargin - 9, std::max(top, bottom)));
}

void SharpnessMeterWidget::setTexts(const QString &title, const QString &resetHint)
{
    setToolTip(title);
    reset_->setToolTip(resetHint);
}

void SharpnessMeterWidget::resizeEvent(QResizeEvent *)
{
    reset_->move((width() - kButtonSide) / 2, height() - kButtonSide - kMargin);
}

void SharpnessMeterWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const QRect bar = barRect();
    p.fillRect(bar, kTrack);
    if (!hasScore_)
        return;
    // The top of the bar is a quarter above the best, so climbing past it stays visible.
    const double full = std::max(best_, 1e-12) * 1.25;
    const auto yOf = [&](double v) { return bar.bottom() - int(std::lround(std::min(v / full, 1.0) * (bar.height() - 1))); };
    const int level = yOf(score_);
    p.fillRect(QRect(QPoint(bar.left(), level), bar.bottomRight()), nearBest() ? kGreen : kBlue);
    // The best since the last reset: a bright line across, with ticks outside the bar.
    const int at = yOf(best_);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(bar.left() - 6, at, bar.right() + 6, at);
    p.setPen(palette().windowText().color());
    QFont f = font();
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 2, width(), 14), Qt::AlignCenter, scoreText(score_));
    f.setBold(false);
    f.setPixelSize(10);
    p.setFont(f);
    const int share = best_ > 0 ? int(std::lround(100.0 * score_ / best_)) : 0;
    p.drawText(QRect(0, 15, width(), 13), Qt::AlignCenter, QStringLiteral("%1%").arg(share));
}

} // namespace camera::ui
