#pragma once

#include <QHash>
#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QListView;
class QPrinter;
class QPushButton;
class QTextDocument;
class QTextEdit;

namespace kvilbro {

class Dialogs;
class DirectoryTree;
class OuterSize;
class PictureFileList;
class TableView;

// The mass picture import window, "Indlæs billeder": the collector picks a
// folder and some picture files in it, and each file is attached to the
// number of the main window's current area that its name spells. Files that
// match nothing are listed in "Fejl.txt", shown here and printable. Created
// once at start, not modal; closing hides it and keeps its folder, selection
// and display.
class TForm8 : public QWidget {
    Q_OBJECT

public:
    static constexpr int OuterWidth = 882;
    static constexpr int OuterHeight = 480;

    // `numbers` is the main window's `Table2`; `printer` the one its printer set-up chooses.
    TForm8(TableView& numbers, Dialogs& dialogs, QPrinter& printer, QWidget* parent = nullptr);
    ~TForm8() override;

    // Called with true before an import and with false after it, also after
    // a failed one: the main window's grids need not follow every row.
    void setBusyHandler(std::function<void(bool)> handler) { busy_ = std::move(handler); }

    // `yClick`: shows the window, centred the first time, or brings it to the front.
    void showImport();

    // Opens `folder` in the lists and makes it the process's current directory. Throws Error.
    void openFolder(const QString& folder);

    void Button1Click();
    void Button2Click();
    void Button3Click();

    // The display's text laid out for `printer`: its whole printable area, no margin.
    static std::unique_ptr<QTextDocument> printable(const QTextDocument& display, QPrinter& printer);

    QComboBox* DriveComboBox1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    DirectoryTree* DirectoryListBox1;
    QListView* FileListBox1;
    QTextEdit* RichEdit1;

private:
    void buildPanels();
    void chooseDrive(int index);
    void showFolder(const QString& folder);
    QStringList chosenNames() const;

    TableView& numbers_;
    Dialogs& dialogs_;
    QPrinter& printer_;
    PictureFileList* files_;
    OuterSize* outerSize_;
    QStringList drives_;
    // The folder last open on each drive, as a drive letter keeps its own.
    QHash<QString, QString> lastFolder_;
    std::function<void(bool)> busy_;
    bool placed_ = false;
};

} // namespace kvilbro
