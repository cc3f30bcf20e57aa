#include "TForm2.h"

#include "AttachPicture.h"
#include "BevelPanel.h"
#include "CollectionCommands.h"
#include "CollectionViews.h"
#include "CsvExport.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "Dialogs.h"
#include "ErrorGuard.h"
#include "Gauge.h"
#include "ImageWidget.h"
#include "LabelGaugeProgress.h"
#include "OuterSize.h"
#include "PendingRows.h"
#include "PictureOpenDialog.h"
#include "PicturePanel.h"
#include "PicturePopupMenu.h"
#include "Settings.h"
#include "TAboutBox.h"
#include "TForm6.h"
#include "TForm8.h"
#include "TableView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace kvilbro {

namespace {

constexpr int OuterWidth = 956;
constexpr int OuterHeight = 663;
// Gauge1 keeps this distance to the right edge of its strip as the window grows.
constexpr int GaugeRightMargin = 14;

const QString Divider = QString(62, u'-');

QFont collectorFont()
{
    QFont f(QStringLiteral("Liberation Serif"));
    f.setPixelSize(19);
    f.setItalic(true);
    return f;
}

} // namespace

TForm2::TForm2(Database& db, Dialogs& dialogs, QWidget* parent) : QMainWindow(parent), db_(db), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Kvilbro ver. 3,8"));
    setWindowIcon(QIcon(TAboutBox::programPicture()));

    // The three views open while the window is built; a table that cannot be
    // opened ends start-up.
    const CollectionViews views(db_, CollectionWindow::MainWindow, this);
    Table1 = &views.areas();
    Table2 = &views.numbers();
    Table3 = &views.collector();

    buildPanels();
    progress_ = std::make_unique<LabelGaugeProgress>(this, Label2, Gauge1);
    // While a long command runs, only the status text and the gauge change on
    // screen; the grids catch up when it ends.
    progress_->setBusyHandler([this](bool busy) { setGridsSuspended(busy); });
    commands_ = std::make_unique<CollectionCommands>(*Table1, *Table2, dialogs_, *progress_,
                                                     [this] { DBGrid2->setFocus(Qt::OtherFocusReason); });
    csvExport_ =
        std::make_unique<CsvExport>(*Table1, *Table2, *Table3, dialogs_, [this] { return CheckBox1->isChecked(); });
    buildMenus();
    dialogs_.setParentWidget(this);
    outerSize_ = new OuterSize(this);
    outerSize_->set({OuterWidth, OuterHeight});
}

void TForm2::setGridsSuspended(bool suspended)
{
    DBNavigator1->setSuspended(suspended);
    DBNavigator2->setSuspended(suspended);
    for (DBGrid* grid : {DBGrid1, DBGrid2}) {
        if (suspended) {
            grid->tableModel()->suspend();
        } else {
            grid->tableModel()->resume();
            grid->followView();
        }
    }
}

TForm2::~TForm2()
{
    if (keyPreview_)
        qApp->removeEventFilter(this);
}

Progress& TForm2::progress() const
{
    return *progress_;
}

