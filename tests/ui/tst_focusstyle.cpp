// The focus frame a keyboard user relies on: drawn solid and two pixels wide
// on buttons, check boxes and grid cells, selected or not.
#include "FocusStyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QStyleOption>
#include <QTest>

using namespace kvilbro;

namespace {

// Pixels of the text colour on each side of the ring `inset` pixels inside `image`.
bool ringIsSolid(const QImage& image, const QRect& rect, QColor colour)
{
    for (int x = rect.left() + 2; x <= rect.right() - 2; ++x) {
        for (int y : {rect.top(), rect.top() + 1, rect.bottom(), rect.bottom() - 1}) {
            if (image.pixelColor(x, y) != colour)
                return false;
        }
    }
    for (int y = rect.top() + 2; y <= rect.bottom() - 2; ++y) {
        for (int x : {rect.left(), rect.left() + 1, rect.right(), rect.right() - 1}) {
            if (image.pixelColor(x, y) != colour)
                return false;
        }
    }
    return true;
}

QImage canvas(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(240, 240, 240));
    return image;
}

} // namespace

class FocusStyleTest : public QObject {
    Q_OBJECT

private slots:
    void framesAreSolidOnEveryControl_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("button") << "button";
        QTest::newRow("check box") << "check box";
        QTest::newRow("grid cell") << "grid cell";
        QTest::newRow("selected grid cell") << "selected grid cell";
    }
    void framesAreSolidOnEveryControl()
    {
        QFETCH(QString, control);
        FocusStyle style;
        const QColor text = QApplication::palette().color(QPalette::Active, QPalette::Text);
        QImage focused = canvas({120, 30});
        QImage plain = canvas({120, 30});
        QRect ring;
        for (QImage* image : {&focused, &plain}) {
            const bool focus = image == &focused;
            QPainter p(image);
            if (control == "button") {
                QPushButton button(QStringLiteral("Vis Billede"));
                button.resize(97, 25);
                QStyleOptionButton option;
                option.initFrom(&button);
                option.text = button.text();
                option.state.setFlag(QStyle::State_HasFocus, focus);
                style.drawControl(QStyle::CE_PushButton, &option, &p, &button);
                ring = option.rect.adjusted(2, 2, -2, -2);
            } else if (control == "check box") {
                QCheckBox box(QStringLiteral("Udskriv kun mancoer"));
                box.resize(120, 20);
                QStyleOptionButton option;
                option.initFrom(&box);
                option.text = box.text();
                option.state.setFlag(QStyle::State_HasFocus, focus);
                style.drawControl(QStyle::CE_CheckBox, &option, &p, &box);
                QStyleOptionFocusRect frame;
                frame.QStyleOption::operator=(option);
                frame.rect = style.subElementRect(QStyle::SE_CheckBoxFocusRect, &option, &box);
                ring = frame.rect;
            } else {
                QStyleOptionViewItem option;
                option.rect = QRect(0, 0, 60, 18);
                option.palette = QApplication::palette();
                option.text = QStringLiteral("714");
                option.features |= QStyleOptionViewItem::HasDisplay;
                option.state = QStyle::State_Enabled | QStyle::State_Active;
                option.state.setFlag(QStyle::State_Selected, control.startsWith("selected"));
                option.state.setFlag(QStyle::State_HasFocus, focus);
                style.drawControl(QStyle::CE_ItemViewItem, &option, &p, nullptr);
                ring = style.subElementRect(QStyle::SE_ItemViewItemFocusRect, &option, nullptr);
            }
        }
        QVERIFY2(ringIsSolid(focused, ring, text), "the focus frame is not solid");
        QVERIFY(!ringIsSolid(plain, ring, text));
    }
};

QTEST_MAIN(FocusStyleTest)
#include "tst_focusstyle.moc"
