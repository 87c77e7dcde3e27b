#include "imagefit.h"

namespace library {

QRect fitViewImage(QSize picture, QSize panel)
{
    const int pw = picture.width(), ph = picture.height();
    const int W = panel.width(), H = panel.height();
    QRect area(0, 0, W, H);
    if (W <= 0 || H <= 0 || pw <= 0 || ph <= 0)
        return area;
    const float rw = float(pw) / float(W);
    const float rh = float(ph) / float(H);
    if (rw > rh) {
        if (pw > ph && pw > W) {
            const int height = int(float(ph) / rw);
            area = QRect(0, (H - height) / 2, W, height);
        }
    } else if (rw < rh) {
        if (ph > pw && ph > H) {
            const int width = int(float(pw) / rh);
            area = QRect((W - width) / 2, 0, width, H);
        }
    }
    if (pw < W) {
        area.setLeft((W - pw) / 2);
        area.setWidth(pw);
    }
    if (ph < H) {
        area.setTop((H - ph) / 2);
        area.setHeight(ph);
    }
    return area;
}

} // namespace library