void TForm2::buildPanels()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(central);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel1 = new BevelPanel(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    Panel2 = new BevelPanel(central, 4, true);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(136);
    Panel4 = new BevelPanel(central);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFixedHeight(24);
    Panel3 = new BevelPanel(central, 4, true);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel5 = new BevelPanel(central);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setFixedWidth(184);
    column->addWidget(Panel1);
    column->addWidget(Panel2);
    column->addWidget(Panel4);
    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(0);
    bottom->addWidget(Panel3, 1);
    bottom->addWidget(Panel5);
    column->addLayout(bottom, 1);

    // Panel1: area navigator, hint, shortfall check box, viewer button.
    DBNavigator1 = new DBNavigator(*Table1, dialogs_,
                                   {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last},
                                   {QStringLiteral("Første samleområde "), QStringLiteral("Forrige samleområde"),
                                    QStringLiteral("Næste samleområde"), QStringLiteral("Sidste samleområde")},
                                   Panel1);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator"));
    DBNavigator1->setGeometry(8, 8, 140, 25);
    Label1 = new QLabel(QStringLiteral("Tryk F12 for at skifte mellem vinduerne"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(160, 8);
    Label1->adjustSize();
    CheckBox1 = new QCheckBox(QStringLiteral("Udskriv kun mancoer"), Panel1);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(160, 24, 129, 17);
    Button5 = new QPushButton(QStringLiteral("Vis &Billede    (Alt+B)"), Panel1);
    Button5->setObjectName(QStringLiteral("Button5"));
    Button5->setGeometry(384, 8, 113, 25);
    connect(Button5, &QPushButton::clicked, this, [this] { ErrorGuard::guarded([this] { Button5Click(); }); });

    // Panel2: areas grid, collector, picture check box, status text.
    DBGrid1 = new DBGrid(*Table1, dialogs_, {{QStringLiteral("National ID"), 61}, {QStringLiteral("Beskrivelse"), 350}},
                         false, Panel2);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setFrameShape(QFrame::NoFrame);
    DBGrid1->setGeometry(Panel2->inside().left(), Panel2->inside().top(), 451, 136 - 2 * Panel2->inside().top());
    DBEdit1 = new DBEdit(*Table3, QStringLiteral("Brugernavn"), Panel2);
    DBEdit2 = new DBEdit(*Table3, QStringLiteral("Adresse"), Panel2);
    DBEdit3 = new DBEdit(*Table3, QStringLiteral("By"), Panel2);
    int y = 24;
    for (DBEdit* edit : {DBEdit1, DBEdit2, DBEdit3}) {
        edit->setGeometry(512, y, 409, 29);
        edit->setFont(collectorFont());
        edit->setFrame(false);
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Button));
        pal.setColor(QPalette::Text, Qt::black);
        edit->setPalette(pal);
        y += 32;
    }
    DBEdit1->setObjectName(QStringLiteral("DBEdit1"));
    DBEdit2->setObjectName(QStringLiteral("DBEdit2"));
    DBEdit3->setObjectName(QStringLiteral("DBEdit3"));
    CheckBox2 = new QCheckBox(QStringLiteral("Skjul billede"), Panel2);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setGeometry(664, 112, 97, 17);
    Label2 = new QLabel(Panel2);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(265, 112);
    Label2->setAttribute(Qt::WA_TranslucentBackground);
    Label2->hide();

    // Panel4: number navigator and the progress gauge.
    DBNavigator2 = new DBNavigator(
        *Table2, dialogs_,
        {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last, DBNavigator::Insert,
         DBNavigator::Delete, DBNavigator::Edit, DBNavigator::Post, DBNavigator::Cancel, DBNavigator::Refresh},
        {QStringLiteral("Første nummer i tabellen"), QStringLiteral("Forrige nummer"), QStringLiteral("Næste nummer"),
         QStringLiteral("Sidste nummer i tabellen"), QStringLiteral("Indsæt nummer"), QStringLiteral("Slet nummer"),
         QStringLiteral("Edit record"), QStringLiteral("Post edit"), QStringLiteral("Cancel edit"),
         QStringLiteral("Refresh data")},
        Panel4);
    DBNavigator2->setObjectName(QStringLiteral("DBNavigator2"));
    DBNavigator2->setGeometry(0, 0, 210, 25);
    Gauge1 = new Gauge(Panel4);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setGeometry(265, 0, 669, 24);
    Gauge1->hide();
    Panel4->installEventFilter(this);

    // Panel3: the numbers grid, filling the panel.
    const int digit = fontMetrics().horizontalAdvance(u'0');
    const Qt::Alignment centred = Qt::AlignCenter;
    DBGrid2 = new DBGrid(*Table2, dialogs_,
                         {{QStringLiteral("Nummer"), 50, Qt::AlignRight | Qt::AlignVCenter},
                          {QStringLiteral("Type"), 50},
                          {QStringLiteral("***"), 5 * digit + 4, centred},
                          {QStringLiteral("*"), 4 * digit + 4, centred},
                          {QStringLiteral("O"), 5 * digit + 4, centred},
                          {QStringLiteral("Billede"), 51},
                          {QStringLiteral("Bemærkning"), 500}},
                         true, Panel3);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    auto* fill = new QVBoxLayout(Panel3);
    const int inset = Panel3->inside().left();
    fill->setContentsMargins(inset, inset, inset, inset);
    fill->addWidget(DBGrid2);

    // Panel5: the picture.
    Image1 = new ImageWidget(Panel5);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(16, 32, 100, 100);
    Panel5->hide(); // the program starts with the picture panel hidden

    pictures_ = std::make_unique<PicturePanel>(Panel5, Image1, CheckBox2, this, *Table2);
    OpenDialog1 = std::make_unique<PictureOpenDialog>();
    PopupMenu1 = new PicturePopupMenu(DBGrid2);
    Hentbillede = PopupMenu1->hentbillede();
    connect(Hentbillede, &QAction::triggered, this, [this] { ErrorGuard::guarded([this] { HentbilledeClick(); }); });
    pictureRefresh_ = [this] {
        pictures_->setDefaultPicture(Settings::current().defaultPicture);
        pictures_->refresh();
    };

    // Picture refresh triggers of the numbers grid and its navigator.
    connect(DBGrid2, &DBGrid::keyPressArrived, this, &TForm2::refreshPicture);
    connect(DBGrid2, &DBGrid::keyReleaseArrived, this, &TForm2::refreshPicture);
    connect(DBGrid2, &DBGrid::cellClicked, this, &TForm2::refreshPicture);
    connect(DBNavigator2, &DBNavigator::clicked, this, &TForm2::refreshPicture);
    // Every key press that reaches the areas grid repaints the window.
    connect(DBGrid1, &DBGrid::keyPressArrived, this, [this] { repaint(); });
}

