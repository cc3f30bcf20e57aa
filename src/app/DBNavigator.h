#pragma once

#include <QList>
#include <QWidget>

class QToolButton;

namespace kvilbro {

class Dialogs;
class TableView;

// A bar of buttons that move and edit a table view. Its buttons are enabled as
// the view's position and state allow. Every action runs through the error guard.
class DBNavigator : public QWidget {
    Q_OBJECT

public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };

    DBNavigator(TableView& view, Dialogs& dialogs, QList<Button> buttons, QStringList hints, QWidget* parent = nullptr);

    QToolButton* button(Button b) const;
    void updateButtons();
    // While suspended the buttons stay as they are (a long command posts many
    // rows); resuming brings them up to date.
    void setSuspended(bool suspended);
    // Runs a button's action as a click does.
    void press(Button b);

signals:
    // After a button's action has run (also when it failed).
    void clicked(kvilbro::DBNavigator::Button button);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void act(Button b);

    TableView& view_;
    Dialogs& dialogs_;
    QList<Button> kinds_;
    QList<QToolButton*> buttons_;
    bool suspended_ = false;
};

} // namespace kvilbro
