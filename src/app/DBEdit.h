#pragma once

#include <QLineEdit>

namespace kvilbro {

class TableView;

// A read-only line showing one field of a view's current row.
class DBEdit : public QLineEdit {
    Q_OBJECT

public:
    DBEdit(TableView& view, const QString& field, QWidget* parent = nullptr);
    void showField();

private:
    TableView& view_;
    int field_;
};

} // namespace kvilbro
