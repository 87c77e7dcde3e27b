#include "stillimageview.h"

#include "imaging/stilldocument.h"
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
        const StillDocument *doc = view_->document_.data();
        if (!doc || doc->isEmpty())
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(rect(), doc->picture().image());
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

void StillImageView::setDocument(const StillDocument *document)
{
    if (document_)
        disconnect(document_.data(), nullptr, this, nullptr);
    document_ = document;
    shownSize_ = QSize();
    if (document_)
        connect(document_, &StillDocument::changed, this,
                [this](StillDocument::Change change) { follow(int(change)); });
    follow(int(StillDocument::Change::Loaded));
}

void StillImageView::follow(int change)
{
    if (!document_ || document_->isEmpty()) {
        shownSize_ = QSize();
        control_->hide();
        control_->setToolTip(QString());
        return;
    }
    const QSize size = document_->picture().size();
    // A new picture is fitted; an edit keeps the zoom and the scroll position unless it changed
    // the picture's shape (a quarter turn), which fits it again.
    if (StillDocument::Change(change) == StillDocument::Change::Loaded || size != shownSize_)
        control_->setGeometry(library::fitViewImage(size, this->size()));
    shownSize_ = size;
    control_->setToolTip(document_->filePath());
    control_->show();
    control_->update();
}

const StillDocument *StillImageView::document() const { return document_.data(); }

QWidget *StillImageView::pictureControl() const { return control_; }

} // namespace imaging::ui
