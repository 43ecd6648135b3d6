#include "report/QRFrame.h"

#include "report/emf/EmfWriter.h"

#include <QRect>

namespace report {

void TQRFrame::Draw(emf::EmfWriter &canvas, const QRect &area) const {
    if (Width <= 0 || !(DrawTop || DrawBottom || DrawLeft || DrawRight))
        return;
    canvas.setPen(Color, Width);
    auto line = [&canvas](QPoint from, QPoint to) {
        canvas.moveTo(from.x(), from.y());
        canvas.lineTo(to.x(), to.y());
    };
    if (DrawTop)
        line(area.topLeft(), area.topRight());
    if (DrawBottom)
        line(area.bottomLeft(), area.bottomRight());
    if (DrawLeft)
        line(area.topLeft(), area.bottomLeft());
    if (DrawRight)
        line(area.topRight(), area.bottomRight());
}

} // namespace report
