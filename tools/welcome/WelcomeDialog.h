#pragma once

#include <QDialog>

class QLineEdit;

namespace kvilbro {

// Asked once, when a new collection is made for the collector: the name and
// address that head every printed want list (the collector row).
class WelcomeDialog : public QDialog {
    Q_OBJECT

public:
    explicit WelcomeDialog(const QString& folder, QWidget* parent = nullptr);

    QLineEdit* name;
    QLineEdit* address;
    QLineEdit* town;
    QLineEdit* phone;
    QLineEdit* email;

    // Writes the details into the collection; false, with the reason shown, when that fails.
    bool save();

private:
    QString folder_;
};

} // namespace kvilbro