QAction* TForm2::addItem(QMenu* menu, const QString& caption, const QString& handler, std::function<void()> action)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(handler);
    if (action) {
        connect(item, &QAction::triggered, this, [action] { ErrorGuard::guarded(action); });
    } else {
        item->setEnabled(false); // its command is not part of the program yet
    }
    return item;
}

void TForm2::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    int dividers = 0;
    auto divider = [&](QMenu* menu) {
        QAction* item = menu->addAction(Divider);
        item->setObjectName(QStringLiteral("N%1").arg(++dividers));
    };

    QMenu* program = bar->addMenu(QStringLiteral("&Program"));
    QAction* swap = addItem(program, QStringLiteral("&Skift mellem vinduerne"),
                            QStringLiteral("SkiftmellemvinduerneClick"), [this] { SkiftmellemvinduerneClick(); });
    swap->setShortcut(QKeySequence(Qt::Key_F12));
    swap->setShortcutContext(Qt::WindowShortcut);
    addItem(program, QStringLiteral("&Indstil printer"), QStringLiteral("Indstilprinter1Click"),
            [this] { Indstilprinter1Click(); });
    addItem(program, QStringLiteral("&Afslut"), QStringLiteral("Afslut1Click"), [this] { Afslut1Click(); });

    QMenu* search = bar->addMenu(QStringLiteral("&Søg"));
    addItem(search, QStringLiteral("&Efter nummer"), QStringLiteral("Efternummer1Click"),
            [this] { Efternummer1Click(); });

    QMenu* add = bar->addMenu(QStringLiteral("&Tilføj"));
    addItem(add, QStringLiteral("&Numre"), QStringLiteral("Numre1Click"), [this] { Numre1Click(); });
    addItem(add, QStringLiteral("Nyt &samleområde"), QStringLiteral("Nytsamleomrde1Click"),
            [this] { Nytsamleomrde1Click(); });
    addItem(add, QStringLiteral("Tilføj &et billede"), QStringLiteral("Tilfjetbillede1Click"),
            [this] { Tilfjetbillede1Click(); });
    addItem(add, QStringLiteral("&Tilføj mange billeder"), QStringLiteral("yClick"), [this] { yClick(); });

    QMenu* print = bar->addMenu(QStringLiteral("&Udskriv"));
    addItem(print, QStringLiteral("&1 Stemplede mærker"), QStringLiteral("Stempledemrker1Click"),
            [this] { Stempledemrker1Click(); });
    addItem(print, QStringLiteral("&2 Postfriske mærker"), QStringLiteral("Postfriskemrker1Click"),
            [this] { Postfriskemrker1Click(); });
    addItem(print, QStringLiteral("&3 Ubrugte mærker"), QStringLiteral("Ubrugtemrker1Click"),
            [this] { Ubrugtemrker1Click(); });
    divider(print);
    addItem(print, QStringLiteral("&4 Stemplet/ubrugt/postfrisk"), QStringLiteral("Alleoplysninger1Click"),
            [this] { Alleoplysninger1Click(); });
    addItem(print, QStringLiteral("&5 Alle oplysninger"), QStringLiteral("Alleoplysninger2Click"),
            [this] { Alleoplysninger2Click(); });
    divider(print);
    addItem(print, QStringLiteral("&Stemplet med billede"), QStringLiteral("Medbillede1Click"),
            [this] { Medbillede1Click(); });
    addItem(print, QStringLiteral("&Postfrisk med billede"), QStringLiteral("Postfriskmedbillede1Click"),
            [this] { Postfriskmedbillede1Click(); });
    addItem(print, QStringLiteral("&Ubrugt med billede"), QStringLiteral("Ubrugtmedbillede1Click"),
            [this] { Ubrugtmedbillede1Click(); });
    divider(print);
    addItem(print, QStringLiteral("Eksporter stemplede til CSV fil"),
            QStringLiteral("EksporterstempledetilCSVfil1Click"), [this] { EksporterstempledetilCSVfil1Click(); });
    addItem(print, QStringLiteral("Eksporter postfriske til CSV fil"),
            QStringLiteral("EksporterpostfrisketilCSVfil1Click"), [this] { EksporterpostfrisketilCSVfil1Click(); });
    addItem(print, QStringLiteral("Exporter ubrugte til CSV fil"), QStringLiteral("ExporterubrugtetilCSVfil1Click"),
            [this] { ExporterubrugtetilCSVfil1Click(); });

    QMenu* tidy = bar->addMenu(QStringLiteral("&Oprydning"));
    addItem(tidy, QStringLiteral("&Slet samleområde"), QStringLiteral("Sletsamleomrde1Click"),
            [this] { Sletsamleomrde1Click(); });
    addItem(tidy, QStringLiteral("Slet afkr&ydsning"), QStringLiteral("Sletafkrydsning1Click"),
            [this] { Sletafkrydsning1Click(); });
    addItem(tidy, QStringLiteral("Slet &billedhenvisning"), QStringLiteral("Slet2Click"), [this] { Slet2Click(); });

    QMenu* help = bar->addMenu(QStringLiteral("&Hjælp"));
    addItem(help, QStringLiteral("Hjælp"), QStringLiteral("Hjlp1Click"), [this] { Hjlp1Click(); });
    addItem(help, QStringLiteral("Kvilbro hjemmeside"), QStringLiteral("Kvilbrohjemmeside1Click"),
            [this] { Kvilbrohjemmeside1Click(); });
    addItem(help, QStringLiteral("&Om programmet"), QStringLiteral("Omprogrammet1Click"),
            [this] { Omprogrammet1Click(); });
}

