#include "TForm8.h"

#include "Dialogs.h"
#include "DirectoryTree.h"
#include "DriveList.h"
#include "Error.h"
#include "ErrorGuard.h"
#include "OuterSize.h"
#include "PictureFileList.h"
#include "PictureImport.h"
#include "PictureMessages.h"
#include "TableView.h"

#include <QAbstractTextDocumentLayout>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

namespace kvilbro {

namespace {

constexpr int TopHeight = 57;
constexpr int LeftWidth = 185;
constexpr int RightWidth = 522;
// The display prints in the window's font at its size in points.
constexpr qreal PrintPointSize = 8;

QFrame* panel(const QString& name, QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(1);
    return frame;
}

// A panel filled by one control.
QFrame* filledPanel(const QString& name, QWidget* parent, QWidget* content)
{
    QFrame* frame = panel(name, parent);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(content);
    return frame;
}

QPushButton* button(const QString& name, const QString& caption, QRect geometry, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    return b;
}

QLabel* label(const QString& name, const QString& text, QPoint at, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->move(at);
    l->adjustSize();
    return l;
}

} // namespace

TForm8::TForm8(TableView& numbers, Dialogs& dialogs, QPrinter& printer, QWidget* parent)
    : QWidget(parent, Qt::Window), numbers_(numbers), dialogs_(dialogs), printer_(printer)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Indlæs billeder"));
    outerSize_ = new OuterSize(this);
    buildPanels();

