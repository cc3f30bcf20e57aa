#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kvilbro {

// The small about box: shown without blocking the main window, one instance.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName;
    QLabel* Version;
    QPushButton* OKButton;
};

} // namespace kvilbro