QAction* TForm2::menuAction(const QString& handler) const
{
    return menuBar()->findChild<QAction*>(handler);
}

void TForm2::FormCreate()
{
    auto step = [](const std::function<void()>& f) { ErrorGuard::guarded(f); };
    // 1. Centred on the screen.
    step([this] { outerSize_->centre(); });
    // 2. Key preview: the window sees every key before the focused control.
    if (!keyPreview_) {
        qApp->installEventFilter(this);
        keyPreview_ = true;
    }
    // 3. The views are open; the collector view stands on its first row.
    step([this] { Table3->first(); });
    // 4.
    Settings::forStartUp().helpDocument = QStringLiteral("index.html");
    // 5. Ticking CheckBox2 hides the picture panel.
    step([this] { CheckBox2->setChecked(true); });
    // 6. The start picture, fitted into the panel's box.
    step([this] { pictures_->loadStartPicture(QStringLiteral("Frim.bmp")); });
    // 7. Shown and in front.
    show();
    raise();
    activateWindow();
    // 8.
    DBGrid1->setFocus();
    // 9. The settings are set even if the file cannot be written.
    step([] {
        Settings& settings = Settings::forStartUp();
        settings.setPathsFromWorkingDirectory();
        settings.writeFile();
    });
    // 10.
    repaint();
}

