#pragma once

#include <QWidget>

class QToolButton;

namespace camera::ui {

// The sharpness meter beside the video: the focus score as a bar, the best score since the last
// reset as a mark across it, the bar green while the score is within 5% of the best; the score
// and its share of the best written above, a reset button below. UI thread.
class SharpnessMeterWidget final : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 48;

    explicit SharpnessMeterWidget(QWidget *parent = nullptr);

    void setScore(double score, double best);
    // No score (no frame analysed yet): an empty bar.
    void clearScore();
    bool hasScore() const { return hasScore_; }
    double score() const { return score_; }
    double best() const { return best_; }
    // The bar is green: the score is within 5% of the best.
    bool nearBest() const;
    // The rectangle of the bar in widget coordinates; its top stands for 1.25 times the best.
    QRect barRect() const;
    QToolButton *resetButton() const { return reset_; }
    void setTexts(const QString &title, const QString &resetHint);

Q_SIGNALS:
    void resetRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *reset_ = nullptr;
    bool hasScore_ = false;
    double score_ = 0;
    double best_ = 0;
};

} // namespace camera::ui
