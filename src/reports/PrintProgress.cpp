#include "PrintProgress.h"

#include "Gauge.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace kvilbro {

PrintProgress::PrintProgress(QWidget* parent)
{
    window_ = new QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    window_->setObjectName(QStringLiteral("PrintProgress"));
    window_->setWindowTitle(QStringLiteral("Udskriver"));
    auto* layout = new QVBoxLayout(window_);
    label_ = new QLabel(window_);
    label_->setMinimumWidth(240);
    gauge_ = new Gauge(window_);
    gauge_->setFixedHeight(18);
    layout->addWidget(label_);
    layout->addWidget(gauge_);
}

PrintProgress::~PrintProgress()
{
    delete window_.data();
}

void PrintProgress::show(const QString& text)
{
    if (!window_)
        return;
    label_->setText(text);
    window_->show();
    window_->raise();
    window_->repaint();
    // Keep the window painted without letting the collector's clicks in meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void PrintProgress::setRange(int minimum, int maximum)
{
    if (gauge_)
        gauge_->setRange(minimum, maximum);
}

void PrintProgress::setPosition(int position)
{
    if (gauge_)
        gauge_->setPosition(position);
}

void PrintProgress::hide()
{
    if (window_)
        window_->hide();
}

} // namespace kvilbro
