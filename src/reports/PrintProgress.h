#pragma once

#include "Progress.h"

#include <QPointer>

class QLabel;
class QWidget;

namespace kvilbro {

class Gauge;

// The small window shown while pages go to the printer.
class PrintProgress : public Progress {
public:
    explicit PrintProgress(QWidget* parent = nullptr);
    ~PrintProgress() override;

    void show(const QString& text) override;
    void setRange(int minimum, int maximum) override;
    void setPosition(int position) override;
    void hide() override;

private:
    QPointer<QWidget> window_;
    QLabel* label_ = nullptr;
    Gauge* gauge_ = nullptr;
};

} // namespace kvilbro
