// A drawn grid: shows one SVG picture of the explanation's grid drawing,
// scaled to the widget and kept square.
#pragma once

#include <QWidget>

#include <string>

class QSvgRenderer;

namespace gw {

class GridView : public QWidget {
    Q_OBJECT

public:
    explicit GridView(QWidget* parent = nullptr);

    void SetSvg(const std::string& svg);
    const std::string& svg() const { return svg_; }
    bool valid() const;

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return width; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSvgRenderer* renderer_;
    std::string svg_;
};

}  // namespace gw
