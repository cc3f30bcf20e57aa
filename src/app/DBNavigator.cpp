#include "DBNavigator.h"

#include "Dialogs.h"
#include "ErrorGuard.h"
#include "TableView.h"

#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace kvilbro {

namespace {

// Small drawn glyphs, so the bar looks the same on every desktop.
QIcon glyph(DBNavigator::Button b)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0, 0, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    auto triangle = [&p](QPointF a, QPointF b, QPointF c) {
        QPainterPath path;
        path.moveTo(a);
        path.lineTo(b);
        path.lineTo(c);
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (b) {
    case DBNavigator::First:
        p.drawRect(QRectF(3, 3, 2, 10));
        triangle({12, 3}, {12, 13}, {6, 8});
        break;
    case DBNavigator::Prior:
        triangle({11, 3}, {11, 13}, {5, 8});
        break;
    case DBNavigator::Next:
        triangle({5, 3}, {5, 13}, {11, 8});
        break;
    case DBNavigator::Last:
        triangle({4, 3}, {4, 13}, {10, 8});
        p.drawRect(QRectF(11, 3, 2, 10));
        break;
    case DBNavigator::Insert:
        p.drawRect(QRectF(7, 3, 2, 10));
        p.drawRect(QRectF(3, 7, 10, 2));
        break;
    case DBNavigator::Delete:
        p.drawRect(QRectF(3, 7, 10, 2));
        break;
    case DBNavigator::Edit:
        triangle({3, 11}, {13, 11}, {8, 4});
        break;
    case DBNavigator::Post:
        p.setPen(QPen(ink, 2));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({{3, 8}, {7, 12}, {13, 4}}));
        break;
    case DBNavigator::Cancel:
        p.setPen(QPen(ink, 2));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case DBNavigator::Refresh:
        p.setPen(QPen(ink, 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 3, 10, 10), 30 * 16, 300 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        triangle({10, 1}, {14, 5}, {9, 6});
        break;
    }
    return QIcon(pm);
}

} // namespace

DBNavigator::DBNavigator(TableView& view, Dialogs& dialogs, QList<Button> buttons, QStringList hints, QWidget* parent)
    : QWidget(parent), view_(view), dialogs_(dialogs), kinds_(std::move(buttons))
{
    for (qsizetype i = 0; i < kinds_.size(); ++i) {
        auto* b = new QToolButton(this);
        const Button kind = kinds_[i];
        b->setIcon(glyph(kind));
        b->setToolTip(hints.value(i));
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRaise(false);
        connect(b, &QToolButton::clicked, this, [this, kind] { press(kind); });
        buttons_ << b;
    }
    // Position and state change only together with positionChanged.
    connect(&view_, &TableView::positionChanged, this, &DBNavigator::updateButtons);
    updateButtons();
}

QToolButton* DBNavigator::button(Button b) const
{
    const qsizetype i = kinds_.indexOf(b);
    return i < 0 ? nullptr : buttons_[i];
}

void DBNavigator::resizeEvent(QResizeEvent*)
{
    // The buttons share the width evenly, the last ones taking what is left over.
    const int n = int(buttons_.size());
    int x = 0;
    for (int i = 0; i < n; ++i) {
        const int right = width() * (i + 1) / n;
        buttons_[i]->setGeometry(x, 0, right - x, height());
        x = right;
    }
}

void DBNavigator::setSuspended(bool suspended)
{
    suspended_ = suspended;
    if (!suspended)
        updateButtons();
}

void DBNavigator::updateButtons()
{
    if (suspended_)
        return;
    const int row = view_.currentRow();
    const int rows = view_.rowCount();
    const bool pending = view_.state() != TableView::State::Browse;
    auto set = [this](Button b, bool on) {
        if (QToolButton* button = this->button(b))
            button->setEnabled(on);
    };
    set(First, row > 0);
    set(Prior, row > 0);
    set(Next, row >= 0 && row < rows - 1);
    set(Last, row >= 0 && row < rows - 1);
    set(Insert, true);
    set(Delete, rows > 0);
    set(Edit, !pending);
    set(Post, pending);
    set(Cancel, pending);
    set(Refresh, true);
}

void DBNavigator::press(Button b)
{
    ErrorGuard::guarded([this, b] { act(b); });
    updateButtons();
    emit clicked(b);
}

void DBNavigator::act(Button b)
{
    switch (b) {
    case First:
        view_.first();
        break;
    case Prior:
        view_.prior();
        break;
    case Next:
        view_.next();
        break;
    case Last:
        view_.last();
        break;
    case Insert:
        view_.insert();
        break;
    case Delete:
        if (dialogs_.okCancel(QStringLiteral("Delete record?")))
            view_.remove();
        break;
    case Edit:
        view_.edit();
        break;
    case Post:
        view_.post();
        break;
    case Cancel:
        view_.cancel();
        break;
    case Refresh:
        view_.refresh();
        break;
    }
}

} // namespace kvilbro
