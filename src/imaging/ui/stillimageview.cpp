#include "stillimageview.h"

#include "library/imagefit.h"

#include <QPainter>

namespace imaging::ui {

class StillImageView::PictureControl final : public QWidget
{
public:
    explicit PictureControl(StillImageView *view) : QWidget(view), view_(view) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (view_->picture_.isNull())
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(rect(), view_->picture_.image());
    }

private:
    StillImageView *view_;
};

StillImageView::StillImageView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel1"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xF4, 0xF4, 0xF4));
    setPalette(pal);
    control_ = new PictureControl(this);
    control_->setObjectName(QStringLiteral("ViewImage_RW"));
    control_->hide();
}

void StillImageView::setPicture(platform::Bitmap picture, const QString &hintPath)
{
    picture_ = std::move(picture);
    committed_ = picture_;
    setHintPath(hintPath);
    changeCount_ = 1;
    filterApplied_ = false;
    if (picture_.isNull()) {
        control_->hide();
    } else {
        control_->setGeometry(library::fitViewImage(picture_.size(), size()));
        control_->show();
        control_->update();
    }
    Q_EMIT pictureChanged();
}

void StillImageView::replacePicture(platform::Bitmap picture)
{
    const bool sameSize = !picture_.isNull() && picture.size() == picture_.size();
    picture_ = std::move(picture);
    if (picture_.isNull()) {
        control_->hide();
    } else {
        if (!sameSize)
            control_->setGeometry(library::fitViewImage(picture_.size(), size()));
        control_->show();
        control_->update();
    }
    Q_EMIT pictureEdited();
}

void StillImageView::setHintPath(const QString &path)
{
    hint_ = path;
    control_->setToolTip(path);
}

void StillImageView::clear() { setPicture(platform::Bitmap(), QString()); }

QWidget *StillImageView::pictureControl() const { return control_; }

} // namespace imaging::ui
