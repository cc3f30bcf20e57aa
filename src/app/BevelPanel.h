#pragma once

#include <QWidget>

namespace kvilbro {

// A panel with a raised outer bevel, an optional border and an optional lowered
// inner bevel, as the main window's strips are drawn.
class BevelPanel : public QWidget {
    Q_OBJECT

public:
    explicit BevelPanel(QWidget* parent = nullptr, int borderWidth = 0, bool innerLowered = false);
    // Where children that fill the panel go.
    QRect inside() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int borderWidth_;
    bool innerLowered_;
};

} // namespace kvilbro