void TForm2::refreshPicture()
{
    if (pictureRefresh_)
        ErrorGuard::guarded(pictureRefresh_);
}

void TForm2::SkiftmellemvinduerneClick()
{
    if (DBGrid1->hasFocus())
        DBGrid2->setFocus(Qt::ShortcutFocusReason);
    else
        DBGrid1->setFocus(Qt::ShortcutFocusReason);
    repaint();
}

void TForm2::Indstilprinter1Click()
{
    dialogs_.printerSetup(printer_);
}

void TForm2::Afslut1Click()
{
    close();
}

void TForm2::Hjlp1Click()
{
    // Relative to the current directory at this moment, which the file dialogs may have moved.
    const QString document = QFileInfo(Settings::current().helpDocument).absoluteFilePath();
    QDesktopServices::openUrl(QUrl::fromLocalFile(document));
}

QString TForm2::homePage()
{
    return QStringLiteral("https://kvilbro.dk/");
}

void TForm2::Kvilbrohjemmeside1Click()
{
    QDesktopServices::openUrl(QUrl(homePage()));
}

void TForm2::Omprogrammet1Click()
{
    if (!aboutBox_)
        return;
    aboutBox_->show();
    aboutBox_->raise();
    aboutBox_->activateWindow();
}

void TForm2::setViewer(TForm6* viewer)
{
    viewer_ = viewer;
    viewer_->setReturnFocus(DBGrid2);
}

void TForm2::yClick()
{
    if (importWindow_)
        importWindow_->showImport();
}

void TForm2::Button5Click()
{
    if (viewer_)
        viewer_->showPictureFile(pictures_->picturePath(), windowTitle());
}

void TForm2::HentbilledeClick()
{
    attachPicture(*Table2, dialogs_, *OpenDialog1);
}

void TForm2::Tilfjetbillede1Click()
{
    HentbilledeClick();
}

void TForm2::Nytsamleomrde1Click()
{
    commands_->newArea();
}

void TForm2::Numre1Click()
{
    commands_->addNumbers();
}

void TForm2::Efternummer1Click()
{
    commands_->searchNumber();
}

void TForm2::Sletsamleomrde1Click()
{
    commands_->deleteArea();
}

void TForm2::Sletafkrydsning1Click()
{
    commands_->clearMarks();
}

void TForm2::Slet2Click()
{
    commands_->clearPictureReferences();
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel4 && event->type() == QEvent::Resize) {
        placeStretchingControls();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() == Qt::Key_F1 && widget && widget->window() == this && !QApplication::activeModalWidget()) {
            ErrorGuard::guarded([this] { Hjlp1Click(); });
            repaint();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm2::placeStretchingControls()
{
    Gauge1->setGeometry(265, 0, std::max(0, Panel4->width() - 265 - GaugeRightMargin), 24);
}

void TForm2::closeEvent(QCloseEvent* event)
{
    // What the collector typed is stored, not lost; a row that cannot be is
    // the collector's choice: keep the window, or close without that row.
    const bool settled = pendingrows::settle({Table2, Table1}, [this](const QString& reason) {
        return dialogs_.confirm(QStringLiteral("Rækken kan ikke gemmes:\n%1\n\nLuk uden at gemme den?").arg(reason));
    });
    if (!settled) {
        event->ignore();
        return;
    }
    event->accept();
    QApplication::quit();
}

void TForm2::endSession()
{
    // Nobody is there to answer at logout: store what can be stored, drop the rest.
    pendingrows::settle({Table2, Table1}, [](const QString&) { return true; });
    QApplication::quit();
}

} // namespace kvilbro
