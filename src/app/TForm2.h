#pragma once

#include "DBNavigator.h"
#include "Marks.h"

#include <QMainWindow>
#include <QPrinter>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;

namespace kvilbro {

class BevelPanel;
class CollectionCommands;
class CsvExport;
class PictureOpenDialog;
class PicturePanel;
class PicturePopupMenu;
class TForm6;
class TForm8;
class OuterSize;
class TQuickReport5;
class TQuickReport28;
class TForm4;
class TForm14;
class Database;
class DBEdit;
class DBGrid;
class Dialogs;
class Gauge;
class ImageWidget;
class LabelGaugeProgress;
class Progress;
class TableView;

// The main window: areas above, the current area's numbers below, the picture
// panel at the right and the menus from which every command starts. It wires
// menu items, keys and grid events to the subsystems' commands.
class TForm2 : public QMainWindow {
    Q_OBJECT

public:
    // Opens the three views; throws Error when a table cannot be opened.
    TForm2(Database& db, Dialogs& dialogs, QWidget* parent = nullptr);
    ~TForm2() override;

    // The creation routine: each step runs even when an earlier one failed;
    // a failure is shown by the general error handler.
    void FormCreate();

    Dialogs& dialogs() const { return dialogs_; }
    Progress& progress() const;
    QPrinter& printer() { return printer_; }
    void setAboutBox(QWidget* about) { aboutBox_ = about; }
    void setViewer(TForm6* viewer);
    void setMarkTypeList(TQuickReport5* list) { markTypeList_ = list; }
    void setCombinedList(TQuickReport28* list) { combinedList_ = list; }
    void setAllInformationList(TForm4* list) { allInformationList_ = list; }
    void setPictureList(TForm14* list) { pictureList_ = list; }
    void setImportWindow(TForm8* window) { importWindow_ = window; }
    PicturePanel& picturePanel() const { return *pictures_; }
    // The picture refresh that the numbers grid's keys and clicks and the number
    // navigator trigger. Tests may put their own in its place.
    void setPictureRefresh(std::function<void()> refresh) { pictureRefresh_ = std::move(refresh); }
    void refreshPicture();
    // While a long command runs, only the status text and the gauge change on
    // screen; the grids and navigators catch up when it ends.
    void setGridsSuspended(bool suspended);

    // Views
    TableView* Table1 = nullptr;
    TableView* Table2 = nullptr;
    TableView* Table3 = nullptr;
    // Panels and controls
    BevelPanel* Panel1 = nullptr;
    BevelPanel* Panel2 = nullptr;
    BevelPanel* Panel3 = nullptr;
    BevelPanel* Panel4 = nullptr;
    BevelPanel* Panel5 = nullptr;
    DBNavigator* DBNavigator1 = nullptr;
    DBNavigator* DBNavigator2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QPushButton* Button5 = nullptr;
    DBGrid* DBGrid1 = nullptr;
    DBGrid* DBGrid2 = nullptr;
    DBEdit* DBEdit1 = nullptr;
    DBEdit* DBEdit2 = nullptr;
    DBEdit* DBEdit3 = nullptr;
    Gauge* Gauge1 = nullptr;
    ImageWidget* Image1 = nullptr;
    PicturePopupMenu* PopupMenu1 = nullptr;
    QAction* Hentbillede = nullptr;

    // Menu items by handler name, for the subsystems that wire them.
    QAction* menuAction(const QString& handler) const;

    // Handlers of this window's own commands.
    void SkiftmellemvinduerneClick();
    void Indstilprinter1Click();
    void Afslut1Click();
    void Hjlp1Click();
    void Kvilbrohjemmeside1Click();
    void Omprogrammet1Click();
    void Nytsamleomrde1Click();
    void Numre1Click();
    void Efternummer1Click();
    void Sletsamleomrde1Click();
    void Sletafkrydsning1Click();
    void Slet2Click();
    void Button5Click();
    void HentbilledeClick();
    void Tilfjetbillede1Click();
    void yClick();
    void Stempledemrker1Click();
    void Postfriskemrker1Click();
    void Ubrugtemrker1Click();
    void Alleoplysninger1Click();
    void Alleoplysninger2Click();
    void Medbillede1Click();
    void Postfriskmedbillede1Click();
    void Ubrugtmedbillede1Click();
    void EksporterstempledetilCSVfil1Click();
    void EksporterpostfrisketilCSVfil1Click();
    void ExporterubrugtetilCSVfil1Click();

    static QString homePage();
    // Logout or shutdown: rows being typed are stored when they can be, and the program ends.
    void endSession();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPanels();
    void buildMenus();
    void placeStretchingControls();
    QAction* addItem(QMenu* menu, const QString& caption, const QString& handler, std::function<void()> action);
    AreaKey currentArea() const;
    void previewMarkTypeList(Condition condition);
    void previewPictureList(Condition condition);

    Database& db_;
    Dialogs& dialogs_;
    QPrinter printer_;
    std::unique_ptr<LabelGaugeProgress> progress_;
    std::unique_ptr<CollectionCommands> commands_;
    std::unique_ptr<PicturePanel> pictures_;
    std::unique_ptr<PictureOpenDialog> OpenDialog1;
    // The three export commands; they share the save dialog SaveDialog1.
    std::unique_ptr<CsvExport> csvExport_;
    TForm6* viewer_ = nullptr;
    TForm8* importWindow_ = nullptr;
    OuterSize* outerSize_ = nullptr;
    QWidget* aboutBox_ = nullptr;
    TQuickReport5* markTypeList_ = nullptr;
    TQuickReport28* combinedList_ = nullptr;
    TForm4* allInformationList_ = nullptr;
    TForm14* pictureList_ = nullptr;
    std::function<void()> pictureRefresh_;
    bool keyPreview_ = false;
};

} // namespace kvilbro
