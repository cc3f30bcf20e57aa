#include "TAboutBox.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace kvilbro {

// The program's picture: a small stamp with a perforated edge.
QPixmap TAboutBox::programPicture()
{
    QPixmap pm(46, 49);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(0, 0, 46, 49);
    p.setBrush(QColor(255, 255, 0));
    for (int x = 3; x < 46; x += 6) {
        p.drawEllipse(QPointF(x, 0), 2, 2);
        p.drawEllipse(QPointF(x, 49), 2, 2);
    }
    for (int y = 3; y < 49; y += 6) {
        p.drawEllipse(QPointF(0, y), 2, 2);
        p.drawEllipse(QPointF(46, y), 2, 2);
    }
    p.setBrush(QColor(160, 30, 40));
    p.drawRect(6, 6, 34, 37);
    p.setPen(QColor(250, 240, 200));
    QFont f(QStringLiteral("Liberation Serif"));
    f.setPixelSize(16);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(6, 6, 34, 37), Qt::AlignCenter, QStringLiteral("K"));
    return pm;
}

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setModal(false);
    setFixedSize(298, 213);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(8, 8, 281, 169);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    QPalette yellow = panel->palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 0));
    panel->setPalette(yellow);

    auto* picture = new QLabel(panel);
    picture->setObjectName(QStringLiteral("ProgramIcon"));
    picture->setGeometry(56, 32, 46, 49);
    picture->setPixmap(TAboutBox::programPicture());

    ProductName = new QLabel(QStringLiteral("Kvilbro"), panel);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->move(144, 40);
    ProductName->adjustSize();
    Version = new QLabel(QStringLiteral("version 3,8"), panel);
    Version->setObjectName(QStringLiteral("Version"));
    Version->move(144, 56);
    Version->adjustSize();

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 180, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace kvilbro
