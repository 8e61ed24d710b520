#include "grid_view.h"

#include <QPainter>
#include <QSvgRenderer>

namespace gw {

GridView::GridView(QWidget* parent) : QWidget(parent), renderer_(new QSvgRenderer(this)) {
    setMinimumSize(180, 180);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void GridView::SetSvg(const std::string& svg) {
    svg_ = svg;
    renderer_->load(QByteArray::fromStdString(svg));
    update();
}

bool GridView::valid() const { return renderer_->isValid(); }

QSize GridView::sizeHint() const { return {420, 420}; }

void GridView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (svg_.empty() || !renderer_->isValid()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect(), Qt::AlignCenter, tr("No puzzle"));
        return;
    }
    const int side = std::min(width(), height());
    renderer_->render(&painter, QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side));
}

}  // namespace gw
