#include "WelcomeDialog.h"

#include "Error.h"
#include "TableDef.h"
#include "TableFiles.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvilbro {

namespace {

QLineEdit* field(QFormLayout* form, const QString& label, QStringView fieldName)
{
    const TableDef& collector = TableDef::get(TableId::Collector);
    auto* edit = new QLineEdit;
    edit->setMaxLength(collector.fields[collector.fieldIndex(fieldName)].width);
    form->addRow(label, edit);
    return edit;
}

} // namespace

WelcomeDialog::WelcomeDialog(const QString& folder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), folder_(folder)
{
    setWindowTitle(QStringLiteral("Velkommen til Kvilbro"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Din samling er oprettet i %1.\nSkriv dit navn og din adresse: de står "
                                            "øverst på dine ønskelister. Du kan springe over og skrive dem senere.")
                                 .arg(folder));
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    name = field(form, QStringLiteral("&Navn"), u"Brugernavn");
    address = field(form, QStringLiteral("&Adresse"), u"Adresse");
    town = field(form, QStringLiteral("&Postnr. og by"), u"By");
    phone = field(form, QStringLiteral("&Telefon"), u"Telefon");
    email = field(form, QStringLiteral("&E-mail"), u"Email");
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Spring over"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (save())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool WelcomeDialog::save()
{
    try {
        tablefiles::writeCollector(folder_, {name->text().trimmed(), address->text().trimmed(), town->text().trimmed(),
                                             phone->text().trimmed(), email->text().trimmed(),
                                             QDate::currentDate().toString(Qt::ISODate)});
    } catch (const Error& e) {
        QMessageBox::critical(this, QStringLiteral("Kvilbro"), e.message());
        return false;
    }
    return true;
}

} // namespace kvilbro
