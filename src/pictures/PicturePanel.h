#pragma once

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

class QCheckBox;
class QWidget;

namespace kvilbro {

class ImageWidget;
class TableView;

// The main window's picture panel: a panel with the picture at 16, 32 and a
// show/hide check box. The main window owns the widgets and calls `refresh`
// on its refresh triggers. The picture widget is sized by the picture fit and
// holds the picture only at that size: however large the file, no more of it
// is decoded than the fitted size needs (see loadFittedPicture).
class PicturePanel : public QObject {
    Q_OBJECT

public:
    static constexpr QPoint ImagePosition{16, 32};

    // `numbers` is the main window's `Table2`; `defaultPicture` the picture
    // shown for a number without a usable one. The box's toggled signal is
    // connected to checkBoxChanged here, so ticking it by code runs it too.
    PicturePanel(QWidget* panel, ImageWidget* image, QCheckBox* showHideBox, QWidget* mainWindow, TableView& numbers,
                 const QString& defaultPicture = QString(), QObject* parent = nullptr);

    void setDefaultPicture(const QString& path) { defaultPicture_ = path; }
    const QString& defaultPicture() const { return defaultPicture_; }

    // The picture refresh: the current number's `Billede` when it passes the
    // picture-file test, else the default picture, loaded, fitted and shown;
    // then the main window is repainted. Runs whether the panel is shown or
    // not. Throws the loader's Error, leaving the previous picture and size.
    void refresh();

    // Start-up: loads `path` (relative names against the current folder)
    // into the picture widget and fits it. Throws as refresh does.
    void loadStartPicture(const QString& path = QStringLiteral("Frim.bmp"));

    // The box's click: ticked hides the panel ("Vis billede"), not ticked
    // shows it ("Skjul billede"); the main window paints the change at once.
    void checkBoxChanged();

    // The picture shown, at the size it is shown in pixels.
    const QImage& picture() const;
    // The file of the picture shown, as a full path, for the viewer to read;
    // empty while there is none.
    const QString& picturePath() const { return picturePath_; }

private:
    void show(const QString& path);

    QPointer<QWidget> panel_;
    QPointer<ImageWidget> image_;
    QPointer<QCheckBox> showHideBox_;
    QPointer<QWidget> mainWindow_;
    TableView& numbers_;
    QString defaultPicture_;
    QString picturePath_;
};

} // namespace kvilbro
