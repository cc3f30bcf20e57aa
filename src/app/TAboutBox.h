#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;

namespace kvilbro {

// The small about box: shown without blocking the main window, one instance.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);
    // The program's picture, also its windows' icon.
    static QPixmap programPicture();

    QLabel* ProductName;
    QLabel* Version;
    QPushButton* OKButton;
};

} // namespace kvilbro
