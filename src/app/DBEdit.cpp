#include "DBEdit.h"

#include "TableView.h"

namespace kvilbro {

DBEdit::DBEdit(TableView& view, const QString& field, QWidget* parent)
    : QLineEdit(parent), view_(view), field_(view.fieldIndex(field))
{
    setReadOnly(true);
    connect(&view_, &TableView::positionChanged, this, &DBEdit::showField);
    connect(&view_, &TableView::rowsReset, this, &DBEdit::showField);
    showField();
}

void DBEdit::showField()
{
    setText(view_.asText(field_));
    setCursorPosition(0);
}

} // namespace kvilbro