    // Both lists start on the folder the program was started in.
    drives_ = driveChoices();
    DriveComboBox1->addItems([this] {
        QStringList shown;
        for (const QString& drive : std::as_const(drives_))
            shown << QDir::toNativeSeparators(drive);
        return shown;
    }());
    const QString start = QDir::currentPath();
    const int drive = driveOf(drives_, start);
    DriveComboBox1->setCurrentIndex(drive);
    lastFolder_.insert(drives_[drive], start);
    showFolder(start);
    connect(DriveComboBox1, &QComboBox::activated, this,
            [this](int index) { ErrorGuard::guarded([this, index] { chooseDrive(index); }); });
    connect(DirectoryListBox1, &DirectoryTree::folderChosen, this,
            [this](const QString& folder) { ErrorGuard::guarded([this, folder] { openFolder(folder); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { ErrorGuard::guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { ErrorGuard::guarded([this] { Button2Click(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { ErrorGuard::guarded([this] { Button3Click(); }); });

    outerSize_->set({OuterWidth, OuterHeight});
}

TForm8::~TForm8() = default;

void TForm8::buildPanels()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    QFrame* panel1 = panel(QStringLiteral("Panel1"), this);
    panel1->setFixedHeight(TopHeight);
    DriveComboBox1 = new QComboBox(panel1);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setGeometry(152, 8, 113, 21);
    DriveComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Button1 = button(QStringLiteral("Button1"), QStringLiteral("&Indlæs billeder"), {272, 8, 97, 25}, panel1);
    Button2 = button(QStringLiteral("Button2"), QStringLiteral("&Afslut"), {376, 8, 91, 25}, panel1);
    Button3 = button(QStringLiteral("Button3"), QStringLiteral("&Udskriv"), {480, 8, 75, 25}, panel1);
    Label2 = label(QStringLiteral("Label2"), QStringLiteral("Find bibliotek hvor filerne ligger"), {8, 40}, panel1);
    Label3 =
        label(QStringLiteral("Label3"), QStringLiteral("Vælg de numre du vil indlæse automatisk"), {184, 40}, panel1);
    Label1 = label(QStringLiteral("Label1"), QStringLiteral("Billeder som ikke kunne indlæses automatisk"), {384, 40},
                   panel1);
    layout->addWidget(panel1);

    DirectoryListBox1 = new DirectoryTree;
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    files_ = new PictureFileList(this);
    FileListBox1 = new QListView;
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setModel(files_);
    FileListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FileListBox1->setUniformItemSizes(true);
    FileListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RichEdit1 = new QTextEdit;
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAcceptRichText(false);
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* lower = new QHBoxLayout;
    lower->setContentsMargins(0, 0, 0, 0);
    lower->setSpacing(0);
    QFrame* panel3 = filledPanel(QStringLiteral("Panel3"), this, DirectoryListBox1);
    panel3->setFixedWidth(LeftWidth);
    QFrame* panel4 = filledPanel(QStringLiteral("Panel4"), this, RichEdit1);
    panel4->setFixedWidth(RightWidth);
    lower->addWidget(panel3);
    lower->addWidget(filledPanel(QStringLiteral("Panel2"), this, FileListBox1), 1);
    lower->addWidget(panel4);
    layout->addLayout(lower, 1);

    setTabOrder(DriveComboBox1, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, DirectoryListBox1);
    setTabOrder(DirectoryListBox1, FileListBox1);
    setTabOrder(FileListBox1, RichEdit1);
}

void TForm8::showImport()
{
    if (!placed_) {
        outerSize_->set({OuterWidth, OuterHeight});
        outerSize_->centre();
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
}

void TForm8::showFolder(const QString& folder)
{
    DirectoryListBox1->showDrive(drives_[DriveComboBox1->currentIndex()], folder);
    files_->read(folder);
    if (files_->rowCount() > 0)
        FileListBox1->selectionModel()->setCurrentIndex(files_->index(0), QItemSelectionModel::NoUpdate);
}

void TForm8::openFolder(const QString& folder)
{
    const QString clean = QDir::cleanPath(folder);
    if (!QDir::setCurrent(clean)) {
        // Back to the folder that is still open.
        DirectoryListBox1->showDrive(drives_[DriveComboBox1->currentIndex()], files_->folder());
        throw Error(picturemessages::folderNotOpened(clean), Error::Kind::File);
    }
    const int drive = driveOf(drives_, clean);
    if (drive != DriveComboBox1->currentIndex())
        DriveComboBox1->setCurrentIndex(drive);
    lastFolder_.insert(drives_[drive], clean);
    if (DirectoryListBox1->openFolder() != clean || DirectoryListBox1->drive() != drives_[drive])
        DirectoryListBox1->showDrive(drives_[drive], clean);
    files_->read(clean);
    if (files_->rowCount() > 0)
        FileListBox1->selectionModel()->setCurrentIndex(files_->index(0), QItemSelectionModel::NoUpdate);
}

void TForm8::chooseDrive(int index)
{
    if (index < 0 || index >= drives_.size())
        return;
    const QString drive = drives_[index];
    const QString last = lastFolder_.value(drive, drive);
    // A folder that has gone since leaves the drive's own top.
    openFolder(QDir(last).exists() ? last : drive);
}

QStringList TForm8::chosenNames() const
{
    // Every selected entry, in list order, wherever the focus stands.
    QModelIndexList rows = FileListBox1->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList names;
    names.reserve(rows.size());
    for (const QModelIndex& row : std::as_const(rows))
        names << files_->names().at(row.row());
    return names;
}

void TForm8::Button1Click()
{
    const QString reportFolder = QDir::currentPath();
    struct Busy {
        const std::function<void(bool)>& handler;
        explicit Busy(const std::function<void(bool)>& h) : handler(h)
        {
            if (handler)
                handler(true);
        }
        ~Busy()
        {
            if (handler)
                handler(false);
        }
    };
    PictureImportResult result;
    {
        const Busy busy(busy_);
        result = PictureImport::run(numbers_, files_->folder(), chosenNames(), reportFolder, QDate::currentDate());
    }
    RichEdit1->setPlainText(PictureImport::readReport(PictureImport::reportPath(reportFolder)));
    if (!result.pathTooLong.isEmpty())
        dialogs_.message(picturemessages::pathsTooLong(result.pathTooLong.size(),
                                                       numbers_.table().fields[numbers_.fieldIndex(u"Billede")].width));
}

void TForm8::Button2Click()
{
    RichEdit1->clear();
    close();
}

std::unique_ptr<QTextDocument> TForm8::printable(const QTextDocument& display, QPrinter& printer)
{
    std::unique_ptr<QTextDocument> document(display.clone());
    QFont font = display.defaultFont();
    font.setPointSizeF(PrintPointSize);
    document->setDefaultFont(font);
    // Laid out at the printer's resolution on a page of its printable area:
    // print() then adds neither margins nor page numbers.
    document->documentLayout()->setPaintDevice(&printer);
    document->setDocumentMargin(0);
    document->setPageSize(printer.pageRect(QPrinter::DevicePixel).size());
    return document;
}

void TForm8::Button3Click()
{
    PrintDialogOptions options;
    options.pageRange = false;
    if (!dialogs_.print(printer_, options))
        return;
    printer_.setDocName(QStringLiteral("Fejl.Txt"));
    printable(*RichEdit1->document(), printer_)->print(&printer_);
}

} // namespace kvilbro
